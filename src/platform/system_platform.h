#pragma once

#include "platform/platform.h"

namespace vsm {

// The operating system's side of the platform: programs, sleeping and the clock. The front ends
// derive from it and add the user interface.
class SystemPlatform : public Platform {
 public:
  void Sleep(std::chrono::milliseconds duration) override;
  std::chrono::steady_clock::time_point Now() override;
  Expected<std::unique_ptr<Process>> StartProgram(
      const std::string& program, const std::vector<std::string>& arguments) override;
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override;
  std::string ChooseFileToSave(std::string_view title, std::string_view folder) override;
};

// Starts a program directly from an argument vector, as the leader of a process group (a job on
// Windows) of its own; the system's reason when it cannot be started. Only a program named by an
// absolute path is started.
Expected<std::unique_ptr<Process>> StartSystemProcess(const std::string& program,
                                                      const std::vector<std::string>& arguments);

}  // namespace vsm
