#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "converters/converter_cli.h"
#include "converters/vrk_binary.h"
#include "generator/list_generator.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system_platform.h"
#include "split/save_driver.h"
#include "temp_folder.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// Runs a program built beside the test binary and returns its exit status (-1: did not run).
int RunProgram(const std::string& name, const std::vector<std::string>& arguments) {
  const auto process = StartSystemProcess(ExecutableFolder() + name + kExecutableSuffix, arguments);
  if (!process || !(*process)->WaitFor(std::chrono::minutes(2))) return -1;
  return (*process)->ExitCode();
}

std::string Encode(std::string_view text) {
  std::string fault;
  const auto tables = vrk::TablesFromText(text, fault);
  EXPECT_TRUE(tables) << fault;
  return tables ? vrk::EncodeVrk(*tables) : std::string();
}

std::string Decode(std::string_view bytes) {
  std::string fault;
  const auto tables = vrk::DecodeVrk(bytes, fault);
  EXPECT_TRUE(tables) << fault;
  return tables ? vrk::TextFromTables(*tables) : std::string();
}

std::string DecodeFault(std::string_view bytes) {
  std::string fault;
  EXPECT_FALSE(vrk::DecodeVrk(bytes, fault));
  return fault;
}

// Puts a correct checksum on a file that was changed on purpose.
void Reseal(std::string& bytes) {
  const std::size_t body = bytes.size() - vrk::kChecksumSize;
  std::uint32_t crc = vrk::Crc32(std::string_view(bytes).substr(0, body));
  for (std::size_t i = 0; i < vrk::kChecksumSize; ++i, crc >>= 8) {
    bytes[body + i] = static_cast<char>(crc & 0xFFu);
  }
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i, value >>= 8) bytes[at + i] = static_cast<char>(value & 0xFFu);
}

// Everything the writer can produce that a generated list does not hold.
const std::string kHandMadeList = CrLf({
    "[MORVANE V3 FILE]",
    "[ANTENNA]",
    "0\t4294967296\t1\t2\t3\t4\t5\t6\tAstra",
    "1\t-9223372036854775808\t-1\t0\t0\t0\t0\t0\tHotbird",
    "2\t9223372036854775807\t0\t0\t0\t0\t0\t0\tThor",
    "[TS]",
    "0\t1\t11000\t0\t27500\t0\t0\t0",
    "[NETWORK]",
    "1\tNet\twith\ttabs",
    "",
    "[PROVIDER]",
    "Provider\tWith Tab",
    "[FAVORITE]",
    "0\t1\t0",
    "1\t2\t-1",
    "[SERVICE]",
    "V\t1\t2\t3\t4\t5\t6\tFALSE\tFALSE\tTRUE\t0\t0\tOne\t1",
    "A\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\tDummy Service\t1",
    "[MENU]",
    "menu\twith\ttabs",
    "",
});

const std::string kEmptySections = TestList{}.Text();

TEST(VrkRoundTrip, GeneratedListsComeBackByteForByte) {
  for (const int services : {0, 1, 9, 40, 120, 1000, 5000}) {
    for (const std::uint32_t seed : {1u, 2u, 77u}) {
      const ListGeneratorOptions options{services, 1 + static_cast<int>(seed % 5),
                                         static_cast<int>(seed % 32), seed};
      const std::string text = GenerateChannelListText(options);
      EXPECT_EQ(Decode(Encode(text)), text) << services << " services, seed " << seed;
    }
  }
}

TEST(VrkRoundTrip, HandMadeListsKeepEveryLine) {
  for (const std::string& text : {kHandMadeList, kEmptySections}) {
    EXPECT_EQ(Decode(Encode(text)), text);
  }
  std::string fault;
  const auto tables = vrk::TablesFromText(kHandMadeList, fault);
  ASSERT_TRUE(tables);
  EXPECT_EQ(tables->Table(Section::service).rows, 2u);  // the placeholder is carried
  EXPECT_EQ(tables->Table(Section::favorite).Long(2, 1), -1);
  EXPECT_EQ(tables->Table(Section::antenna).Quad(1, 0), 4294967296LL);
}

