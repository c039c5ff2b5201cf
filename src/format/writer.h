#pragma once

#include <string>

#include "format/conversions.h"
#include "model/workspace.h"
#include "platform/atomic_file.h"

namespace vsm {

// The files of a list that is written: its text form, and the target that the text form is
// converted into when the target ends in ".vrk" (a ".txt" target is the text form itself).
struct ListFiles {
  std::string target;
  std::string text_file;
  // A name the user gave (a save) is written through a symbolic link standing there; a name the
  // tool makes (a piece) replaces it. A text form in the work folder is always the tool's.
  AtLink target_at_link = AtLink::replace;
  // A converted target that the user named is read back before it replaces the earlier one.
  Verification verification = Verification::none;

  AtLink TextFileAtLink() const { return text_file == target ? target_at_link : AtLink::replace; }
};

// Writes what the last marking pass kept as the text form `files.text_file`, and, when
// `files.target` ends in ".vrk", starts its conversion into the target. With `by_antenna`
// favourites follow the antenna selection, otherwise the services' kept mark. Not done, with the
// box of a write that failed, when the text form could not be written (nothing is converted then),
// or when the target cannot be converted there at all (nothing is written then): a chain of links
// that never ends, a target that is no regular file (UnfitDestination), a path too long for the
// system (also for its read-back).
Outcome WriteChannelList(Workspace& workspace, const ListFiles& files, bool by_antenna);

// One record as its line, without the line end.
std::string FormatAntenna(const Antenna& antenna);
std::string FormatTransponder(const Transponder& transponder);
// A service line from its columns: the texts, the values, the numbers of its transponder and
// provider, its own number.
struct ServiceLineColumns {
  ServiceTexts texts;
  ServiceValues values;
  std::int32_t transponder = 0, provider = 0, number = 0;
};
std::string FormatService(const ServiceLineColumns& columns);
std::string FormatFavorite(const Favorite& favorite);

// Stands in for the radio services when they are left out; readers skip it.
inline constexpr const char* kPlaceholderServiceLine =
    "A\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tDummy Service\t1";

}  // namespace vsm
