#include "captured_run.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/argument_quoting.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace vsm::test_support {

#ifdef _WIN32

namespace {

// A handle that the started program inherits.
HANDLE OpenInherited(const std::string& name, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  return CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& out, const std::string& err) {
  const HANDLE input = OpenInherited("NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE output = OpenInherited(out, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE errors = OpenInherited(err, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION info{};
  std::string command_line = BuildCommandLine(program, arguments);
  const bool started = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, folder.c_str(), &startup, &info);
  for (const HANDLE handle : {input, output, errors}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  if (!started) return -1;
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  const bool known = GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return known ? static_cast<int>(code) : -1;
}

#else

int RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& folder, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace vsm::test_support
