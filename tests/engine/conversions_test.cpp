// The conversions between the binary and the text form: the converter programs are found and
// started with the right names, their output is read or put in place. Converters that are
// missing, fail, die half-way or hang, and binary lists that are truncated or corrupt, are each
// reported with the file concerned and the converter's reason, leave no half-written file under a
// final name, destroy no earlier file, leave no program of theirs running, and the next
// operation works.

#include "format/conversions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "converters/channel_tables.h"
#include "converters/vrk_binary.h"
#include "format/reader.h"
#include "format/writer.h"
#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "split/save_driver.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

const std::string kTextForm = CrLf({"[MORVANE V3 FILE]", "[NETWORK]", "converted"});

// Converter programs made up by the tests: small shell scripts, each started directly as the
// program (not through a shell command line), as the tool starts the real ones.
class ConverterTest : public WorkspaceTest {
 protected:
  ConverterTest() { workspace.settings.converter_folder = programs.path(); }
#ifdef _WIN32
  void SetUp() override { GTEST_SKIP() << "the made-up converters are POSIX shell scripts"; }
#endif

  // A converter whose program is the shell script `body`; nullptr: no such program.
  static void Install(const std::string& folder, std::string_view name, const char* body) {
    const std::string program = folder + std::string(name) + kExecutableSuffix;
    RemoveFile(program);
    if (body == nullptr) return;
    WriteFile(program, "#!/bin/sh\n" + std::string(body) + "\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  void InstallToText(const std::string& body) {
    Install(programs.path(), kToTextConverter, body.c_str());
  }
  void InstallToBinary(const std::string& body) {
    Install(programs.path(), kToBinaryConverter, body.c_str());
  }
  // The converters that this project builds, copied in as the working ones.
  void InstallRealConverter(std::string_view name) {
    const std::string program = std::string(name) + kExecutableSuffix;
    RemoveFile(programs.path() + program);
    std::filesystem::copy_file(ExecutableFolder() + program, programs.path() + program);
  }

  // A binary list whose "conversion" by a copying converter is `content`.
  bool LoadBinary(std::string_view name, std::string_view content = kTextForm) {
    WriteList(name, content);
    return Load(name);
  }
  std::string TextFormOf(std::string_view file) const {
    return workspace.settings.WorkPath(std::string(FilePart(file)) + ".txt");
  }
  void ExpectNotFound(std::string_view file, std::string_view reason_line) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + Path(file) + "\r\n" +
                                             TextFormOf(file) + std::string(reason_line));
    EXPECT_FALSE(Exists(TextFormOf(file)));
    EXPECT_TRUE(workspace.loaded_files.empty());
  }

  TempFolder programs;
};

TEST_F(ConverterTest, AConverterThatSucceedsIsRead) {
  InstallToText("cp \"$1\" \"$2\"");
  ASSERT_TRUE(LoadBinary("a.vrk"));
  EXPECT_EQ(workspace.settings.text_file, TextFormOf("a.vrk"));
  EXPECT_EQ(workspace.settings.converter_command, programs.path() + kToTextConverter +
                                                      kExecutableSuffix + " " + Path("a.vrk") +
                                                      " " + TextFormOf("a.vrk"));
  ASSERT_EQ(workspace.main_set.networks.size(), 1u);
  EXPECT_EQ(workspace.main_set.networks[0].text, "converted");
  ASSERT_EQ(workspace.loaded_files.size(), 1u);
  EXPECT_EQ(workspace.loaded_files[0].path, Path("a.vrk"));
  EXPECT_TRUE(Exists(TextFormOf("a.vrk")));  // the text form stays in the work folder
  EXPECT_TRUE(platform.messages.empty());
}

// Lists named in capitals, as a receiver's stick or an older tool names them: ".TXT" is ".txt".
TEST_F(ConverterTest, AnEndingInCapitalsIsTheTextForm) {
  InstallToText("exit 1");
  for (const char* name : {"LIST.TXT", "list.Txt"}) {
    ASSERT_TRUE(LoadBinary(name)) << name;
    EXPECT_EQ(workspace.settings.text_file, Path(name));
  }
  EXPECT_FALSE(Exists(workspace.settings.WorkPath("LIST.TXT.txt")));
}