TEST(VrkRoundTrip, NonWriterTextComesBackInTheWriterLayout) {
  const std::string text = CrLf({
      "[MORVANE V3 FILE]",
      "ignored before the first header",
      "[SERVICE]",
      "V\t007\t\t\t\t\t\tFALSE",
      "[ANTENNA]",
      "5\t+12\tx\t\t\t\t\t\t  Spaced Name  \textra column",
      "[OTHER]",
      "not a record",
      "[NETWORK]",
      "[MENU]",
  });
  const std::string expected = CrLf({
      "[MORVANE V3 FILE]",
      "[ANTENNA]",
      "5\t12\t0\t0\t0\t0\t0\t0\t  Spaced Name  ",
      "[TS]",
      "[NETWORK]",
      "[PROVIDER]",
      "[FAVORITE]",
      "[SERVICE]",
      "V\t7\t0\t0\t0\t0\t0\tFALSE\t\t\t0\t0\t\t0",
      "[MENU]",
  });
  EXPECT_EQ(Decode(Encode(text)), expected);
}

// Laid out by hand from docs/vrk-format.md, checksum included: the file is 189 (0xBD) bytes.
const std::string kHandBuiltVrk(
    "VRKL\1\0\7\0\xBD\0\0\0\0\0\0\0"                                      // header
    "\1\11\0\0\1\0\0\0"                                                   // [ANTENNA], 1 record
    "\1\0\0\0\0\2\0\0\0\0\1\0\0\0\1\xFF\xFF\xFF\xFF\1\0\0\0\0\1\0\0\0\0"  // 0, 2^32, -1, 0
    "\1\0\0\0\0\1\0\0\0\0\1\7\0\0\0\3\5\0\0\0Astra"                       // 0, 0, 7, "Astra"
    "\2\10\0\0\0\0\0\0\1\1\1\1\1\1\1\1"                                   // [TS], none
    "\3\1\0\0\1\0\0\0\3\3\0\0\0a\tb"                                      // [NETWORK] "a\tb"
    "\4\1\0\0\1\0\0\0\3\3\0\0\0ORF"                                       // [PROVIDER] "ORF"
    "\5\3\0\0\1\0\0\0\1\0\0\0\0\1\7\0\0\0\1\0\0\0\0"                      // [FAVORITE] 0, 7, 0
    "\6\16\0\0\0\0\0\0\3\1\1\1\1\1\1\3\3\3\1\1\3\1"                       // [SERVICE], none
    "\7\1\0\0\1\0\0\0\3\1\0\0\0m"                                         // [MENU] "m"
    "\xEA\x0C\x5B\x61",                                                   // CRC-32
    189);

TEST(VrkDecode, ReadsAFileLaidOutByHandWithTheIeeeChecksum) {
  EXPECT_EQ(vrk::Crc32("123456789"), 0xCBF43926u);  // the known answer of CRC-32 (IEEE)
  EXPECT_EQ(Decode(kHandBuiltVrk),
            CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", "0\t4294967296\t-1\t0\t0\t0\t0\t7\tAstra",
                  "[TS]", "[NETWORK]", "a\tb", "[PROVIDER]", "ORF", "[FAVORITE]", "0\t7\t0",
                  "[SERVICE]", "[MENU]", "m"}));
}

// The checksum, summed several bytes a step, is the CRC-32 whatever the length and the alignment
// of the bytes.
TEST(VrkChecksum, IsTheCrc32ForEveryLengthAndAlignment) {
  EXPECT_EQ(vrk::Crc32(""), 0u);
  auto bit_by_bit = [](std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
      crc ^= static_cast<unsigned char>(c);
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
  };
  std::string bytes;
  for (int i = 0; i < 80; ++i) bytes += static_cast<char>(i * 37 + 11);
  for (std::size_t start = 0; start < 8; ++start) {
    for (std::size_t size = 0; start + size <= bytes.size(); ++size) {
      const std::string_view part = std::string_view(bytes).substr(start, size);
      ASSERT_EQ(vrk::Crc32(part), bit_by_bit(part)) << start << " " << size;
    }
  }
}

