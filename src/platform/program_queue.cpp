#include "platform/program_queue.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/files.h"

namespace vsm {

using std::chrono::milliseconds;

ProgramQueue::ProgramQueue(std::size_t max_running)
    : max_running_(std::max<std::size_t>(1, max_running)) {}

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

void ProgramQueue::Finish(Running& running, bool succeeded) {
  const Job& job = running.queued.job;
  const bool writes_aside = !job.output.empty() && job.output != job.target;
  if (succeeded && writes_aside) {
    std::string reason;
    succeeded = PutInPlace(job.output, job.target, &reason);
  }
  if (!succeeded) {
    if (writes_aside) RemoveFile(job.output);
    failed_.push_back(job.target);
  }
}

void ProgramQueue::Reap(Platform& platform) {
  for (auto it = running_.begin(); it != running_.end();) {
    bool ended = it->process->WaitFor(milliseconds(0));
    if (!ended && platform.Now() >= it->deadline) {
      it->process->Kill();
      ended = true;
    }
    if (ended) {
      Finish(*it, it->process->ExitCode() == 0);
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
    const Job& job = queued.job;
    auto process = platform.StartProgram(job.program, job.arguments);
    if (process == nullptr) {
      failed_.push_back(job.target);
      continue;
    }
    const auto deadline = platform.Now() + job.time_limit;
    running_.push_back({std::move(queued), std::move(process), deadline});
  }
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

void ProgramQueue::WaitFor(Platform& platform, const std::string& file) {
  const std::string identity = FileIdentity(file);
  auto pending = [&] {
    const bool running = std::any_of(running_.begin(), running_.end(),
                                     [&](const Running& r) { return Touches(r.queued, identity); });
    return running || std::any_of(waiting_.begin(), waiting_.end(),
                                  [&](const Queued& queued) { return Touches(queued, identity); });
  };
  Reap(platform);
  while (pending()) WaitForOne(platform);
}

void ProgramQueue::WaitAll(Platform& platform) {
  Reap(platform);
  while (!Idle()) WaitForOne(platform);
}

std::vector<std::string> ProgramQueue::TakeFailedTargets(Platform& platform) {
  Reap(platform);
  Launch(platform);
  return std::exchange(failed_, {});
}

}  // namespace vsm
