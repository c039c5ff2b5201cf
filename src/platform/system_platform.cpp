#include "platform/system_platform.h"

#include "platform/argument_quoting.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace vsm {

const char* ButtonName(Button button) {
  switch (button) {
    case Button::load:
      return "load_button";
    case Button::merge:
      return "merge_button";
    case Button::save:
      return "save_button";
    case Button::split:
      return "split_button";
  }
  return "";
}

namespace {

#ifdef _WIN32

class WindowsProcess : public Process {
 public:
  explicit WindowsProcess(PROCESS_INFORMATION info) : info_(info) {}
  ~WindowsProcess() override {
    // As on POSIX, a program that is no longer waited for does not outlive its owner: it would
    // still be writing into folders that its owner may be removing.
    if (!ended_) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool WaitFor(std::chrono::milliseconds limit) override {
    if (ended_) return true;
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
      return false;
    }
    DWORD code = 1;
    GetExitCodeProcess(info_.hProcess, &code);
    exit_code_ = killed_ ? -1 : static_cast<int>(code);
    ended_ = true;
    return true;
  }
  int ExitCode() const override { return exit_code_; }
  void Kill() override {
    if (ended_) return;
    killed_ = true;
    TerminateProcess(info_.hProcess, 1);
    WaitFor(std::chrono::milliseconds(5000));
  }

 private:
  PROCESS_INFORMATION info_;
  bool ended_ = false;
  bool killed_ = false;
  int exit_code_ = -1;
};

#else

class PosixProcess : public Process {
 public:
  explicit PosixProcess(pid_t pid) : pid_(pid) {}
  ~PosixProcess() override {
    // A program that is no longer waited for must not stay behind as a zombie.
    if (!ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool WaitFor(std::chrono::milliseconds limit) override {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::microseconds(200);
    while (!Poll()) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline) return false;
      std::this_thread::sleep_for(
          std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
      pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
    return true;
  }
  int ExitCode() const override { return exit_code_; }
  void Kill() override {
    if (ended_) return;
    kill(pid_, SIGKILL);
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_) {
      ended_ = true;
      exit_code_ = -1;
    }
  }

 private:
  bool Poll() {
    if (ended_) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    ended_ = true;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
  }

  pid_t pid_;
  bool ended_ = false;
  int exit_code_ = -1;
};

#endif

}  // namespace

std::unique_ptr<Process> StartSystemProcess(const std::string& program,
                                            const std::vector<std::string>& arguments) {
#ifdef _WIN32
  std::string command_line = BuildCommandLine(program, arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    return nullptr;
  }
  return std::make_unique<WindowsProcess>(info);
#else
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return nullptr;
  return std::make_unique<PosixProcess>(pid);
#endif
}

void SystemPlatform::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

std::chrono::steady_clock::time_point SystemPlatform::Now() {
  return std::chrono::steady_clock::now();
}

std::unique_ptr<Process> SystemPlatform::StartProgram(const std::string& program,
                                                      const std::vector<std::string>& arguments) {
  return StartSystemProcess(program, arguments);
}

std::string SystemPlatform::ChooseFileToOpen(std::string_view, std::string_view) { return {}; }
std::string SystemPlatform::ChooseFileToSave(std::string_view, std::string_view) { return {}; }

}  // namespace vsm
