// The real tool, killed (SIGKILL, together with the converters it started) at random moments of a
// save or a split, never leaves a target cut short: each target is the earlier file, the complete
// new one, or (where the tool deletes a file before it makes it again) absent. The next start
// removes the temporaries that the killed run left, and nothing of the user's.

#include <gtest/gtest.h>

#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "generator/list_generator.h"
#include "list_text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "session/startup.h"
#include "temp_folder.h"

namespace vsm {
namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Tree = std::map<std::string, std::string>;  // relative name -> content
using test_support::BatchScript;

// Runs of the loop: a few dozen in `make test`, 200 in `make interrupt-test`, which sets
// VSM_INTERRUPT_RUNS. A split waits a second before it opens its script; one run in kSplitEvery is
// a split, the others saves.
int Runs() {
  const char* runs = std::getenv("VSM_INTERRUPT_RUNS");
  return runs != nullptr ? std::atoi(runs) : 40;
}
constexpr int kSplitEvery = 8;
using Microseconds = std::chrono::microseconds;
const char* const kInputs[] = {"a.txt", "b.txt", "save_job.txt", "split_antennas_job.txt",
                               "split_providers_job.txt"};

// Every file below `folder` with its content.
Tree ReadTree(const std::string& folder) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    tree[fs::relative(entry.path(), folder).string()] =
        test_support::ReadFile(entry.path().string());
  }
  return tree;
}

bool IsInput(const std::string& name) {
  return std::find(std::begin(kInputs), std::end(kInputs), name) != std::end(kInputs);
}

// Files that the tool deletes before it makes them again: pieces, their text forms, the
// re-merge scripts.
bool DeletedFirst(const std::string& name) {
  return name.starts_with("VrkResult/") || name.starts_with("VrkWork/") ||
         name == "antenna_list.txt" || name == "provider_list.txt";
}

// A temporary file of the tool's writer, or anything in the staging folder of a conversion; also
// the journal that names them, and its copy while it is written anew.
bool IsTemporary(const std::string& name) {
  static const std::regex staged("(.*/)?\\.vsm[0-9a-f]{3}/.*");
  return HasSuffix(name, ".tmp") || std::regex_match(name, staged) ||
         name.starts_with("VrkWork/" + std::string(kTemporaryJournalName));
}

// The user's own files in the shapes of the tool's temporaries, which no start may remove.
const char* const kLookAlikes[] = {".vsm0a2/mydata.txt", "VrkKeep/mytable.0123456789abcdef.tmp",
                                   "mine.txt.0123456789abcdef.tmp"};

class InterruptTest : public testing::Test {
 protected:
  void WriteList(std::string_view name, std::string_view content) {
    test_support::WriteFile(folder / name, content);
  }

