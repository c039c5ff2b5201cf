#include "platform/system_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/argument_quoting.h"
#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
extern char** environ;
#endif

namespace vsm {

namespace {

#ifdef _WIN32

// A handle that is closed with its owner.
class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      if (handle_ != nullptr) CloseHandle(handle_);
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_;
};

// A file without a lasting name for what a program writes to its standard error: deleted by the
// system once the last handle to it is closed, however the tool ends.
Handle MakeCaptureFile() {
  char folder[MAX_PATH + 1] = {};
  char name[MAX_PATH + 1] = {};
  if (GetTempPathA(sizeof folder, folder) == 0 || GetTempFileNameA(folder, "vsm", 0, name) == 0) {
    return Handle();
  }
  return Handle(CreateFileA(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

Handle OpenNullDevice(DWORD access) {
  return Handle(CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
}

// A job that holds a program and every program it starts, so that stopping it stops them all.
Handle MakeJob() {
  Handle job(CreateJobObjectA(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

std::string ReadCapture(HANDLE file) {
  if (file == nullptr || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    return {};
  }
  std::string text(Process::kKeptErrorOutput, '\0');
  DWORD read = 0;
  if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
  text.resize(read);
  return text;
}

class WindowsProcess : public Process {
 public:
  WindowsProcess(PROCESS_INFORMATION info, Handle job, Handle error_output)
      : info_(info), job_(std::move(job)), error_output_(std::move(error_output)) {}
  ~WindowsProcess() override {
    // As on POSIX, a program that is no longer waited for does not outlive its owner: it would
    // still be writing into folders that its owner may be removing.
    if (!ended_) Stop();
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
    raw_code_ = code;
    ended_ = true;
    return true;
  }
  int ExitCode() const override { return exit_code_; }
  void Kill() override {
    if (ended_) return;
    killed_ = true;
    Stop();
    WaitFor(std::chrono::milliseconds(5000));
  }
  std::string EndText() const override {
    if (killed_) return "stopped";
    // Large codes are the system's status values (0xC0000005 for an access violation).
    char text[32];
    std::snprintf(text, sizeof text, raw_code_ >= 0x10000000u ? "0x%08lX" : "%lu",
                  static_cast<unsigned long>(raw_code_));
    return std::string("exit status ") + text;
  }
  std::string ErrorOutput() override { return ReadCapture(error_output_.get()); }

 private:
  void Stop() {
    if (job_) TerminateJobObject(job_.get(), 1);
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }

  PROCESS_INFORMATION info_;
  Handle job_;
  Handle error_output_;
  bool ended_ = false;
  bool killed_ = false;
  int exit_code_ = -1;
  DWORD raw_code_ = 0;
};

// Lets the next program started inherit `handle`, and no longer once it is started. The tool runs
// on one thread, so no other program can be started meanwhile and inherit it by mistake.
class InheritedWhileStarting {
 public:
  explicit InheritedWhileStarting(HANDLE handle) : handle_(handle) {
    if (handle_ != nullptr) SetHandleInformation(handle_, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  ~InheritedWhileStarting() {
    if (handle_ != nullptr) SetHandleInformation(handle_, HANDLE_FLAG_INHERIT, 0);
  }
  InheritedWhileStarting(const InheritedWhileStarting&) = delete;
  InheritedWhileStarting& operator=(const InheritedWhileStarting&) = delete;

 private:
  HANDLE handle_;
};

Expected<std::unique_ptr<Process>> StartWindowsProcess(const std::string& program,
                                                       const std::vector<std::string>& arguments) {
  std::string command_line = BuildCommandLine(program, arguments);
  Handle input = OpenNullDevice(GENERIC_READ);
  Handle output = OpenNullDevice(GENERIC_WRITE);
  Handle error_output = MakeCaptureFile();
  const HANDLE error_handle = error_output ? error_output.get() : output.get();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = error_handle;
  PROCESS_INFORMATION info{};
  BOOL started = FALSE;
  {
    const InheritedWhileStarting inherit_input(input.get());
    const InheritedWhileStarting inherit_output(output.get());
    const InheritedWhileStarting inherit_error(error_output.get());
    started =
        CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
  }
  if (!started) return Failure(LastSystemError());
  Handle job = MakeJob();
  // A tool that runs in a job of its own may not be allowed to put its programs in another one.
  if (job && !AssignProcessToJobObject(job.get(), info.hProcess)) job = Handle();
  ResumeThread(info.hThread);
  return std::unique_ptr<Process>(
      std::make_unique<WindowsProcess>(info, std::move(job), std::move(error_output)));
}

#else

// A file without a name for what a program writes to its standard error: nothing is left behind
// however the tool ends. Closed on exec, so that only the program it is given to gets it.
int MakeCaptureFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string name = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
#ifdef O_TMPFILE
  const int unnamed = open(name.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (unnamed >= 0) return unnamed;
#endif
  name += "/vrk-split-merge-XXXXXX";
  const int named = mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) unlink(name.c_str());
  return named;
}

std::string ReadCapture(int descriptor) {
  if (descriptor < 0) return {};
  std::string text(Process::kKeptErrorOutput, '\0');
  const ssize_t read = pread(descriptor, text.data(), text.size(), 0);
  text.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
  return text;
}

class PosixProcess : public Process {
 public:
  PosixProcess(pid_t pid, int error_output) : pid_(pid), error_output_(error_output) {}
  ~PosixProcess() override {
    // A program that is no longer waited for must not stay behind, nor as a zombie.
    if (!ended_) {
      StopGroup();
      waitpid(pid_, nullptr, 0);
    }
    if (error_output_ >= 0) close(error_output_);
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
    StopGroup();
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_) {
      ended_ = true;
      killed_ = true;
      exit_code_ = -1;
    }
  }
  std::string EndText() const override {
    if (killed_) return "stopped";
    if (WIFSIGNALED(status_)) {
      const int signal = WTERMSIG(status_);
      return "ended by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    }
    return "exit status " + std::to_string(exit_code_);
  }
  std::string ErrorOutput() override { return ReadCapture(error_output_); }

 private:
  bool Poll() {
    if (ended_) return true;
    if (waitpid(pid_, &status_, WNOHANG) != pid_) return false;
    ended_ = true;
    exit_code_ = WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    return true;
  }
  // The program leads a process group of its own: the programs it started are in it too.
  void StopGroup() {
    if (kill(-pid_, SIGKILL) != 0) kill(pid_, SIGKILL);
  }

  pid_t pid_;
  int error_output_;
  int status_ = 0;
  bool ended_ = false;
  bool killed_ = false;
  int exit_code_ = -1;
};

// The file actions and attributes of a program's start, released when it is done.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

Expected<std::unique_ptr<Process>> StartPosixProcess(const std::string& program,
                                                     const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int error_output = MakeCaptureFile();
  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (error_output >= 0) {
    posix_spawn_file_actions_adddup2(&setup.actions, error_output, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&setup.attributes, 0);
  pid_t pid = 0;
  const int error =
      posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
  if (error != 0) {
    if (error_output >= 0) close(error_output);
    return Failure(std::strerror(error));
  }
  return std::unique_ptr<Process>(std::make_unique<PosixProcess>(pid, error_output));
}

#endif

}  // namespace

Expected<std::unique_ptr<Process>> StartSystemProcess(const std::string& program,
                                                      const std::vector<std::string>& arguments) {
#ifdef _WIN32
  return StartWindowsProcess(program, arguments);
#else
  return StartPosixProcess(program, arguments);
#endif
}

void SystemPlatform::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

std::chrono::steady_clock::time_point SystemPlatform::Now() {
  return std::chrono::steady_clock::now();
}

Expected<std::unique_ptr<Process>> SystemPlatform::StartProgram(
    const std::string& program, const std::vector<std::string>& arguments) {
  return StartSystemProcess(program, arguments);
}

std::string SystemPlatform::ChooseFileToOpen(std::string_view, std::string_view) { return {}; }
std::string SystemPlatform::ChooseFileToSave(std::string_view, std::string_view) { return {}; }

}  // namespace vsm