TEST(VrkDecode, RejectsDamagedFiles) {
  const std::string good = Encode(kHandMadeList);
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_NE(DecodeFault(good.substr(0, size)).find("truncated"), std::string::npos) << size;
  }
  for (std::size_t at = vrk::kHeaderSize; at < good.size(); ++at) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
    EXPECT_EQ(DecodeFault(flipped), "checksum mismatch") << at;
  }
  std::string magic = good;
  magic[0] = 'X';
  EXPECT_NE(DecodeFault(magic).find("magic"), std::string::npos);
  std::string newer = good;
  newer[4] = 2;
  Reseal(newer);
  EXPECT_NE(DecodeFault(newer).find("version 2 is newer"), std::string::npos);
  std::string longer = good + "x";
  EXPECT_NE(DecodeFault(longer).find("more than"), std::string::npos);
}

TEST(VrkDecode, RejectsCountsAndLengthsTheFileCannotHold) {
  // One menu line "abc": the last block ends in its column type, length and three bytes.
  const std::string good =
      Encode(CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "[PROVIDER]", "[MENU]", "abc"}));
  const std::size_t end = good.size() - vrk::kChecksumSize;
  std::string huge_length = good;
  PutU32(huge_length, end - 3 - 4, 0xFFFFFFF0u);
  Reseal(huge_length);
  EXPECT_EQ(DecodeFault(huge_length),
            "[MENU] text length 4294967280 is larger than the file can hold");
  std::string huge_count = good;
  PutU32(huge_count, end - 3 - 4 - 1 - 4, 0xFFFFFFFFu);
  Reseal(huge_count);
  EXPECT_EQ(DecodeFault(huge_count),
            "[MENU] record count 4294967295 is larger than the file can hold");
}

// A list whose text holds what the text form cannot carry: its text form would hold other records
// than the file (a line end or NUL splits a record, a TAB adds a column, a "[" at the start of a
// line ends its section). The text form itself can never hold such a text.
std::string WithText(Section section, std::size_t column, const std::string& text) {
  std::string fault;
  auto tables = vrk::TablesFromText(kHandMadeList, fault);
  EXPECT_TRUE(tables) << fault;
  if (!tables) return {};
  tables->Table(section).columns[column].texts[0] = text;
  return vrk::EncodeVrk(*tables);
}

TEST(VrkDecode, RefusesTextsThatTheTextFormCannotCarry) {
  const std::string smuggled = "Astra\r\n0\t0\t0\t0\t0\t0\t0\t0\tSmuggled";
  struct Case {
    Section section;
    std::size_t column;  // 0-based
    std::string text;
    std::string fault;
  };
  const std::string cannot = ", which the text form cannot carry";
  const Case cases[] = {
      {Section::antenna, 8, smuggled, "[ANTENNA] record 1 column 9 holds a CR byte" + cannot},
      {Section::antenna, 8, "A\nB", "[ANTENNA] record 1 column 9 holds an LF byte" + cannot},
      {Section::antenna, 8, std::string("A\0B", 3),
       "[ANTENNA] record 1 column 9 holds a NUL byte" + cannot},
      {Section::antenna, 8, "A\tB", "[ANTENNA] record 1 column 9 holds a TAB byte" + cannot},
      {Section::service, 12, "One\tTwo", "[SERVICE] record 1 column 13 holds a TAB byte" + cannot},
      {Section::service, 9, "TRUE\r", "[SERVICE] record 1 column 10 holds a CR byte" + cannot},
      {Section::service, 0, "[MENU]",
       "[SERVICE] record 1 column 1 starts its line with \"[\"" + cannot},
      {Section::network, 0, "net\r\nmore", "[NETWORK] record 1 column 1 holds a CR byte" + cannot},
      {Section::provider, 0, "[ANTENNA]",
       "[PROVIDER] record 1 column 1 starts its line with \"[\"" + cannot},
      {Section::menu, 0, std::string("m\0", 2),
       "[MENU] record 1 column 1 holds a NUL byte" + cannot},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeFault(WithText(c.section, c.column, c.text)), c.fault);
  }
  // Whole lines carry their TABs, and a "[" inside a text is an ordinary byte.
  for (const auto& [section, text] : std::vector<std::pair<Section, std::string>>{
           {Section::network, "a\tb\t"}, {Section::menu, "\t[x"}, {Section::antenna, "A [B]"}}) {
    const std::size_t column = section == Section::antenna ? 8 : 0;
    EXPECT_NE(Decode(WithText(section, column, text)).find(text), std::string::npos) << text;
  }
}

