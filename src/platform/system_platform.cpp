#include "platform/system_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/argument_quoting.h"
#include "platform/files.h"
#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#ifdef __linux__
#include <sys/prctl.h>
#endif
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

Handle OpenNullDevice(DWORD access) {
  return Handle(CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
}

// A job that holds a program and every program it starts, so that stopping it stops them all.
// Its one handle is the tool's: when the tool ends, however it ends, the system closes it and
// stops every program in the job.
Handle MakeJob() {
  Handle job(CreateJobObjectA(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// The read end of the pipe on which a program writes its standard error, taken without ever
// waiting: the first kKeptErrorOutput bytes are kept, the rest dropped.
class ErrorPipe {
 public:
  explicit ErrorPipe(Handle read_end) : read_end_(std::move(read_end)) {}

  void Drain() {
    for (int reads = 0; read_end_ && reads < 16; ++reads) {
      DWORD available = 0;
      if (!PeekNamedPipe(read_end_.get(), nullptr, 0, nullptr, &available, nullptr)) {
        read_end_ = Handle();  // every writer has gone
        return;
      }
      if (available == 0) return;
      char buffer[1 << 16];
      DWORD got = 0;
      const DWORD wanted = std::min<DWORD>(available, sizeof buffer);
      if (!ReadFile(read_end_.get(), buffer, wanted, &got, nullptr) || got == 0) return;
      const std::size_t room = Process::kKeptErrorOutput - kept_.size();
      kept_.append(buffer, std::min<std::size_t>(room, got));
    }
  }
  const std::string& kept() const { return kept_; }

 private:
  Handle read_end_;
  std::string kept_;
};

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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      error_output_.Drain();
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      const DWORD wait = static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 10));
      if (WaitForSingleObject(info_.hProcess, wait) == WAIT_OBJECT_0) break;
      if (left.count() <= 10) return false;
    }
    DWORD code = 1;
    GetExitCodeProcess(info_.hProcess, &code);
    // What is left of its job is stopped before its output is used: a program that it started
    // and that went on writing would change a file already reported as made.
    if (job_) TerminateJobObject(job_.get(), 1);
    error_output_.Drain();
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
  std::string ErrorOutput() override {
    error_output_.Drain();
    return error_output_.kept();
  }

 private:
  void Stop() {
    if (job_) TerminateJobObject(job_.get(), 1);
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }

  PROCESS_INFORMATION info_;
  Handle job_;
  ErrorPipe error_output_;
  bool ended_ = false;
  bool killed_ = false;
  int exit_code_ = -1;
  DWORD raw_code_ = 0;
};

// A start refused for a passing reason (the program file held by a virus scanner, a system short
// of resources for a moment) is tried again, so that one such moment does not fail a conversion.
constexpr int kStartAttempts = 4;

bool IsLastingStartFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
      return true;
    default:
      return false;
  }
}

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
  HANDLE pipe_read = nullptr;
  HANDLE pipe_write = nullptr;
  if (!CreatePipe(&pipe_read, &pipe_write, nullptr, 0)) return Failure(LastSystemError());
  Handle error_read(pipe_read);
  Handle error_write(pipe_write);  // the tool's copy is closed once the program has its own
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = error_write.get();
  PROCESS_INFORMATION info{};
  for (int attempt = 0;; ++attempt) {
    BOOL started = FALSE;
    DWORD error = 0;
    {
      const InheritedWhileStarting inherit_input(input.get());
      const InheritedWhileStarting inherit_output(output.get());
      const InheritedWhileStarting inherit_error(error_write.get());
      started =
          CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                         CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
      error = GetLastError();
    }
    if (started) break;
    if (attempt == kStartAttempts - 1 || IsLastingStartFailure(error)) {
      SetLastError(error);
      return Failure(LastSystemError());
    }
    ::Sleep(50u << attempt);
  }
  Handle job = MakeJob();
  // A tool that runs in a job of its own may not be allowed to put its programs in another one.
  if (job && !AssignProcessToJobObject(job.get(), info.hProcess)) job = Handle();
  ResumeThread(info.hThread);
  return std::unique_ptr<Process>(
      std::make_unique<WindowsProcess>(info, std::move(job), std::move(error_read)));
}

#else

// A descriptor of the tool's own: closed on exec, and never one of the standard streams, so that
// moving the streams of a program into place cannot overwrite another of them.
int OwnDescriptor(int descriptor) {
  if (descriptor < 0 || descriptor > STDERR_FILENO) return descriptor;
  const int moved = fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(descriptor);
  return moved;
}

void CloseIfOpen(int& descriptor) {
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
}

