// The console front end: its arguments, and end-to-end runs of the tool's executable, each in a
// fresh folder, checking its exit status, its output and the files it leaves.

#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "app/console/console_platform.h"
#include "app/console/tool_arguments.h"
#include "captured_run.h"
#include "generator/list_generator.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/paths.h"
#include "platform/system_platform.h"
#include "platform/temporary_journal.h"
#include "session/startup.h"
#include "session/version.h"
#include "system_names.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using namespace test_support;

TEST(ToolArguments, RunTakesAFileAndAnOptionalTrace) {
  ToolArguments line = ParseToolArguments({"--run", "job.txt"});
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.file, "job.txt");
  EXPECT_FALSE(line.trace);

  line = ParseToolArguments({"--trace", "--run", "--trace"});  // the file may look like an option
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.file, "--trace");
  EXPECT_TRUE(line.trace);

  EXPECT_EQ(ParseToolArguments({}).mode, ToolArguments::Mode::window);
  EXPECT_EQ(ParseToolArguments({"--run", "x", "--help"}).mode, ToolArguments::Mode::help);
  EXPECT_EQ(ParseToolArguments({"--version"}).mode, ToolArguments::Mode::version);
}

TEST(ToolArguments, FolderNamesTheStartFolderOrLeavesItToTheDocuments) {
  ToolArguments line = ParseToolArguments({"--folder", "lists", "--run", "job.txt"});
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.start_folder, ToolArguments::StartFolder::given);
  EXPECT_EQ(line.folder, "lists");
  EXPECT_EQ(line.file, "job.txt");

  line = ParseToolArguments({"--run", "job.txt", "--folder=-odd name"});
  EXPECT_EQ(line.start_folder, ToolArguments::StartFolder::given);
  EXPECT_EQ(line.folder, "-odd name");

  line = ParseToolArguments({"--folder"});  // as the desktop entry starts the window
  EXPECT_EQ(line.mode, ToolArguments::Mode::window);
  EXPECT_EQ(line.start_folder, ToolArguments::StartFolder::documents);

  line = ParseToolArguments({"--folder", "--run", "job.txt"});
  EXPECT_EQ(line.mode, ToolArguments::Mode::run);
  EXPECT_EQ(line.start_folder, ToolArguments::StartFolder::documents);
  EXPECT_EQ(line.file, "job.txt");

  EXPECT_EQ(ParseToolArguments({"--run", "job.txt"}).start_folder,
            ToolArguments::StartFolder::current);
}

TEST(ToolArguments, ConvertersNameTheirFolder) {
  EXPECT_EQ(ParseToolArguments({"--converters", "maker", "--run", "a.vrk"}).converters, "maker");
  const ToolArguments line = ParseToolArguments({"--converters=-odd name"});
  EXPECT_EQ(line.mode, ToolArguments::Mode::window);
  EXPECT_EQ(line.converters, "-odd name");
  EXPECT_EQ(ParseToolArguments({"--run", "a.vrk"}).converters, "");
}

TEST(ToolArguments, MistakesAreUsageErrors) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--run"},
                                             {"--trace"},
                                             {"--run", "a", "--run", "b"},
                                             {"job.txt"},
                                             {"-x"},
                                             {"--folder", "a", "--folder", "b"},
                                             {"--folder", "--folder"},
                                             {"--folder", ""},
                                             {"--folder="},
                                             {"--folder", "a", "b"},
                                             {"--converters"},
                                             {"--converters", ""},
                                             {"--converters="},
                                             {"--converters", "a", "--converters=b"}}) {
    const ToolArguments line = ParseToolArguments(arguments);
    EXPECT_EQ(line.mode, ToolArguments::Mode::usage_error) << testing::PrintToString(arguments);
    EXPECT_FALSE(line.error.empty());
  }
}

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Lines joined by LF, each ended by it: the form of the trace.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const auto line : lines) (text += line) += '\n';
  return text;
}

// The start folder as the tool's messages name it: without its separator at the end.
std::string Shown(const std::string& folder) { return folder.substr(0, folder.size() - 1); }

// On Windows the console face of the tool, the twin that a shell finds first.
#ifdef _WIN32
constexpr const char* kConsoleProgram = "vrk-split-merge.com";
#else
constexpr const char* kConsoleProgram = "vrk-split-merge";
#endif

// --help tells on Windows another documents folder for a bare --folder.
#ifdef _WIN32
constexpr const char* kUsageText = "usage-windows.txt";
#else
constexpr const char* kUsageText = "usage.txt";
#endif

class HeadlessTest : public testing::Test {
 protected:
  // Runs the tool with `arguments` in the temporary folder, its output captured in files there.
  RunResult Run(std::vector<std::string> arguments) {
    return RunProgram(ExecutableFolder() + kConsoleProgram, std::move(arguments));
  }
  RunResult RunProgram(const std::string& program, std::vector<std::string> arguments) {
    const std::string out = output_folder / "out";
    const std::string err = output_folder / "err";
    RunResult result;
    result.exit_code = RunCaptured(program, arguments, folder.path(), out, err);
    if (result.exit_code == -1) ADD_FAILURE() << "cannot run " << program;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
  }

  std::string Path(std::string_view name) const { return folder / name; }