TEST_F(ConverterTest, OutputThatIsNotAListIsRefusedWithItsFirstLine) {
  InstallToText("printf 'garbage\\tline\\r\\n[MORVANE V3 FILE]\\r\\n' > \"$2\"");
  EXPECT_FALSE(LoadBinary("a.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  EXPECT_EQ(platform.messages[0].text, "LoadThisFile: this file is not [MORVANE V3 FILE]\r\n" +
                                           Path("a.vrk") + "\r\ngarbage\tline");
  EXPECT_TRUE(workspace.loaded_files.empty());
}

TEST_F(ConverterTest, AnEmptyTextFormIsNotAList) {
  InstallToText(": > \"$2\"");
  EXPECT_FALSE(LoadBinary("a.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "LoadThisFile: this file is not [MORVANE V3 FILE]\r\n" + Path("a.vrk") + "\r\n");
}

TEST_F(ConverterTest, FailedHungOrMissingConvertersLeaveNoTextForm) {
  workspace.settings.converter_timeout_seconds = 1;
  struct Case {
    const char* label;
    const char* program;  // nullptr: no converter at all
    const char* reason;   // "": the converter ended well, there is nothing to add
  };
  const Case cases[] = {
      {"fails after writing", "cp \"$1\" \"$2\"; exit 3", "\r\nexit status 3"},
      {"writes nothing", "exit 0", ""},
      // Would be read in full after 30 s if the time limit did not stop it.
      {"hangs", "cp \"$1\" \"$2\"; exec sleep 30", "\r\nstopped after 1 s"},
      {"is missing", nullptr, "\r\ncould not be started: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Install(programs.path(), kToTextConverter, c.program);
    // A text form left from an earlier conversion must not be read instead.
    WriteFile(TextFormOf("a.vrk"), kTextForm);
    platform.messages.clear();
    EXPECT_FALSE(LoadBinary("a.vrk"));
    ExpectNotFound("a.vrk", c.reason);
  }
}

TEST_F(ConverterTest, NamesReachTheConverterIntactAsSeparateArguments) {
  const std::string args_file = programs / "args";
  InstallToText("printf '%s\\n' \"$#\" \"$1\" \"$2\" > '" + args_file + "'; cp \"$1\" \"$2\"");
  const std::string odd = "my list \"a\" 'b'; rm x & y.vrk";
  std::filesystem::create_directory(Path("sub folder"));
  const std::string source = Path("sub folder/" + odd);
  WriteFile(source, kTextForm);
  ASSERT_TRUE(LoadList(workspace, source));
  EXPECT_EQ(ReadFile(args_file), "2\n" + source + "\n" + TextFormOf(odd) + "\n");
  EXPECT_EQ(workspace.main_set.networks.size(), 1u);
  // A relative name that starts with "-" reaches the converter as a name, not as an option.
  WriteList("-o.vrk", kTextForm);
  const auto current = std::filesystem::current_path();
  std::filesystem::current_path(workspace.settings.start_folder);
  const bool loaded = LoadList(workspace, "-o.vrk");
  std::filesystem::current_path(current);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(ReadFile(args_file), "2\n./-o.vrk\n" + TextFormOf("-o.vrk") + "\n");
}

// Whoever prepared the start folder (an unpacked archive) may have put a program of the
// converter's name there: it is never started.
TEST_F(ConverterTest, AConverterInTheStartFolderIsNeverStarted) {
  const std::string marker = Path("used");
  Install(workspace.settings.start_folder, kToTextConverter,
          ("echo start > '" + marker + "'; cp \"$1\" \"$2\"").c_str());
  EXPECT_FALSE(LoadBinary("a.vrk"));
  EXPECT_FALSE(Exists(marker));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + Path("a.vrk") +
                                           "\r\n" + TextFormOf("a.vrk") +
                                           "\r\ncould not be started: No such file or directory");
  // Without a converter folder the program's name would be a bare one, which the system looks up
  // in the current folder: it is not started.
  const std::string current = CurrentFolder();
  ASSERT_TRUE(ChangeCurrentFolder(workspace.settings.start_folder, nullptr));
  for (const std::string& converters : {std::string(), "." + std::string(1, kFolderSeparator)}) {
    workspace.settings.converter_folder = converters;
    platform.messages.clear();
    EXPECT_FALSE(LoadBinary("a.vrk"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(platform.messages[0].text.ends_with(
        "\r\ncould not be started: its name is not an absolute path"))
        << platform.messages[0].text;
  }
  ASSERT_TRUE(ChangeCurrentFolder(current, nullptr));
  EXPECT_FALSE(Exists(marker));
}

// Writes an empty list as `text_file` and converts it into `target`.
class ConversionToBinaryTest : public ConverterTest {
 protected:
  void Save(const std::string& target) {
    ASSERT_TRUE(workspace.Report(WriteChannelList(workspace, {target, TextFormOf(target)}, true)));
  }
};

TEST_F(ConversionToBinaryTest, TheWriterStartsTheConversionOfAVrkTarget) {
  const std::string args_file = programs / "args";
  InstallToBinary("printf '%s\\n' \"$1\" \"$2\" > '" + args_file + "'; cp \"$1\" \"$2\"");
  std::filesystem::create_directory(Path("lists"));
  std::filesystem::create_symlink("lists/real list.vrk", Path("link list.vrk"));
  struct Case {
    const char* target;
    const char* destination;  // the file that the target finally names
  };
  for (const Case c :
       {Case{"out list.vrk", "out list.vrk"}, Case{"link list.vrk", "lists/real list.vrk"}}) {
    SCOPED_TRACE(c.target);
    const std::string target = Path(c.target);
    const std::string destination = Path(c.destination);
    ASSERT_TRUE(workspace.Report(
        WriteChannelList(workspace, {target, TextFormOf(target), AtLink::follow}, true)));
    EXPECT_EQ(workspace.settings.converter_command, programs.path() + kToBinaryConverter +
                                                        kExecutableSuffix + " " +
                                                        TextFormOf(target) + " " + target);
    WaitForConversionsOf(workspace, target);
    // The converter writes a file of the target's own name (not the name a link leads to) in a
    // folder of its own beside the file it replaces, which it replaces once the converter
    // succeeded; the folder is then gone.
    const std::string arguments = ReadFile(args_file);
    const std::regex staged(TextFormOf(target) + "\n" + std::string(FolderPart(destination)) +
                            "\\.vsm[0-9a-f]{3}/" + c.target + "\n");
    EXPECT_TRUE(std::regex_match(arguments, staged)) << arguments;
    EXPECT_TRUE(TemporariesIn(std::string(FolderPart(destination))).empty());
    EXPECT_EQ(ReadFile(destination), ReadFile(TextFormOf(target)));
  }
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link list.vrk")));
  ReportFailedConversions(workspace);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ConversionToBinaryTest, AVrkTargetIsConvertedWhateverTheCaseOfItsEnding) {
  InstallToBinary("cp \"$1\" \"$2\"");
  for (const char* name : {"a.vrk", "b.VRK", "c.Vrk"}) {
    Save(Path(name));
    WaitForConversionsOf(workspace, Path(name));
    EXPECT_EQ(ReadFile(Path(name)), ReadFile(TextFormOf(name))) << name;
  }
  for (const char* name : {"d.txt", "e.TXT", "f.vrk.bak"}) {
    Save(Path(name));
    EXPECT_TRUE(workspace.conversions.Idle()) << name;
    EXPECT_FALSE(Exists(Path(name))) << name;
  }
}

TEST_F(ConversionToBinaryTest, AFailedConversionIsReportedOnceWithItsTargetAndReason) {
  InstallToBinary("echo chatter; echo >&2; echo '  bad list  ' >&2; echo more >&2; exit 2");
  const std::string target = Path("a.vrk");
  Save(target);
  workspace.conversions.WaitAll(platform);
  ReportFailedConversions(workspace);
  ReportFailedConversions(workspace);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].title, "Nice....");
  // The first line of its standard error that says something.
  EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target + "\r\n  bad list");
}

TEST_F(ConversionToBinaryTest, AConverterThatCannotStartIsAFailedConversion) {
  const std::string target = Path("a.vrk");
  StartConversionToBinary(workspace, TextFormOf(target), target, target);
  ReportFailedConversions(workspace);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target +
                                           "\r\ncould not be started: No such file or directory");
}

TEST_F(ConversionToBinaryTest, AConverterThatEndsWellWithoutItsFileOrWithAnEmptyOneFailed) {
  const std::string target = Path("a.vrk");
  for (const auto& [program, reason] : {std::pair{"echo done", "it ended without writing the file"},
                                        std::pair{": > \"$2\"", "it wrote an empty file"}}) {
    SCOPED_TRACE(program);
    InstallToBinary(program);
    WriteFile(target, "earlier file");
    platform.messages.clear();
    Save(target);
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Conversion failed: \r\n" + target + "\r\n" + std::string(reason));
    EXPECT_EQ(ReadFile(target), "earlier file");
    EXPECT_TRUE(TemporariesIn(workspace.settings.start_folder).empty());
  }
}

// The tool waits for the conversions of a file however it is named, also before the file exists.
TEST(FileIdentityTest, EveryNameOfAFileGivesTheSameIdentity) {
  TempFolder folder;
  ASSERT_TRUE(CreateFolder(folder / "sub"));
  const std::string file = folder / "list.vrk";
  const std::vector<std::string> same = {
      folder / "./list.vrk",        folder / "sub/../list.vrk", folder / "sub/.././/list.vrk",
#ifdef _WIN32
      folder / "LIST.VRK",  // letter case does not count on Windows
      folder / "sub\\..\\List.Vrk",
#endif
  };
  for (const bool exists : {false, true}) {
    if (exists) WriteFile(file, "list");
    for (const std::string& name : same) {
      EXPECT_EQ(FileIdentity(name), FileIdentity(file)) << name << (exists ? "" : ", not made yet");
    }
    EXPECT_NE(FileIdentity(folder / "sub/list.vrk"), FileIdentity(file));
#ifndef _WIN32
    EXPECT_NE(FileIdentity(folder / "LIST.VRK"), FileIdentity(file));  // it does on Linux
#endif
  }
}

// However the file is named: the load waits for the conversion that writes it.
TEST_F(ConversionToBinaryTest, ALoadWaitsForTheConversionThatWritesItsFile) {
  InstallToBinary("sleep 0.3; cp \"$1\" \"$2\"");
  InstallToText("cp \"$1\" \"$2\"");
  std::filesystem::create_directory(Path("sub"));
  std::filesystem::create_symlink("a.vrk", Path("link.vrk"));
  std::filesystem::create_directory_symlink(".", Path("here"));
  const std::pair<std::string, std::string> names[] = {
      // saved as, loaded as
      {Path("a.vrk"), Path("a.vrk")},
      {Path("a.vrk"), Path("./a.vrk")},
      {Path("./a.vrk"), Path("a.vrk")},
      {Path("sub/../a.vrk"), Path("sub//..//./a.vrk")},
      {Path("a.vrk"), Path("link.vrk")},       // a symbolic link to the target
      {Path("link.vrk"), Path("here/a.vrk")},  // through a linked folder
      {Path("here/a.vrk"), Path("sub/../link.vrk")},
  };
  int saves = 0;
  for (const auto& [saved_as, loaded_as] : names) {
    SCOPED_TRACE(saved_as + " loaded as " + loaded_as);
    const std::string saved = "saved " + std::to_string(++saves);
    workspace.main_set.networks.Clear();
    workspace.main_set.networks.Append({saved, 0});
    // A text form that the load does not use, so that only the target ties the two together.
    ASSERT_TRUE(workspace.Report(WriteChannelList(
        workspace, {saved_as, workspace.settings.WorkPath("written.txt"), AtLink::follow}, true)));
    ASSERT_TRUE(LoadList(workspace, loaded_as));
    ASSERT_EQ(workspace.main_set.networks.size(), 1u);
    EXPECT_EQ(workspace.main_set.networks[0].text, saved);
    EXPECT_TRUE(platform.messages.empty());
  }
}

std::string SmallList(std::uint32_t seed) {
  return GenerateChannelListText({.services = 12, .antennas = 2, .first_antenna = 0, .seed = seed});
}

std::string VrkOf(const std::string& text) {
  std::string fault;
  const auto tables = vrk::TablesFromText(text, fault);
  EXPECT_TRUE(tables.has_value()) << fault;
  return tables ? vrk::EncodeVrk(*tables) : std::string();
}

// A conversion that failed in the background is reported by the next save or split, once and
// before its own work: here a file that it cannot write.
TEST_F(ConversionToBinaryTest, SaveAndSplitReportAnEarlierFailedConversionFirst) {
  WriteList("a.txt", SmallList(8));
  ASSERT_TRUE(Load("a.txt"));
  ASSERT_TRUE(CreateFolder(Path("provider_list.txt")));  // the split's script cannot be made
  const std::string failed = Path("failed.vrk");
  for (const bool split : {false, true}) {
    SCOPED_TRACE(split ? "split per provider" : "save");
    StartConversionToBinary(workspace, TextFormOf(failed), failed,
                            failed);  // no converter: it fails
    platform.messages.clear();
    if (split) {
      SplitPerProvider(workspace, Button::split);
    } else {
      SaveList(workspace, Path("missing/out.txt"));
    }
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + failed +
                                             "\r\ncould not be started: No such file or directory");
    EXPECT_EQ(platform.messages[1].text.rfind("Cannot write file \r\n", 0), 0u);
  }
}

