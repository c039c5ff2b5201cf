#include "platform/temporary_journal.h"

#include <charconv>
#include <map>
#include <string_view>

#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
// The tool's own ReplaceFile (files.h), not the Win32 macro for ReplaceFileA.
#undef ReplaceFile
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vsm {
namespace {

// The kinds of record besides the two of JournalEntry::Kind.
constexpr char kFolderMade = 'i';  // "<device>:<number>:<path>"
constexpr char kForgotten = '-';
constexpr std::string_view kRewrittenSuffix = ".new";

std::string RecordText(char kind, std::string_view text) {
  std::string record;
  record.reserve(text.size() + 2);
  record += kind;
  record += text;
  record += '\0';
  return record;
}

std::string RecordOf(const JournalEntry& entry) {
  if (!entry.id) return RecordText(static_cast<char>(entry.kind), entry.path);
  return RecordText(kFolderMade, std::to_string(entry.id->device) + ":" +
                                     std::to_string(entry.id->number) + ":" + entry.path);
}

// The number at the start of `text` up to its ':', which both are taken off.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data() + text.size() || *end != ':') return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
  return number;
}

void ApplyRecord(std::string_view record, std::map<std::string, JournalEntry>& entries) {
  if (record.empty()) return;
  const char kind = record.front();
  std::string_view text = record.substr(1);
  std::optional<NodeId> id;
  if (kind == kFolderMade) {
    const auto device = TakeNumber(text);
    const auto number = device ? TakeNumber(text) : std::nullopt;
    if (!number) return;
    id = NodeId{*device, *number};
  }
  const std::string path(text);
  if (!IsAbsolutePath(path)) return;
  if (kind == kForgotten) {
    entries.erase(path);
  } else if (kind == kFolderMade || kind == static_cast<char>(JournalEntry::Kind::folder)) {
    entries[path] = {JournalEntry::Kind::folder, path, id};
  } else if (kind == static_cast<char>(JournalEntry::Kind::file) ||
             kind == static_cast<char>(JournalEntry::Kind::program_output)) {
    entries[path] = {static_cast<JournalEntry::Kind>(kind), path, std::nullopt};
  }
}

// Every record that ends in its NUL; what follows the last one was cut short.
void ApplyRecords(std::string_view text, std::map<std::string, JournalEntry>& entries) {
  for (std::size_t start = 0, end = 0; (end = text.find('\0', start)) != std::string_view::npos;
       start = end + 1) {
    ApplyRecord(text.substr(start, end - start), entries);
  }
}

#ifdef _WIN32

using Native = void*;

std::optional<std::string> ReadOwnRegularFile(const std::string& name) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  std::optional<std::string> content;
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
      !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    content.emplace();
    char buffer[1 << 16];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
      content->append(buffer, count);
    }
  }
  CloseHandle(file);
  return content;
}

// A new file for appending, whatever stood at its name (a link too) replaced; it can be renamed
// while it is open.
Native CreateJournalFile(const std::string& name) {
  RemoveFile(name);
  HANDLE file =
      CreateFileA(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool AppendTo(Native file, std::string_view bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void CloseFile(Native file) {
  if (file != nullptr) CloseHandle(file);
}

constexpr Native kNone = nullptr;

#else

using Native = int;

std::optional<std::string> ReadOwnRegularFile(const std::string& name) {
  const int descriptor = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat status {};
  std::optional<std::string> content;
  if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid()) {
    content.emplace();
    char buffer[1 << 16];
    ssize_t count = 0;
    while ((count = read(descriptor, buffer, sizeof buffer)) > 0) {
      content->append(buffer, static_cast<std::size_t>(count));
    }
  }
  close(descriptor);
  return content;
}

// A new file for appending, whatever stood at its name (a link too) replaced.
Native CreateJournalFile(const std::string& name) {
  RemoveFile(name);
  return open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0600);
}

bool AppendTo(Native file, std::string_view bytes) {
  return write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

void CloseFile(Native file) {
  if (file >= 0) close(file);
}

constexpr Native kNone = -1;

#endif

}  // namespace

std::vector<JournalEntry> TemporaryJournal::Read(const std::string& file) {
  std::map<std::string, JournalEntry> entries;
  for (const std::string& name : {file, file + std::string(kRewrittenSuffix)}) {
    if (auto text = ReadOwnRegularFile(name)) ApplyRecords(*text, entries);
  }
  std::vector<JournalEntry> named;
  named.reserve(entries.size());
  for (auto& [path, entry] : entries) named.push_back(std::move(entry));
  return named;
}

TemporaryJournal::~TemporaryJournal() { Close(); }

Expected<void> TemporaryJournal::Open(const std::string& file) {
  Close();
  name_ = file;
  std::string reason;
  if (!Rewrite(&reason)) return Failure(reason);
  return {};
}

bool TemporaryJournal::is_open() const { return file_ != kNone; }

void TemporaryJournal::Close() {
  CloseFile(file_);
  file_ = kNone;
  live_.clear();
  records_since_rewrite_ = 0;
}

bool TemporaryJournal::Rewrite(std::string* reason) {
  const std::string fresh = name_ + std::string(kRewrittenSuffix);
  const Native next = CreateJournalFile(fresh);
  if (next == kNone) {
    if (reason != nullptr) *reason = "cannot write the file " + fresh + ": " + LastSystemError();
    Close();
    return false;
  }
  std::string records;
  for (const auto& [path, entry] : live_) records += RecordOf(entry);
  const bool written = records.empty() || AppendTo(next, records);
  // On Windows a file that is open cannot be replaced.
  CloseFile(file_);
  file_ = kNone;
  std::string why;
  if (!written || !ReplaceFile(fresh, name_, &why)) {
    if (reason != nullptr) {
      *reason = "cannot write the file " + name_ + ": " + (why.empty() ? LastSystemError() : why);
    }
    CloseFile(next);
    RemoveFile(fresh);
    Close();
    return false;
  }
  file_ = next;
  records_since_rewrite_ = 0;
  return true;
}

void TemporaryJournal::Append(const std::string& record) {
  // A record written only in part is written again whole, with the others, in a file of its own.
  if (!AppendTo(file_, record)) {
    Rewrite(nullptr);
    return;
  }
  ++records_since_rewrite_;
  if (records_since_rewrite_ >= kRecordsBeforeRewrite &&
      records_since_rewrite_ >= 2 * live_.size()) {
    Rewrite(nullptr);
  }
}

void TemporaryJournal::Record(JournalEntry entry) {
  if (!is_open()) return;
  entry.path = AbsolutePath(entry.path);
  const std::string record = RecordOf(entry);
  live_[entry.path] = std::move(entry);
  Append(record);
}

void TemporaryJournal::RecordFile(const std::string& path) {
  Record({JournalEntry::Kind::file, path, std::nullopt});
}

void TemporaryJournal::RecordFolder(const std::string& path) {
  Record({JournalEntry::Kind::folder, path, std::nullopt});
}

void TemporaryJournal::RecordFolderMade(const std::string& path, NodeId id) {
  Record({JournalEntry::Kind::folder, path, id});
}

void TemporaryJournal::RecordProgramOutput(const std::string& path) {
  Record({JournalEntry::Kind::program_output, path, std::nullopt});
}

void TemporaryJournal::Forget(const std::string& path) {
  if (!is_open()) return;
  const std::string absolute = AbsolutePath(path);
  if (live_.erase(absolute) == 0) return;
  Append(RecordText(kForgotten, absolute));
}

}  // namespace vsm