  // Every file and folder below the start folder, relative to it, "/" between folders.
  std::vector<std::string> EverythingBelow(std::string_view subfolder = "") const {
    std::vector<std::string> names;
    const std::filesystem::path top(Path(subfolder));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
      names.push_back(entry.path().lexically_relative(top).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> FilesIn(std::string_view subfolder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path(subfolder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder folder;         // the tool's start folder
  TempFolder output_folder;  // its captured output, kept out of the start folder
};

const std::string kVersionTrace = "status\t1\t" + VersionText();
// The captions that a load and a merge set back before they start.
const std::string kCaptionsSetBack =
    Lines({"caption\tsave_button\tSave", "caption\tmerge_button\tMerge",
           "caption\tsplit_button\tSplit per antenna"});

// The files of the tool's own in the work folder `work` ("/" between folders, as EverythingBelow
// gives them): the journal of its temporaries, and on Windows the file that it holds as its lock.
std::vector<std::string> ToolsOwnFilesIn(const std::string& work) {
  std::vector<std::string> files{work + "/" + kTemporaryJournalName};
#ifdef _WIN32
  files.push_back(work + "/" + FolderLock::kLockFileName);
#endif
  return files;
}

// How the run of a split's script ends: its pieces merged and saved, with `counts` of the list.
std::string RemergeTraceEnd(std::string_view counts) {
  return Lines({"caption\tsave_button\tSaved provider_list.vrk", "status\t0\tDone loading.",
                "caption\tload_button\tLoaded provider_list.txt", counts});
}

TEST_F(HeadlessTest, VersionAndHelp) {
  const RunResult version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, VersionText() + "\n");

  const RunResult help = Run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out, Golden(kUsageText));
}

TEST_F(HeadlessTest, WrongArgumentsExitWithTwo) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--run"}, {"--trace"}, {"--bogus"}}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exit_code, 2) << arguments.front();
    EXPECT_NE(result.err.find("Usage: vrk-split-merge"), std::string::npos);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(Exists(Path("VrkWork")));  // nothing started
}

TEST_F(HeadlessTest, LoadingAListTracesWhatTheLoadButtonShows) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  const RunResult result = Run({"--run", "a.txt", "--trace"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, Lines({kVersionTrace}) + kCaptionsSetBack +
                            Lines({"status\t0\tDone loading.", "caption\tload_button\tLoaded a.txt",
                                   "status\t1\tTv 2 , Radio 1"}));
  EXPECT_TRUE(Exists(Path("VrkWork")));
  EXPECT_TRUE(Exists(Path("VrkResult")));
  EXPECT_TRUE(Exists(Path("VrkKeep/sat_position.txt")));
}

TEST_F(HeadlessTest, WithoutTraceNothingIsWrittenToStandardOutput) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  const RunResult result = Run({"--run", "a.txt"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST_F(HeadlessTest, FailedLoadExitsWithOneAndEscapesTheTrace) {
  const RunResult result = Run({"--run", "dir\\x\ty.txt", "--trace"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "Nice....: LoadFile: No file specified or found.\ndir\\x\ty.txt\n");
  EXPECT_EQ(
      result.out,
      Lines({kVersionTrace}) + kCaptionsSetBack +
          Lines({"message\tNice....\tLoadFile: No file specified or found.\\r\\ndir\\\\x\\ty.txt",
                 "caption\tload_button\tLoad", "status\t1\tTv 0 , Radio 0"}));

  // A name that would set the terminal's title: the console and the trace show its controls, and
  // the UTF-8 of the name stays as it is.
  const RunResult odd = Run({"--run", "caf\xC3\xA9\x1b]0;owned\x07.txt", "--trace"});
  EXPECT_EQ(odd.exit_code, 1);
  EXPECT_EQ(odd.err,
            "Nice....: LoadFile: No file specified or found.\ncaf\xC3\xA9\\x1b]0;owned\\x07.txt\n");
  EXPECT_NE(odd.out.find("\\r\\ncaf\xC3\xA9\\x1b]0;owned\\x07.txt\n"), std::string::npos)
      << odd.out;
}

// What reaches a terminal of a box's text and of a trace field: no control character that the
// terminal would act on.
TEST(ConsoleText, ShowsControlCharactersInsteadOfSendingThem) {
  struct Case {
    std::string text, trace, utf8_console, other_console;
  };
  for (const Case& c : std::vector<Case>{
           {"a\x1b[2Jb", "a\\x1b[2Jb", "a\\x1b[2Jb", "a\\x1b[2Jb"},
           {"bell\x07 del\x7f", "bell\\x07 del\\x7f", "bell\\x07 del\\x7f", "bell\\x07 del\\x7f"},
           {"tab\tkept", "tab\\tkept", "tab\tkept", "tab\tkept"},
           {"two\r\nlines", "two\\r\\nlines", "two\nlines", "two\nlines"},
           {"lone\rCR lone\nLF", "lone\\rCR lone\\nLF", "lone\\x0dCR lone\\x0aLF",
            "lone\\x0dCR lone\\x0aLF"},
           // C1 controls: as UTF-8, and the Windows-1252 bytes that name none of its characters.
           {"csi\xC2\x9B"
            "2J",
            "csi\xC2\x9B"
            "2J",
            "csi\\x9b2J",
            "csi\xC2\x9B"
            "2J"},
           {"\x9D\x80 4\xB0W", "\x9D\x80 4\xB0W", "\\x9d\xE2\x82\xAC 4\xC2\xB0W",
            "\x9D\x80 4\xB0W"},
           {"caf\xC3\xA9.vrk", "caf\xC3\xA9.vrk", "caf\xC3\xA9.vrk", "caf\xC3\xA9.vrk"},
       }) {
    EXPECT_EQ(EscapeTraceText(c.text), c.trace) << c.text;
    EXPECT_EQ(TextForConsole(c.text, true), c.utf8_console) << c.text;
    EXPECT_EQ(TextForConsole(c.text, false), c.other_console) << c.text;
  }
}

TEST_F(HeadlessTest, ScriptLoadsMergesAndSavesThroughTheConverter) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("b.txt"), OneAntennaListText("Hotbird", 3));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt", "merge b.txt", "save out.vrk"}));
  const RunResult result = Run({"--trace", "--run", "job.txt"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            Lines({kVersionTrace}) + kCaptionsSetBack +
                Lines({"status\t0\ta", "caption\tload_button\tLoaded a.txt",
                       "status\t1\tTv 2 , Radio 1"}) +
                kCaptionsSetBack +
                Lines({"status\t0\tb", "status\t1\tMerging antennas...",
                       "status\t1\tMerging transponders...", "status\t1\tMerging providers...",
                       "status\t1\tAdding channels...", "status\t1\tMerging favorites...",
                       "caption\tmerge_button\tMerged b.txt", "caption\tsave_button\tSaved out.vrk",
                       "status\t0\tDone loading.", "caption\tload_button\tLoaded job.txt",
                       "status\t1\tTv 5 , Radio 2"}));
  // The run ends only after the conversion to binary has ended: out.vrk holds the merged list.
  const std::string vrk2mvt = ExecutableFolder() + "vrk2mvt" + kExecutableSuffix;
  EXPECT_EQ(RunProgram(vrk2mvt, {Path("out.vrk"), Path("back.txt")}).exit_code, 0);
  EXPECT_EQ(ReadFile(Path("back.txt")), ReadFile(Path("VrkWork/out.vrk.txt")));
}

// Names in capitals, as a receiver's stick or an older tool gives them, are taken by their
// endings in any letter case, and keep their spelling.
TEST_F(HeadlessTest, EndingsInCapitalsAreTheEndingsTheyName) {
  WriteFile(Path("WEST.TXT"), OneAntennaListText("Astra", 2));
  WriteFile(Path("JOB.TXT"),
            BatchScript({"load WEST.TXT", "save NEW.VRK", "save new2.Vrk", "save NEW3.TXT"}));
  const RunResult result = Run({"--run", "JOB.TXT"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  for (const char* binary : {"NEW.VRK", "new2.Vrk"}) {
    EXPECT_TRUE(ReadFile(Path(binary)).starts_with("VRKL")) << binary;
    EXPECT_TRUE(Exists(Path("VrkWork/" + std::string(binary) + ".txt"))) << binary;
  }
  EXPECT_EQ(ReadFile(Path("NEW3.TXT")), ReadFile(Path("VrkWork/NEW.VRK.txt")));
  EXPECT_FALSE(Exists(Path("NEW.VRK.vrk")));
  EXPECT_FALSE(Exists(Path("NEW3.TXT.vrk")));
}

TEST_F(HeadlessTest, SplitPiecesMergeAgainThroughTheGeneratedScript) {
  // A table that names exactly the list's satellites, so that no row is reported as unknown.
  CreateFolder(Path("VrkKeep"));
  WriteFile(Path("VrkKeep/sat_position.txt"), CrLf({"19.2\260E\tAstra", "13\260E\tHotbird"}));
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("b.txt"), OneAntennaListText("Hotbird", 3));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt", "merge b.txt", "split_into_providers true",
                                          "use_satellite_position true", "split"}));
  const RunResult split = Run({"--run", "job.txt", "--trace"});
  EXPECT_EQ(split.exit_code, 0);
  EXPECT_EQ(split.err, "");
  EXPECT_NE(split.out.find("\ncaption\tsplit_button\tSplit per provider\n"), std::string::npos);
  EXPECT_NE(split.out.find("\ncaption\tsplit_button\tSplit into 2 providers\n"), std::string::npos);
  // The degree sign of the provider names becomes UTF-8 in the piece file names.
  EXPECT_EQ(FilesIn("VrkResult"), (std::vector<std::string>{"13\u00B0E.vrk", "19.2\u00B0E.vrk"}));

  const RunResult remerge = Run({"--run", "provider_list.txt", "--trace"});
  EXPECT_EQ(remerge.exit_code, 0);
  EXPECT_EQ(remerge.err, "");
  EXPECT_TRUE(remerge.out.ends_with(RemergeTraceEnd("status\t1\tTv 5 , Radio 2")));
  EXPECT_TRUE(Exists(Path("provider_list.vrk")));
}

// --folder DIR: the tool runs as if started in DIR, which it creates; relative names, the FILE
// of --run included, are taken from there, and nothing is written where it was started.
TEST_F(HeadlessTest, FolderIsCreatedAndRelativeNamesAreTakenFromIt) {
  const RunResult missing = Run({"--folder", "new/VRK Split & Merge", "--run", "job.txt"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "Nice....: LoadFile: No file specified or found.\njob.txt\n");
  std::vector<std::string> made{"new",
                                "new/VRK Split & Merge",
                                "new/VRK Split & Merge/VrkKeep",
                                "new/VRK Split & Merge/VrkKeep/sat_position.txt",
                                "new/VRK Split & Merge/VrkResult",
                                "new/VRK Split & Merge/VrkWork"};
  for (const std::string& file : ToolsOwnFilesIn("new/VRK Split & Merge/VrkWork")) {
    made.push_back(file);
  }
  EXPECT_EQ(EverythingBelow(), made);

  const std::string lists = "new/VRK Split & Merge/";
  WriteFile(Path(lists + "a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path(lists + "job.txt"), BatchScript({"load a.txt", "split", "save out.txt"}));
  const RunResult run = Run({"--run", "job.txt", "--folder", lists, "--trace"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.ends_with(
      Lines({"caption\tload_button\tLoaded job.txt", "status\t1\tTv 2 , Radio 1"})));
  EXPECT_TRUE(ReadFile(Path(lists + "out.txt")).starts_with("[MORVANE V3 FILE]\r\n"));
  EXPECT_EQ(FilesIn(lists + "VrkResult"), (std::vector<std::string>{"Astra.vrk"}));
  // The re-merge script names its pieces in the chosen folder.
  EXPECT_NE(ReadFile(Path(lists + "antenna_list.txt"))
                .find(std::string("new") + kFolderSeparator + "VRK Split & Merge" +
                      kFolderSeparator + "VrkResult" + kFolderSeparator + "Astra.vrk"),
            std::string::npos);
  EXPECT_EQ(FilesIn(""), (std::vector<std::string>{"new"}));
}

TEST_F(HeadlessTest, AFolderThatCannotBeMadeIsNamedAndNothingIsCreated) {
  WriteFile(Path("taken"), "a file");
  const std::string long_name(300, 'x');  // longer than a file system allows
  struct BadFolder {
    std::string name;
    std::string message;
  };
  for (const BadFolder& bad : std::vector<BadFolder>{
           {"taken", "vrk-split-merge: cannot start in \"taken\": it is a file, not a folder\n"},
           {"taken/sub", "vrk-split-merge: cannot create the folder \"taken/sub\": "},
           {"made/above/" + long_name,
            "vrk-split-merge: cannot create the folder \"made/above/" + long_name + "\": "}}) {
    // The window's box for the same failure is seen in scripts/window-e2e.sh.
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--folder", bad.name, "--run", "job.txt"},
                                               {"--run", "job.txt", "--folder=" + bad.name}}) {
      const RunResult result = Run(arguments);
      EXPECT_EQ(result.exit_code, 2) << bad.name;
      EXPECT_TRUE(result.err.starts_with(bad.message)) << result.err;
      EXPECT_EQ(result.out, "");
      // The folders above the one that failed are removed again.
      EXPECT_EQ(FilesIn(""), (std::vector<std::string>{"taken"})) << bad.name;
    }
  }
}

TEST_F(HeadlessTest, AFolderInAReadOnlyFolderIsNamedAndNothingIsCreated) {
  CreateFolder(Path("locked"));
  namespace fs = std::filesystem;
  fs::permissions(Path("locked"),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const bool writable = CreateFolder(Path("locked/probe"));
  const RunResult result =
      writable ? RunResult{} : Run({"--folder", "locked/a/b", "--run", "job.txt"});
  fs::permissions(Path("locked"), fs::perms::owner_write, fs::perm_options::add);
  if (writable) GTEST_SKIP() << "a read-only folder takes new folders here (an administrator?)";
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.err, "vrk-split-merge: cannot create the folder \"locked/a/b\": " +
                            std::string(std::strerror(EACCES)) + "\n");
  EXPECT_EQ(EverythingBelow(), (std::vector<std::string>{"locked"}));
}

// --converters DIR: the converters are taken from DIR (a relative DIR from the start folder);
// a DIR that is not there or lacks a converter is named, with the program it lacks, before
// anything is created.
TEST_F(HeadlessTest, ConvertersAreTakenFromTheFolderTheyAreGivenIn) {
  const std::string bin = ExecutableFolder();
  CreateFolder(Path("lists"));
  CreateFolder(Path("lists/maker's converters"));
  for (const char* converter : {"vrk2mvt", "mvt2vrk"}) {
    const std::string program = std::string(converter) + kExecutableSuffix;
    std::filesystem::copy_file(bin + program, Path("lists/maker's converters/" + program));
  }
  WriteFile(Path("lists/a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("lists/job.txt"), BatchScript({"load a.txt", "save a.vrk", "load a.vrk"}));
  const RunResult run =
      Run({"--folder", "lists", "--converters", "maker's converters", "--run", "job.txt"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(ReadFile(Path("lists/VrkWork/a.vrk.txt")).starts_with("[MORVANE V3 FILE]\r\n"));

  RemoveFile(Path("lists/maker's converters/mvt2vrk") + kExecutableSuffix);
  CreateFolder(Path("unrunnable"));
  WriteFile(Path("unrunnable/vrk2mvt"), "#!/bin/sh\n");
  struct BadFolder {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::string mvt2vrk = std::string("mvt2vrk") + kExecutableSuffix;
  const std::string empty = Path("empty");
  for (const BadFolder& bad : std::vector<BadFolder>{
           {{"--converters", "nowhere"}, "\"nowhere\": there is no such folder"},
           {{"--converters=lists/a.txt"}, "\"lists/a.txt\": there is no such folder"},
           {{"--folder", "lists", "--converters", "maker's converters"},
            "\"maker's converters\": it has no program " + mvt2vrk},
           {{"--folder", "new", "--converters", empty},
            '"' + empty + "\": it has no program vrk2mvt" + kExecutableSuffix + " and no program " +
                mvt2vrk}
#ifndef _WIN32
           ,
           {{"--converters", "unrunnable"},
            "\"unrunnable\": it has a program vrk2mvt that is not executable and no program "
            "mvt2vrk"}
#endif
       }) {
    CreateFolder(empty);
    const auto before = EverythingBelow();
    std::vector<std::string> arguments = bad.arguments;
    arguments.insert(arguments.end(), {"--run", "job.txt"});
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.exit_code, 2) << bad.message;
    EXPECT_EQ(result.err, "vrk-split-merge: cannot take the converters from " + bad.message + "\n");
    EXPECT_EQ(EverythingBelow(), before) << bad.message;  // nothing created, "new" neither
  }
}

#ifndef _WIN32
// The tool copied alone into a folder, started in a folder that someone else prepared: a program
// called vrk2mvt planted there is not run; the tool does not start without its own converters.
TEST_F(HeadlessTest, NoConverterIsEverTakenFromTheStartFolder) {
  const TempFolder alone;
  std::filesystem::copy_file(ExecutableFolder() + kConsoleProgram, alone / kConsoleProgram);
  WriteFile(Path("vrk2mvt"), "#!/bin/sh\ntouch planted-converter-ran\ncp \"$1\" \"$2\"\n");
  std::filesystem::permissions(Path("vrk2mvt"), std::filesystem::perms::owner_all);
  WriteFile(Path("a.vrk"), OneAntennaListText("Astra", 2));
  const auto before = EverythingBelow();
  const RunResult run = RunProgram(alone / kConsoleProgram, {"--run", "a.vrk"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_FALSE(Exists(Path("planted-converter-ran")));
  EXPECT_EQ(run.err, "vrk-split-merge: cannot take the converters from the tool's own folder \"" +
                         Shown(alone.path()) +
                         "\": it has no program vrk2mvt and no program mvt2vrk; name the folder "
                         "that holds them with --converters and an absolute path\n");
  EXPECT_EQ(EverythingBelow(), before);
}
#endif

// A start folder that someone else prepared: a working folder that is a symbolic link would lead
// every file the tool makes, and the pieces that replace files of the same names, elsewhere; one
// that is no folder would fail every write. The tool refuses to start and writes nothing.
struct UnfitWorkingFolder {
  const char* folder;
  bool link;  // else a regular file stands there
};

void PrintTo(const UnfitWorkingFolder& c, std::ostream* out) {
  *out << c.folder << (c.link ? " as a link" : " as a file");
}

class UnfitWorkingFolderTest : public HeadlessTest,
                               public testing::WithParamInterface<UnfitWorkingFolder> {};

TEST_P(UnfitWorkingFolderTest, IsRefusedAndNothingIsWritten) {
  const UnfitWorkingFolder& c = GetParam();
  const TempFolder elsewhere;
  if (c.link) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links are a POSIX matter";
#endif
    std::filesystem::create_directory_symlink(elsewhere.path(), Path(c.folder));
  } else {
    WriteFile(Path(c.folder), "not a folder");
  }
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt", "split", "save out.txt"}));
  const auto before = EverythingBelow();
  const RunResult run = Run({"--run", "job.txt", "--trace"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err,
            "vrk-split-merge: cannot start in \"" + Shown(folder.path()) +
                "\": its working folder " + c.folder +
                (c.link ? " is a symbolic link; the tool writes only into folders of its own\n"
                        : " is not a folder\n"));
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(EverythingBelow(), before);
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnfitWorkingFolderTest,
    testing::Values(UnfitWorkingFolder{"VrkWork", true}, UnfitWorkingFolder{"VrkKeep", true},
                    UnfitWorkingFolder{"VrkResult", true}, UnfitWorkingFolder{"VrkWork", false},
                    UnfitWorkingFolder{"VrkResult", false}),
    [](const auto& info) {
      return std::string(info.param.folder) + (info.param.link ? "_link" : "_file");
    });

#ifndef _WIN32
// A line break in the start folder's name would end the lines of the scripts that a split writes
// there ("load " + piece path) and start commands of its own: the tool does not start there.
TEST_F(HeadlessTest, AFolderWhoseNameHoldsALineBreakIsRefused) {
  const std::string why =
      "\": its name holds a line break, which would break the lines of the scripts that a split "
      "writes\n";
  for (const std::string line_end : {"\n", "\r"}) {
    const std::string odd = "x" + line_end + "load evil.vrk" + line_end + "#";
    const std::string shown = line_end == "\n" ? "x\\nload evil.vrk\\n#" : "x\\rload evil.vrk\\r#";
    const RunResult given = Run({"--folder", odd, "--run", "job.txt"});
    EXPECT_EQ(given.exit_code, 2);
    EXPECT_EQ(given.err, "vrk-split-merge: cannot start in \"" + shown + why);
    EXPECT_TRUE(EverythingBelow().empty());

    CreateFolder(Path(odd));
    const std::string out = output_folder / "out";
    const std::string err = output_folder / "err";
    EXPECT_EQ(RunCaptured(ExecutableFolder() + kConsoleProgram, {"--run", "job.txt"}, Path(odd),
                          out, err),
              2);
    EXPECT_EQ(ReadFile(err), "vrk-split-merge: cannot start in \"" + folder.path() + shown + why);
    EXPECT_EQ(EverythingBelow(), std::vector<std::string>{odd});
    std::filesystem::remove(Path(odd));
  }
}
#endif

// Two tools working in one start folder would replace each other's pieces: a second one is
// refused while the first works, also when a name in the work folder changed meanwhile (the lock
// holds the folder itself; on Windows its lock file, which no one can delete while it is held),
// and a first one that was killed leaves no lock behind.
TEST_F(HeadlessTest, OneToolAtATimeWorksInAStartFolder) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  // Each split waits a second before it writes its script.
  WriteFile(Path("slow.txt"), BatchScript({"load a.txt", "split", "split", "split"}));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt"}));
  const std::string dump = Path("VrkWork/ANTENNA.txt");
  const std::string lock_file = Path("VrkWork/") + FolderLock::kLockFileName;
  enum class Meddling { none, lock_file_deleted, folder_at_lock_file, killed };
  for (const Meddling meddling : {Meddling::none, Meddling::lock_file_deleted,
                                  Meddling::folder_at_lock_file, Meddling::killed}) {
    SCOPED_TRACE(static_cast<int>(meddling));
#ifdef _WIN32
    if (meddling == Meddling::folder_at_lock_file) continue;  // a lock that cannot be taken
#endif
    RemoveFile(dump);
    if (meddling == Meddling::folder_at_lock_file) CreateFolder(lock_file);
    auto first = StartSystemProcess(ExecutableFolder() + kConsoleProgram,
                                    {"--folder", folder.path(), "--run", "slow.txt"});
    ASSERT_TRUE(first) << first.error();
    // It holds the lock from its start, and loads its list after it.
    for (int tries = 0; tries < 600 && !Exists(dump); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(Exists(dump));
    if (meddling == Meddling::lock_file_deleted) RemoveFile(lock_file);
    if (meddling == Meddling::killed) {
      (*first)->Kill();
      const RunResult second = Run({"--run", "job.txt"});
      EXPECT_EQ(second.exit_code, 0) << second.err;
      continue;
    }
    const RunResult second = Run({"--run", "job.txt", "--trace"});
    EXPECT_EQ(second.exit_code, 2);
    EXPECT_EQ(second.err, "vrk-split-merge: cannot start in \"" + Shown(folder.path()) +
                              "\": another vrk-split-merge is working in it; start again when "
                              "that one has ended\n");
    EXPECT_EQ(second.out, "");
    if (meddling == Meddling::none) {
      ASSERT_TRUE((*first)->WaitFor(std::chrono::minutes(2)));
      EXPECT_EQ((*first)->ExitCode(), 0);
    } else {
      (*first)->Kill();
    }
    RemoveEmptyFolder(lock_file);
  }
}

// A lock that cannot be taken at all (here a work folder that the user may not read; on Windows a
// folder where the lock file would be) would let a second tool in: the tool does not start.
TEST_F(HeadlessTest, AStartFolderThatCannotBeLockedIsRefused) {
  for (const char* working : {"VrkWork", "VrkKeep", "VrkResult"}) CreateFolder(Path(working));
  std::vector<std::string> arguments{"--run", "job.txt"};
  std::string program = ExecutableFolder() + kConsoleProgram;
#ifdef _WIN32
  CreateFolder(Path("VrkWork/") + FolderLock::kLockFileName);
#else
  std::filesystem::permissions(Path("VrkWork"), std::filesystem::perms::none);
  if (geteuid() == 0) {  // root may read any folder: the tool runs as the user "nobody"
    if (!IsRegularFile("/usr/bin/setpriv")) GTEST_SKIP() << "root, and no setpriv";
    arguments.insert(arguments.begin(),
                     {"--reuid=65534", "--regid=65534", "--clear-groups", program});
    program = "/usr/bin/setpriv";
  }
#endif
  const RunResult run = RunProgram(program, arguments);
  std::filesystem::permissions(Path("VrkWork"), std::filesystem::perms::owner_all);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "vrk-split-merge: cannot start in \"" + Shown(folder.path()) +
                         "\": its working folder VrkWork cannot be locked against another "
                         "vrk-split-merge: " +
                         SystemErrorText(SystemError::access_denied) + "\n");
  EXPECT_FALSE(Exists(Path("VrkKeep/sat_position.txt")));
}

#ifndef _WIN32
// The tool keeps no file at the name where it once kept its lock: a link planted there is never
// followed, and nothing is made where it leads.
TEST_F(HeadlessTest, ALinkAtTheLockFilesNameLeadsNowhere) {
  const TempFolder elsewhere;
  CreateFolder(Path("VrkWork"));
  std::filesystem::create_symlink(elsewhere / "victim", Path("VrkWork/vrk-split-merge.lock"));
  const RunResult run = Run({"--run", "missing.txt"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("VrkWork/vrk-split-merge.lock")));
}
#endif

// A run killed while it wrote leaves temporaries, each named in its journal before it was made;
// the next start removes those that still have the tool's shape, wherever they are, and nothing
// else: not the user's files and folders that look like the tool's, not a folder that took the
// place of a staging folder, not what a link leads to.
TEST_F(HeadlessTest, StartUpRemovesTheTemporariesOfAKilledRunAndNothingElse) {
  const std::vector<std::string> left_files = {
      "VrkWork/a.vrk.txt.0123456789abcdef.tmp", "VrkKeep/sat_position.txt.00112233445566aa.tmp",
      "antenna_list.txt.99887766554433bb.tmp", "sub/o.txt.fedcba9876543210.tmp"};
  // What a converter that was killed with the tool left beside the text form it wrote.
  const std::string converters = "VrkWork/east.vrk.txt.00aa11bb22cc33dd.tmp";
  const std::vector<std::string> left_folders = {"VrkResult/.vsm1a2", "sub/.vsm0b3"};
  const std::vector<std::string> users = {"merged.txt.0123456789abcdef.tmp",
                                          "VrkKeep/mytable.0123456789abcdef.tmp",
                                          ".vsm0a2/mydata.txt",
                                          "VrkKeep/.vsmfff/mine.txt",
                                          ".vsm0a2f/mine.vrk",
                                          "VrkWork/notes.txt",
                                          ".vsm0d5/mine.txt",
                                          "VrkWork/west.vrk.txt.00aa11bb22cc33dd.tmp"};
  const TempFolder elsewhere;
  WriteFile(elsewhere / "theirs.txt", "x");
  for (const auto* names : {&left_files, &users}) {
    for (const std::string& name : *names) {
      std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
      WriteFile(Path(name), "x");
    }
  }
  WriteFile(Path(converters), "x");
  {
    TemporaryJournal journal;
    ASSERT_TRUE(journal.Open(Path("VrkWork/") + kTemporaryJournalName));
    for (const std::string& name : left_files) journal.RecordFile(Path(name));
    for (const std::string& name : left_folders) {
      std::filesystem::create_directories(Path(name));
      WriteFile(Path(name + "/o.vrk"), "x");
      journal.RecordFolderMade(Path(name), HeldFolder::Open(Path(name))->id());
    }
    journal.RecordProgramOutput(Path("VrkWork/east.vrk.txt"));
    journal.RecordFile(Path("VrkWork/notes.txt"));  // named, but no writer's temporary
    journal.RecordFolderMade(Path(".vsm0d5"), HeldFolder::Open(elsewhere.path())->id());
#ifndef _WIN32
    // A staging folder of the killed run that someone replaced by a link to their folder.
    CreateFolder(Path("VrkResult/.vsm2c3"));
    journal.RecordFolderMade(Path("VrkResult/.vsm2c3"),
                             HeldFolder::Open(Path("VrkResult/.vsm2c3"))->id());
    RemoveEmptyFolder(Path("VrkResult/.vsm2c3"));
    std::filesystem::create_directory_symlink(elsewhere.path(), Path("VrkResult/.vsm2c3"));
    std::filesystem::create_directory_symlink(elsewhere.path(), Path(".vsm1b2"));
#endif
  }
  const RunResult run = Run({"--run", "missing.txt"});
  EXPECT_EQ(run.exit_code, 1);
  for (const auto* names : {&left_files, &left_folders}) {
    for (const std::string& name : *names) EXPECT_FALSE(IsPresent(Path(name))) << name;
  }
  EXPECT_FALSE(IsPresent(Path(converters)));
  for (const std::string& name : users) EXPECT_EQ(ReadFile(Path(name)), "x") << name;
  EXPECT_EQ(ReadFile(elsewhere / "theirs.txt"), "x");
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_symlink(Path("VrkResult/.vsm2c3")));
  EXPECT_TRUE(std::filesystem::is_symlink(Path(".vsm1b2")));
#endif
  EXPECT_TRUE(TemporaryJournal::Read(Path("VrkWork/") + kTemporaryJournalName).empty());
}

#ifndef _WIN32
// A start folder in which the working folders cannot be made (here: VrkResult's path would be
// longer than the system takes) would fail every write: the tool does not start, and removes the
// working folders it made.
TEST_F(HeadlessTest, AStartFolderWhoseWorkingFoldersCannotBeMadeIsRefused) {
  const std::string start = test_support::MakeDeepFolder(folder.path(), PATH_MAX - 8);
  WriteFile(start + "job.txt", BatchScript({"load list.txt"}));
  const RunResult run = Run({"--folder", start, "--run", "job.txt"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "vrk-split-merge: cannot start in \"" + Shown(start) +
                         "\": its working folder VrkResult cannot be created: " +
                         std::strerror(ENAMETOOLONG) + "\n");
  EXPECT_EQ(FilesIn(start.substr(folder.path().size())), std::vector<std::string>{"job.txt"});
}

// Under a file size limit (ulimit -f) the system would end the tool in the middle of a write.
// The write fails like any other instead: reported, the earlier file intact, no temporary left.
TEST_F(HeadlessTest, AFileSizeLimitFailsTheWriteLikeAnyOther) {
  WriteFile(Path("big.txt"), GenerateChannelListText({.services = 4000, .seed = 3}));
  WriteFile(Path("out.txt"), "earlier");
  WriteFile(Path("job.txt"), BatchScript({"load big.txt", "save out.txt"}));
  rlimit unlimited{};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  rlimit limited = unlimited;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const RunResult run = Run({"--run", "job.txt"});
  setrlimit(RLIMIT_FSIZE, &unlimited);
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_NE(run.err.find("Nice....: Cannot write file \nout.txt\nFile too large\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadFile(Path("out.txt")), "earlier");
  EXPECT_TRUE(TemporariesIn(folder.path(), true).empty());
}

// `--trace | head -1`: once the reader of the trace is gone, the job goes on without its trace
// and its exit status still tells how it went.
TEST_F(HeadlessTest, AClosedStandardOutputEndsNoJob) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt", "save out.txt", "split"}));
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);  // the reader is gone before the first line
  const int status =
      RunCaptured(ExecutableFolder() + kConsoleProgram, {"--run", "job.txt", "--trace"},
                  folder.path(), "/proc/self/fd/" + std::to_string(ends[1]), output_folder / "err");
  close(ends[1]);
  EXPECT_EQ(status, 0) << ReadFile(output_folder / "err");
  EXPECT_TRUE(ReadFile(Path("out.txt")).starts_with("[MORVANE V3 FILE]"));
  EXPECT_TRUE(Exists(Path("antenna_list.txt")));
}
#endif

// A list whose two providers are named with 200 characters each, alike in their first 190.
std::string LongProviderNamesListText() {
  return CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Astra", "0\t1\t2\t3\t4\t5\t6\t7"),
               "[TS]", TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), "[NETWORK]", "[PROVIDER]",
               std::string(190, 'P') + "-first-one", std::string(190, 'P') + "-other-one",
               "[SERVICE]", ServiceLine("V", 0, 0, "Tv 1", 1, kPlainService),
               ServiceLine("V", 0, 1, "Tv 2", 2, kPlainService),
               ServiceLine("V", 0, 0, "Tv 3", 3, kPlainService),
               ServiceLine("R", 0, 1, "Radio", 1, kPlainService), "[MENU]"});
}

// Windows takes paths of at most 259 characters. Split by the tool started in a folder of 64,
// every piece of the long names is written, on Windows under a name cut to what keeps its paths
// within the limit (Linux keeps the 200), and the generated script merges them back to the
// counts of the list.
TEST_F(HeadlessTest, PiecesOfLongNamesAreWrittenAndMergeBack) {
  const std::string start = test_support::MakeDeepFolder(folder.path(), 64);
  const std::string below = start.substr(folder.path().size());
  WriteFile(start + "list.txt", LongProviderNamesListText());
  WriteFile(start + "job.txt",
            BatchScript({"load list.txt", "split_into_providers true", "split"}));
  const RunResult split = Run({"--folder", start, "--run", "job.txt", "--trace"});
  EXPECT_EQ(split.exit_code, 0);
  EXPECT_EQ(split.err, "");
  EXPECT_NE(split.out.find("\ncaption\tsplit_button\tSplit into 2 providers\n"), std::string::npos);
  EXPECT_TRUE(split.out.ends_with(Lines({"status\t1\tTv 3 , Radio 1"})));
#ifdef _WIN32
  // 64 + "VrkResult\.vsmNNN\" + 152 + ".vrk" + 21 = 259
  const std::vector<std::string> pieces{std::string(152, 'P') + ".vrk",
                                        std::string(150, 'P') + "_2.vrk"};
#else
  const std::vector<std::string> pieces{std::string(190, 'P') + "-first-one.vrk",
                                        std::string(190, 'P') + "-other-one.vrk"};
#endif
  EXPECT_EQ(FilesIn(below + "VrkResult"), pieces);

  const RunResult remerge = Run({"--folder", start, "--run", "provider_list.txt", "--trace"});
  EXPECT_EQ(remerge.exit_code, 0);
  EXPECT_EQ(remerge.err, "");
  EXPECT_TRUE(remerge.out.ends_with(RemergeTraceEnd("status\t1\tTv 3 , Radio 1"))) << remerge.out;
  EXPECT_TRUE(Exists(start + "provider_list.vrk"));
}

#ifdef _WIN32
// Windows takes paths of at most 259 characters. Below a start folder of 200, a piece with a name
// of 16 characters just fits; below a deeper one none would: the tool does not start there, and
// creates nothing.
TEST_F(HeadlessTest, AFolderTooDeepForThePiecesOfASplitIsRefused) {
  const std::string start = test_support::MakeDeepFolder(folder.path(), 200);
  WriteFile(start + "list.txt", LongProviderNamesListText());
  WriteFile(start + "job.txt",
            BatchScript({"load list.txt", "split_into_providers true", "split", "save list.vrk"}));
  const RunResult run = Run({"--folder", start, "--run", "job.txt"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::vector<std::string> pieces = FilesIn(start.substr(folder.path().size()) + "VrkResult");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].size() + pieces[1].size(), 2 * (16 + 4));

  CreateFolder(Path("x"));
  for (const std::size_t length : {201, 245}) {
    const std::string deeper = test_support::MakeDeepFolder(folder.path() + "x\\", length);
    WriteFile(deeper + "job.txt", BatchScript({"load list.txt"}));
    const RunResult refused = Run({"--folder", deeper, "--run", "job.txt"});
    EXPECT_EQ(refused.exit_code, 2) << length;
    EXPECT_EQ(refused.err, "vrk-split-merge: cannot start in \"" + Shown(deeper) +
                               "\": it is too deep: the pieces of a split, even with names of 16 "
                               "characters, would need paths longer than 259 characters\n");
    EXPECT_EQ(FilesIn(deeper.substr(folder.path().size())), std::vector<std::string>{"job.txt"});
  }
}
#endif

#ifndef _WIN32

// The environment variable NAME set (or unset) for the programs started while it lives.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(HeadlessTest, BareFolderStartsInTheToolsFolderAmongTheDocuments) {
  ScopedVariable no_config("XDG_CONFIG_HOME", nullptr);
  ScopedVariable no_documents("XDG_DOCUMENTS_DIR", nullptr);
  ScopedVariable home("HOME", Path("home").c_str());
  const auto working_folders = [](const std::string& folder) {
    std::vector<std::string> made{folder + "/VrkKeep", folder + "/VrkKeep/sat_position.txt",
                                  folder + "/VrkResult", folder + "/VrkWork"};
    for (const std::string& file : ToolsOwnFilesIn(folder + "/VrkWork")) made.push_back(file);
    return made;
  };
  struct Desktop {
    std::vector<std::string> folders;  // made in the home folder before the run
    std::string user_dirs;             // its .config/user-dirs.dirs, when not empty
    std::string start_folder;          // where the tool must start, below the home folder
  };
  for (const Desktop& desktop : std::vector<Desktop>{
           {{}, "", "VRK Split & Merge"},
           {{"Documents"}, "", "Documents/VRK Split & Merge"},
           {{"Documents", ".config"},
            "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
            "Dokumente/VRK Split & Merge"}}) {
    std::filesystem::remove_all(Path("home"));
    CreateFolder(Path("home"));
    std::vector<std::string> expected = desktop.folders;
    for (const std::string& folder : desktop.folders) CreateFolder(Path("home/" + folder));
    if (!desktop.user_dirs.empty()) {
      WriteFile(Path("home/.config/user-dirs.dirs"), desktop.user_dirs);
      expected.push_back(".config/user-dirs.dirs");
    }
    const RunResult result = Run({"--folder", "--run", "job.txt"});
    EXPECT_EQ(result.exit_code, 1);  // no job.txt in the new folder
    const std::string start = desktop.start_folder;
    for (std::size_t slash = 0; (slash = start.find('/', slash)) != std::string::npos; ++slash) {
      expected.push_back(start.substr(0, slash));
    }
    expected.push_back(start);
    for (const std::string& name : working_folders(start)) expected.push_back(name);
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(EverythingBelow("home"), expected) << start;
  }
}

#endif

// What a run was asked to do and what it reported decide its exit status: 0 when everything it
// was asked to read, merge, write and convert was done, also when boxes reported the data; 3 when
// it ended with some of it undone; 1 when FILE itself was not loaded.
struct OutcomeCase {
  const char* label;
  std::vector<std::string> script;  // the lines after the header
  int status;
  std::string reported;  // the start of a line on standard error ("" for none)
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.label; }

// A list of 33 antennas, one more than the tool warns about.
std::string ManyAntennasListText(std::string_view last_antenna = "Sat 32") {
  std::string text = CrLf({"[MORVANE V3 FILE]", "[ANTENNA]"});
  for (int i = 0; i <= 32; ++i) {
    const std::string name = i < 32 ? "Sat " + std::to_string(i) : std::string(last_antenna);
    text += CrLf({AntennaLine(name, Tabbed({i, 1, 2, 3, 4, 5, 6, 7}))});
  }
  return text +
         CrLf({"[TS]", TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), "[NETWORK]", "[PROVIDER]",
               "P", "[SERVICE]", ServiceLine("V", 0, 0, "Tv", 1, kPlainService), "[MENU]"});
}

class RunOutcomeTest : public HeadlessTest, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(RunOutcomeTest, ExitStatusTellsWhetherEverythingWasDone) {
  const OutcomeCase& c = GetParam();
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("b.txt"), OneAntennaListText("Hotbird", 3));
  WriteFile(Path("many.txt"), ManyAntennasListText());
  WriteFile(Path("negative.txt"),
            OneAntennaListText("Astra", 1) + CrLf({"[FAVORITE]", "0\t0\t-1"}));
  WriteFile(Path("broken.vrk"), "VRKL and nothing more");
  WriteFile(Path("radios.txt"), OneAntennaListText("Astra", 0));
  WriteFile(Path("holes.txt"), CrLf({"[MORVANE V3 FILE]", "[ANTENNA]", AntennaLine("Hotbird"),
                                     "[TS]", TransponderLine(0), "[NETWORK]", "[PROVIDER]", "P",
                                     "[SERVICE]", ServiceLine("V", 5, 0, "Lost"), "[MENU]"}));
  CreateFolder(Path("VrkKeep"));
  WriteFile(Path("VrkKeep/ANTENNA.txt"),
            CrLf({"0\t1\t2\t3\t4\t5\t6\t7\tAstra", "0\t1\t2\t3\t4\t5\t6\t7\tNowhere"}));
  WriteFile(Path("job.txt"), BatchScript(c.script));
  const RunResult result = Run({"--run", "job.txt"});
  EXPECT_EQ(result.exit_code, c.status) << result.err;
  if (c.reported.empty()) {
    EXPECT_EQ(result.err, "");
  } else {
    EXPECT_TRUE(result.err.starts_with(c.reported) ||
                result.err.find("\n" + c.reported) != std::string::npos)
        << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RunOutcomeTest,
    testing::Values(OutcomeCase{"everything_done",
                                {"load a.txt", "merge b.txt", "split", "save out.vrk"},
                                0,
                                ""},
                    OutcomeCase{"a_save_not_written",
                                {"load a.txt", "save missing/out.txt"},
                                3,
                                "Nice....: Cannot write file "},
                    OutcomeCase{"a_save_of_nothing",
                                {"save out.txt"},
                                3,
                                "Nice....: Nothing saved: no list is loaded \nout.txt"},
                    OutcomeCase{"a_conversion_failed",
                                {"load a.txt", "save missing/out.vrk"},
                                3,
                                "Nice....: Conversion failed: "},
                    OutcomeCase{"a_merge_of_a_missing_file",
                                {"load a.txt", "merge gone.txt"},
                                3,
                                "Nice....: MergeThisFile: File not found "},
                    OutcomeCase{"a_file_merged_twice",
                                {"load a.txt", "merge b.txt", "merge b.txt"},
                                3,
                                "Sorry, no go....: File already loaded or merged. "},
                    OutcomeCase{"a_list_that_cannot_be_converted",
                                {"load broken.vrk", "load a.txt"},
                                3,
                                "Nice....: LoadThisFile: File not found "},
                    OutcomeCase{"a_load_line_of_a_missing_file",
                                {"load gone.txt", "load a.txt"},
                                3,
                                "Nice....: LoadFile: No file specified or found.\ngone.txt\n"},
                    OutcomeCase{"a_load_line_of_a_quoted_name",
                                {"load \"a.txt\"", "save out.txt"},
                                3,
                                "Nice....: LoadFile: No file specified or found.\n\"a.txt\"\n"},
                    OutcomeCase{"a_merge_of_an_index_out_of_range",
                                {"load a.txt", "merge holes.txt"},
                                3,
                                "Nice....: MergeThisFile: index out of range \nholes.txt"},
                    OutcomeCase{"a_split_that_keeps_nothing",
                                {"load radios.txt", "remove_radios true", "split"},
                                3,
                                "Nice....: Nothing split: no channel is kept \n"},
                    OutcomeCase{"more_than_32_antennas",
                                {"load many.txt", "save out.txt"},
                                0,
                                "Warning !!!: More then 32 antennas ! "},
                    OutcomeCase{"a_negative_favourite",
                                {"load negative.txt", "save out.txt"},
                                0,
                                "Stop !!!: Favorite has negative channel index ! "},
                    OutcomeCase{"a_preferred_antenna_not_in_the_list",
                                {"load a.txt", "keep_pref_antennas true", "save out.txt"},
                                0,
                                "Nice....: Trying to keep a not existing antenna:"},
                    OutcomeCase{"satellites_not_in_the_list",
                                {"load a.txt", "use_satellite_position true", "save out.txt"},
                                0,
                                "File sat_position.txt....: "}),
    [](const auto& info) { return std::string(info.param.label); });

// List data is Windows-1252: a terminal on Linux gets it as UTF-8, the trace gets the bytes.
TEST_F(HeadlessTest, MessagesShowWindows1252DataInTheTerminalsEncoding) {
  WriteFile(Path("many.txt"), ManyAntennasListText("4\260W"));
  const RunResult result = Run({"--run", "many.txt", "--trace"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("message\tWarning !!!\tMore then 32 antennas ! \\r\\n4\260W\\r\\n"),
            std::string::npos)
      << result.out;
#ifndef _WIN32
  EXPECT_EQ(result.err, "Warning !!!: More then 32 antennas ! \n4\xC2\260W\nmany.txt\n");
#endif
}

#ifdef __linux__
// One system call as strace writes it: "PID name(arguments) = result".
struct SystemCall {
  std::string pid;
  std::string name;
  std::string arguments;
  std::string result;
};

std::vector<SystemCall> ReadSystemCalls(const std::string& log) {
  static const std::regex kCall(R"(^(\d+)\s+(\w+)\((.*)\)\s+= (\S+).*$)");
  std::vector<SystemCall> calls;
  std::istringstream lines(log);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, match, kCall)) {
      calls.push_back({match[1], match[2], match[3], match[4]});
    }
  }
  return calls;
}

// The quoted names among a call's arguments.
std::vector<std::string> QuotedNames(const std::string& arguments) {
  std::vector<std::string> names;
  for (std::size_t start = arguments.find('"'); start != std::string::npos;) {
    const auto end = arguments.find('"', start + 1);
    if (end == std::string::npos) break;
    names.push_back(arguments.substr(start + 1, end - start - 1));
    start = arguments.find('"', end + 1);
  }
  return names;
}

// True when, after the rename that puts `file` in place, the same process opens the folder of the
// new name and flushes it.
bool FolderFlushedAfterRename(const std::vector<SystemCall>& calls, const std::string& file) {
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (!calls[i].name.starts_with("rename") || calls[i].result != "0") continue;
    const auto names = QuotedNames(calls[i].arguments);
    if (names.size() != 2 || FilePart(names[1]) != file) continue;
    std::string folder(FolderPart(names[1]));
    if (folder.empty()) folder = ".";
    std::string descriptor;
    for (std::size_t j = i + 1; j < calls.size(); ++j) {
      const SystemCall& call = calls[j];
      if (call.pid != calls[i].pid) continue;
      const auto opened = QuotedNames(call.arguments);
      if (call.name == "openat" && opened.size() == 1 &&
          (opened[0] == folder || opened[0] + "/" == folder) &&
          call.arguments.find("O_DIRECTORY") != std::string::npos) {
        descriptor = call.result;
      } else if (call.name == "fsync" && !descriptor.empty() && call.arguments == descriptor &&
                 call.result == "0") {
        return true;
      }
    }
  }
  return false;
}