TEST(VrkPrograms, ConvertBothWaysByteForByte) {
  TempFolder folder;
  const std::vector<std::string> lists = {
      kHandMadeList, kEmptySections,
      GenerateChannelListText({.services = 50000, .antennas = 32, .first_antenna = 0, .seed = 9})};
  for (const std::string& text : lists) {
    WriteFile(folder / "in.txt", text);
    ASSERT_EQ(RunProgram("mvt2vrk", {folder / "in.txt", folder / "list.vrk"}), 0);
    ASSERT_EQ(RunProgram("vrk2mvt", {folder / "list.vrk", folder / "out.txt"}), 0);
    EXPECT_EQ(ReadFile(folder / "out.txt"), text);
  }
}

TEST(VrkPrograms, BadInputLeavesTheTargetAlone) {
  TempFolder folder;
  const std::string good = Encode(kHandMadeList);
  std::string flipped = good;
  flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 1);
  std::string newer = good;
  newer[4] = 9;
  Reseal(newer);
  for (const std::string& bad : {"XXXX" + good.substr(4), newer, good.substr(0, 10),
                                 good.substr(0, good.size() - 1), flipped}) {
    WriteFile(folder / "bad.vrk", bad);
    EXPECT_EQ(RunProgram("vrk2mvt", {folder / "bad.vrk", folder / "new.txt"}), 2);
    EXPECT_FALSE(Exists(folder / "new.txt"));
    WriteFile(folder / "old.txt", "old");
    EXPECT_EQ(RunProgram("vrk2mvt", {folder / "bad.vrk", folder / "old.txt"}), 2);
    EXPECT_EQ(ReadFile(folder / "old.txt"), "old");
  }
  WriteFile(folder / "plain.txt", CrLf({"[VRK_SPLIT_MERGE]", "[ANTENNA]"}));
  WriteFile(folder / "old.vrk", "old");
  EXPECT_EQ(RunProgram("mvt2vrk", {folder / "plain.txt", folder / "old.vrk"}), 2);
  EXPECT_EQ(ReadFile(folder / "old.vrk"), "old");
  EXPECT_EQ(RunProgram("mvt2vrk", {folder / "missing.txt", folder / "new.vrk"}), 2);
  EXPECT_FALSE(Exists(folder / "new.vrk"));
}

TEST(VrkPrograms, UsageAndWriteErrors) {
  TempFolder folder;
  WriteFile(folder / "in.txt", kEmptySections);
  for (const char* program : {"vrk2mvt", "mvt2vrk"}) {
    EXPECT_EQ(RunProgram(program, {}), 1);
    EXPECT_EQ(RunProgram(program, {folder / "in.txt"}), 1);
    EXPECT_EQ(RunProgram(program, {folder / "in.txt", folder / "a", folder / "b"}), 1);
  }
  EXPECT_EQ(RunProgram("mvt2vrk", {folder / "in.txt", folder / "no/such/folder/x.vrk"}), 3);
  WriteFile(folder / "in.vrk", Encode(kEmptySections));
  EXPECT_EQ(RunProgram("vrk2mvt", {folder / "in.vrk", folder / "no/such/folder/x.txt"}), 3);
}

