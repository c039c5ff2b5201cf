#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/reader.h"
#include "model/first_by_name.h"
#include "model/settings.h"
#include "platform/paths.h"
#include "platform/windows_1252.h"
#include "split/piece_name.h"
#include "split/provider_naming.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

// ---- Piece names ----

TEST(Windows1252ToUtf8, KeepsAsciiAndConvertsEveryHighByte) {
  EXPECT_EQ(Windows1252ToUtf8("Astra 19.2/E"), "Astra 19.2/E");
  EXPECT_EQ(Windows1252ToUtf8("19.2\260E"), "19.2\xC2\260E");
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
  EXPECT_EQ(Windows1252ToUtf8("\x8A"), "\xC5\xA0");      // S with caron
  EXPECT_EQ(Windows1252ToUtf8("\xE9\xFF"), "\xC3\xA9\xC3\xBF");
  // Undefined in Windows-1252: the character of the same number.
  for (const char* byte : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
    const std::string expected = std::string("\xC2") + byte;
    EXPECT_EQ(Windows1252ToUtf8(byte), expected);
  }
}

TEST(TextForUtf8Display, KeepsUtf8AndConvertsWindows1252Bytes) {
  EXPECT_EQ(TextForUtf8Display("Astra 19.2E\r\n"), "Astra 19.2E\r\n");
  EXPECT_EQ(TextForUtf8Display("caf\xC3\xA9/4\xB0W"), "caf\xC3\xA9/4\xC2\xB0W");
  EXPECT_EQ(TextForUtf8Display("\xE2\x82\xAC \xF0\x9F\x93\xA1 \xF4\x8F\xBF\xBF"),
            "\xE2\x82\xAC \xF0\x9F\x93\xA1 \xF4\x8F\xBF\xBF");
  EXPECT_EQ(TextForUtf8Display("\x80\x9F"), "\xE2\x82\xAC\xC5\xB8");
}