#ifdef __linux__
// While the tool starts converters it holds files open (a split holds its script): a converter
// must not hold them too, or it could keep a half-written file alive or write into it.
TEST_F(ConverterTest, ConvertersHoldNoneOfTheToolsFiles) {
  const std::string listing = programs / "open-files";
  InstallToBinary("for f in /proc/$$/fd/*; do readlink \"$f\"; done >> '" + listing +
                  "'; cp \"$1\" \"$2\"");
  WriteList("a.txt", SmallList(6));
  ASSERT_TRUE(Load("a.txt"));
  SplitPerAntenna(workspace, Button::split);
  workspace.conversions.WaitAll(platform);
  ASSERT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  const std::string open_files = ReadFile(listing);
  ASSERT_NE(open_files.find(listing), std::string::npos);  // each converter lists its files
  const std::string start_folder =
      std::filesystem::canonical(workspace.settings.start_folder).string();
  EXPECT_EQ(open_files.find(start_folder), std::string::npos) << open_files;
}
#endif

struct FaultyProgram {
  const char* label;
  const char* body;    // shell script body; nullptr: the program is missing
  const char* reason;  // the line that its box adds
};

// Converters with a time limit of one second, and a save or merge to run through them.
class FaultyConverterTest : public ConverterTest {
 protected:
  FaultyConverterTest() {
    workspace.settings.converter_timeout_seconds = 1;
    workspace.settings.background_conversion_timeout_seconds = 1;
  }
  void SaveAs(const std::string& target) { SaveList(workspace, target); }
  void FinishConversions() {
    workspace.conversions.WaitAll(platform);
    ReportFailedConversions(workspace);
  }
};

