#include "platform/program_queue.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {

using std::chrono::milliseconds;

std::string NotStartedText(std::string_view system_reason) {
  return "could not be started: " + std::string(system_reason);
}

std::string StoppedText(std::chrono::seconds limit) {
  return "stopped after " + std::to_string(limit.count()) + " s";
}

std::string FailureText(Process& process) {
  const std::string said = process.ErrorOutput();
  std::string_view rest(said);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.find_first_not_of(" \t") != std::string_view::npos) return std::string(line);
  }
  return process.EndText();
}

ProgramQueue::ProgramQueue(std::size_t max_running, TemporaryJournal* journal)
    : max_running_(std::max<std::size_t>(1, max_running)), journal_(journal) {}

ProgramQueue::~ProgramQueue() = default;

void ProgramQueue::Start(Platform& platform, Job job) {
  std::string source_identity = FileIdentity(job.source);
  std::string target_identity = FileIdentity(job.target);
  waiting_.push_back({std::move(job), std::move(source_identity), std::move(target_identity)});
  Reap(platform);
  Launch(platform);
}

bool ProgramQueue::Touches(const Queued& queued, const std::string& identity) {
  return queued.source_identity == identity || queued.target_identity == identity;
}

std::optional<std::string> ProgramQueue::OutputFailure(Running& running) {
  const Job& job = running.queued.job;
  if (running.stopped) return StoppedText(job.time_limit);
  if (running.process->ExitCode() != 0) return FailureText(*running.process);
  const auto size = FileSize(running.staging.file());
  if (!size) return "it ended without writing the file";
  if (*size == 0) return "it wrote an empty file";
  return std::nullopt;
}

std::optional<std::string> ProgramQueue::ReadBackFailure(Running& running) {
  const ReadBack& read_back = *running.queued.job.read_back;
  std::optional<std::string> why;
  if (running.stopped) {
    why = StoppedText(read_back.time_limit);
  } else if (running.process->ExitCode() != 0) {
    why = FailureText(*running.process);
  } else if (!IsRegularFile(running.read_back->file())) {
    why = "it ended without writing the file";
  }
  if (why) return "it does not read back with " + read_back.name + ": " + *why;
  return read_back.check(running.read_back->file());
}

std::optional<std::string> ProgramQueue::StartReadBack(Platform& platform, Running& running) {
  const ReadBack& read_back = *running.queued.job.read_back;
  auto staging = StagingFolder::Make(read_back.beside, read_back.file_name, journal_);
  if (!staging) return staging.error();
  auto process = platform.StartProgram(
      read_back.program,
      {AsProgramArgument(running.staging.file()), AsProgramArgument(staging->file())});
  if (!process) {
    return "it does not read back with " + read_back.name + ": " + NotStartedText(process.error());
  }
  running.process = std::move(*process);
  running.read_back = std::move(*staging);
  running.deadline = platform.Now() + read_back.time_limit;
  running.stopped = false;
  return std::nullopt;
}

// Takes a job whose program has ended to its next step; true when the job is over.
bool ProgramQueue::Advance(Platform& platform, Running& running) {
  const Job& job = running.queued.job;
  std::optional<std::string> reason =
      running.read_back ? ReadBackFailure(running) : OutputFailure(running);
  if (!reason && job.read_back && !running.read_back) {
    reason = StartReadBack(platform, running);
    if (!reason) return false;
  }
  if (!reason) {
    if (auto placed = running.staging.PutInPlace(job.destination); !placed) {
      reason = placed.error();
    }
  }
  if (reason) failed_.push_back({job.target, std::move(*reason)});
  return true;
}

void ProgramQueue::Reap(Platform& platform) {
  for (auto it = running_.begin(); it != running_.end();) {
    bool ended = it->process->WaitFor(milliseconds(0));
    if (!ended && platform.Now() >= it->deadline) {
      it->process->Kill();
      it->stopped = true;
      ended = true;
    }
    if (ended && Advance(platform, *it)) {
      it = running_.erase(it);
    } else {
      ++it;
    }
  }
}

void ProgramQueue::Launch(Platform& platform) {
  while (running_.size() < max_running_ && !waiting_.empty()) {
    Queued queued = std::move(waiting_.front());
    waiting_.pop_front();
    LaunchOne(platform, std::move(queued));
  }
}

void ProgramQueue::LaunchOne(Platform& platform, Queued queued) {
  const Job& job = queued.job;
  auto staging = StagingFolder::Make(job.destination, FilePart(job.target), journal_);
  if (!staging) {
    failed_.push_back({job.target, staging.error()});
    return;
  }
  auto process = platform.StartProgram(
      job.program, {AsProgramArgument(job.source), AsProgramArgument(staging->file())});
  if (!process) {
    failed_.push_back({job.target, NotStartedText(process.error())});
    return;
  }
  const auto deadline = platform.Now() + job.time_limit;
  running_.push_back({std::move(queued), std::move(*staging), std::move(*process), deadline});
}

void ProgramQueue::WaitForOne(Platform& platform) {
  // Every running program is looked at about every half millisecond, for at most 10 ms. A
  // conversion takes a few milliseconds: waiting on the first one alone left a processor idle
  // whenever another ended first, and by as much as the first one's wait slept past its end.
  if (!running_.empty()) {
    const auto until = std::chrono::steady_clock::now() + milliseconds(10);
    while (!AnyEnded() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    platform.DiscardPendingEvents(milliseconds(0));
  }
  Reap(platform);
  Launch(platform);
}

bool ProgramQueue::AnyEnded() {
  return std::any_of(running_.begin(), running_.end(),
                     [](const Running& r) { return r.process->WaitFor(milliseconds(0)); });
}

bool ProgramQueue::WaitFor(Platform& platform, const std::string& file) {
  Reap(platform);
  // Working out a file's identity asks the file system; with nothing to wait for it is not needed.
  if (Idle()) return false;
  const std::string identity = FileIdentity(file);
  auto pending = [&] {
    const bool running = std::any_of(running_.begin(), running_.end(),
                                     [&](const Running& r) { return Touches(r.queued, identity); });
    return running || std::any_of(waiting_.begin(), waiting_.end(),
                                  [&](const Queued& queued) { return Touches(queued, identity); });
  };
  bool waited = false;
  for (; pending(); waited = true) WaitForOne(platform);
  return waited;
}

void ProgramQueue::WaitAll(Platform& platform) {
  Reap(platform);
  while (!Idle()) WaitForOne(platform);
}

std::vector<ProgramQueue::FailedJob> ProgramQueue::TakeFailures(Platform& platform) {
  Reap(platform);
  Launch(platform);
  return std::exchange(failed_, {});
}

}  // namespace vsm
