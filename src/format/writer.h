#pragma once

#include <string>

#include "model/workspace.h"

namespace vsm {

// Writes what the last marking pass kept as the text form `text_file`, and, when `current_file`
// ends in ".vrk", starts its conversion into `current_file`. With `by_antenna` favourites follow
// the antenna selection, otherwise the services' kept mark. False, after a message, when the text
// form could not be written; nothing is converted then.
bool WriteChannelList(Workspace& workspace, bool by_antenna);

// One record as its line, without the line end.
std::string FormatAntenna(const Antenna& antenna);
std::string FormatTransponder(const Transponder& transponder);
std::string FormatNetwork(const Network& network);
std::string FormatProvider(const Provider& provider);
std::string FormatMenu(const Menu& menu);
std::string FormatService(const Service& service);
std::string FormatFavorite(const Favorite& favorite);

// Stands in for the radio services when they are left out; readers skip it.
inline constexpr const char* kPlaceholderServiceLine =
    "A\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tDummy Service\t1";

// Shown when a file cannot be written: "Cannot write file \r\n" + name + "\r\n" + reason.
void ReportWriteFailure(Workspace& workspace, const std::string& name, const std::string& reason);

}  // namespace vsm