// The read end of the pipe on which a program writes its standard error. What arrives is taken
// without ever waiting, so that a program still holding the pipe (a child that outlived its
// group's end) cannot hang the tool: the first kKeptErrorOutput bytes are kept, the rest dropped,
// so that a program that says gigabytes costs no memory and no disk.
class ErrorPipe {
 public:
  explicit ErrorPipe(int read_end) : read_end_(read_end) {}
  ~ErrorPipe() { CloseIfOpen(read_end_); }
  ErrorPipe(const ErrorPipe&) = delete;
  ErrorPipe& operator=(const ErrorPipe&) = delete;

  void Drain() {
    // Bounded, so that a program writing faster than the tool reads does not hold it here.
    for (int reads = 0; read_end_ >= 0 && reads < 16; ++reads) {
      char buffer[1 << 16];
      const ssize_t got = read(read_end_, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got == 0) CloseIfOpen(read_end_);  // every writer has gone
      if (got <= 0) return;
      const std::size_t room = Process::kKeptErrorOutput - kept_.size();
      kept_.append(buffer, std::min(room, static_cast<std::size_t>(got)));
    }
  }
  // Waits at most `limit` for something to read, or for the pipe to close.
  void WaitForOutput(std::chrono::microseconds limit) {
    if (read_end_ < 0) {
      std::this_thread::sleep_for(limit);
      return;
    }
    pollfd pipe_end{read_end_, POLLIN, 0};
    const timespec timeout{static_cast<time_t>(limit.count() / 1000000),
                           static_cast<long>(limit.count() % 1000000 * 1000)};
    ppoll(&pipe_end, 1, &timeout, nullptr);
  }
  const std::string& kept() const { return kept_; }

 private:
  int read_end_;
  std::string kept_;
};

class PosixProcess : public Process {
 public:
  PosixProcess(pid_t pid, int error_output) : pid_(pid), error_output_(error_output) {}
  ~PosixProcess() override {
    // A program that is no longer waited for must not stay behind, nor as a zombie.
    if (!ended_) {
      StopGroup();
      waitpid(pid_, nullptr, 0);
    }
  }
  bool WaitFor(std::chrono::milliseconds limit) override {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
      error_output_.Drain();
      if (Poll()) return true;
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline) return false;
      error_output_.WaitForOutput(std::min<std::chrono::microseconds>(
          pause, std::chrono::duration_cast<std::chrono::microseconds>(deadline - now)));
      pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
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
      WaitUntilTheGroupIsGone();
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
  std::string ErrorOutput() override {
    error_output_.Drain();
    return error_output_.kept();
  }

 private:
  // Once the program has ended, what is left of its group is stopped before its output is used:
  // a child that went on writing would change a file already reported as made. The program is
  // reaped only after that, so that its number cannot name another group meanwhile.
  bool Poll() {
    if (ended_) return true;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        info.si_pid != pid_) {
      return false;
    }
    StopGroup();
    waitpid(pid_, &status_, 0);
    ended_ = true;
    exit_code_ = WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    WaitUntilTheGroupIsGone();
    error_output_.Drain();
    return true;
  }
  // The program leads a process group of its own: the programs it started are in it too.
  void StopGroup() const {
    if (kill(-pid_, SIGKILL) != 0) kill(pid_, SIGKILL);
  }
  // A program killed in the middle of a write still finishes that write. Bounded: a parent that
  // never reaps an orphan leaves a zombie in the group, which writes nothing.
  void WaitUntilTheGroupIsGone() const {
    for (int tries = 0; tries < 20 && kill(-pid_, 0) == 0; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  pid_t pid_;
  ErrorPipe error_output_;
  int status_ = 0;
  bool ended_ = false;
  bool killed_ = false;
  int exit_code_ = -1;
};

// What the child of vfork needs, all prepared before: sharing the tool's memory until it starts
// the program, it may only make system calls.
struct ChildSetup {
  const char* program;
  char* const* arguments;
  pid_t parent;
  int input, output, error_output;  // become its standard streams
  int start_failure;                // receives errno when the program cannot be started
  sigset_t signal_mask;             // the tool's, for the program
};

void PutStream(int descriptor, int stream) {
  if (descriptor == stream) {
    fcntl(descriptor, F_SETFD, 0);
  } else {
    dup2(descriptor, stream);
  }
}

// A handler of the tool must not run in the child, which shares the tool's memory; and the
// signals that the tool ignores (a closed pipe, the file size limit) must end the program as
// they end any other, rather than be ignored by it too.
void ResetSignalsForTheProgram() {
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    if (sigaction(signal, nullptr, &action) != 0) continue;
    const bool ignored = action.sa_handler == SIG_IGN && (action.sa_flags & SA_SIGINFO) == 0;
    const bool reset = signal == SIGPIPE || signal == SIGXFSZ;
    if ((action.sa_handler != SIG_DFL && !ignored) || (ignored && reset)) {
      action = {};
      action.sa_handler = SIG_DFL;
      sigaction(signal, &action, nullptr);
    }
  }
}