TEST(TextForUtf8Display, ConvertsEveryByteOfMalformedUtf8) {
  EXPECT_EQ(TextForUtf8Display("x\xC3"), "x\xC3\x83");                  // cut off at the end
  EXPECT_EQ(TextForUtf8Display("\xC3x"), "\xC3\x83x");                  // not continued
  EXPECT_EQ(TextForUtf8Display("\xE2\x82x"), "\xC3\xA2\xE2\x80\x9Ax");  // third byte not continued
  EXPECT_EQ(TextForUtf8Display("\xF0\x9F\x93x"),
            "\xC3\xB0\xC5\xB8\xE2\x80\x9Cx");                     // fourth byte not continued
  EXPECT_EQ(TextForUtf8Display("\xC0\xAF"), "\xC3\x80\xC2\xAF");  // overlong "/"
  EXPECT_EQ(TextForUtf8Display("\xE0\x80\xAF"), "\xC3\xA0\xE2\x82\xAC\xC2\xAF");  // overlong
  EXPECT_EQ(TextForUtf8Display("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // surrogate
  EXPECT_EQ(TextForUtf8Display("\xF4\x90\x80\x80"),
            "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC");  // above U+10FFFF
  EXPECT_EQ(TextForUtf8Display("\xF5\xFF"), "\xC3\xB5\xC3\xBF");
  EXPECT_EQ(TextForUtf8Display("\xB0"), "\xC2\xB0");  // a continuation byte alone
  EXPECT_EQ(TextForUtf8Display("\x81"), "\xC2\x81");  // undefined in Windows-1252
}

TEST(PieceStem, ReplacesWhatFileSystemsRefuse) {
  EXPECT_EQ(PieceStem("Astra 19.2/E"), "Astra_19.2_E");
  EXPECT_EQ(PieceStem("  A B  "), "A_B");
  EXPECT_EQ(PieceStem("a\\b<c>d:e\"f|g?h*i"), "a_b_c_d_e_f_g_h_i");
  EXPECT_EQ(PieceStem(std::string("a\tb\x01") + "c\x1F"), "a_b_c_");
  EXPECT_EQ(PieceStem("Sky.de-(HD)+"), "Sky.de-(HD)+");
}

// The superscript digits ¹, ² and ³ (Windows-1252 0xB9, 0xB2, 0xB3) in a piece's file name.
#ifdef _WIN32
constexpr std::string_view kSuperscripts[] = {"\xB9", "\xB2", "\xB3", "\xB4"};
#else
constexpr std::string_view kSuperscripts[] = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xC2\xB4"};
#endif

TEST(PieceStem, NeverNamesAWindowsDevice) {
  const auto& [one, two, three, acute] = kSuperscripts;
  const std::pair<std::string, std::string> cases[] = {
      {"CON", "CON_"},
      {"nul", "nul_"},
      {"Com1", "Com1_"},
      {"LPT9.x", "LPT9_.x"},
      {"COM0", "COM0_"},
      {"lpt0", "lpt0_"},
      {"COM\xB9", "COM" + std::string(one) + "_"},
      {"com\xB2.tv", "com" + std::string(two) + "_.tv"},
      {"LPT\xB3", "LPT" + std::string(three) + "_"},
      {"CONIN$", "CONIN$_"},
      {"conout$.x", "conout$_.x"},
      // Names that only look like devices.
      {"COM10", "COM10"},
      {"COM\xB4", "COM" + std::string(acute)},
      {"CONIN", "CONIN"},
      {"CONSOLE", "CONSOLE"},
      {"Aux 2", "Aux_2"},
  };
  for (const auto& [name, stem] : cases) EXPECT_EQ(PieceStem(name), stem) << name;
}

#ifndef _WIN32
TEST(PieceStem, IsUtf8AndAtMost200BytesOnLinux) {
  EXPECT_EQ(PieceStem("19.2\260E"), "19.2\xC2\260E");
  EXPECT_EQ(PieceStem(std::string(250, 'a')), std::string(200, 'a'));
  // The conversion comes before the cut: 199 letters and a two-byte degree sign make 201 bytes.
  EXPECT_EQ(PieceStem(std::string(199, 'a') + "\xB0"), std::string(199, 'a'));
  EXPECT_EQ(PieceStem(std::string(198, 'a') + "\xB0"), std::string(198, 'a') + "\xC2\xB0");
  EXPECT_EQ(PieceStem(std::string(198, 'a') + "\x80"), std::string(198, 'a'));  // euro sign
  EXPECT_EQ(PieceStem(std::string(197, 'a') + "\x80"), std::string(197, 'a') + "\xE2\x82\xAC");
  // The replacements come before the cut, and trailing blanks are trimmed first.
  EXPECT_EQ(PieceStem(std::string(199, 'a') + " b   "), std::string(199, 'a') + "_");
}
#endif

TEST(PieceNamer, NumbersNamesThatAnEarlierPieceHadIgnoringCase) {
  PieceNamer names;
  EXPECT_EQ(names.Next("Astra"), "Astra.vrk");
  EXPECT_EQ(names.Next("astra"), "astra_2.vrk");
  EXPECT_EQ(names.Next("ASTRA"), "ASTRA_3.vrk");
  EXPECT_EQ(names.Next("A B"), "A_B.vrk");
  EXPECT_EQ(names.Next("A/B"), "A_B_2.vrk");
  EXPECT_EQ(names.Next("Hotbird"), "Hotbird.vrk");
  EXPECT_EQ(names.Next("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ.vrk");
  EXPECT_EQ(names.Next("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrstuvwxyz_2.vrk");
}

// The name a piece gets on the file system: UTF-8 on Linux, the 8-bit name on Windows.
std::string OnDisk([[maybe_unused]] const std::string& utf8,
                   [[maybe_unused]] const std::string& windows1252) {
#ifdef _WIN32
  return windows1252;
#else
  return utf8;
#endif
}

// FAT, exFAT and NTFS take these Windows-1252 letters for the same letter in either case: a
// second piece so named would overwrite the first on such a disk (a USB stick, a Windows folder).
TEST(PieceNamer, NumbersNamesThatWindowsFileSystemsTakeForTheSame) {
  struct Pair {
    const char* upper;  // Windows-1252
    const char* lower;
    const char* upper_utf8;
    const char* lower_utf8;
  };
  const Pair pairs[] = {
      {"\xC9T\xC9", "\xE9t\xE9", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"},  // ÉTÉ, été
      {"\xC0", "\xE0", "\xC3\x80", "\xC3\xA0"},                              // À à
      {"\xD6", "\xF6", "\xC3\x96", "\xC3\xB6"},                              // Ö ö
      {"\xD8", "\xF8", "\xC3\x98", "\xC3\xB8"},                              // Ø ø
      {"\xDE", "\xFE", "\xC3\x9E", "\xC3\xBE"},                              // Þ þ
      {"\x8A", "\x9A", "\xC5\xA0", "\xC5\xA1"},                              // Š š
      {"\x8C", "\x9C", "\xC5\x92", "\xC5\x93"},                              // Œ œ
      {"\x8E", "\x9E", "\xC5\xBD", "\xC5\xBE"},                              // Ž ž
      {"\x9F", "\xFF", "\xC5\xB8", "\xC3\xBF"},                              // Ÿ ÿ
  };
  for (const Pair& pair : pairs) {
    PieceNamer names;
    EXPECT_EQ(names.Next(pair.upper), OnDisk(pair.upper_utf8, pair.upper) + ".vrk");
    EXPECT_EQ(names.Next(pair.lower), OnDisk(pair.lower_utf8, pair.lower) + "_2.vrk");
  }
  // Letters that no Windows file system folds together stay apart.
  const Pair apart[] = {
      {"\xD7", "\xF7", "\xC3\x97", "\xC3\xB7"},  // × ÷
      {"SS", "\xDF", "SS", "\xC3\x9F"},          // ß
      {"Y", "\xFF", "Y", "\xC3\xBF"},            // ÿ
      {"E", "\xC9", "E", "\xC3\x89"},            // É
  };
  for (const Pair& pair : apart) {
    PieceNamer names;
    EXPECT_EQ(names.Next(pair.upper), OnDisk(pair.upper_utf8, pair.upper) + ".vrk");
    EXPECT_EQ(names.Next(pair.lower), OnDisk(pair.lower_utf8, pair.lower) + ".vrk");
  }
}

// A long name is cut alike on every system, to what fits 200 bytes of UTF-8, so that the same
// names collide everywhere and both systems give the same pieces.
TEST(PieceNamer, CutsAlikeOnEverySystem) {
  PieceNamer names;
  const std::string accents(120, '\xE9');  // 240 bytes of UTF-8
  EXPECT_EQ(names.Next(accents),
            OnDisk(Windows1252ToUtf8(std::string(100, '\xE9')), std::string(100, '\xE9')) + ".vrk");
  EXPECT_EQ(
      names.Next(std::string(100, '\xC9') + "x"),
      OnDisk(Windows1252ToUtf8(std::string(100, '\xC9')), std::string(100, '\xC9')) + "_2.vrk");
}

TEST(PieceNamer, TakesTheSmallestFreeNumber) {
  PieceNamer names;
  EXPECT_EQ(names.Next("X_2"), "X_2.vrk");
  EXPECT_EQ(names.Next("X"), "X.vrk");
  EXPECT_EQ(names.Next("X"), "X_3.vrk");
  EXPECT_EQ(names.Next("x_4"), "x_4.vrk");
  EXPECT_EQ(names.Next("X"), "X_5.vrk");
  EXPECT_EQ(names.Next("X_3"), "X_3_2.vrk");
}

TEST(PieceNamer, NumberFollowsTheCutName) {
  PieceNamer names;
  const std::string long_name(230, 'n');
  EXPECT_EQ(names.Next(long_name), std::string(200, 'n') + ".vrk");
  EXPECT_EQ(names.Next(long_name + "m"), std::string(200, 'n') + "_2.vrk");
}

// ---- Piece names within the path limit of Windows ----

// Settings whose start folder, separator included, is `length` characters long.
Settings StartFolderOf(std::size_t length) {
  Settings settings;
  settings.start_folder = std::string(length - 1, 'f') + kFolderSeparator;
  return settings;
}

// The longest path written for a piece named N is its conversion's temporary output,
// <start folder>VrkResult\.vsmNNN\N.vrk.<16 hex digits>.tmp: 43 characters more than the start
// folder and N.
TEST(PieceNameRoom, IsWhatTheLongestPathOfAPieceLeaves) {
  EXPECT_EQ(PieceNameRoom(StartFolderOf(64), 259), 152u);
  EXPECT_EQ(PieceNameRoom(StartFolderOf(3), 259), 213u);  // C:\ .
  EXPECT_EQ(PieceNameRoom(StartFolderOf(200), 259), 16u);
  EXPECT_EQ(PieceNameRoom(StartFolderOf(216), 259), 0u);
  EXPECT_EQ(PieceNameRoom(StartFolderOf(245), 259), 0u);
  // Where the text form's path is the longer one, it decides: VrkWork\N.vrk.txt.<...>.tmp.
  Settings settings = StartFolderOf(64);
  settings.work_folder = std::string(20, 'w') + kFolderSeparator;
  EXPECT_EQ(PieceNameRoom(settings, 259), 145u);
  // Without a limit (Linux), only the 200 bytes hold.
  EXPECT_EQ(PieceNameRoom(StartFolderOf(245), std::nullopt), std::nullopt);
}

TEST(PieceNamer, CutsNamesToTheRoomAndTheNumberFitsInIt) {
  PieceNamer names(20);
  EXPECT_EQ(names.Next(std::string(30, 'a')), std::string(20, 'a') + ".vrk");
  EXPECT_EQ(names.Next(std::string(25, 'A')), std::string(18, 'A') + "_2.vrk");
  EXPECT_EQ(names.Next(std::string(20, 'a')), std::string(18, 'a') + "_3.vrk");
  for (int number = 4; number <= 9; ++number) names.Next(std::string(21, 'a'));
  EXPECT_EQ(names.Next(std::string(21, 'a')), std::string(17, 'a') + "_10.vrk");
  EXPECT_EQ(names.Next("Astra 19.2/E"), "Astra_19.2_E.vrk");  // short names stay whole
  EXPECT_EQ(names.Next("astra 19.2/e"), "astra_19.2_e_2.vrk");
  EXPECT_EQ(names.Next(std::string(18, 'x') + "_2"), std::string(18, 'x') + "_2.vrk");
  EXPECT_EQ(names.Next(std::string(30, 'x')), std::string(20, 'x') + ".vrk");
  // Cut to 18 for its number, it meets the name just taken: the next number is free.
  EXPECT_EQ(names.Next(std::string(30, 'X')), std::string(18, 'X') + "_3.vrk");
}

TEST(PieceNamer, CutsForThePathOnCharactersAndFoldsCaseAsWindows) {
  PieceNamer names(20);
  const std::string accents(20, '\xE9');  // é: one character, two bytes of UTF-8
  EXPECT_EQ(names.Next(accents + "x"), OnDisk(Windows1252ToUtf8(accents), accents) + ".vrk");
  const std::string capitals(18, '\xC9');  // É
  EXPECT_EQ(names.Next(std::string(21, '\xC9')),
            OnDisk(Windows1252ToUtf8(capitals), capitals) + "_2.vrk");
  // Where the room is larger, the 200 bytes of UTF-8 still hold.
  PieceNamer roomy(250);
  EXPECT_EQ(roomy.Next(std::string(120, '\xE9')),
            OnDisk(Windows1252ToUtf8(std::string(100, '\xE9')), std::string(100, '\xE9')) + ".vrk");
  EXPECT_EQ(roomy.Next(std::string(230, 'n')), std::string(200, 'n') + ".vrk");
  EXPECT_EQ(roomy.Next(std::string(201, 'n')), std::string(200, 'n') + "_2.vrk");
}

TEST(PieceNamer, NeverCutsBelowSixteenCharactersNorToADevice) {
  PieceNamer names(0);  // a start folder so deep that no piece fits: its write is reported
  EXPECT_EQ(names.Next(std::string(30, 'a')), std::string(16, 'a') + ".vrk");
  EXPECT_EQ(names.Next(std::string(30, 'a')), std::string(14, 'a') + "_2.vrk");
  EXPECT_EQ(names.Next("Provider"), "Provider.vrk");
  EXPECT_EQ(names.Next("CON.provider.of.many.channels"), "CON_.provider.of.vrk");
  EXPECT_EQ(names.Next("con.provider.of.many.channels"), "con_.provider._2.vrk");
}

// ---- Generated providers ----

class ProviderNamingTest : public WorkspaceTest {
 protected:
  void LoadAntennas(std::initializer_list<std::string_view> names) {
    WriteList("list.txt", AntennasOnlyListText(names));
    ASSERT_TRUE(Load("list.txt"));
  }
  std::vector<std::string> Generated() const {
    std::vector<std::string> names;
    for (const Provider& p : workspace.main_set.generated_providers) {
      EXPECT_EQ(p.list_index, static_cast<std::int32_t>(names.size()));
      EXPECT_TRUE(p.used);
      names.push_back(p.name);
    }
    return names;
  }
  using Names = std::vector<std::string>;
};

TEST_F(ProviderNamingTest, AntennaNamesGiveOneProviderPerAntenna) {
  LoadAntennas({"Astra", "Hotbird"});
  workspace.options.naming = Naming::use_antenna_names;
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(Generated(), (Names{"Astra", "Hotbird"}));
}

TEST_F(ProviderNamingTest, DividedProvidersPutAllFreeToAirOnesFirst) {
  LoadAntennas({"Astra", "Hotbird"});
  workspace.options.naming = Naming::use_antenna_names;
  workspace.options.divide_fta_notfta = true;
  workspace.main_set.antennas[0].selected = false;  // unselected antennas contribute too
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(Generated(), (Names{"Fta Astra", "Fta Hotbird", "Astra", "Hotbird"}));
  const Antenna& hotbird = workspace.main_set.antennas[1];
  EXPECT_EQ(GeneratedProviderOf(workspace, hotbird, false)->name, "Fta Hotbird");
  EXPECT_EQ(GeneratedProviderOf(workspace, hotbird, true)->name, "Hotbird");
}

TEST_F(ProviderNamingTest, ExistingNamesLeaveTheTableAloneButStillBuildTheList) {
  LoadAntennas({"Astra"});
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(Generated(), Names{"Astra"});
  EXPECT_FALSE(Exists(workspace.settings.KeepPath("sat_position.txt")));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ProviderNamingTest, RebuildingReplacesTheList) {
  LoadAntennas({"Astra", "Hotbird"});
  workspace.options.naming = Naming::use_antenna_names;
  workspace.options.divide_fta_notfta = true;
  BuildGeneratedProviders(workspace);
  workspace.options.divide_fta_notfta = false;
  BuildGeneratedProviders(workspace);
  EXPECT_EQ(Generated(), (Names{"Astra", "Hotbird"}));
}

TEST_F(ProviderNamingTest, ATableRowLabelsTheFirstAntennaOfExactlyItsName) {
  LoadAntennas({"Astra", "astra", "Astra"});
  WriteFile(workspace.settings.KeepPath("sat_position.txt"), CrLf({"19.2\260E\tAstra"}));
  workspace.options.naming = Naming::use_satellite_position;
  ApplySatellitePositions(workspace);
  std::vector<std::string> labels;
  for (const Antenna& antenna : workspace.main_set.antennas)
    labels.emplace_back(antenna.sat_position);
  EXPECT_EQ(labels, (std::vector<std::string>{"19.2\260E", "astra", "Astra"}));
}

// ---- Piece names in the splits ----

class PieceNamesInSplits : public WorkspaceTest {
 protected:
  // Two antennas whose names become the same file name, one service each.
  void LoadCollidingList() {
    WriteList(
        "list.txt",
        CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("A/B"),
              AntennaLine("a b", "1\t0\t0\t0\t0\t0\t0\t0"), "[TS]",
              TransponderLine(0, "1\t2\t3\t4\t5\t6\t7"), TransponderLine(1, "1\t2\t3\t4\t5\t6\t7"),
              "[NETWORK]", "[PROVIDER]", "P:1", "p?1", "[SERVICE]", ServiceLine("V", 0, 0, "First"),
              ServiceLine("V", 1, 1, "Second", 2), "[MENU]"}));
    ASSERT_TRUE(Load("list.txt"));
  }
  std::string ServiceIn(const std::string& piece) {
    const std::string text = ReadFile(workspace.settings.WorkPath(piece + ".txt"));
    return text.find("First") != std::string::npos    ? "First"
           : text.find("Second") != std::string::npos ? "Second"
                                                      : "";
  }
};

TEST_F(PieceNamesInSplits, CollidingAntennaNamesGetNumberedPieces) {
  LoadCollidingList();
  // A piece of an earlier run under the numbered name is replaced, not kept.
  WriteFile(workspace.settings.WorkPath("a_b_2.vrk.txt"), "old");
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  EXPECT_EQ(ServiceIn("A_B.vrk"), "First");
  EXPECT_EQ(ServiceIn("a_b_2.vrk"), "Second");
  const std::string script = ReadFile(Path("antenna_list.txt"));
  EXPECT_NE(script.find("load " + workspace.settings.ResultPath("A_B.vrk") + "\r\n"),
            std::string::npos);
  EXPECT_NE(script.find("merge " + workspace.settings.ResultPath("a_b_2.vrk") + "\r\n"),
            std::string::npos);
  EXPECT_EQ(workspace.settings.current_file, workspace.settings.ResultPath("a_b_2.vrk"));
  EXPECT_EQ(workspace.settings.text_file, workspace.settings.WorkPath("a_b_2.vrk.txt"));
}

TEST_F(PieceNamesInSplits, CollidingProviderNamesGetNumberedPieces) {
  LoadCollidingList();
  SplitPerProvider(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 providers");
  EXPECT_EQ(ServiceIn("P_1.vrk"), "First");
  EXPECT_EQ(ServiceIn("p_1_2.vrk"), "Second");
}

// On a case-blind disk "ÉTÉ.vrk" and "été.vrk" are one file: the split must give two names.
TEST_F(PieceNamesInSplits, AntennasThatDifferInLetterCaseOnlyGetTwoPieces) {
  WriteList("list.txt", CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("\xC9T\xC9"),
                              AntennaLine("\xE9t\xE9", "1\t0\t0\t0\t0\t0\t0\t0"), "[TS]",
                              TransponderLine(0, "1\t2\t3\t4\t5\t6\t7"),
                              TransponderLine(1, "1\t2\t3\t4\t5\t6\t7"), "[NETWORK]", "[PROVIDER]",
                              "P", "[SERVICE]", ServiceLine("V", 0, 0, "First"),
                              ServiceLine("V", 1, 0, "Second", 2), "[MENU]"}));
  ASSERT_TRUE(Load("list.txt"));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  const std::string first = OnDisk("\xC3\x89T\xC3\x89.vrk", "\xC9T\xC9.vrk");
  const std::string second = OnDisk("\xC3\xA9t\xC3\xA9_2.vrk", "\xE9t\xE9_2.vrk");
  EXPECT_EQ(ServiceIn(first), "First");
  EXPECT_EQ(ServiceIn(second), "Second");
  const std::string script = ReadFile(Path("antenna_list.txt"));
  EXPECT_NE(script.find("load " + workspace.settings.ResultPath(first) + "\r\n"),
            std::string::npos);
  EXPECT_NE(script.find("merge " + workspace.settings.ResultPath(second) + "\r\n"),
            std::string::npos);
}

#ifndef _WIN32
TEST_F(PieceNamesInSplits, SatellitePositionsGiveUtf8PieceNames) {
  LoadCollidingList();
  WriteFile(workspace.settings.KeepPath("sat_position.txt"), CrLf({"19.2\260E\tA/B"}));
  workspace.options.naming = Naming::use_satellite_position;
  SplitPerProvider(workspace, Button::split);
  const std::string piece = "19.2\xC2\260E.vrk";
  EXPECT_EQ(ServiceIn(piece), "First");
  EXPECT_EQ(ServiceIn("a_b.vrk"), "Second");
  // The provider line inside the piece keeps the list's own 8-bit text.
  EXPECT_NE(
      ReadFile(workspace.settings.WorkPath(piece + ".txt")).find("[PROVIDER]\r\n19.2\260E\r\n"),
      std::string::npos);
  EXPECT_NE(ReadFile(Path("provider_list.txt"))
                .find("load " + workspace.settings.ResultPath(piece) + "\r\n"),
            std::string::npos);
}
#endif

}  // namespace
}  // namespace vsm
