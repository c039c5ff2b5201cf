#include "converters/vrk_binary.h"

#include <array>

namespace vsm::vrk {
namespace {

// CRC-32 tables for eight bytes a step ("slicing by 8"): kCrcTables[k][n] is the checksum
// remainder of the byte n followed by k zero bytes. A step looks up each of eight bytes in its own
// table, independently of the others, where one table needs eight lookups one after the other.
// The whole file is summed, so the step counts in a large conversion.
using CrcTable = std::array<std::uint32_t, 256>;
constexpr std::array<CrcTable, 8> MakeCrcTables() {
  std::array<CrcTable, 8> tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (std::size_t n = 0; n < 256; ++n) {
      tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFFu];
    }
  }
  return tables;
}
constexpr std::array<CrcTable, 8> kCrcTables = MakeCrcTables();

// Appends a number's bytes, least significant first, in one append (a list's numbers are most
// of a file).
template <class Unsigned>
void Put(std::string& out, Unsigned value) {
  char bytes[sizeof(Unsigned)];
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    bytes[i] = static_cast<char>(static_cast<unsigned char>(value >> (8 * i)));
  }
  out.append(bytes, sizeof bytes);
}

std::uint8_t SectionCode(std::size_t block) { return static_cast<std::uint8_t>(block + 1); }

// The size of the file that EncodeVrk makes, so that it is made in one piece of memory.
std::size_t EncodedSize(const ChannelTables& tables) {
  std::size_t size = kHeaderSize + kChecksumSize;
  for (const SectionTable& table : tables.tables) {
    size += 8;  // code, column count, reserved, record count
    for (const Column& column : table.columns) {
      size += 1;  // type
      switch (column.type) {
        case ColumnType::long32:
          size += 4 * std::size_t{table.rows};
          break;
        case ColumnType::quad64:
          size += 8 * std::size_t{table.rows};
          break;
        case ColumnType::text:
          for (const std::string& text : column.texts) size += 4 + text.size();
          break;
      }
    }
  }
  return size;
}

std::size_t MinimumRowSize(const SectionTable& table) {
  std::size_t size = 0;
  for (const Column& column : table.columns) size += column.type == ColumnType::quad64 ? 8 : 4;
  return size;
}

void EncodeColumn(std::string& out, const Column& column, std::uint32_t rows) {
  Put(out, static_cast<std::uint8_t>(column.type));
  for (std::uint32_t row = 0; row < rows; ++row) {
    switch (column.type) {
      case ColumnType::long32:
        Put(out, static_cast<std::uint32_t>(column.numbers[row]));
        break;
      case ColumnType::quad64:
        Put(out, static_cast<std::uint64_t>(column.numbers[row]));
        break;
      case ColumnType::text:
        Put(out, static_cast<std::uint32_t>(column.texts[row].size()));
        out += column.texts[row];
        break;
    }
  }
}

struct DecodeFault {
  std::string text;
};

// Reads little-endian values, never past `end`.
class ByteReader {
 public:
  ByteReader(std::string_view bytes, std::size_t start, std::size_t end)
      : bytes_(bytes), position_(start), end_(end) {}
  std::size_t Remaining() const { return end_ - position_; }
  template <class Unsigned>
  Unsigned Get() {
    if (Remaining() < sizeof(Unsigned)) throw DecodeFault{"truncated inside a section block"};
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
      value |= static_cast<Unsigned>(static_cast<unsigned char>(bytes_[position_++])) << (8 * i);
    }
    return value;
  }
  std::string_view Bytes(std::size_t count) {
    const std::string_view result = bytes_.substr(position_, count);
    position_ += count;
    return result;
  }

 private:
  std::string_view bytes_;
  std::size_t position_;
  std::size_t end_;
};

std::string Named(const SectionTable& table) { return std::string(SectionHeader(table.section)); }

// What in a text would give the text form other records than the file holds: a line end or NUL
// splits a record, a TAB in a column adds a column (whole lines carry theirs), a "[" at the start
// of a line ends its section. Nothing when the text can be carried.
std::optional<std::string> UncarriableIn(std::string_view text, bool starts_line, bool whole_line) {
  if (starts_line && text.starts_with('[')) return "starts its line with \"[\"";
  for (const char byte : text) {
    switch (byte) {
      case '\r':
        return "holds a CR byte";
      case '\n':
        return "holds an LF byte";
      case '\0':
        return "holds a NUL byte";
      case '\t':
        if (!whole_line) return "holds a TAB byte";
        break;
      default:
        break;
    }
  }
  return std::nullopt;
}

void CheckCarriable(const SectionTable& table, std::size_t index, std::uint32_t row,
                    std::string_view text) {
  const auto fault = UncarriableIn(text, index == 0, IsWholeLineSection(table.section));
  if (fault) {
    throw DecodeFault{Named(table) + " record " + std::to_string(row + 1) + " column " +
                      std::to_string(index + 1) + " " + *fault +
                      ", which the text form cannot carry"};
  }
}

