#include "platform/user_folders.h"

#include <cstdlib>

#include "platform/files.h"

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace vsm {
namespace {

std::string_view WithoutLeadingBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// The folder that one line XDG_DOCUMENTS_DIR="..." names, or "" for any other line.
std::string DocumentsFolderOfLine(std::string_view line, const std::string& home) {
  line = WithoutLeadingBlanks(line);
  if (!TakePrefix(line, "XDG_DOCUMENTS_DIR")) return {};
  line = WithoutLeadingBlanks(line);
  if (!TakePrefix(line, "=")) return {};
  line = WithoutLeadingBlanks(line);
  if (!TakePrefix(line, "\"")) return {};
  std::string folder;
  if (TakePrefix(line, "$HOME")) {
    if (!line.starts_with('/') && !line.starts_with('"')) return {};
    folder = home;
  } else if (!line.starts_with('/')) {
    return {};  // only a home-relative or an absolute path is meant to be there
  }
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      return folder;
    }
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    folder += line[i];
  }
  return {};  // no closing quote
}

#ifndef _WIN32

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFolder() {
  std::string home = Variable("HOME");
  if (home.empty()) {
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
      home = user->pw_dir;
    }
  }
  return home;
}

#endif

}  // namespace

std::string DocumentsFolderInUserDirs(std::string_view text, const std::string& home) {
  std::string folder;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (std::string named = DocumentsFolderOfLine(line, home); !named.empty()) {
      folder = std::move(named);
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return folder;
}

#ifdef _WIN32

std::string DocumentsFolder() {
  char folder[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
    return {};
  }
  return folder;
}

#else

std::string DocumentsFolder() {
  std::string home = HomeFolder();
  if (home.empty()) return {};
  // Relative values of the XDG variables are to be ignored.
  std::string config = Variable("XDG_CONFIG_HOME");
  if (!config.starts_with('/')) config = home + "/.config";
  if (const auto text = ReadWholeFile(config + "/user-dirs.dirs")) {
    if (std::string folder = DocumentsFolderInUserDirs(*text, home); !folder.empty()) return folder;
  }
  if (std::string folder = Variable("XDG_DOCUMENTS_DIR"); folder.starts_with('/')) return folder;
  if (IsFolder(home + "/Documents")) return home + "/Documents";
  return home;
}

#endif

}  // namespace vsm