// A saved list stays saved after a power cut: after the rename that puts it in place, the
// folder that holds the new name is flushed to the disk. Watched with strace.
TEST_F(HeadlessTest, SavedListsAreOnTheDiskNameAndAll) {
  const std::string strace = "/usr/bin/strace";
  if (!std::filesystem::exists(strace)) GTEST_SKIP() << "strace is not installed";
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("job.txt"), BatchScript({"load a.txt", "save out.txt", "save out.vrk"}));
  const std::string log = output_folder / "calls";
  // LeakSanitizer cannot work in a process that strace follows.
  const char* sanitizer = std::getenv("ASAN_OPTIONS");
  const std::string options =
      std::string(sanitizer != nullptr ? sanitizer : "") + ":detect_leaks=0";
  const std::string tool = ExecutableFolder() + "vrk-split-merge";
  const RunResult result = RunProgram(
      strace, {"-f", "-qq", "-o", log, "-E", "ASAN_OPTIONS=" + options, "-e",
               "trace=openat,rename,renameat,renameat2,fsync", tool, "--run", "job.txt"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  ASSERT_TRUE(Exists(Path("out.vrk")));
  const auto calls = ReadSystemCalls(ReadFile(log));
  ASSERT_FALSE(calls.empty()) << result.err;
  EXPECT_TRUE(FolderFlushedAfterRename(calls, "out.txt"));
  EXPECT_TRUE(FolderFlushedAfterRename(calls, "out.vrk"));  // the converted list put in place
}
#endif

}  // namespace
}  // namespace vsm
