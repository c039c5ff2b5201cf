#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/paths.h"

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
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

std::string AbsolutePath(const std::string& name) { return FullPathName(name); }

namespace {

constexpr DWORD kHeldAccess = DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kHeldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;  // no one may delete or rename
constexpr DWORD kItselfFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

// Opens `name` itself, a link as the link, so that no one can rename or delete it while it is open.
HANDLE OpenItself(const std::string& name) {
  return CreateFileA(name.c_str(), kHeldAccess, kHeldSharing, nullptr, OPEN_EXISTING, kItselfFlags,
                     nullptr);
}

std::wstring Wide(const std::string& name) {
  const int size = static_cast<int>(name.size());
  std::wstring wide(
      static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0)),
      L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

bool IsRealFolder(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

NodeId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<std::vector<std::wstring>> EntriesThrough(HANDLE folder) {
  std::vector<std::uint64_t> buffer(8192);  // aligned as the records must be
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
  std::vector<std::wstring> names;
  for (auto kind = FileFullDirectoryRestartInfo;
       GetFileInformationByHandleEx(folder, kind, buffer.data(), size);
       kind = FileFullDirectoryInfo) {
    const char* record = reinterpret_cast<const char*>(buffer.data());
    for (const FILE_FULL_DIR_INFO* entry = nullptr;; record += entry->NextEntryOffset) {
      entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(record);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
      if (name != L"." && name != L"..") names.push_back(name);
      if (entry->NextEntryOffset == 0) break;
    }
  }
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return names;
}

// The names in the folder that `held` holds, read through a handle of their own, opened by `path`
// and checked to be that folder: a search by name is refused while the folder is held without
// delete sharing, and wine reads a handle's listing only once.
std::optional<std::vector<std::wstring>> EntriesOf(HANDLE held, const std::wstring& path) {
  HANDLE listing =
      CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  kItselfFlags, nullptr);
  if (listing == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION held_info, listing_info;
  std::optional<std::vector<std::wstring>> names;
  if (GetFileInformationByHandle(held, &held_info) &&
      GetFileInformationByHandle(listing, &listing_info) && IdOf(held_info) == IdOf(listing_info)) {
    names = EntriesThrough(listing);
  }
  CloseHandle(listing);
  return names;
}

// Marks what `handle` holds to be deleted when it is closed: the file, the empty folder or the
// link itself, whatever its name leads to by then.
bool DeleteThroughHandle(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// Removes what the folder open as `folder`, named `path`, holds: each entry opened itself, a
// folder emptied the same way, a link (a junction too) removed as the link.
bool EmptyFolderThrough(HANDLE folder, const std::wstring& path) {
  const auto names = EntriesOf(folder, path);
  bool emptied = names.has_value();
  for (const std::wstring& name : names.value_or(std::vector<std::wstring>{})) {
    const std::wstring entry_path = path + L"\\" + name;
    HANDLE entry = CreateFileW(entry_path.c_str(), kHeldAccess, kHeldSharing, nullptr,
                               OPEN_EXISTING, kItselfFlags, nullptr);
    if (entry == INVALID_HANDLE_VALUE) {
      emptied = false;
      continue;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool is_folder = GetFileInformationByHandle(entry, &info) && IsRealFolder(info);
    const bool inner_emptied = !is_folder || EmptyFolderThrough(entry, entry_path);
    emptied = DeleteThroughHandle(entry) && inner_emptied && emptied;
    CloseHandle(entry);
  }
  return emptied;
}

}  // namespace

std::optional<HeldFolder> HeldFolder::Open(const std::string& name) {
  HANDLE handle = OpenItself(name);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info) || !IsRealFolder(info)) {
    CloseHandle(handle);
    return std::nullopt;
  }
  return HeldFolder(handle, name, IdOf(info));
}

std::optional<HeldFolder> HeldFolder::MakeNew(const std::string& name, std::string* reason) {
  if (!CreateNewFolder(name, reason)) return std::nullopt;
  auto held = Open(name);
  // Someone who put a folder of theirs in its place at once would have the tool fill and remove it.
  if (!held ||
      !EntriesOf(held->handle_, Wide(name)).value_or(std::vector<std::wstring>{L"?"}).empty()) {
    if (reason != nullptr) *reason = "it was replaced as it was made";
    return std::nullopt;
  }
  return held;
}

bool HeldFolder::Remove() {
  if (handle_ == nullptr) return false;
  const bool emptied = EmptyFolderThrough(handle_, Wide(path_));
  const bool removed = DeleteThroughHandle(handle_) && emptied;
  Close();
  return removed;
}

bool HeldFolder::MoveOut(std::string_view name, const std::string& target,
                         std::string* reason) const {
  return ReplaceFile(WithTrailingSeparator(path_) + std::string(name), target, reason,
                     Durability::disk);
}

void HeldFolder::Close() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      id_(other.id_) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
    id_ = other.id_;
  }
  return *this;
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

