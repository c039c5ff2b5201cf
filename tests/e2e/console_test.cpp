// The console front end: its arguments, and end-to-end runs of the tool's executable, each in a
// fresh folder, checking its exit status, its output and the files it leaves.

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/console/tool_arguments.h"
#include "captured_run.h"
#include "platform/files.h"
#include "session/version.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using test_support::CrLf;
using test_support::Exists;
using test_support::OneAntennaListText;
using test_support::ReadFile;
using test_support::WriteFile;

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

TEST(ToolArguments, MistakesAreUsageErrors) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--run"}, {"--trace"}, {"--run", "a", "--run", "b"}, {"job.txt"}, {"-x"}}) {
    const ToolArguments line = ParseToolArguments(arguments);
    EXPECT_EQ(line.mode, ToolArguments::Mode::usage_error) << arguments.front();
    EXPECT_FALSE(line.error.empty());
  }
}

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

std::string Script(std::initializer_list<std::string_view> lines) {
  std::string text = CrLf({"[VRK_SPLIT_MERGE]"});
  for (const auto line : lines) text += CrLf({line});
  return text;
}

// Lines joined by LF, each ended by it: the form of the trace.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const auto line : lines) (text += line) += '\n';
  return text;
}

// On Windows the console face of the tool, the twin that a shell finds first.
#ifdef _WIN32
constexpr const char* kConsoleProgram = "vrk-split-merge.com";
#else
constexpr const char* kConsoleProgram = "vrk-split-merge";
#endif

class HeadlessTest : public testing::Test {
 protected:
  // Runs the tool with `arguments` in the temporary folder, its output captured in files there.
  RunResult Run(std::vector<std::string> arguments) {
    const std::string tool = ExecutableFolder() + kConsoleProgram;
    const std::string out = output_folder / "out";
    const std::string err = output_folder / "err";
    RunResult result;
    result.exit_code = test_support::RunCaptured(tool, arguments, folder.path(), out, err);
    if (result.exit_code == -1) ADD_FAILURE() << "cannot run " << tool;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
  }

  std::string Path(std::string_view name) const { return folder / name; }

  std::vector<std::string> FilesIn(std::string_view subfolder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path(subfolder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test_support::TempFolder folder;         // the tool's start folder
  test_support::TempFolder output_folder;  // its captured output, kept out of the start folder
};

const std::string kVersionTrace = "status\t1\t" + VersionText();

TEST_F(HeadlessTest, VersionAndHelp) {
  const RunResult version = Run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, VersionText() + "\n");

  const RunResult help = Run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: vrk-split-merge")) << help.out;
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
  EXPECT_EQ(result.out,
            Lines({kVersionTrace, "caption\tsave_button\tSave", "caption\tmerge_button\tMerge",
                   "caption\tsplit_button\tSplit per antenna", "status\t0\tDone loading.",
                   "caption\tload_button\tLoaded a.txt", "status\t1\tTv 2 , Radio 1"}));
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
  EXPECT_EQ(result.out,
            Lines({kVersionTrace, "caption\tsave_button\tSave", "caption\tmerge_button\tMerge",
                   "caption\tsplit_button\tSplit per antenna",
                   "message\tNice....\tLoadFile: No file specified or found.\\r\\ndir\\\\x\\ty.txt",
                   "caption\tload_button\tLoad", "status\t1\tTv 0 , Radio 0"}));
}

TEST_F(HeadlessTest, ScriptLoadsMergesAndSavesThroughTheConverter) {
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("b.txt"), OneAntennaListText("Hotbird", 3));
  WriteFile(Path("job.txt"), Script({"load a.txt", "merge b.txt", "save out.vrk"}));
  const RunResult result = Run({"--trace", "--run", "job.txt"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, Lines({kVersionTrace,
                               "caption\tsave_button\tSave",
                               "caption\tmerge_button\tMerge",
                               "caption\tsplit_button\tSplit per antenna",
                               "status\t0\ta",
                               "caption\tload_button\tLoaded a.txt",
                               "status\t1\tTv 2 , Radio 1",
                               "caption\tsave_button\tSave",
                               "caption\tmerge_button\tMerge",
                               "caption\tsplit_button\tSplit per antenna",
                               "status\t0\tb",
                               "status\t1\tMerging antennas...",
                               "status\t1\tMerging transponders...",
                               "status\t1\tMerging providers...",
                               "status\t1\tAdding channels...",
                               "status\t1\tMerging favorites...",
                               "caption\tmerge_button\tMerged b.txt",
                               "caption\tsave_button\tSaved out.vrk",
                               "status\t0\tDone loading.",
                               "caption\tload_button\tLoaded job.txt",
                               "status\t1\tTv 5 , Radio 2"}));
  // The run ends only after the conversion to binary has ended.
  EXPECT_TRUE(Exists(Path("out.vrk")));
  EXPECT_TRUE(ReadFile(Path("VrkWork/out.vrk.txt")).starts_with("[MORVANE V3 FILE]\r\n"));
}

TEST_F(HeadlessTest, SplitPiecesMergeAgainThroughTheGeneratedScript) {
  // A table that names exactly the list's satellites, so that no row is reported as unknown.
  CreateFolder(Path("VrkKeep"));
  WriteFile(Path("VrkKeep/sat_position.txt"), CrLf({"19.2\xB0"
                                                    "E\tAstra",
                                                    "13\xB0"
                                                    "E\tHotbird"}));
  WriteFile(Path("a.txt"), OneAntennaListText("Astra", 2));
  WriteFile(Path("b.txt"), OneAntennaListText("Hotbird", 3));
  WriteFile(Path("job.txt"), Script({"load a.txt", "merge b.txt", "split_into_providers true",
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
  EXPECT_TRUE(remerge.out.ends_with(
      Lines({"caption\tsave_button\tSaved provider_list.vrk", "status\t0\tDone loading.",
             "caption\tload_button\tLoaded provider_list.txt", "status\t1\tTv 5 , Radio 2"})));
  EXPECT_TRUE(Exists(Path("provider_list.vrk")));
}

}  // namespace
}  // namespace vsm
