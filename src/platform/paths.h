#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vsm {

#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
inline constexpr const char* kExecutableSuffix = ".exe";
// The longest path that the file functions of Windows take: MAX_PATH less its closing NUL, for a
// program that does not declare itself aware of long paths (this one does not).
inline constexpr std::optional<std::size_t> kLongestPath = 259;
#else
inline constexpr char kFolderSeparator = '/';
inline constexpr const char* kExecutableSuffix = "";
// No limit on a whole path beyond the system's own, which a write then reports.
inline constexpr std::optional<std::size_t> kLongestPath = std::nullopt;
#endif

// The file part of a name: the text after its last "\" or "/", extension kept.
inline std::string_view FilePart(std::string_view name) {
  const auto slash = name.find_last_of("\\/");
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// The folder part of a name: the text up to and including its last "\" or "/".
inline std::string_view FolderPart(std::string_view name) {
  const auto slash = name.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string_view() : name.substr(0, slash + 1);
}

// Whether a name is taken from the root of a drive or the file system rather than from the
// current folder.
inline bool IsAbsolutePath(std::string_view name) {
#ifdef _WIN32
  if (name.size() >= 2 && name[1] == ':') return true;  // "C:\lists", or "C:lists" on drive C
  return !name.empty() && (name.front() == '\\' || name.front() == '/');
#else
  return !name.empty() && name.front() == '/';
#endif
}

// A folder name with exactly one separator at its end.
inline std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) {
    folder += kFolderSeparator;
  }
  return folder;
}

// A name as a program's argument: a relative name that starts with "-" is given from the current
// folder ("./-o.vrk"), so that a program that takes such arguments for options takes it as a name.
inline std::string AsProgramArgument(std::string name) {
  if (name.starts_with('-')) name.insert(0, std::string(".") + kFolderSeparator);
  return name;
}

// Whether `name` ends in `suffix`, ASCII letters in either case: all that the tool's tests of a
// file name (".txt", ".vrk") look at, since lists from a receiver's stick are often named in
// capitals and ".TXT" is ".txt" to Windows.
inline bool HasSuffix(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view end = name.substr(name.size() - suffix.size());
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (lower(end[i]) != lower(suffix[i])) return false;
  }
  return true;
}

}  // namespace vsm
