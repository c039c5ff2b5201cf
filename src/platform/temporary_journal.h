#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/expected.h"
#include "platform/files.h"

namespace vsm {

// A temporary that a journal names: a writer's temporary file, a staging folder with the numbers
// it got when it was made (none when the run ended before it could tell them), or a file that a
// program the tool started writes, beside which it may leave temporaries of a writer's shape.
struct JournalEntry {
  enum class Kind : char { file = 'f', folder = 'd', program_output = 'o' };
  Kind kind = Kind::file;
  std::string path;  // absolute
  std::optional<NodeId> id;
  bool operator==(const JournalEntry&) const = default;
};

// The temporaries of the tool that exist at a moment, each recorded before it is made and
// forgotten once it is renamed or removed, in a file that a kill at any point leaves readable:
// the next start removes exactly what a killed run left, wherever it is, and nothing else. Each
// record is appended with one write and ends in a NUL (no name holds one), so that a record cut
// short by a kill is known and skipped. Every few thousand records the file is written anew with
// only what still exists, through a file beside it renamed over it. Until it is opened, and once a
// write to it failed for good, recording does nothing.
class TemporaryJournal {
 public:
  TemporaryJournal() = default;
  ~TemporaryJournal();
  TemporaryJournal(const TemporaryJournal&) = delete;
  TemporaryJournal& operator=(const TemporaryJournal&) = delete;

  // What the journal `file` names, and the copy beside it that a kill while it was written anew
  // may have left; only a regular file of the process's own user counts, never one a link leads to.
  static std::vector<JournalEntry> Read(const std::string& file);
  // Starts the journal `file` anew, naming nothing; the system's reason when it cannot be made.
  Expected<void> Open(const std::string& file);
  bool is_open() const;

  // Before a temporary file is created.
  void RecordFile(const std::string& path);
  // Before a staging folder is made, and once it is made with its numbers.
  void RecordFolder(const std::string& path);
  void RecordFolderMade(const std::string& path, NodeId id);
  // Before a program that the tool starts writes the file `path`.
  void RecordProgramOutput(const std::string& path);
  // Once it is renamed or removed.
  void Forget(const std::string& path);

  // How many temporaries it names.
  std::size_t size() const { return live_.size(); }

  // Records in a row before the file is written anew (when they are also twice what it names).
  static constexpr std::size_t kRecordsBeforeRewrite = 4096;

 private:
  void Record(JournalEntry entry);
  void Append(const std::string& record);
  // Writes the file anew with what it names; false, with `reason` set, and closed when it cannot.
  bool Rewrite(std::string* reason);
  void Close();

  std::string name_;
  std::unordered_map<std::string, JournalEntry> live_;
  std::size_t records_since_rewrite_ = 0;
#ifdef _WIN32
  void* file_ = nullptr;  // a HANDLE
#else
  int file_ = -1;
#endif
};

}  // namespace vsm
