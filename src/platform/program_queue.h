#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/platform.h"

namespace vsm {

// Why a program did not do its work, in the words that a box shows below its own text.
std::string NotStartedText(std::string_view system_reason);  // "could not be started: ..."
std::string StoppedText(std::chrono::seconds limit);         // "stopped after 120 s"
// The first line of what an ended program wrote to its standard error, else how it ended.
std::string FailureText(Process& process);

// Programs that the tool starts and does not wait for (the conversions to binary). At most
// `max_running` run at once; the others wait their turn. Each job names the files it reads and
// writes, so that the tool can wait for the jobs that touch a file before it uses that file.
// A program is given a file of the target's own name in a staging folder beside its destination
// (StagingFolder); only when it ends well within its time limit, with a file that is not empty,
// is that file moved over the destination, so that a program that fails, dies half-way or hangs
// never leaves a half-written target nor destroys an earlier one. A job may first have its file
// read back by a second program and checked (ReadBack).
class ProgramQueue {
 public:
  // Compares the file that the second program made with what the job was to make: the reason
  // when they differ, in the words of a box; nothing when they agree.
  using ReadBackCheck = std::function<std::optional<std::string>(const std::string& read_back)>;
  // A second program, started as `program STAGED_FILE READ_BACK` once the first one made its
  // file, which is put in place only when `check` finds the read-back right.
  struct ReadBack {
    std::string program;
    std::string name;       // its name in words ("vrk2mvt"), for the reason of a failure
    std::string beside;     // a file beside which the read-back is made, in a staging folder
    std::string file_name;  // the read-back's file name there
    std::chrono::seconds time_limit{120};
    ReadBackCheck check;
  };
  struct Job {
    std::string program;
    std::string source;       // the file the program reads: its first argument
    std::string target;       // the file it makes, as the tool names it
    std::string destination;  // where that file goes: the target, or the file it finally names
    std::chrono::seconds time_limit{120};  // a program still running then is stopped and fails
    std::optional<ReadBack> read_back{};
  };
  struct FailedJob {
    std::string target;
    std::string reason;
  };

  // The staging folders are named in `journal` (none: nullptr) while they exist.
  explicit ProgramQueue(std::size_t max_running, TemporaryJournal* journal = nullptr);
  ~ProgramQueue();

  void Start(Platform& platform, Job job);
  // Waits for every job that reads or writes `file`, however named (FileIdentity), and for the
  // jobs queued before it; true when there was one.
  bool WaitFor(Platform& platform, const std::string& file);
  void WaitAll(Platform& platform);
  // The jobs that failed since the last call, in the order they ended.
  std::vector<FailedJob> TakeFailures(Platform& platform);
  bool Idle() const { return running_.empty() && waiting_.empty(); }

 private:
  // A job with the identities of the files it touches (FileIdentity), worked out when it is
  // queued, so that a file is matched however it is named.
  struct Queued {
    Job job;
    std::string source_identity;
    std::string target_identity;
  };
  struct Running {
    Queued queued;
    StagingFolder staging;
    std::unique_ptr<Process> process;
    std::chrono::steady_clock::time_point deadline;
    bool stopped = false;                      // at its time limit
    std::optional<StagingFolder> read_back{};  // while the second program runs
  };

  void Reap(Platform& platform);
  bool Advance(Platform& platform, Running& running);
  std::optional<std::string> StartReadBack(Platform& platform, Running& running);
  static std::optional<std::string> OutputFailure(Running& running);
  static std::optional<std::string> ReadBackFailure(Running& running);
  void Launch(Platform& platform);
  void LaunchOne(Platform& platform, Queued queued);
  static bool Touches(const Queued& queued, const std::string& identity);
  void WaitForOne(Platform& platform);
  bool AnyEnded();

  std::size_t max_running_;
  TemporaryJournal* journal_;
  std::deque<Queued> waiting_;
  std::vector<Running> running_;
  std::vector<FailedJob> failed_;
};

}  // namespace vsm
