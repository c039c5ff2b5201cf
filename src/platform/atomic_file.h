#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {

// What the writer adds to its target's name for its temporary file: "." + 16 hexadecimal digits
// + ".tmp".
inline constexpr std::size_t kTemporarySuffixLength = 1 + 16 + 4;

// Why `target` cannot be written where the file functions take paths of at most `longest_path`
// characters (PathLength): its temporary file's name, the target's with the temporary suffix,
// would be longer. Nothing when it fits, and always without a limit (on Linux).
std::optional<std::string> PathTooLongToWrite(
    const std::string& target, std::optional<std::size_t> longest_path = kLongestPath);

// Writes a file beside its target and puts it in place only when it is complete, so that a
// target is always either its old content or the whole new one. A target that is a symbolic link
// stays one: the file it finally leads to is written (see PutInPlace).
class AtomicFileWriter {
 public:
  // A target whose path is too long for the system (PathTooLongToWrite) fails before anything is
  // written. disk: the file is flushed to the device before the rename, and its folder after it.
  using Durability = ::vsm::Durability;

  explicit AtomicFileWriter(std::string target, Durability durability = Durability::cache);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool ok() const { return file_ != nullptr && error_.empty(); }
  void Write(std::string_view bytes);
  void WriteLine(std::string_view line) {  // every line ends in CR LF
    Write(line);
    Write("\r\n");
  }
  // Completes the file and moves it over the target. False, with error() set, when anything
  // failed; the target is then untouched and the temporary file is gone.
  bool Commit();
  // The system's reason for the first failure.
  const std::string& error() const { return error_; }
  const std::string& target() const { return target_; }

 private:
  void Fail();
  void Discard();

  std::string target_;       // as the caller named it
  std::string destination_;  // the file that the target finally names
  std::string temporary_;
  Durability durability_;
  std::FILE* file_ = nullptr;
  std::string error_;
};

// Moves the complete file `source` over the file that `target` finally names (FinalTarget), so
// that a symbolic link stays a link and the file it leads to gets the new content; the file
// takes that file's permission bits and owner, and is on the disk, name and all, on return.
// `source` must lie in that file's folder. False, with `reason` set, when it cannot be done.
bool PutInPlace(const std::string& source, const std::string& target, std::string* reason);

// Writes `content` to `target` atomically; on failure returns false and sets `reason`.
bool WriteFileAtomically(const std::string& target, std::string_view content, std::string* reason,
                         AtomicFileWriter::Durability durability);

}  // namespace vsm