void DecodeColumn(ByteReader& in, const SectionTable& table, std::size_t index, Column& column) {
  const auto type = in.Get<std::uint8_t>();
  if (type != static_cast<std::uint8_t>(column.type)) {
    throw DecodeFault{Named(table) + " column " + std::to_string(index + 1) + " has type " +
                      std::to_string(type) + ", expected " +
                      std::to_string(static_cast<int>(column.type))};
  }
  if (column.type == ColumnType::text) {
    column.texts.reserve(table.rows);
  } else {
    column.numbers.reserve(table.rows);
  }
  for (std::uint32_t row = 0; row < table.rows; ++row) {
    switch (column.type) {
      case ColumnType::long32:
        column.numbers.push_back(static_cast<std::int32_t>(in.Get<std::uint32_t>()));
        break;
      case ColumnType::quad64:
        column.numbers.push_back(static_cast<std::int64_t>(in.Get<std::uint64_t>()));
        break;
      case ColumnType::text: {
        const auto length = in.Get<std::uint32_t>();
        if (length > in.Remaining()) {
          throw DecodeFault{Named(table) + " text length " + std::to_string(length) +
                            " is larger than the file can hold"};
        }
        const std::string_view text = in.Bytes(length);
        CheckCarriable(table, index, row, text);
        column.texts.emplace_back(text);
        break;
      }
    }
  }
}

void DecodeBlock(ByteReader& in, std::size_t block, SectionTable& table) {
  const auto code = in.Get<std::uint8_t>();
  const auto column_count = in.Get<std::uint8_t>();
  in.Get<std::uint16_t>();  // reserved
  const auto rows = in.Get<std::uint32_t>();
  if (code != SectionCode(block)) {
    throw DecodeFault{"section block " + std::to_string(block + 1) + " has code " +
                      std::to_string(code) + ", expected " + std::to_string(SectionCode(block)) +
                      " for " + Named(table)};
  }
  if (column_count != table.columns.size()) {
    throw DecodeFault{Named(table) + " block has " + std::to_string(column_count) +
                      " columns, expected " + std::to_string(table.columns.size())};
  }
  // Checked before anything is allocated for the records.
  if (rows > in.Remaining() / MinimumRowSize(table)) {
    throw DecodeFault{Named(table) + " record count " + std::to_string(rows) +
                      " is larger than the file can hold"};
  }
  table.rows = rows;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    DecodeColumn(in, table, i, table.columns[i]);
  }
}

std::uint64_t ReadLittleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

// The header, the length and the checksum; throws on the first fault.
void CheckFrame(std::string_view bytes) {
  const std::string size = std::to_string(bytes.size());
  if (bytes.size() < kMagic.size() || bytes.substr(0, kMagic.size()) != kMagic) {
    throw DecodeFault{bytes.size() < kMagic.size() ? "truncated: " + size + " bytes"
                                                   : "wrong magic number, not a .vrk list"};
  }
  if (bytes.size() < kHeaderSize + kChecksumSize) {
    throw DecodeFault{"truncated: " + size + " bytes, shorter than header and checksum"};
  }
  const auto version = ReadLittleEndian(bytes, 4, 2);
  if (version > kFormatVersion) {
    throw DecodeFault{"format version " + std::to_string(version) +
                      " is newer than this program reads (" + std::to_string(kFormatVersion) + ")"};
  }
  if (version == 0) throw DecodeFault{"unknown format version 0"};
  const auto length = ReadLittleEndian(bytes, 8, 8);
  if (length > bytes.size()) {
    throw DecodeFault{"truncated: " + size + " bytes of the " + std::to_string(length) +
                      " the header announces"};
  }
  if (length < bytes.size()) {
    throw DecodeFault{size + " bytes, more than the " + std::to_string(length) +
                      " the header announces"};
  }
  const std::size_t body = bytes.size() - kChecksumSize;
  const auto stored = static_cast<std::uint32_t>(ReadLittleEndian(bytes, body, kChecksumSize));
  if (stored != Crc32(bytes.substr(0, body))) throw DecodeFault{"checksum mismatch"};
  const auto blocks = ReadLittleEndian(bytes, 6, 2);
  if (blocks != kSectionOrder.size()) {
    throw DecodeFault{std::to_string(blocks) + " section blocks, expected " +
                      std::to_string(kSectionOrder.size())};
  }
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
  const auto& t = kCrcTables;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (; left >= 8; p += 8, left -= 8) {
    const std::uint32_t low = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
    crc = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^
          t[4][low >> 24] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; left > 0; --left) crc = t[0][(crc ^ *p++) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string EncodeVrk(const ChannelTables& tables) {
  std::string out;
  out.reserve(EncodedSize(tables));
  out += kMagic;
  Put(out, kFormatVersion);
  Put(out, static_cast<std::uint16_t>(tables.tables.size()));
  Put(out, std::uint64_t{0});  // the file length, filled in below
  for (std::size_t block = 0; block < tables.tables.size(); ++block) {
    const SectionTable& table = tables.tables[block];
    Put(out, SectionCode(block));
    Put(out, static_cast<std::uint8_t>(table.columns.size()));
    Put(out, std::uint16_t{0});
    Put(out, table.rows);
    for (const Column& column : table.columns) EncodeColumn(out, column, table.rows);
  }
  std::string length;
  Put(length, static_cast<std::uint64_t>(out.size() + kChecksumSize));
  out.replace(8, 8, length);
  Put(out, Crc32(out));
  return out;
}

std::optional<ChannelTables> DecodeVrk(std::string_view bytes, std::string& fault) {
  try {
    CheckFrame(bytes);
    ChannelTables tables;
    ByteReader in(bytes, kHeaderSize, bytes.size() - kChecksumSize);
    for (std::size_t block = 0; block < tables.tables.size(); ++block) {
      DecodeBlock(in, block, tables.tables[block]);
    }
    if (in.Remaining() != 0) {
      throw DecodeFault{std::to_string(in.Remaining()) +
                        " unexpected bytes after the last section"};
    }
    return tables;
  } catch (const DecodeFault& decode_fault) {
    fault = decode_fault.text;
    return std::nullopt;
  }
}

}  // namespace vsm::vrk