const FaultyProgram kFaultyPrograms[] = {
    {"is missing", nullptr, "could not be started: No such file or directory"},
    {"exits with an error", "cp \"$1\" \"$2\"; exit 2", "exit status 2"},
    {"says why and exits", "echo 'not my kind of list' >&2; exit 1", "not my kind of list"},
    {"writes half a file and dies", "head -c 40 \"$1\" > \"$2\"; kill -9 $$",
     "ended by signal 9 (Killed)"},
    {"hangs after writing half a file", "head -c 40 \"$1\" > \"$2\"; exec sleep 60",
     "stopped after 1 s"},
    {"says why in a line ending in CR LF", "printf 'not my kind of list\\r\\n' >&2; exit 1",
     "not my kind of list"},
    // Its standard error held in a file would pass the file size limit and end it early.
    {"says megabytes on standard error",
     "ulimit -f 64; head -c 8000000 /dev/zero | tr '\\0' '\\n' >&2 || exit 9; exit 1",
     "exit status 1"},
};

// Converters to binary that end well with a wrong file, which a copying converter to text reads
// back as it is.
const FaultyProgram kWrongFileConverters[] = {
    {"writes an empty file", ": > \"$2\"", "it wrote an empty file"},
    {"drops a record", "awk '!(/^V/ && !dropped++)' \"$1\" > \"$2\"",
     "it reads back as 9 TV services instead of 10"},
    {"renames a channel",
     "awk 'BEGIN { FS = OFS = \"\\t\" } /^V/ && !renamed++ { $13 = $13 \"x\" } 1' \"$1\" > \"$2\"",
     "its TV service 1 reads back with another name"},
};

