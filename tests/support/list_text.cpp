#include "list_text.h"

namespace vsm::test_support {

namespace {

template <class Lines>
std::string JoinedByCrLf(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace

std::string CrLf(std::initializer_list<std::string_view> lines) { return JoinedByCrLf(lines); }

std::string CrLf(const std::vector<std::string>& lines) { return JoinedByCrLf(lines); }

std::string BatchScript(std::initializer_list<std::string_view> lines) {
  return CrLf({"[VRK_SPLIT_MERGE]"}) + CrLf(lines);
}

std::string BatchScript(const std::vector<std::string>& lines) {
  return CrLf({"[VRK_SPLIT_MERGE]"}) + CrLf(lines);
}

std::string Tabbed(std::initializer_list<ColumnText> columns) {
  std::string line;
  for (const ColumnText& column : columns) {
    if (&column != columns.begin()) line += '\t';
    line += column.text();
  }
  return line;
}

std::string ServiceLine(std::string_view kind, const ColumnText& ts, const ColumnText& provider,
                        std::string_view name, const ColumnText& number,
                        const ServiceColumns& columns) {
  return Tabbed({kind, columns.values, columns.flag8, columns.flag9, columns.scrambled, ts,
                 provider, name, number});
}

std::string AntennaLine(std::string_view name, std::string_view numbers) {
  return Tabbed({numbers, name});
}

std::string TransponderLine(const ColumnText& antenna, std::string_view values) {
  return Tabbed({antenna, values});
}

std::string FavoriteLine(const ColumnText& list, const ColumnText& value2,
                         const ColumnText& channel) {
  return Tabbed({list, value2, channel});
}

std::string TestList::Text() const {
  std::string text = CrLf({"[MORVANE V3 FILE]"});
  const auto section = [&text](std::string_view header, const std::vector<std::string>& lines) {
    text += CrLf({header}) + CrLf(lines);
  };
  section("[ANTENNA]", antennas);
  section("[TS]", transponders);
  section("[NETWORK]", networks);
  section("[PROVIDER]", providers);
  section("[FAVORITE]", favorites);
  section("[SERVICE]", services);
  section("[MENU]", menus);
  return text;
}

std::string OneAntennaListText(std::string_view antenna, int tv) {
  std::string text =
      CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine(antenna, "0\t1\t2\t3\t4\t5\t6\t7"),
            "[TS]", TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), "[NETWORK]", "[PROVIDER]",
            "P", "[SERVICE]"});
  for (int i = 1; i <= tv; ++i) {
    text += CrLf({ServiceLine("V", 0, 0, "Tv " + std::to_string(i), i, kPlainService)});
  }
  return text + CrLf({ServiceLine("R", 0, 0, "Radio", 1, kPlainService), "[MENU]"});
}

std::string AntennasOnlyListText(std::initializer_list<std::string_view> names) {
  std::string text = CrLf({"[MORVANE V3 FILE]", "[ANTENNA]"});
  for (const auto name : names) text += CrLf({AntennaLine(name)});
  return text;
}

}  // namespace vsm::test_support
