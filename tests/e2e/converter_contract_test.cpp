// The contract between the tool and its converters (their names, source then target, a text form
// that starts with "[MORVANE V3 FILE]"), proven with a second pair: the stand-in converters of
// tests/standin_converters, strict programs of another binary format that refuse a target of
// another ending, write their output in pieces, chatter on their standard output and say why they
// refuse a file. The whole job, run with the bundled converters and with the stand-in ones
// through --converters, must show the same outcome and write the same text forms.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "captured_run.h"
#include "format/reader.h"
#include "generator/list_generator.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "session/startup.h"
#include "temp_folder.h"
#include "workspace_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vsm {
namespace {

using namespace test_support;

#ifdef _WIN32
constexpr const char* kTool = "vrk-split-merge.com";
#else
constexpr const char* kTool = "vrk-split-merge";
#endif

std::string StandInFolder() { return ExecutableFolder() + "standin-converters" + kFolderSeparator; }

std::string Program(const std::string& folder, std::string_view name) {
  return folder + std::string(name) + kExecutableSuffix;
}

// Names with blanks and an 8-bit byte (é in Windows-1252), as a receiver owner's files have.
const char* const kLists[] = {"west list \xe9.vrk", "east list.vrk", "north list.vrk"};

std::string ListText(int which) {
  return GenerateChannelListText({.services = 120,
                                  .antennas = 3,
                                  .first_antenna = which * 2,
                                  .seed = static_cast<std::uint32_t>(40 + which)});
}

struct Outcome {
  int exit_code = -1;
  std::string trace;
  std::string errors;
};

// How long a split took is the one thing two runs may show differently.
std::string WithoutTimes(const std::string& trace) {
  return std::regex_replace(trace, std::regex("[0-9]{2} minutes [0-9]{2} seconds"), "<time>");
}

// One start folder whose lists are in the format of one converter pair, and the tool run there
// with that pair.
class JobFolder {
 public:
  explicit JobFolder(std::string converters) : converters_(std::move(converters)) {
    for (int which = 0; which < 3; ++which) {
      WriteFile(folder_ / "list.txt", ListText(which));
      EXPECT_EQ(RunCaptured(Program(converters_, "mvt2vrk"), {"list.txt", kLists[which]},
                            folder_.path(), output_ / "out", output_ / "err"),
                0)
          << ReadFile(output_ / "err");
    }
    RemoveFile(folder_ / "list.txt");
  }

  Outcome Run(const std::string& file) {
    Outcome outcome;
    outcome.exit_code = RunCaptured(ExecutableFolder() + kTool,
                                    {"--converters", converters_, "--run", file, "--trace"},
                                    folder_.path(), output_ / "out", output_ / "err");
    outcome.trace = WithoutTimes(ReadFile(output_ / "out"));
    outcome.errors = ReadFile(output_ / "err");
    return outcome;
  }

  // Every file the tool left, relative to the start folder, with its content: text files as they
  // are (the start folder's name taken out), binary lists as their pair's vrk2mvt reads them back.
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files;
    AddFilesBelow("", files);
    return files;
  }

  std::string Path(std::string_view name) const { return folder_ / name; }

 private:
  // Names as the system's 8-bit functions give them (on Windows the ANSI names, which
  // std::filesystem would give in UTF-8).
  void AddFilesBelow(const std::string& sub, std::map<std::string, std::string>& files) {
    for (const std::string& entry :
         FolderEntries(folder_ / sub).value_or(std::vector<std::string>{})) {
      const std::string name = sub + entry;
      const std::string path = folder_ / name;
      if (IsFolder(path)) {
        AddFilesBelow(name + kFolderSeparator, files);
      } else if (entry == kTemporaryJournalName) {
        files[name] = "";  // the tool's own, naming temporaries by random names
      } else {
        files[name] = HasSuffix(name, ".vrk") ? TextOf(path) : WithoutStartFolder(ReadFile(path));
      }
    }
  }
  std::string TextOf(const std::string& vrk) {
    const std::string text = output_ / "back.txt";
    const int status = RunCaptured(Program(converters_, "vrk2mvt"), {vrk, text}, folder_.path(),
                                   output_ / "out", output_ / "err");
    return status == 0 ? ReadFile(text) : "cannot be read back: " + ReadFile(output_ / "err");
  }
  std::string WithoutStartFolder(std::string text) const {
    for (std::size_t at; (at = text.find(folder_.path())) != std::string::npos;) {
      text.replace(at, folder_.path().size(), "<start>");
    }
    return text;
  }

  std::string converters_;
  TempFolder folder_;
  TempFolder output_;  // the tool's captured output, kept out of the start folder
};