TEST_F(FaultyConverterTest, AFailedConversionToBinaryKeepsTheEarlierTargetAndIsReported) {
  WriteList("a.txt", SmallList(1));
  ASSERT_TRUE(Load("a.txt"));
  const std::string target = Path("out.vrk");
  InstallToText("cp \"$1\" \"$2\"");
  std::vector<FaultyProgram> programs_to_try(std::begin(kFaultyPrograms),
                                             std::end(kFaultyPrograms));
  programs_to_try.insert(programs_to_try.end(), std::begin(kWrongFileConverters),
                         std::end(kWrongFileConverters));
  for (const FaultyProgram& program : programs_to_try) {
    SCOPED_TRACE(program.label);
    WriteFile(target, "earlier file");
    Install(programs.path(), kToBinaryConverter, program.body);
    platform.messages.clear();
    const auto start = std::chrono::steady_clock::now();
    SaveAs(target);
    FinishConversions();
    // A hanging converter is stopped at its time limit, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Nice....");
    EXPECT_EQ(platform.messages[0].text,
              "Conversion failed: \r\n" + target + "\r\n" + program.reason);
    EXPECT_EQ(ReadFile(target), "earlier file");
    EXPECT_TRUE(TemporariesIn(workspace.settings.start_folder, true).empty());
  }
  // The tool keeps working: with working converters the same save succeeds.
  InstallRealConverter(kToBinaryConverter);
  InstallRealConverter(kToTextConverter);
  platform.messages.clear();
  SaveAs(target);
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(target), VrkOf(ReadFile(workspace.settings.text_file)));
}