[[noreturn]] void RunChild(const ChildSetup& setup) {
  setpgid(0, 0);
#ifdef __linux__
  // The program ends with the tool, however the tool ends, also when it is killed.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  if (getppid() != setup.parent) _exit(127);  // the tool ended before the line above
  ResetSignalsForTheProgram();
  PutStream(setup.input, STDIN_FILENO);
  PutStream(setup.output, STDOUT_FILENO);
  PutStream(setup.error_output, STDERR_FILENO);
  sigprocmask(SIG_SETMASK, &setup.signal_mask, nullptr);
  execve(setup.program, setup.arguments, environ);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(setup.start_failure, &error, sizeof error);
  _exit(127);
}

// Starts the child with vfork: the tool may hold hundreds of megabytes, which fork would have to
// map again for every one of hundreds of converters. No signal is taken while the child shares
// the tool's memory.
pid_t StartChild(ChildSetup& setup) {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &setup.signal_mask);
  const pid_t pid = vfork();
  if (pid == 0) RunChild(setup);
  const int error = errno;
  pthread_sigmask(SIG_SETMASK, &setup.signal_mask, nullptr);
  errno = error;
  return pid;
}

// The descriptors of a program's start: the tool's ends are closed once it has started.
struct StartDescriptors {
  StartDescriptors() {
    input = OwnDescriptor(open("/dev/null", O_RDONLY | O_CLOEXEC));
    output = OwnDescriptor(open("/dev/null", O_WRONLY | O_CLOEXEC));
    int pipe_ends[2] = {-1, -1};
    if (pipe2(pipe_ends, O_CLOEXEC) == 0) {
      error_read = OwnDescriptor(pipe_ends[0]);
      error_write = OwnDescriptor(pipe_ends[1]);
      fcntl(error_read, F_SETFL, O_NONBLOCK);
    }
    if (pipe2(pipe_ends, O_CLOEXEC) == 0) {
      failure_read = OwnDescriptor(pipe_ends[0]);
      failure_write = OwnDescriptor(pipe_ends[1]);
    }
  }
  ~StartDescriptors() {
    for (int* descriptor :
         {&input, &output, &error_read, &error_write, &failure_read, &failure_write}) {
      CloseIfOpen(*descriptor);
    }
  }
  StartDescriptors(const StartDescriptors&) = delete;
  StartDescriptors& operator=(const StartDescriptors&) = delete;
  bool ok() const {
    return input >= 0 && output >= 0 && error_read >= 0 && error_write >= 0 && failure_read >= 0 &&
           failure_write >= 0;
  }

  int input = -1, output = -1, error_read = -1, error_write = -1;
  int failure_read = -1, failure_write = -1;
};

// The errno that the child passed back when the program could not be started; 0 once it runs.
int StartFailure(int failure_read) {
  int error = 0;
  ssize_t got = 0;
  do {
    got = read(failure_read, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

Expected<std::unique_ptr<Process>> StartPosixProcess(const std::string& program,
                                                     const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  StartDescriptors descriptors;
  if (!descriptors.ok()) return Failure(std::strerror(errno));
  ChildSetup setup{program.c_str(),
                   argv.data(),
                   getpid(),
                   descriptors.input,
                   descriptors.output,
                   descriptors.error_write,
                   descriptors.failure_write,
                   {}};
  const pid_t pid = StartChild(setup);
  if (pid < 0) return Failure(std::strerror(errno));
  CloseIfOpen(descriptors.failure_write);
  if (const int error = StartFailure(descriptors.failure_read); error != 0) {
    waitpid(pid, nullptr, 0);
    return Failure(std::strerror(error));
  }
  const int error_output = std::exchange(descriptors.error_read, -1);
  return std::unique_ptr<Process>(std::make_unique<PosixProcess>(pid, error_output));
}

#endif

}  // namespace

Expected<std::unique_ptr<Process>> StartSystemProcess(const std::string& program,
                                                      const std::vector<std::string>& arguments) {
  // The system would look a relative or bare name up in the current folder, which anyone who
  // prepared it may have filled.
  if (!IsAbsolutePath(program)) return Failure("its name is not an absolute path");
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
