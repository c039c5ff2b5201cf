#include "platform/folder_lock.h"

#include <cerrno>
#include <utility>

#include "platform/files.h"
#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vsm {

#ifdef _WIN32

// A file opened without sharing is the lock: no other process can open it until the handle is
// closed, which the system does when the process ends. The handle is not inherited, and a link at
// its name is opened itself, never followed.
Expected<FolderLock, FolderLock::Refusal> FolderLock::Take(const std::string& folder) {
  const std::string lock_file = WithTrailingSeparator(folder) + kLockFileName;
  HANDLE file =
      CreateFileA(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) return FolderLock(file);
  const bool held = GetLastError() == ERROR_SHARING_VIOLATION;
  return Unexpected<Refusal>{{held, LastSystemError()}};
}

void FolderLock::Release() {
  if (native_ != kNone) CloseHandle(static_cast<HANDLE>(native_));
  native_ = kNone;
}

#else

Expected<FolderLock, FolderLock::Refusal> FolderLock::Take(const std::string& folder) {
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (descriptor < 0) return Unexpected<Refusal>{{false, LastSystemError()}};
  if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return FolderLock(descriptor);
  const bool held = errno == EWOULDBLOCK;
  Refusal refusal{held, LastSystemError()};
  close(descriptor);
  return Unexpected<Refusal>{std::move(refusal)};
}

void FolderLock::Release() {
  if (native_ != kNone) close(native_);
  native_ = kNone;
}

#endif

FolderLock::FolderLock(FolderLock&& other) noexcept
    : native_(std::exchange(other.native_, kNone)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    native_ = std::exchange(other.native_, kNone);
  }
  return *this;
}

FolderLock::~FolderLock() { Release(); }

}  // namespace vsm
