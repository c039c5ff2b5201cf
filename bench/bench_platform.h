#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_platform.h"

namespace vsm {

// The platform of the benchmarks: shows nothing, sleeps not at all but records each sleep the
// engine asks for, and starts no program, so that conversions (separate processes) stay out of
// the figures. The clock runs ahead by the sleeps recorded, so the engine sees its waits pass.
class BenchPlatform : public SystemPlatform {
 public:
  void ShowMessage(std::string_view, std::string_view) override { ++messages_; }
  void SetStatus(StatusField, std::string_view) override {}
  void SetCaption(Button, std::string_view) override {}
  void SetChecked(Control, bool) override {}
  void DiscardPendingEvents(std::chrono::milliseconds) override {}

  void Sleep(std::chrono::milliseconds duration) override { slept_ += duration; }
  std::chrono::steady_clock::time_point Now() override { return SystemPlatform::Now() + slept_; }

  std::unique_ptr<Process> StartProgram(const std::string&,
                                        const std::vector<std::string>&) override {
    ++programs_requested_;
    return nullptr;
  }

  std::chrono::milliseconds slept() const { return slept_; }
  std::size_t programs_requested() const { return programs_requested_; }
  std::size_t messages() const { return messages_; }

 private:
  std::chrono::milliseconds slept_{0};
  std::size_t programs_requested_ = 0;
  std::size_t messages_ = 0;
};

}  // namespace vsm