// A save's target is converted back to text before it replaces the earlier one: a converter to
// text that fails there fails the save.
TEST_F(FaultyConverterTest, AReadBackThatFailsKeepsTheEarlierTarget) {
  WriteList("a.txt", SmallList(1));
  ASSERT_TRUE(Load("a.txt"));
  const std::string target = Path("out.vrk");
  InstallToBinary("cp \"$1\" \"$2\"");
  std::vector<FaultyProgram> programs_to_try = {
      {"writes nothing", "exit 0", "it ended without writing the file"},
      {"writes no list", "echo 'no list' > \"$2\"", nullptr},
  };
  programs_to_try.insert(programs_to_try.end(), std::begin(kFaultyPrograms),
                         std::end(kFaultyPrograms));
  for (const FaultyProgram& program : programs_to_try) {
    SCOPED_TRACE(program.label);
    WriteFile(target, "earlier file");
    Install(programs.path(), kToTextConverter, program.body);
    platform.messages.clear();
    SaveAs(target);
    FinishConversions();
    ASSERT_EQ(platform.messages.size(), 1u);
    const std::string reason = program.reason == nullptr ? "it does not read back as a channel list"
                                                         : "it does not read back with vrk2mvt: " +
                                                               std::string(program.reason);
    EXPECT_EQ(platform.messages[0].text, "Conversion failed: \r\n" + target + "\r\n" + reason);
    EXPECT_EQ(ReadFile(target), "earlier file");
    EXPECT_TRUE(TemporariesIn(workspace.settings.start_folder, true).empty());
  }
}

// What is read back is compared record by record, not byte by byte; the pieces of a split, which
// are many and can be made again, are not read back.
TEST_F(FaultyConverterTest, AReadBackIsComparedByItsRecordsAndOnlyForTheUsersTarget) {
  WriteList("a.txt", SmallList(9));
  ASSERT_TRUE(Load("a.txt"));
  const std::string started = programs / "read back";
  // Antenna columns of the transponders with a leading zero: the same numbers.
  InstallToBinary("sed '/^\\[TS\\]/,/^\\[N/s/^\\([0-9]\\)/0\\1/' \"$1\" > \"$2\"");
  InstallToText("echo >> '" + started + "'; cp \"$1\" \"$2\"");
  const std::string target = Path("out.vrk");
  SaveAs(target);
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0].text;
  EXPECT_NE(ReadFile(target), ReadFile(workspace.settings.text_file));
  EXPECT_EQ(ReadFile(started), "\n");
  SplitPerAntenna(workspace, Button::split);
  FinishConversions();
  EXPECT_EQ(platform.caption(Button::split), "Split into 2 antennas");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(started), "\n");
}

