#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/expected.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/temporary_journal.h"

namespace vsm {

// What the writer adds to its target's name for its temporary file: "." + 16 hexadecimal digits
// + ".tmp".
inline constexpr std::size_t kTemporarySuffixLength = 1 + 16 + 4;

// Why `target` cannot be written where the file functions take paths of at most `longest_path`
// characters (PathLength): its temporary file's name, the target's with the temporary suffix,
// would be longer. Nothing when it fits, and always without a limit (on Linux).
std::optional<std::string> PathTooLongToWrite(
    const std::string& target, std::optional<std::size_t> longest_path = kLongestPath);

// What a write does with a symbolic link standing at its target's name. A name that the user gave
// (a save target) is followed, as editors do: the file it finally leads to gets the content. A
// name that the tool makes itself (a text form, a piece, a script, its tables) replaces the link
// with the new file, so that a link that someone else planted there leads the write nowhere.
enum class AtLink { follow, replace };

// The file that a write to `target` replaces; nothing, with errno set, for a chain of links that
// does not end.
std::optional<std::string> DestinationOf(const std::string& target, AtLink at_link);

// Why the file `destination` (DestinationOf) cannot be replaced by a regular file: "it is a
// folder"; "not a regular file" for a device, a FIFO or a socket (on Windows a device name);
// "read-only" for a file that the user marked so (the read-only attribute on Windows, no write
// permission for its owner elsewhere); on Windows the system's reason for a file that another
// program holds open. Nothing for a regular file, a link (which a write replaces) or a name that
// is free.
std::optional<std::string> UnfitDestination(const std::string& destination);

// Writes a file beside its target and puts it in place only when it is complete, so that a
// target is always either its old content or the whole new one. A symbolic link standing at the
// target is followed or replaced, as `at_link` says. The temporary file is named in `journal`
// (none: nullptr) before it is created, and forgotten once it is renamed or removed.
class AtomicFileWriter {
 public:
  // A target whose path is too long for the system (PathTooLongToWrite), or that is no regular
  // file (UnfitDestination), fails before anything is written. disk: the file is flushed to the
  // device before the rename, and its folder after it.
  using Durability = ::vsm::Durability;

  AtomicFileWriter(std::string target, Durability durability, AtLink at_link,
                   TemporaryJournal* journal);
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
  void RemoveTemporary();

  std::string target_;       // as the caller named it
  std::string destination_;  // the file that the target finally names
  std::string temporary_;
  Durability durability_;
  TemporaryJournal* journal_;
  std::FILE* file_ = nullptr;
  std::string error_;
};

// Moves the complete file `source` over the file that a write to `target` replaces
// (DestinationOf), unless that is no regular file (UnfitDestination); the file takes that file's
// permission bits and owner (a new file's, when it replaces a link), and is on the disk, name and
// all, on return. `source` must lie in that file's folder. False, with `reason` set, when it
// cannot be done.
bool PutInPlace(const std::string& source, const std::string& target, AtLink at_link,
                std::string* reason);

// A fresh folder of the tool's own beside a file that a program is to make, in which the program
// writes that file under the name it is given, so that the name the program sees is the one it
// makes while the file stands at its final name only once it is complete (PutInPlace). The
// folder is held from when it is made (HeldFolder): its file is taken from it, and it is removed,
// with whatever the program left in it, when the staging folder is destroyed, even when someone
// put something else at its name meanwhile (a link there is removed, never followed).
class StagingFolder {
 public:
  // ".vsm" + 3 hexadecimal digits: as long as the ".partial" ending that staged outputs once had,
  // so that the room left to a name below the path limit of Windows stays what it was.
  static constexpr std::string_view kPrefix = ".vsm";
  static constexpr std::size_t kRandomDigits = 3;
  static constexpr std::size_t kNameLength = kPrefix.size() + kRandomDigits;

  // A folder beside the file `destination` for the file `name`, named in `journal` (none:
  // nullptr) before it is made, with its numbers once it is made, and forgotten once it is
  // removed; the system's reason when none can be made.
  static Expected<StagingFolder> Make(const std::string& destination, std::string_view name,
                                      TemporaryJournal* journal);
  // The path that a staged file of `name` gets beside `destination`, with the folder's random
  // digits as 0: for checking its length before anything is made.
  static std::string PathFor(const std::string& destination, std::string_view name);

  StagingFolder(StagingFolder&& other) noexcept;
  StagingFolder& operator=(StagingFolder&& other) noexcept;
  StagingFolder(const StagingFolder&) = delete;
  ~StagingFolder();

  // Where the program writes the file.
  const std::string& file() const { return file_; }
  // Moves the complete staged file over `destination`, as PutInPlace does.
  Expected<void> PutInPlace(const std::string& destination);

 private:
  StagingFolder(std::string folder, std::string_view name, HeldFolder held,
                TemporaryJournal* journal);
  void Remove();

  std::string folder_;  // "" once moved from
  std::string file_;
  std::string name_;  // the file's name in the folder
  std::optional<HeldFolder> held_;
  TemporaryJournal* journal_ = nullptr;
};

// The tool's temporaries, which a run that was killed may leave behind. The file part of the
// target whose writer's temporary `name` is ("<target>.<16 hex digits>.tmp"); nothing for any other
// name.
std::optional<std::string_view> TemporaryTargetOf(std::string_view name);
// Whether `name` is a staging folder's.
bool IsStagingFolderName(std::string_view name);

// Removes what a killed run left of the temporaries that its journal names, where each still has
// the tool's shape: a writer's temporary file (TemporaryTargetOf), the writers' temporaries beside
// a program's output (those of its name only), and a real folder of a staging folder's name that
// is the very folder that the run made (as HeldFolder::Remove does; when the run could not tell
// its numbers, only while it is empty). Nothing else is touched.
void RemoveLeftTemporaries(const std::vector<JournalEntry>& entries);

// Writes `content` to `target` atomically; on failure returns false and sets `reason`.
bool WriteFileAtomically(const std::string& target, std::string_view content, std::string* reason,
                         AtomicFileWriter::Durability durability, AtLink at_link,
                         TemporaryJournal* journal);

}  // namespace vsm