const std::string kJob =
    BatchScript({std::string("load ") + kLists[0], std::string("merge ") + kLists[1],
                 std::string("merge ") + kLists[2], "save merged list.vrk", "save merged list.txt",
                 "split", "split_into_providers true", "use_satellite_position true",
                 "divide_fta_notfta true", "split"});

class ConverterContractTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsRegularFile(Program(StandInFolder(), "vrk2mvt")))
        << "build the stand-in converters (tests/standin_converters) beside the tests";
  }
};

TEST_F(ConverterContractTest, TheWholeJobGoesAlikeWithAnotherConverterPair) {
  JobFolder bundled(ExecutableFolder());
  JobFolder stand_in(StandInFolder());
  for (JobFolder* folder : {&bundled, &stand_in}) WriteFile(folder->Path("job.txt"), kJob);
  for (const char* file : {"job.txt", "antenna_list.txt", "provider_list.txt"}) {
    SCOPED_TRACE(file);
    const Outcome expected = bundled.Run(file);
    const Outcome found = stand_in.Run(file);
    EXPECT_EQ(expected.exit_code, 0) << expected.errors;
    EXPECT_EQ(found.exit_code, expected.exit_code);
    EXPECT_EQ(found.errors, expected.errors);  // nothing of the stand-in's chatter
    EXPECT_EQ(found.trace, expected.trace);
  }
  const auto expected = bundled.Files();
  const auto found = stand_in.Files();
  // The job really split and merged back: pieces of both splits and the re-merged lists.
  EXPECT_TRUE(expected.contains("VrkResult" + std::string(1, kFolderSeparator) + "Astra.vrk"));
  EXPECT_TRUE(expected.contains("provider_list.vrk"));
  EXPECT_TRUE(expected.contains("antenna_list.vrk"));
  EXPECT_GT(expected.size(), 20u);
  EXPECT_EQ(found.size(), expected.size());
  for (const auto& [name, content] : expected) {
    const auto other = found.find(name);
    if (other == found.end()) {
      ADD_FAILURE() << name << " was not written with the stand-in converters";
    } else if (HasSuffix(name, ".vrk")) {
      // Their binary forms differ; what the tool wrote into them does not.
      EXPECT_EQ(other->second, content) << name;
      EXPECT_TRUE(content.starts_with("[MORVANE V3 FILE]\r\n")) << name << ": " << content;
    } else {
      EXPECT_EQ(other->second, content) << name;
    }
  }
}

TEST_F(ConverterContractTest, TheConvertersReasonIsInTheBoxAndNothingElseOfItsOutput) {
  JobFolder stand_in(StandInFolder());
  WriteFile(stand_in.Path("foreign.vrk"), "VRKL, not of the stand-in's kind");
  const Outcome load = stand_in.Run("foreign.vrk");
  EXPECT_EQ(load.exit_code, 1);
  const std::string text_form =
      stand_in.Path(std::string("VrkWork") + kFolderSeparator + "foreign.vrk.txt");
  EXPECT_EQ(load.errors,
            "Nice....: LoadThisFile: File not found \nforeign.vrk\n" + text_form +
                "\nvrk2mvt: foreign.vrk: wrong magic number, not a stand-in channel list\n"
                "Nice....: LoadFile: No file specified or found.\nforeign.vrk\n");

  WriteFile(stand_in.Path("job.txt"),
            BatchScript({std::string("load ") + kLists[1], "merge foreign.vrk", "save out.VRK"}));
  const Outcome job = stand_in.Run("job.txt");
  EXPECT_EQ(job.exit_code, 3);
  EXPECT_EQ(job.errors,
            "Nice....: MergeThisFile: File not found \nforeign.vrk\n"
            "vrk2mvt: foreign.vrk: wrong magic number, not a stand-in channel list\n");
  // A save as "out.VRK" is converted into "out.VRK" itself: the stand-in, a Windows program,
  // takes that ending for its own.
  EXPECT_TRUE(IsRegularFile(stand_in.Path("out.VRK")));
  EXPECT_FALSE(Exists(stand_in.Path("out.VRK.vrk")));
}

// The stand-in's vrk2mvt hangs on a file that starts with "HANG", after starting a program that
// writes its process number into the file named on that line and hangs too.
class HangingConverterTest : public WorkspaceTest {
 protected:
  HangingConverterTest() {
    workspace.settings.converter_folder = StandInFolder();
    workspace.settings.converter_timeout_seconds = 1;
  }
  ~HangingConverterTest() override {
    if (!child_.empty() && RunsNow(child_)) Stop(child_);
  }

