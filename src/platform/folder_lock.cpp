#include "platform/folder_lock.h"

#include <cerrno>
#include <utility>

#include "platform/files.h"

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
// closed, which the system does when the process ends. The handle is not inherited.
Expected<FolderLock, FolderLock::Refusal> FolderLock::Take(const std::string& lock_file) {
  HANDLE file = CreateFileA(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) return FolderLock(file);
  const bool held = GetLastError() == ERROR_SHARING_VIOLATION;
  return Unexpected<Refusal>{{held, LastSystemError()}};
}

void FolderLock::Release() {
  if (native_ != kNone) CloseHandle(static_cast<HANDLE>(native_));
  native_ = kNone;
}

#else

Expected<FolderLock, FolderLock::Refusal> FolderLock::Take(const std::string& lock_file) {
  int descriptor = open(lock_file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  // A link planted at the name is not followed: it is replaced by a file of the tool's own.
  if (descriptor < 0 && errno == ELOOP && unlink(lock_file.c_str()) == 0) {
    descriptor = open(lock_file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
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
