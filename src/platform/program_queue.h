#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vsm {

// Programs that the tool starts and does not wait for (the conversions to binary). At most
// `max_running` run at once; the others wait their turn. Each job names the files it reads and
// writes, so that the tool can wait for the jobs that touch a file before it uses that file.
// A program writes its output under a name of its own beside the target; only a program that
// ends well within its time limit has that output moved over the target, so that a program that
// fails, dies half-way or hangs never leaves a half-written target nor destroys an earlier one.
class ProgramQueue {
 public:
  struct Job {
    std::string program;
    std::vector<std::string> arguments;
    std::string source;  // the file the program reads
    std::string target;  // the file the program makes
    std::string output;  // where the program writes it, beside the file that `target` finally
                         // names; put in place of that file when the program succeeds (PutInPlace);
                         // empty when the program writes `target` itself
    std::chrono::seconds time_limit{120};  // a program still running then is stopped and fails
  };

  explicit ProgramQueue(std::size_t max_running);
  ~ProgramQueue();

  void Start(Platform& platform, Job job);
  // Waits for every job that reads or writes `file`, however named (FileIdentity), and for the
  // jobs queued before it.
  void WaitFor(Platform& platform, const std::string& file);
  void WaitAll(Platform& platform);
  // The targets of the jobs that failed since the last call, in the order they ended.
  std::vector<std::string> TakeFailedTargets(Platform& platform);
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
    std::unique_ptr<Process> process;
    std::chrono::steady_clock::time_point deadline;
  };

  void Reap(Platform& platform);
  void Finish(Running& running, bool succeeded);
  void Launch(Platform& platform);
  static bool Touches(const Queued& queued, const std::string& identity);
  void WaitForOne(Platform& platform);
  bool AnyEnded();

  std::size_t max_running_;
  std::deque<Queued> waiting_;
  std::vector<Running> running_;
  std::vector<std::string> failed_;
};

}  // namespace vsm