namespace {

NodeId IdOf(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// The folder that holds `name` ("." for none) and the name in it, without separators at its end.
std::pair<std::string, std::string> ParentAndLeaf(std::string name) {
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  const auto slash = name.rfind('/');
  if (slash == std::string::npos) return {".", name};
  return {slash == 0 ? "/" : name.substr(0, slash), name.substr(slash + 1)};
}

int OpenParent(const std::string& parent) {
  return open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The folder `name` in the folder open as `parent`, never one that a link there leads to.
int OpenFolderAt(int parent, const char* name) {
  return openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

std::optional<std::vector<std::string>> EntriesAt(int folder) {
  // A descriptor of its own: reading the folder moves the position of the one it was opened as.
  const int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return std::nullopt;
  DIR* listing = fdopendir(listed);
  if (listing == nullptr) {
    close(listed);
    return std::nullopt;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(listing);
  return names;
}

bool EmptyFolderAt(int folder);

// A folder is emptied through its own descriptor and then removed; anything else, a link above
// all, loses its name and nothing more.
bool RemoveEntryAt(int folder, const std::string& name) {
  const int inner = OpenFolderAt(folder, name.c_str());
  if (inner < 0) return unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
  const bool emptied = EmptyFolderAt(inner);
  close(inner);
  return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 && emptied;
}

bool EmptyFolderAt(int folder) {
  const auto names = EntriesAt(folder);
  bool emptied = names.has_value();
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    emptied = RemoveEntryAt(folder, name) && emptied;
  }
  return emptied;
}

}  // namespace

std::optional<HeldFolder> HeldFolder::Open(const std::string& name) {
  auto [parent_name, leaf] = ParentAndLeaf(name);
  const int parent = OpenParent(parent_name);
  if (parent < 0) return std::nullopt;
  const int folder = OpenFolderAt(parent, leaf.c_str());
  struct stat status {};
  if (folder < 0 || fstat(folder, &status) != 0) {
    if (folder >= 0) close(folder);
    close(parent);
    return std::nullopt;
  }
  return HeldFolder(parent, folder, std::move(leaf), IdOf(status));
}

std::optional<HeldFolder> HeldFolder::MakeNew(const std::string& name, std::string* reason) {
  auto [parent_name, leaf] = ParentAndLeaf(name);
  const int parent = OpenParent(parent_name);
  const bool made = parent >= 0 && mkdirat(parent, leaf.c_str(), 0700) == 0;
  if (!made) {
    if (reason != nullptr) *reason = errno == EEXIST ? std::string() : LastSystemError();
    if (parent >= 0) close(parent);
    return std::nullopt;
  }
  const int folder = OpenFolderAt(parent, leaf.c_str());
  struct stat status {};
  // Someone who put a folder in its place at once would have the tool fill and remove theirs.
  if (folder < 0 || fstat(folder, &status) != 0 || status.st_uid != geteuid() ||
      !EntriesAt(folder).value_or(std::vector<std::string>{"?"}).empty()) {
    if (reason != nullptr) *reason = "it was replaced as it was made";
    if (folder >= 0) close(folder);
    close(parent);
    return std::nullopt;
  }
  return HeldFolder(parent, folder, std::move(leaf), IdOf(status));
}

bool HeldFolder::Remove() {
  if (folder_ < 0) return false;
  bool removed = EmptyFolderAt(folder_);
  // The folder itself goes only while its name still leads to it; a link put in its place goes as
  // a link, and a folder moved elsewhere stays there, empty.
  struct stat now {};
  if (fstatat(parent_, leaf_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
    removed = false;
  } else if (S_ISDIR(now.st_mode) && IdOf(now) == id_) {
    removed = unlinkat(parent_, leaf_.c_str(), AT_REMOVEDIR) == 0 && removed;
  } else {
    if (S_ISLNK(now.st_mode)) unlinkat(parent_, leaf_.c_str(), 0);
    removed = false;
  }
  Close();
  return removed;
}

bool HeldFolder::MoveOut(std::string_view name, const std::string& target,
                         std::string* reason) const {
  const bool moved = renameat(folder_, std::string(name).c_str(), AT_FDCWD, target.c_str()) == 0 &&
                     FlushFolderOf(target);
  if (!moved && reason != nullptr) *reason = LastSystemError();
  return moved;
}

void HeldFolder::Close() {
  if (folder_ >= 0) close(folder_);
  if (parent_ >= 0) close(parent_);
  folder_ = parent_ = -1;
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : parent_(std::exchange(other.parent_, -1)),
      folder_(std::exchange(other.folder_, -1)),
      leaf_(std::move(other.leaf_)),
      id_(other.id_) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Close();
    parent_ = std::exchange(other.parent_, -1);
    folder_ = std::exchange(other.folder_, -1);
    leaf_ = std::move(other.leaf_);
    id_ = other.id_;
  }
  return *this;
}

std::string AbsolutePath(const std::string& name) {
  return IsAbsolutePath(name) ? name : WithTrailingSeparator(CurrentFolder()) + name;
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
  std::string file = FinalTarget(name).value_or(name);
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

HeldFolder::~HeldFolder() { Close(); }

bool RemoveFolderTree(const std::string& folder) {
  if (auto held = HeldFolder::Open(folder)) return held->Remove();
  // No folder of its own stands there: a link (removed, never followed), a file, or nothing.
  return !IsPresent(folder) || RemoveFile(folder) || RemoveEmptyFolder(folder);
}

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

Expected<std::FILE*> OpenForReading(const std::string& name) {
#ifdef _WIN32
  // Opened by the system itself, whose reason says that another program holds the file, where
  // the C runtime would only say "Permission denied". The handle is not inherited.
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Failure(LastSystemError());
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (descriptor < 0) {
    CloseHandle(handle);
    return Failure(std::strerror(errno));
  }
  std::FILE* file = _fdopen(descriptor, "rb");
  if (file == nullptr) _close(descriptor);
#else
  std::FILE* file = std::fopen(name.c_str(), "rbe");  // e: closed on exec
#endif
  if (file == nullptr) return Failure(std::strerror(errno));
  return file;
}

Expected<std::string> ReadWholeFile(const std::string& name) {
  const auto size = FileSize(name);
  if (!size) return Failure(IsFolder(name) ? "it is a folder" : LastSystemError());
  auto file = OpenForReading(name);
  if (!file) return Failure(file.error());
  std::string content;
  content.reserve(static_cast<std::size_t>(*size));
  char buffer[1 << 16];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, *file)) > 0) content.append(buffer, count);
  const bool failed = std::ferror(*file) != 0;
  const int error = errno;
  std::fclose(*file);
  if (failed) return Failure(std::strerror(error));
  return content;
}

}  // namespace vsm
