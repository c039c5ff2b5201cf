#include "platform/program_folder.h"

#include <algorithm>
#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vsm {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
constexpr char kSearchPathSeparator = ';';
#else
constexpr std::string_view kSeparators = "/";
constexpr char kSearchPathSeparator = ':';
#endif

std::string FolderOfProgram(const std::string& program) {
  if (!IsAbsolutePath(program) || !IsExecutableFile(program)) return {};
  return std::string(FolderPart(program));
}

}  // namespace

bool IsExecutableFile(const std::string& name) {
#ifdef _WIN32
  return IsRegularFile(name);
#else
  return IsRegularFile(name) && access(name.c_str(), X_OK) == 0;
#endif
}

std::string ProgramFolderFrom(std::string_view system_answer, std::string_view argv0,
                              std::string_view current_folder, std::string_view search_path) {
  if (IsAbsolutePath(system_answer)) return WithTrailingSeparator(std::string(system_answer));
  if (argv0.empty()) return {};
  const std::string name(argv0);
  if (name.find_first_of(kSeparators) != std::string::npos) {
    return FolderOfProgram(
        IsAbsolutePath(name) ? name : WithTrailingSeparator(std::string(current_folder)) + name);
  }
  // A relative folder of PATH ("." or "") names whatever folder the tool was started in.
  while (!search_path.empty()) {
    const std::size_t end = std::min(search_path.find(kSearchPathSeparator), search_path.size());
    const std::string folder(search_path.substr(0, end));
    search_path.remove_prefix(std::min(end + 1, search_path.size()));
    if (!IsAbsolutePath(folder)) continue;
    if (std::string found = FolderOfProgram(WithTrailingSeparator(folder) + name); !found.empty()) {
      return found;
    }
  }
  return {};
}

std::string ProgramFolder(std::string_view argv0) {
  const char* search_path = std::getenv("PATH");
  return ProgramFolderFrom(ExecutableFolder(), argv0, CurrentFolder(),
                           search_path != nullptr ? search_path : "");
}

}  // namespace vsm
