#include "platform/program_queue.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace vsm {

using std::chrono::milliseconds;

ProgramQueue::ProgramQueue(std::size_t max_running) : max_running_(std::max<std::size_t>(1, max_running)) {}

ProgramQueue::~ProgramQueue() = default;

void ProgramQueue::Start(Platform& platform, Job job) {
  waiting_.push_back(std::move(job));
  Reap();
  Launch(platform);
}

bool ProgramQueue::Touches(const Job& job, const std::string& file) const {
  return job.source == file || job.target == file;
}

void ProgramQueue::Reap() {
  for (auto it = running_.begin(); it != running_.end();) {
    if (it->process->WaitFor(milliseconds(0))) {
      if (it->process->ExitCode() != 0) failed_.push_back(it->job.target);
      it = running_.erase(it);
    } else {
      ++it;
    }
  }
}

void ProgramQueue::Launch(Platform& platform) {
  while (running_.size() < max_running_ && !waiting_.empty()) {
    Job job = std::move(waiting_.front());
    waiting_.pop_front();
    auto process = platform.StartProgram(job.program, job.arguments);
    if (process == nullptr) {
      failed_.push_back(job.target);
      continue;
    }
    running_.push_back({std::move(job), std::move(process)});
  }
}

void ProgramQueue::WaitForOne(Platform& platform) {
  if (!running_.empty()) {
    running_.front().process->WaitFor(milliseconds(10));
    platform.DiscardPendingEvents(milliseconds(0));
  }
  Reap();
  Launch(platform);
}

void ProgramQueue::WaitFor(Platform& platform, const std::string& file) {
  auto pending = [&] {
    const bool running = std::any_of(running_.begin(), running_.end(),
                                     [&](const Running& r) { return Touches(r.job, file); });
    return running || std::any_of(waiting_.begin(), waiting_.end(),
                                  [&](const Job& job) { return Touches(job, file); });
  };
  Reap();
  while (pending()) WaitForOne(platform);
}

void ProgramQueue::WaitAll(Platform& platform) {
  Reap();
  while (!Idle()) WaitForOne(platform);
}

std::vector<std::string> ProgramQueue::TakeFailedTargets(Platform& platform) {
  Reap();
  Launch(platform);
  return std::exchange(failed_, {});
}

}  // namespace vsm
