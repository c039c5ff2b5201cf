#pragma once

#include <string>

#include "platform/expected.h"

namespace vsm {

// A lock that one process at a time holds on a file, for as long as the object lives. The system
// releases it when the process ends, however it ends, so that a killed process leaves no stale
// lock behind; programs that the process starts do not hold it.
class FolderLock {
 public:
  // Why a lock was not taken.
  struct Refusal {
    bool held_by_another = false;  // false: the lock file cannot be made or locked at all
    std::string reason;
  };

  // Takes the lock of `lock_file`, which it creates (replacing a symbolic link there) when needed.
  static Expected<FolderLock, Refusal> Take(const std::string& lock_file);

  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

 private:
#ifdef _WIN32
  using Native = void*;  // a HANDLE
  static constexpr Native kNone = nullptr;
#else
  using Native = int;  // a file descriptor
  static constexpr Native kNone = -1;
#endif
  explicit FolderLock(Native native) : native_(native) {}
  void Release();

  Native native_ = kNone;
};

}  // namespace vsm
