#pragma once

#include <string>

#include "platform/expected.h"

namespace vsm {

// A lock that one process at a time holds on a folder, for as long as the object lives. The system
// releases it when the process ends, however it ends, so that a killed process leaves no stale
// lock behind; programs that the process starts do not hold it. It holds the folder itself, not
// a name in it: a name deleted or replaced meanwhile lets no second process take the lock.
class FolderLock {
 public:
  // Why a lock was not taken.
  struct Refusal {
    bool held_by_another = false;  // false: the folder cannot be locked at all
    std::string reason;
  };

  // Takes the lock of `folder`: on POSIX a lock (flock) on the folder opened itself, never through
  // a link; on Windows its file kLockFileName opened without sharing, which no one can delete or
  // rename while it is open, nor the folder that holds it.
  static Expected<FolderLock, Refusal> Take(const std::string& folder);
  static constexpr const char* kLockFileName = "vrk-split-merge.lock";

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
