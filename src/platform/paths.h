#pragma once

#include <string>
#include <string_view>

namespace vsm {

#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
inline constexpr const char* kExecutableSuffix = ".exe";
#else
inline constexpr char kFolderSeparator = '/';
inline constexpr const char* kExecutableSuffix = "";
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

// A folder name with exactly one separator at its end.
inline std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) {
    folder += kFolderSeparator;
  }
  return folder;
}

// File-name tests look at the last four characters only, letter case included.
inline bool HasSuffix(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

}  // namespace vsm
