#pragma once

// Channel lists and batch scripts in their text form, line by line; standard C++ only, for every
// test program.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vsm::test_support {

// Lines joined by CR LF, each ended by it.
std::string CrLf(std::initializer_list<std::string_view> lines);
std::string CrLf(const std::vector<std::string>& lines);

// A batch script: its first line "[VRK_SPLIT_MERGE]", then `lines`, each ended by CR LF.
std::string BatchScript(std::initializer_list<std::string_view> lines);
std::string BatchScript(const std::vector<std::string>& lines);

// The text of one column, given as a number or as the text itself.
class ColumnText {
 public:
  ColumnText(int number) : text_(std::to_string(number)) {}
  ColumnText(const char* text) : text_(text) {}
  ColumnText(std::string_view text) : text_(text) {}
  ColumnText(const std::string& text) : text_(text) {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Columns joined by TAB.
std::string Tabbed(std::initializer_list<ColumnText> columns);

// The columns of a service that the tool carries through unread, as they are written.
struct ServiceColumns {
  std::string_view values = "1\t2\t3\t4\t5\t6";  // columns 2 to 7
  std::string_view flag8 = "TRUE";
  std::string_view flag9 = "FALSE";
  std::string_view scrambled = "FALSE";
};
// Zeros and FALSE in every one of them.
inline constexpr ServiceColumns kPlainService{"0\t0\t0\t0\t0\t0", "FALSE", "FALSE", "FALSE"};

// A "[SERVICE]" line: its kind ("V" TV, "A" or "R" radio), the positions of its transponder and
// of its provider, its name and its number.
std::string ServiceLine(std::string_view kind, const ColumnText& ts, const ColumnText& provider,
                        std::string_view name, const ColumnText& number = 1,
                        const ServiceColumns& columns = {});

// An "[ANTENNA]" line: `numbers` are the eight columns before its name (index, values 2 to 8).
std::string AntennaLine(std::string_view name, std::string_view numbers = "0\t0\t0\t0\t0\t0\t0\t0");

// A "[TS]" line: the position of its antenna, then `values`, columns 2 to 8.
std::string TransponderLine(const ColumnText& antenna,
                            std::string_view values = "0\t0\t0\t0\t0\t0\t0");

// A "[FAVORITE]" line: its list (0 TV, 1 radio), value 2 and the position of its channel.
std::string FavoriteLine(const ColumnText& list, const ColumnText& value2,
                         const ColumnText& channel);

// A channel list by the record lines of its sections. Text() writes every header, also of an empty
// section, in the order the writer uses (so that the menus come last).
struct TestList {
  std::vector<std::string> antennas;
  std::vector<std::string> transponders;
  std::vector<std::string> networks;
  std::vector<std::string> providers;
  std::vector<std::string> favorites;
  std::vector<std::string> services;
  std::vector<std::string> menus;

  std::string Text() const;
};

// A channel list with one antenna named `antenna`, one transponder and one provider, `tv` TV
// services named "Tv 1", "Tv 2", ... and one radio service named "Radio". It has no "[FAVORITE]"
// section, so that a test may append one.
std::string OneAntennaListText(std::string_view antenna, int tv);

// A channel list of antennas only, named `names`, every number column 0.
std::string AntennasOnlyListText(std::initializer_list<std::string_view> names);

}  // namespace vsm::test_support
