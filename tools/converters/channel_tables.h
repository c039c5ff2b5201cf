#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/sections.h"

namespace vsm::vrk {

// The sections in the order the writer puts them into a text form; a .vrk file holds one block
// per section in the same order.
inline constexpr std::array<Section, 7> kSectionOrder = {
    Section::antenna,  Section::transponder, Section::network, Section::provider,
    Section::favorite, Section::service,     Section::menu};

enum class ColumnType : std::uint8_t { long32 = 1, quad64 = 2, text = 3 };

// One column of a section: numbers for the number columns, byte strings for the text ones.
struct Column {
  ColumnType type = ColumnType::long32;
  std::vector<std::int64_t> numbers;
  std::vector<std::string> texts;
};

// The records of one section, column by column.
struct SectionTable {
  Section section = Section::antenna;
  std::uint32_t rows = 0;
  std::vector<Column> columns;

  std::int32_t Long(std::size_t column, std::size_t row) const {
    return static_cast<std::int32_t>(columns[column].numbers[row]);
  }
  std::int64_t Quad(std::size_t column, std::size_t row) const {
    return columns[column].numbers[row];
  }
  const std::string& Text(std::size_t column, std::size_t row) const {
    return columns[column].texts[row];
  }
};

// The column types of a section, one letter per column: 'l' 32-bit number, 'q' 64-bit number,
// 't' text. Network, provider and menu lines are one text column holding the whole line.
std::string_view ColumnTypesOf(Section section);
bool IsWholeLineSection(Section section);

// A channel list as the converters carry it: every record line of every section, typed.
struct ChannelTables {
  ChannelTables();  // every section present and empty
  std::array<SectionTable, kSectionOrder.size()> tables;

  SectionTable& Table(Section section);
  const SectionTable& Table(Section section) const;
};

// Reads every record line of every section of a text form, with the reader's section rules and
// column tables: numbers normalised, text columns verbatim, missing columns 0 or empty, extra
// columns dropped. Nothing, with `fault` set, when the text is not a channel list.
std::optional<ChannelTables> TablesFromText(std::string_view text, std::string& fault);

// The text form in the writer's layout: every header, every line ended by CR LF.
std::string TextFromTables(const ChannelTables& tables);

}  // namespace vsm::vrk
