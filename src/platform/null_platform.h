#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vsm {

// A platform with nobody behind it, for running the engine where no user is asked and no program
// may start: the benchmarks and the fuzzers. It shows nothing, every dialog answers "" (as when
// cancelled), and no program starts (as when a converter is not there). Sleeps are not slept: its
// clock starts at zero and moves on only by the sleeps asked for, so the engine sees its waits
// pass and a run never depends on the time of day. It counts what it was asked for.
class NullPlatform : public Platform {
 public:
  void ShowMessage(std::string_view, std::string_view) override { ++messages_; }
  void SetStatus(StatusField, std::string_view) override {}
  void SetCaption(Button, std::string_view) override {}
  void SetChecked(Control, bool) override {}
  void DiscardPendingEvents(std::chrono::milliseconds) override {}

  void Sleep(std::chrono::milliseconds duration) override { slept_ += duration; }
  std::chrono::steady_clock::time_point Now() override {
    return std::chrono::steady_clock::time_point(slept_);
  }

  Expected<std::unique_ptr<Process>> StartProgram(const std::string&,
                                                  const std::vector<std::string>&) override {
    ++programs_refused_;
    return Failure("no program is started here");
  }

  std::string ChooseFileToOpen(std::string_view, std::string_view) override { return {}; }
  std::string ChooseFileToSave(std::string_view, std::string_view) override { return {}; }

  std::size_t messages() const { return messages_; }
  std::chrono::milliseconds slept() const { return slept_; }
  std::size_t programs_refused() const { return programs_refused_; }

 private:
  std::size_t messages_ = 0;
  std::chrono::milliseconds slept_{0};
  std::size_t programs_refused_ = 0;
};

}  // namespace vsm
