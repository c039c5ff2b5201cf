#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vsm::fuzz {

// A platform for fuzzing: shows nothing, never waits, and never starts a program (every start
// fails, as for a converter that is not there), so that a fuzzed input cannot run anything.
class QuietPlatform : public Platform {
 public:
  void ShowMessage(std::string_view, std::string_view) override { ++messages; }
  void SetStatus(StatusField, std::string_view) override {}
  void SetCaption(Button, std::string_view) override {}
  void SetChecked(Control, bool) override {}
  void DiscardPendingEvents(std::chrono::milliseconds) override {}
  void Sleep(std::chrono::milliseconds duration) override { clock_ += duration; }
  std::chrono::steady_clock::time_point Now() override {
    return std::chrono::steady_clock::time_point(clock_);
  }
  std::unique_ptr<Process> StartProgram(const std::string& program,
                                        const std::vector<std::string>&) override {
    refused_programs.push_back(program);
    return nullptr;
  }
  std::string ChooseFileToOpen(std::string_view, std::string_view) override { return {}; }
  std::string ChooseFileToSave(std::string_view, std::string_view) override { return {}; }

  int messages = 0;
  std::vector<std::string> refused_programs;

 private:
  std::chrono::steady_clock::duration clock_{};
};

}  // namespace vsm::fuzz
