#include "format/sections.h"

#include <initializer_list>

namespace vsm {

std::string_view SectionHeader(Section section) {
  switch (section) {
    case Section::antenna:
      return "[ANTENNA]";
    case Section::transponder:
      return "[TS]";
    case Section::network:
      return "[NETWORK]";
    case Section::provider:
      return "[PROVIDER]";
    case Section::menu:
      return "[MENU]";
    case Section::service:
      return "[SERVICE]";
    case Section::favorite:
      return "[FAVORITE]";
  }
  return {};
}

bool FindSection(LineCursor& cursor, std::string_view& current, std::string_view header) {
  // Every header starts with "[": the lines between are skipped without being looked at.
  for (;;) {
    if (current == header) return true;
    if (!cursor.NextStartingWith(header.front(), current)) return false;
  }
}

namespace {

// Reads the records of a section whose header was just found; leaves the line that ended it in
// `current`.
void ReadSectionRecords(LineCursor& cursor, std::string_view& current, Section section,
                        SectionVisitor& visitor) {
  visitor.OnSectionStart(section);
  current = {};
  while (!cursor.AtEnd()) {
    if (cursor.Peek() == '[') {
      cursor.Next(current);
      break;
    }
    visitor.OnRecord(section, cursor);
  }
  visitor.OnSectionEnd(section);
}

void ScanPass(std::string_view text, std::initializer_list<Section> sections,
              SectionVisitor& visitor) {
  LineCursor cursor(text);
  std::string_view current;
  for (const Section section : sections) {
    if (!FindSection(cursor, current, SectionHeader(section))) return;
    ReadSectionRecords(cursor, current, section, visitor);
  }
}

}  // namespace

void ScanAntennaAndTransponderSections(std::string_view text, SectionVisitor& visitor) {
  ScanPass(text, {Section::antenna, Section::transponder}, visitor);
}

void ScanNetworkProviderMenuSections(std::string_view text, SectionVisitor& visitor) {
  ScanPass(text, {Section::network, Section::provider, Section::menu}, visitor);
}

void ScanServiceAndFavoriteSections(std::string_view text, SectionVisitor& visitor) {
  ScanPass(text, {Section::service}, visitor);
  ScanPass(text, {Section::favorite}, visitor);
}

}  // namespace vsm
