#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/paths.h"

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
// The tool's own ReplaceFile (files.h), not the Win32 macro for ReplaceFileA.
#undef ReplaceFile
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vsm {

#ifdef _WIN32

std::optional<std::uint64_t> FileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsFolder(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& name) {
  if (DeleteFileA(name.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool CreateFolder(const std::string& name) {
  return CreateDirectoryA(name.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RemoveEmptyFolder(const std::string& name) { return RemoveDirectoryA(name.c_str()); }

bool CreateNewFolder(const std::string& name, std::string* reason) {
  if (CreateDirectoryA(name.c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  if (reason != nullptr)
    *reason = error == ERROR_ALREADY_EXISTS ? std::string() : LastSystemError();
  return false;
}

std::optional<std::vector<std::string>> FolderEntries(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((WithTrailingSeparator(folder) + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

bool RemoveFolderTree(const std::string& folder) {
  const auto names = FolderEntries(folder);
  if (!names) return false;
  bool removed = true;
  for (const std::string& name : *names) {
    const std::string path = WithTrailingSeparator(folder) + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    // A junction or a linked folder is removed itself, not what it leads to.
    const bool is_folder = attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    removed = (is_folder                                 ? RemoveFolderTree(path)
               : (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveEmptyFolder(path)
                                                         : RemoveFile(path)) &&
              removed;
  }
  return RemoveEmptyFolder(folder) && removed;
}

bool ChangeCurrentFolder(const std::string& name, std::string* reason) {
  if (SetCurrentDirectoryA(name.c_str())) return true;
  if (reason != nullptr) *reason = LastSystemError();
  return false;
}

bool ReplaceFile(const std::string& source, const std::string& target, std::string* reason,
                 Durability durability) {
  DWORD flags = MOVEFILE_REPLACE_EXISTING;
  if (durability == Durability::disk) flags |= MOVEFILE_WRITE_THROUGH;
  if (MoveFileExA(source.c_str(), target.c_str(), flags)) return true;
  if (reason != nullptr) *reason = LastSystemError();
  return false;
}

// Symbolic links on Windows need a privilege that users rarely have; names are taken as they are.
std::optional<std::string> FinalTarget(const std::string& name) { return name; }
bool IsSymbolicLink(const std::string&) { return false; }
bool IsPresent(const std::string& name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// `name` as the system turns it into a whole one: absolute, "/" as "\\", without "." and "..".
std::string FullPathName(const std::string& name) {
  std::string full(MAX_PATH + 1, '\0');
  DWORD length =
      GetFullPathNameA(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0) return name;
  full.resize(length);
  return full;
}

// An existing file's or folder's name with every short (8.3) part in its long form.
std::optional<std::string> LongPathName(const std::string& name) {
  std::string long_name(MAX_PATH + 1, '\0');
  DWORD length =
      GetLongPathNameA(name.c_str(), long_name.data(), static_cast<DWORD>(long_name.size()));
  if (length >= long_name.size()) {
    long_name.resize(length + 1);
    length = GetLongPathNameA(name.c_str(), long_name.data(), static_cast<DWORD>(long_name.size()));
  }
  if (length == 0) return std::nullopt;
  long_name.resize(length);
  return long_name;
}

}  // namespace

std::string FileIdentity(const std::string& name) {
  std::string identity = FullPathName(name);
  if (auto long_name = LongPathName(identity)) {
    identity = *long_name;
  } else {
    // A file not made yet: the long form of its folder.
    const auto slash = identity.find_last_of('\\');
    if (slash != std::string::npos) {
      if (auto folder = LongPathName(identity.substr(0, slash + 1))) {
        identity = WithTrailingSeparator(*folder) + identity.substr(slash + 1);
      }
    }
  }
  // The letter case of the ANSI code page, as the file systems of Windows ignore it.
  if (!identity.empty()) CharUpperBuffA(identity.data(), static_cast<DWORD>(identity.size()));
  return identity;
}

std::size_t PathLength(const std::string& name) {
  // The ANSI functions take the name through its UTF-16 form, whose whole path must fit; asked
  // for the whole path of a longer one they fail, but the wide function tells its length.
  const int size = static_cast<int>(name.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), static_cast<int>(wide.size()));
  const DWORD whole = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);  // with its NUL
  return whole > 0 ? whole - 1 : wide.size();
}

std::string CurrentFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  return std::string(buffer.data(), length);
}

std::string ExecutableFolder() {
  std::vector<char> buffer(32768);
  const DWORD length =
      GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  std::string path(buffer.data(), length);
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void LetFailedWritesBeReported() {}

std::string LastSystemError() {
  const DWORD error = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

#else

std::optional<std::uint64_t> FileSize(const std::string& name) {
  struct stat status {};
  if (stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

bool IsFolder(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsSymbolicLink(const std::string& name) {
  struct stat status {};
  return lstat(name.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool IsPresent(const std::string& name) {
  struct stat status {};
  return lstat(name.c_str(), &status) == 0;
}

bool RemoveFile(const std::string& name) {
  return unlink(name.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR;
}

bool CreateFolder(const std::string& name) {
  return mkdir(name.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(name));
}

bool RemoveEmptyFolder(const std::string& name) { return rmdir(name.c_str()) == 0; }

bool CreateNewFolder(const std::string& name, std::string* reason) {
  if (mkdir(name.c_str(), 0700) == 0) return true;
  if (reason != nullptr) *reason = errno == EEXIST ? std::string() : LastSystemError();
  return false;
}

std::optional<std::vector<std::string>> FolderEntries(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(listing);
  return names;
}

bool RemoveFolderTree(const std::string& folder) {
  struct stat status {};
  if (lstat(folder.c_str(), &status) != 0) return errno == ENOENT;
  if (!S_ISDIR(status.st_mode)) return RemoveFile(folder);  // a link is removed, not followed
  const auto names = FolderEntries(folder);
  bool removed = names.has_value();
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    removed = RemoveFolderTree(WithTrailingSeparator(folder) + name) && removed;
  }
  return RemoveEmptyFolder(folder) && removed;
}

bool ChangeCurrentFolder(const std::string& name, std::string* reason) {
  if (chdir(name.c_str()) == 0) return true;
  if (reason != nullptr) *reason = LastSystemError();
  return false;
}

namespace {

// The folder part of a name, with its "/" ("" for a name without folder). A "\\" is part of a
// file name here.
std::string FolderOf(const std::string& name) {
  const auto slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// Writes the folder that holds `name` to the disk, with the names it lists.
bool FlushFolderOf(const std::string& name) {
  const std::string folder = FolderOf(name);
  const int descriptor =
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  // A file system that cannot flush a folder (EINVAL) keeps its names by other means.
  const bool flushed = fsync(descriptor) == 0 || errno == EINVAL;
  const int error = errno;
  close(descriptor);
  errno = error;
  return flushed;
}

// The text of the symbolic link `name`, or nothing when `name` is no link.
std::optional<std::string> LinkText(const std::string& name) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink(name.c_str(), buffer.data(), buffer.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

// As many links as the system itself follows before it gives up (Linux: 40).
constexpr int kMaxLinksFollowed = 40;

}  // namespace

bool ReplaceFile(const std::string& source, const std::string& target, std::string* reason,
                 Durability durability) {
  const bool replaced = std::rename(source.c_str(), target.c_str()) == 0 &&
                        (durability == Durability::cache || FlushFolderOf(target));
  if (!replaced && reason != nullptr) *reason = LastSystemError();
  return replaced;
}

std::optional<std::string> FinalTarget(const std::string& name) {
  std::string current = name;
  for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
    const auto link = LinkText(current);
    if (!link) return current;
    current = link->starts_with('/') ? *link : FolderOf(current) + *link;
  }
  errno = ELOOP;
  return std::nullopt;
}

std::string FileIdentity(const std::string& name) {
  const std::string file = FinalTarget(name).value_or(name);
  const std::string folder = FolderOf(file);
  char* real_folder = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (real_folder == nullptr) return file;  // a folder that is not there holds no file
  std::string identity(real_folder);
  std::free(real_folder);
  if (!identity.ends_with('/')) identity += '/';
  return identity + file.substr(folder.size());
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

std::size_t PathLength(const std::string& name) {
  if (name.starts_with('/')) return name.size();
  return WithTrailingSeparator(CurrentFolder()).size() + name.size();
}

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return {};
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string LastSystemError() { return std::strerror(errno); }

void LetFailedWritesBeReported() {
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
}

#endif

bool IsRegularFile(const std::string& name) { return FileSize(name).has_value(); }

std::string NameAsCompared(std::string_view file_name) {
  std::string name(file_name);
#ifdef _WIN32
  if (!name.empty()) CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
#endif
  return name;
}

namespace {

// A name without the separators at its end; a root keeps its one.
std::string WithoutTrailingSeparators(std::string name) {
  while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  return name;
}

}  // namespace

bool CreateFolderWithParents(const std::string& name, std::string* reason) {
  // The missing folders, from `name` up to the first one that exists (a file in the way ends the
  // walk too, and creating the folder below it fails).
  std::vector<std::string> missing;
  for (std::string folder = WithoutTrailingSeparators(name);
       !folder.empty() && !IsFolder(folder) && !IsRegularFile(folder);
       folder = WithoutTrailingSeparators(std::string(FolderPart(folder)))) {
    missing.push_back(folder);
  }
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
    if (CreateFolder(*folder)) continue;
    if (reason != nullptr) *reason = LastSystemError();
    // The folders created so far lie above the one that failed: remove them, the deepest first.
    for (auto created = folder.base(); created != missing.end(); ++created) {
      RemoveEmptyFolder(*created);
    }
    return false;
  }
  return true;
}

std::FILE* OpenForReading(const std::string& name) {
#ifdef _WIN32
  return std::fopen(name.c_str(), "rbN");  // N: not inherited
#else
  return std::fopen(name.c_str(), "rbe");  // e: closed on exec
#endif
}

std::optional<std::string> ReadWholeFile(const std::string& name) {
  const auto size = FileSize(name);
  if (!size) return std::nullopt;
  std::FILE* file = OpenForReading(name);
  if (file == nullptr) return std::nullopt;
  std::string content;
  content.reserve(static_cast<std::size_t>(*size));
  char buffer[1 << 16];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return content;
}

}  // namespace vsm