  void SetUp() override {
    tool_ = ExecutableFolder() + "vrk-split-merge";
    ASSERT_TRUE(IsRegularFile(tool_)) << "build the tool vrk-split-merge beside the tests";
    // The converters that a killed tool leaves behind become this process's children, so that
    // each run ends only when all of its programs are gone.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    WriteList("a.txt", GenerateChannelListText(
                           {.services = 1500, .antennas = 4, .first_antenna = 0, .seed = 21}));
    WriteList("b.txt", GenerateChannelListText(
                           {.services = 1000, .antennas = 3, .first_antenna = 3, .seed = 22}));
    WriteList("save_job.txt",
              BatchScript({"load a.txt", "merge b.txt", "save out.txt", "save out.vrk"}));
    WriteList("split_antennas_job.txt", BatchScript({"load a.txt", "merge b.txt", "split"}));
    WriteList("split_providers_job.txt",
              BatchScript({"load a.txt", "merge b.txt", "split_into_providers true",
                           "use_satellite_position", "divide_fta_notfta true", "split"}));
  }

  // Starts the tool on `job` in the start folder, in a process group of its own.
  pid_t StartTool(const std::string& job) {
    const pid_t child = fork();
    if (child == 0) {
      setpgid(0, 0);
      if (chdir(folder.path().c_str()) != 0) _exit(126);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      execl(tool_.c_str(), tool_.c_str(), "--run", job.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    setpgid(child, child);  // also here, so that the group exists before any kill
    return child;
  }

  // Waits for the tool and every program it left behind.
  static void ReapAll() {
    while (waitpid(-1, nullptr, 0) > 0) {
    }
  }

  // The state before each run: the inputs, and an earlier version of every target.
  void LayOldFiles(const Tree& targets) {
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      if (!IsInput(entry.path().filename().string())) fs::remove_all(entry.path());
    }
    for (const char* sub : {"VrkWork", "VrkKeep", "VrkResult"}) {
      fs::create_directory(folder / sub);
    }
    for (const auto& [name, content] : targets) {
      if (name != "VrkKeep/sat_position.txt" && !IsTemporary(name))
        test_support::WriteFile(folder / name, "earlier " + name);
    }
    fs::create_directory(folder / ".vsm0a2");
    for (const char* name : kLookAlikes) test_support::WriteFile(folder / name, "the user's");
  }

  // A start after the run leaves no temporary but the user's look-alikes, and those intact.
  void ExpectTheNextStartToRemoveWhatIsLeft(int run) {
    int status = 0;
    waitpid(StartTool("missing.txt"), &status, 0);
    ReapAll();
    std::vector<std::string> left = test_support::TemporariesIn(folder.path(), true);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".vsm0a2", "mine.txt.0123456789abcdef.tmp",
                                              "mytable.0123456789abcdef.tmp"}))
        << "run " << run;
    for (const char* name : kLookAlikes) {
      EXPECT_EQ(test_support::ReadFile(folder / name), "the user's")
          << "run " << run << ": " << name;
    }
  }

  // Waits until a split has opened its script, its first write after the wait; false, with
  // `status` set, when the tool ended first.
  bool WaitUntilScriptOpened(pid_t tool, int& status) {
    const auto limit = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < limit) {
      for (const auto& entry : fs::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (name.find("_list.txt.") != std::string::npos && HasSuffix(name, ".tmp")) return true;
      }
      if (waitpid(tool, &status, WNOHANG) == tool) return false;
      std::this_thread::sleep_for(Microseconds(100));
    }
    ADD_FAILURE() << "the split never opened its script";
    return false;
  }

  struct Job {
    explicit Job(std::string job_script, bool is_split = false)
        : script(std::move(job_script)), splits(is_split) {}
    std::string script;
    bool splits;
    Tree made;                // the files of an uninterrupted run
    Microseconds writing{0};  // how long it writes (for a split: after opening its script)
  };

  void ReferenceRun(Job& job) {
    LayOldFiles({});
    int status = 0;
    auto start = Clock::now();
    const pid_t tool = StartTool(job.script);
    if (job.splits && WaitUntilScriptOpened(tool, status)) start = Clock::now();
    waitpid(tool, &status, 0);
    job.writing = std::chrono::duration_cast<Microseconds>(Clock::now() - start);
    ReapAll();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << job.script;
    job.made = ReadTree(folder.path());
    for (const char* input : kInputs) job.made.erase(input);
    EXPECT_FALSE(job.made.empty()) << job.script;
  }

  // Runs `job` from the earlier files and kills it after a random part of its writing; true when
  // the kill cut the run short. A run that ends first tells how long the writing takes now, while
  // the machine may be less busy than when it was measured.
  bool InterruptedRun(Job& job, std::mt19937& random) {
    LayOldFiles(job.made);
    std::uniform_int_distribution<long> delay(0, job.writing.count());
    int status = 0;
    const pid_t tool = StartTool(job.script);
    if (job.splits && !WaitUntilScriptOpened(tool, status)) return false;
    const auto start = Clock::now();
    for (const auto kill_at = start + Microseconds(delay(random)); Clock::now() < kill_at;) {
      if (waitpid(tool, &status, WNOHANG) == tool) {
        job.writing = std::chrono::duration_cast<Microseconds>(Clock::now() - start);
        ReapAll();
        return false;
      }
      std::this_thread::sleep_for(Microseconds(100));
    }
    kill(-tool, SIGKILL);
    waitpid(tool, &status, 0);
    ReapAll();
    return WIFSIGNALED(status);
  }

  void ExpectIntactTargets(const Tree& made, const Tree& found, int run) {
    for (const auto& [name, content] : found) {
      if (IsInput(name) || IsTemporary(name)) continue;
      const auto expected = made.find(name);
      ASSERT_NE(expected, made.end()) << "run " << run << ": unexpected file " << name;
      EXPECT_TRUE(content == expected->second || content == "earlier " + name)
          << "run " << run << ": " << name << " is cut short or mixed (" << content.size()
          << " bytes of " << expected->second.size() << ")";
    }
    for (const auto& [name, content] : made) {
      if (!found.contains(name)) {
        EXPECT_TRUE(DeletedFirst(name) || name == "VrkKeep/sat_position.txt" ||
                    name == "VrkWork/ANTENNA.txt")
            << "run " << run << ": " << name << " is gone";
      }
    }
  }

  // A folder in memory where there is one: the tool flushes saved files to the disk, which would
  // make each run slow on a real disk and tell nothing more about a kill.
  test_support::TempFolder folder{fs::is_directory("/dev/shm") ? "/dev/shm" : ""};
  std::string tool_;
};

TEST_F(InterruptTest, AKilledSaveOrSplitLeavesEveryTargetOldNewOrAbsent) {
  Job jobs[] = {Job("save_job.txt"), Job("split_antennas_job.txt", true),
                Job("split_providers_job.txt", true)};
  // The shortest of a few uninterrupted runs: the machine may be busier while they run than
  // during the loop, and a kill timed after the end proves nothing.
  for (Job& job : jobs) {
    Microseconds shortest = Microseconds::max();
    for (int i = 0; i < 3; ++i) {
      ReferenceRun(job);
      shortest = std::min(shortest, job.writing);
    }
    job.writing = shortest;
  }
  ASSERT_FALSE(HasFailure());
  std::mt19937 random(20240601);
  int interrupted = 0;
  const int runs = Runs();
  for (int run = 0; run < runs; ++run) {
    Job& job = run % kSplitEvery != 0 ? jobs[0] : jobs[1 + (run / kSplitEvery) % 2];
    if (InterruptedRun(job, random)) ++interrupted;
    ExpectIntactTargets(job.made, ReadTree(folder.path()), run);
    ExpectTheNextStartToRemoveWhatIsLeft(run);
    if (HasFailure()) break;
  }
  // Many runs were cut off part-way; otherwise the loop proved little.
  EXPECT_GT(interrupted, runs / 4);
  RecordProperty("interrupted_runs", interrupted);
}

}  // namespace
}  // namespace vsm

#endif
