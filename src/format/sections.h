#pragma once

#include <string_view>

#include "format/text_lines.h"

namespace vsm {

enum class Section { antenna, transponder, network, provider, menu, service, favorite };

// "[ANTENNA]", "[TS]", ...
std::string_view SectionHeader(Section section);

// Receives the record lines of a channel-list text, section by section.
class SectionVisitor {
 public:
  virtual ~SectionVisitor() = default;
  virtual void OnSectionStart(Section) {}
  // `lines` stands on a record line of `section`; takes that one line and moves past it: whole,
  // with lines.Next, or column by column, with a ColumnReader made on `lines` (which is how the
  // service lines are read without being searched for their ends first).
  virtual void OnRecord(Section section, LineCursor& lines) = 0;
  virtual void OnSectionEnd(Section) {}
};

// Searches `header` forward, starting with the line the pass holds in `current`. On success the
// cursor stands just after the header line.
bool FindSection(LineCursor& cursor, std::string_view& current, std::string_view header);

// The three passes over a channel-list text. Each starts from the first line and searches its
// headers forward, each from where the previous section of the pass ended; only the first
// section of each kind is read, and a section ends at the next line that starts with "[".
//   pass 1: "[ANTENNA]", then "[TS]"
//   pass 2: "[NETWORK]", then "[PROVIDER]", then "[MENU]"
//   pass 3: "[SERVICE]"; then, from the first line again, "[FAVORITE]"
void ScanAntennaAndTransponderSections(std::string_view text, SectionVisitor& visitor);
void ScanNetworkProviderMenuSections(std::string_view text, SectionVisitor& visitor);
void ScanServiceAndFavoriteSections(std::string_view text, SectionVisitor& visitor);

}  // namespace vsm
