#pragma once

#include <string>
#include <string_view>

namespace vsm {

// Whether `name` is a regular file that the process may run (on Windows: a regular file).
bool IsExecutableFile(const std::string& name);

// The folder of the running program, with a trailing separator: where the system says it runs
// from (ExecutableFolder), else `argv0` as the program was started: a name with a folder part
// taken from the current folder, a bare name looked up in the absolute folders of PATH, as the
// shell did. "" when neither gives an absolute folder that holds the program. Asked before the
// tool changes its current folder.
std::string ProgramFolder(std::string_view argv0);

// The same from given answers: the system's (`system_answer`, "" when it has none), the current
// folder and the value of PATH.
std::string ProgramFolderFrom(std::string_view system_answer, std::string_view argv0,
                              std::string_view current_folder, std::string_view search_path);

}  // namespace vsm
