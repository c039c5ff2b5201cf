#include "converters/channel_tables.h"

#include "format/text_lines.h"
#include "format/writer.h"
#include "model/messages.h"

namespace vsm::vrk {

std::string_view ColumnTypesOf(Section section) {
  switch (section) {
    case Section::antenna:
      return "lqllllllt";
    case Section::transponder:
      return "llllllll";
    case Section::favorite:
      return "lll";
    case Section::service:
      return "tlllllltttlltl";
    case Section::network:
    case Section::provider:
    case Section::menu:
      return "t";
  }
  return {};
}

bool IsWholeLineSection(Section section) {
  return section == Section::network || section == Section::provider || section == Section::menu;
}

namespace {

ColumnType TypeOfLetter(char letter) {
  switch (letter) {
    case 'q':
      return ColumnType::quad64;
    case 't':
      return ColumnType::text;
    default:
      return ColumnType::long32;
  }
}

std::size_t PositionOf(Section section) {
  for (std::size_t i = 0; i < kSectionOrder.size(); ++i) {
    if (kSectionOrder[i] == section) return i;
  }
  return 0;
}

void AppendField(Column& column, ColumnReader& fields) {
  switch (column.type) {
    case ColumnType::long32:
      column.numbers.push_back(fields.Long());
      break;
    case ColumnType::quad64:
      column.numbers.push_back(ParseQuad(fields.Text()));
      break;
    case ColumnType::text:
      column.texts.emplace_back(fields.Text());
      break;
  }
}

// Keeps every record line, placeholders and negative favourites included: the converter carries
// the list, the tool decides what to read from it. The columns are read straight from the text,
// as the tool's reader does.
class TableFiller : public SectionVisitor {
 public:
  explicit TableFiller(ChannelTables& tables) : tables_(tables) {}
  void OnRecord(Section section, LineCursor& lines) override {
    SectionTable& table = tables_.Table(section);
    if (IsWholeLineSection(section)) {
      std::string_view line;
      lines.Next(line);
      table.columns[0].texts.emplace_back(line);
    } else {
      ColumnReader fields(lines);
      for (Column& column : table.columns) AppendField(column, fields);
      fields.FinishLine();
    }
    ++table.rows;
  }

 private:
  ChannelTables& tables_;
};

// Counts the record lines of every section, so that every column can be made at its full size
// before it is filled: a conversion is mostly one large section of numbers, and a column grown
// step by step would be copied and faulted into memory several times over.
class RowCounter : public SectionVisitor {
 public:
  explicit RowCounter(ChannelTables& tables) : tables_(tables) {}
  void OnRecord(Section section, LineCursor& lines) override {
    std::string_view line;
    lines.Next(line);
    ++tables_.Table(section).rows;
  }

 private:
  ChannelTables& tables_;
};

void ScanAllSections(std::string_view text, SectionVisitor& visitor) {
  ScanAntennaAndTransponderSections(text, visitor);
  ScanNetworkProviderMenuSections(text, visitor);
  ScanServiceAndFavoriteSections(text, visitor);
}

// Each row becomes the writer's record and goes through the writer's own line form; the index
// columns travel in the fields the writer prints.
std::string FormatRow(const SectionTable& t, std::size_t r) {
  switch (t.section) {
    case Section::antenna: {
      Antenna a;
      a.out_index = t.Long(0, r);
      a.values = {t.Quad(1, r), t.Long(2, r), t.Long(3, r), t.Long(4, r),
                  t.Long(5, r), t.Long(6, r), t.Long(7, r)};
      a.name = t.Text(8, r);
      return FormatAntenna(a);
    }
    case Section::transponder: {
      Transponder tp;
      tp.out_antenna_index = t.Long(0, r);
      tp.values = {t.Long(1, r), t.Long(2, r), t.Long(3, r), t.Long(4, r),
                   t.Long(5, r), t.Long(6, r), t.Long(7, r)};
      return FormatTransponder(tp);
    }
    case Section::favorite: {
      Favorite f;
      f.kind = t.Long(0, r);
      f.value2 = t.Long(1, r);
      f.out_channel_index = t.Long(2, r);
      return FormatFavorite(f);
    }
    case Section::service: {
      ServiceLineColumns s;
      s.texts = {t.Text(0, r), t.Text(7, r), t.Text(8, r), t.Text(9, r), t.Text(12, r)};
      s.values = {t.Long(1, r), t.Long(2, r), t.Long(3, r),
                  t.Long(4, r), t.Long(5, r), t.Long(6, r)};
      s.transponder = t.Long(10, r);
      s.provider = t.Long(11, r);
      s.number = t.Long(13, r);
      return FormatService(s);
    }
    case Section::network:
    case Section::provider:
    case Section::menu:
      break;
  }
  return t.Text(0, r);  // whole-line sections are written as stored
}

void AppendLine(std::string& text, std::string_view line) {
  text += line;
  text += "\r\n";
}

}  // namespace

ChannelTables::ChannelTables() {
  for (std::size_t i = 0; i < kSectionOrder.size(); ++i) {
    tables[i].section = kSectionOrder[i];
    for (const char letter : ColumnTypesOf(kSectionOrder[i])) {
      tables[i].columns.push_back({TypeOfLetter(letter), {}, {}});
    }
  }
}

SectionTable& ChannelTables::Table(Section section) { return tables[PositionOf(section)]; }
const SectionTable& ChannelTables::Table(Section section) const {
  return tables[PositionOf(section)];
}

std::optional<ChannelTables> TablesFromText(std::string_view text, std::string& fault) {
  if (FirstLine(text) != kChannelListHeader) {
    fault = std::string("first line is not ") + kChannelListHeader;
    return std::nullopt;
  }
  ChannelTables tables;
  RowCounter counter(tables);
  ScanAllSections(text, counter);
  for (SectionTable& table : tables.tables) {
    for (Column& column : table.columns) {
      if (column.type == ColumnType::text) {
        column.texts.reserve(table.rows);
      } else {
        column.numbers.reserve(table.rows);
      }
    }
    table.rows = 0;  // counted again as the rows are filled in
  }
  TableFiller filler(tables);
  ScanAllSections(text, filler);
  return tables;
}

std::string TextFromTables(const ChannelTables& tables) {
  std::string text;
  AppendLine(text, kChannelListHeader);
  for (const SectionTable& table : tables.tables) {
    AppendLine(text, SectionHeader(table.section));
    for (std::size_t row = 0; row < table.rows; ++row) AppendLine(text, FormatRow(table, row));
  }
  return text;
}

}  // namespace vsm::vrk