  // A killed process takes a moment to end: it is looked at for a while.
  static bool IsRunning(const std::string& pid) {
    for (int tries = 0; tries < 100; ++tries) {
      if (!RunsNow(pid)) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }
  static bool RunsNow(const std::string& pid) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, std::stoul(pid));
    if (process == nullptr) return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    // A zombie that nobody reaped has ended.
    const std::string stat = ReadFile("/proc/" + pid + "/stat");
    const std::size_t state = stat.rfind(')');
    return state != std::string::npos && state + 2 < stat.size() && stat[state + 2] != 'Z';
#endif
  }
  // The process id that the stand-in's second process wrote into `pid_file`.
  static std::string ReadPid(const std::string& pid_file) {
    std::string pid = ReadFile(pid_file);
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) pid.pop_back();
    return pid;
  }
  static void Stop(const std::string& pid) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, std::stoul(pid));
    if (process != nullptr) {
      TerminateProcess(process, 1);
      CloseHandle(process);
    }
#else
    kill(std::stoi(pid), SIGKILL);
#endif
  }

  std::string child_;
};

TEST_F(HangingConverterTest, IsStoppedWithTheProgramItStarted) {
  ASSERT_TRUE(IsRegularFile(Program(StandInFolder(), "vrk2mvt")));
  const std::string pid_file = folder / "child.txt";
  WriteList("hang.vrk", "HANG" + pid_file + "\n");
  EXPECT_FALSE(Load("hang.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + Path("hang.vrk") +
                                           "\r\n" + workspace.settings.WorkPath("hang.vrk.txt") +
                                           "\r\nstopped after 1 s");
  child_ = ReadPid(pid_file);
  ASSERT_FALSE(child_.empty()) << "the hanging converter started no program";
  EXPECT_FALSE(IsRunning(child_)) << "process " << child_ << " outlived its converter";
}

// The stand-in's vrk2mvt refuses a file that starts with "LEAVE" once it has started a program
// that writes its process number into the file named on that line and goes on running.
TEST_F(HangingConverterTest, AProgramThatAConverterLeftRunningIsStoppedWhenItEnds) {
  const std::string pid_file = folder / "child.txt";
  WriteList("leave.vrk", "LEAVE" + pid_file + "\n");
  EXPECT_FALSE(Load("leave.vrk"));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "LoadThisFile: File not found \r\n" + Path("leave.vrk") +
                                           "\r\n" + workspace.settings.WorkPath("leave.vrk.txt") +
                                           "\r\nvrk2mvt: " + Path("leave.vrk") +
                                           ": refused, with a program of its own left running");
  child_ = ReadPid(pid_file);
  ASSERT_FALSE(child_.empty()) << "the converter started no program";
  EXPECT_FALSE(IsRunning(child_)) << "process " << child_ << " outlived its converter";
}

#ifdef __linux__
// The process that started `pid`, from its status line.
std::string ParentOf(const std::string& pid) {
  const std::string stat = ReadFile("/proc/" + pid + "/stat");
  const std::size_t end_of_name = stat.rfind(')');
  if (end_of_name == std::string::npos) return {};
  std::istringstream fields(stat.substr(end_of_name + 1));
  std::string state;
  std::string parent;
  fields >> state >> parent;
  return parent;
}

// The tool, killed while it waits for a hanging converter, takes that converter with it.
TEST_F(HangingConverterTest, EndsWithAKilledTool) {
  const std::string pid_file = folder / "child.txt";
  WriteList("hang.vrk", "HANG" + pid_file + "\n");
  const std::string tool = ExecutableFolder() + kTool;
  const std::string converters = StandInFolder();
  const pid_t started = fork();
  if (started == 0) {
    const int null_device = open("/dev/null", O_WRONLY);
    dup2(null_device, STDOUT_FILENO);
    dup2(null_device, STDERR_FILENO);
    if (chdir(folder.path().c_str()) == 0) {
      execl(tool.c_str(), tool.c_str(), "--converters", converters.c_str(), "--run", "hang.vrk",
            static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  for (int tries = 0; tries < 2000 && ReadPid(pid_file).empty(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  child_ = ReadPid(pid_file);
  const std::string converter = child_.empty() ? std::string() : ParentOf(child_);
  kill(started, SIGKILL);
  waitpid(started, nullptr, 0);
  ASSERT_FALSE(converter.empty()) << "the hanging converter started no program";
  EXPECT_FALSE(IsRunning(converter)) << "converter " << converter << " outlived the killed tool";
}
#endif

}  // namespace
}  // namespace vsm