// A split does not wait for the conversion of an earlier save, which goes on beside its pieces'.
TEST_F(FaultyConverterTest, ASplitStartsWhileAnEarlierSaveIsStillConverted) {
  const std::string go = programs / "go";
  InstallToBinary("case \"$2\" in *out.vrk) while [ ! -e '" + go +
                  "' ]; do sleep 0.02; done;; esac; cp \"$1\" \"$2\"");
  InstallToText("cp \"$1\" \"$2\"");
  workspace.settings.background_conversion_timeout_seconds = 5;  // past the split's pause
  WriteList("a.txt", SmallList(9));
  ASSERT_TRUE(Load("a.txt"));
  SaveAs(Path("out.vrk"));
  SplitPerAntenna(workspace, Button::split);
  EXPECT_FALSE(Exists(Path("out.vrk")));  // its conversion still waits
  WriteFile(go, "");
  FinishConversions();
  EXPECT_TRUE(platform.messages.empty()) << platform.messages.front().text;
  EXPECT_TRUE(Exists(Path("out.vrk")));
  EXPECT_EQ(FolderEntries(workspace.settings.ResultPath("")).value().size(), 2u);
}

TEST_F(FaultyConverterTest, AFailedConversionToTextLoadsNothingAndKeepsTheSource) {
  const std::string source = WriteList("a.vrk", VrkOf(SmallList(2)));
  const std::string text_form = workspace.settings.WorkPath("a.vrk.txt");
  for (const FaultyProgram& program : kFaultyPrograms) {
    SCOPED_TRACE(program.label);
    Install(programs.path(), kToTextConverter, program.body);
    platform.messages.clear();
    EXPECT_FALSE(Load("a.vrk"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + source + "\r\n" +
                                             text_form + "\r\n" + program.reason);
    EXPECT_FALSE(Exists(text_form));
    EXPECT_TRUE(workspace.loaded_files.empty());
    EXPECT_EQ(ReadFile(source), VrkOf(SmallList(2)));
  }
  InstallRealConverter(kToTextConverter);
  platform.messages.clear();
  EXPECT_TRUE(Load("a.vrk"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile(text_form), SmallList(2));
}

TEST_F(FaultyConverterTest, AFailedConversionOfAMergedFileLeavesTheMainSetAsItWas) {
  WriteList("a.txt", SmallList(3));
  ASSERT_TRUE(Load("a.txt"));
  const std::size_t services = workspace.main_set.tv_services.size();
  const std::string source = WriteList("b.vrk", VrkOf(SmallList(4)));
  for (const FaultyProgram& program : kFaultyPrograms) {
    SCOPED_TRACE(program.label);
    Install(programs.path(), kToTextConverter, program.body);
    platform.messages.clear();
    EXPECT_FALSE(MergeList(workspace, source));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "MergeThisFile: File not found \r\n" + source + "\r\n" + program.reason);
    EXPECT_EQ(workspace.main_set.tv_services.size(), services);
    EXPECT_EQ(workspace.loaded_files.size(), 1u);
  }
  InstallRealConverter(kToTextConverter);
  EXPECT_TRUE(MergeList(workspace, source));
  EXPECT_GT(workspace.main_set.tv_services.size(), services);
}

#ifdef __linux__
// Whether the process `pid` still runs (a zombie that nobody reaped does not), a while after it
// was sent its end: a killed process takes a moment to end.
bool IsRunning(const std::string& pid) {
  for (int tries = 0; tries < 100; ++tries) {
    const std::string stat = ReadFile("/proc/" + pid + "/stat");
    const std::size_t state = stat.rfind(')');
    if (state == std::string::npos || state + 2 >= stat.size() || stat[state + 2] == 'Z') {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A converter that hangs has started a program of its own, which hangs too: stopping the
// converter at its time limit stops that program as well.
TEST_F(FaultyConverterTest, AStoppedConverterTakesTheProgramsItStartedWithIt) {
  const std::string pid_file = programs / "child";
  const std::string hang = "sleep 60 & echo $! > '" + pid_file + "'; exec sleep 60";
  WriteList("a.txt", SmallList(7));
  ASSERT_TRUE(Load("a.txt"));
  for (const bool to_text : {true, false}) {
    SCOPED_TRACE(to_text ? "to text" : "to binary");
    RemoveFile(pid_file);
    Install(programs.path(), to_text ? kToTextConverter : kToBinaryConverter, hang.c_str());
    platform.messages.clear();
    if (to_text) {
      WriteList("b.vrk", "list");
      EXPECT_FALSE(MergeList(workspace, Path("b.vrk")));
    } else {
      SaveAs(Path("out.vrk"));
      FinishConversions();
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(platform.messages[0].text.ends_with("\r\nstopped after 1 s"))
        << platform.messages[0].text;
    std::string child = ReadFile(pid_file);
    while (!child.empty() && child.back() == '\n') child.pop_back();
    ASSERT_FALSE(child.empty());
    EXPECT_FALSE(IsRunning(child)) << "process " << child << " outlived its converter";
  }
}

// A converter that ends well while a program it started goes on writing to its output: that
// program is stopped before the output is used, or it would change a file reported as made.
TEST_F(FaultyConverterTest, TheProgramsOfAConverterThatEndedAreStopped) {
  const std::string pid_file = programs / "child";
  const std::string late_writer =
      "cp \"$1\" \"$2\"; exec 3>>\"$2\"; (sleep 30; echo late >&3) & echo $! > '" + pid_file + "'";
  WriteList("a.txt", SmallList(7));
  ASSERT_TRUE(Load("a.txt"));
  for (const bool to_text : {true, false}) {
    SCOPED_TRACE(to_text ? "to text" : "to binary");
    RemoveFile(pid_file);
    const std::string copy = "cp \"$1\" \"$2\"";
    InstallToText(to_text ? late_writer : copy);
    InstallToBinary(to_text ? copy : late_writer);
    platform.messages.clear();
    if (to_text) {
      WriteList("b.vrk", SmallList(8));
      EXPECT_TRUE(MergeList(workspace, Path("b.vrk")));
    } else {
      SaveAs(Path("out.vrk"));
      FinishConversions();
    }
    EXPECT_TRUE(platform.messages.empty());
    std::string child = ReadFile(pid_file);
    while (!child.empty() && child.back() == '\n') child.pop_back();
    ASSERT_FALSE(child.empty());
    EXPECT_FALSE(IsRunning(child)) << "process " << child << " outlived its converter";
  }
}
#endif

// The real converters refuse a binary list that is cut short or damaged.
class DamagedVrkTest : public WorkspaceTest {};

TEST_F(DamagedVrkTest, ATruncatedOrCorruptListIsReportedAndTheNextLoadWorks) {
  const std::string good = VrkOf(SmallList(5));
  ASSERT_GT(good.size(), 64u);
  std::string flipped = good;
  flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x40);
  // The antenna block's record count, with a checksum that matches again.
  std::string huge_count = good;
  huge_count.replace(vrk::kHeaderSize + 4, 4, "\xff\xff\xff\x7f", 4);
  std::uint32_t crc = vrk::Crc32(std::string_view(huge_count).substr(0, good.size() - 4));
  for (std::size_t i = good.size() - 4; i < good.size(); ++i, crc >>= 8) {
    huge_count[i] = static_cast<char>(crc & 0xff);
  }
  struct Case {
    const char* label;
    std::string bytes;
    std::string reason;  // of the bundled vrk2mvt, after the file's name
  };
  const Case cases[] = {
      {"empty", "", "truncated: 0 bytes"},
      {"header only", good.substr(0, vrk::kHeaderSize),
       "truncated: 16 bytes, shorter than header and checksum"},
      {"cut in the middle", good.substr(0, good.size() / 2),
       "truncated: " + std::to_string(good.size() / 2) + " bytes of the " +
           std::to_string(good.size()) + " the header announces"},
      {"last byte missing", good.substr(0, good.size() - 1),
       "truncated: " + std::to_string(good.size() - 1) + " bytes of the " +
           std::to_string(good.size()) + " the header announces"},
      {"one byte changed", flipped, "checksum mismatch"},
      {"a count larger than the file", huge_count,
       "[ANTENNA] record count 2147483647 is larger than the file can hold"},
      {"text, not a list", "hello\r\n", "wrong magic number, not a .vrk list"},
  };
  const std::string name = Path("damaged.vrk");
  const std::string text_form = workspace.settings.WorkPath("damaged.vrk.txt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteFile(name, c.bytes);
    platform.messages.clear();
    EXPECT_FALSE(Load("damaged.vrk"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + name + "\r\n" +
                                             text_form + "\r\nvrk2mvt: " + name + ": " + c.reason);
    EXPECT_EQ(ReadFile(name), c.bytes);  // the damaged file itself is left as it is
    EXPECT_FALSE(Exists(text_form));
    EXPECT_TRUE(workspace.main_set.antennas.empty());
  }
  WriteFile(name, good);
  platform.messages.clear();
  EXPECT_TRUE(Load("damaged.vrk"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(workspace.main_set.tv_services.empty());
}

}  // namespace
}  // namespace vsm