// The programs' messages: one line on the error stream, naming the file at fault.
TEST(VrkPrograms, MessagesNameTheFile) {
  TempFolder folder;
  WriteFile(folder / "bad.vrk", "VRKL");
  WriteFile(folder / "bad.txt", "no header\r\n");
  WriteFile(folder / "in.txt", kEmptySections);
  WriteFile(folder / "smuggling.vrk", WithText(Section::antenna, 8, "Astra\r\nSmuggled"));
  struct Case {
    int (*run)(const std::vector<std::string>&, std::ostream&);
    std::string source;
    std::string target;
    int status;
    std::string named;
    std::string fault;
  };
  const std::string unwritable = folder / "missing/x.vrk";
  for (const Case& c : std::vector<Case>{
           {vrk::RunVrkToText, folder / "bad.vrk", folder / "o.txt", 2, folder / "bad.vrk",
            "truncated"},
           {vrk::RunTextToVrk, folder / "bad.txt", folder / "o.vrk", 2, folder / "bad.txt",
            "first line is not [MORVANE V3 FILE]"},
           {vrk::RunTextToVrk, folder / "in.txt", unwritable, 3, unwritable, "cannot be written"},
           {vrk::RunVrkToText, folder / "smuggling.vrk", folder / "o.txt", 2,
            folder / "smuggling.vrk", "[ANTENNA] record 1 column 9 holds a CR byte"},
       }) {
    std::ostringstream errors;
    EXPECT_EQ(c.run({c.source, c.target}, errors), c.status);
    EXPECT_FALSE(Exists(c.target));
    const std::string message = errors.str();
    EXPECT_NE(message.find(c.named + ": "), std::string::npos) << message;
    EXPECT_NE(message.find(c.fault), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
  }
}

// What the tool's own save writes converts back unchanged, whatever the options.
class SavedListRoundTrip : public WorkspaceTest {};

TEST_F(SavedListRoundTrip, ConvertsBackByteForByte) {
  TestList in;
  in.antennas = {AntennaLine("  Astra  ", "9\t4294967296\t007\t\t\t\t\t"),
                 AntennaLine("", "0\t1\t2\t3\t4\t5\t6\t7")};
  in.transponders = {"0\t1\t11000\t0\t27500\t0\t0\t0", "1\t1\t12000\t0\t27500\t0\t0\t0"};
  in.networks = {"net\twith\ttabs"};
  in.providers = {"One"};
  in.favorites = {"0\t1\t0", "1\t1\t0"};
  in.services = {ServiceLine("V", 0, 0, "TV One", 1, {.flag8 = "FALSE", .scrambled = "TRUE"}),
                 ServiceLine("A", 1, 0, "Radio One", 1, {.flag8 = "FALSE"})};
  in.menus = {""};
  WriteList("in.txt", in.Text());
  for (const bool remove_radios : {false, true}) {
    for (const Naming naming : {Naming::keep_existing_names, Naming::use_antenna_names}) {
      ASSERT_TRUE(Load("in.txt"));
      workspace.options.remove_radios = remove_radios;
      workspace.options.naming = naming;
      ASSERT_TRUE(SaveList(workspace, Path("saved.txt")));
      const std::string saved = ReadFile(Path("saved.txt"));
      ASSERT_EQ(RunProgram("mvt2vrk", {Path("saved.txt"), Path("saved.vrk")}), 0);
      ASSERT_EQ(RunProgram("vrk2mvt", {Path("saved.vrk"), Path("back.txt")}), 0);
      EXPECT_EQ(ReadFile(Path("back.txt")), saved);
    }
  }
}

// Names about the lengths at which a length that spends 7 bits a byte takes one byte more: each
// comes back as it was, through a save to .vrk (read back before it is put in place) and a load.
TEST_F(SavedListRoundTrip, ServiceNamesOfEveryLengthComeBackAsTheyWere) {
  const std::size_t lengths[] = {127, 128, 129, 16383, 16384};
  TestList in;
  in.antennas = {AntennaLine("Astra")};
  in.transponders = {TransponderLine(0)};
  in.providers = {"One"};
  std::vector<std::string> names;
  for (const std::size_t length : lengths) {
    names.push_back(std::string(length - 1, 'n') + static_cast<char>('0' + names.size()));
    in.services.push_back(ServiceLine("V", 0, 0, names.back()));
  }
  WriteList("in.txt", in.Text());
  ASSERT_TRUE(Load("in.txt"));
  ASSERT_TRUE(SaveList(workspace, Path("saved.vrk")));
  ASSERT_TRUE(Load("saved.vrk"));
  EXPECT_TRUE(platform.messages.empty());
  ASSERT_EQ(workspace.main_set.tv_services.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(workspace.main_set.tv_services[i].name(), names[i]) << lengths[i] << " bytes";
  }
}

// A save to .vrk and a load of that file go through both programs.
TEST_F(SavedListRoundTrip, SavedVrkLoadsBack) {
  WriteList("in.txt", GenerateChannelListText({.services = 60, .antennas = 3, .seed = 4}));
  ASSERT_TRUE(Load("in.txt"));
  ASSERT_TRUE(SaveList(workspace, Path("saved.vrk")));
  const std::string text_form = workspace.settings.text_file;
  const std::string saved = ReadFile(text_form);
  ASSERT_TRUE(Load("saved.vrk"));
  EXPECT_EQ(workspace.settings.text_file, text_form);
  EXPECT_EQ(ReadFile(text_form), saved);
  EXPECT_EQ(workspace.main_set.tv_services.size(), 48u);
}

}  // namespace
}  // namespace vsm
