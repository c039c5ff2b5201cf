#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/files.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
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

// Every step of the writer is a C runtime call, which reports its failure in errno on every
// system (on Windows the system's own last error may be stale or unrelated).
std::string StreamError() { return std::strerror(errno); }

// `digits` hexadecimal digits from the system's source of randomness.
std::string RandomHex(std::size_t digits) {
  std::random_device source;
  std::string text;
  while (text.size() < digits) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(source()));
    text += part;
  }
  text.resize(digits);
  return text;
}

// 64 bits from the system's source of randomness, as 16 hexadecimal digits.
std::string RandomPart() {
  static_assert(kTemporarySuffixLength == std::string_view(".0123456789abcdef.tmp").size());
  return RandomHex(16);
}

// Creates the new file `name` for writing: never a file that exists, never through a symbolic
// link, readable by its owner alone until it is complete, and never handed on to a program that
// the tool starts (on Windows no handle is: programs are started without inheriting any). Nothing,
// with `reason` set, when it cannot be created; `exists` tells that the name is taken.
std::FILE* CreateNewFile(const std::string& name, bool& exists, std::string& reason) {
#ifdef _WIN32
  // _O_CREAT with _O_EXCL is CreateFile's CREATE_NEW; _SH_DENYRW lets no one else open it.
  const int descriptor =
      _sopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
             _S_IREAD | _S_IWRITE);
#else
  const int descriptor =
      open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
#endif
  if (descriptor < 0) {
    exists = errno == EEXIST;
    reason = StreamError();
    return nullptr;
  }
#ifdef _WIN32
  std::FILE* file = _fdopen(descriptor, "wb");
#else
  std::FILE* file = fdopen(descriptor, "wb");
#endif
  if (file == nullptr) {
    reason = StreamError();
#ifdef _WIN32
    _close(descriptor);
#else
    close(descriptor);
#endif
    RemoveFile(name);
  }
  return file;
}

// A name that is taken is tried again with another random part, this many times in all.
constexpr int kTemporaryNameTries = 100;

void RecordFile(TemporaryJournal* journal, const std::string& file) {
  if (journal != nullptr) journal->RecordFile(file);
}

void Forget(TemporaryJournal* journal, const std::string& name) {
  if (journal != nullptr) journal->Forget(name);
}

int DescriptorOf(std::FILE* file) {
#ifdef _WIN32
  return _fileno(file);
#else
  return fileno(file);
#endif
}

bool FlushToDisk(std::FILE* file) {
#ifdef _WIN32
  return _commit(DescriptorOf(file)) == 0;
#else
  return fsync(DescriptorOf(file)) == 0;
#endif
}

constexpr std::size_t kBufferSize = 1 << 20;

#ifndef _WIN32
// The mask that the system applies to the mode of new files. Read where the system tells it
// (Linux), elsewhere set and put back at once.
mode_t CurrentUmask() {
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    }
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = umask(022);
  umask(mask);
  return mask;
}
#endif

// Gives the new file open as `descriptor` what the file it replaces had: its permission bits and,
// where the process may set them, its owner and group; a new target gets the usual mode of a new
// file. Windows files have no such bits: there the new file keeps what its folder gives it.
bool TakeOverOwnerAndMode([[maybe_unused]] int descriptor,
                          [[maybe_unused]] const std::string& destination) {
#ifdef _WIN32
  return true;
#else
  // A link that the new file replaces gives it nothing of the file it leads to.
  struct stat replaced {};
  if (lstat(destination.c_str(), &replaced) != 0 || S_ISLNK(replaced.st_mode)) {
    return fchmod(descriptor, 0666 & ~CurrentUmask()) == 0;
  }
  // Only a privileged process may give a file to another user; the group may still be kept.
  if (fchown(descriptor, replaced.st_uid, replaced.st_gid) != 0 &&
      fchown(descriptor, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
    // The file stays the process's own, as a file it makes anew would be.
  }
  // After the owner, since a change of owner clears the set-user and set-group bits.
  return fchmod(descriptor, replaced.st_mode & 07777) == 0;
#endif
}

#ifndef _WIN32
// The same for a complete file that is given by its name.
bool TakeOverOwnerAndMode(const std::string& source, const std::string& destination) {
  const int descriptor = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool done = TakeOverOwnerAndMode(descriptor, destination);
  close(descriptor);
  return done;
}
#endif

}  // namespace

std::optional<std::string> PathTooLongToWrite(const std::string& target,
                                              std::optional<std::size_t> longest_path) {
  if (!longest_path) return std::nullopt;
  const std::size_t length = PathLength(target) + kTemporarySuffixLength;
  if (length <= *longest_path) return std::nullopt;
  return "The path is too long: " + std::to_string(length) + " characters while it is written, " +
         std::to_string(*longest_path) + " at most.";
}

namespace {

bool IsLowerHex(std::string_view text) {
  return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> TemporaryTargetOf(std::string_view name) {
  constexpr std::string_view kEnd = ".tmp";
  if (name.size() <= kTemporarySuffixLength || !name.ends_with(kEnd)) return std::nullopt;
  const std::string_view suffix = name.substr(name.size() - kTemporarySuffixLength);
  if (suffix.front() != '.' || !IsLowerHex(suffix.substr(1, 16))) return std::nullopt;
  return name.substr(0, name.size() - kTemporarySuffixLength);
}

bool IsStagingFolderName(std::string_view name) {
  return name.size() == StagingFolder::kNameLength && name.starts_with(StagingFolder::kPrefix) &&
         IsLowerHex(name.substr(StagingFolder::kPrefix.size()));
}

std::optional<std::string> DestinationOf(const std::string& target, AtLink at_link) {
  return at_link == AtLink::follow ? FinalTarget(target) : std::optional<std::string>(target);
}

std::optional<std::string> UnfitDestination(const std::string& destination) {
  constexpr const char* kFolder = "it is a folder";
  constexpr const char* kNoRegularFile = "not a regular file";
  constexpr const char* kReadOnly = "read-only";
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return kFolder;
  }
  // The system's devices (NUL, CON, COM1, ...) are named so whatever their folder.
  if (AbsolutePath(destination).starts_with("\\\\.\\")) return kNoRegularFile;
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (attributes & FILE_ATTRIBUTE_READONLY) return kReadOnly;
  // A program that holds the file open without letting others delete it keeps it from being
  // replaced; the system says so.
  HANDLE probe = CreateFileA(destination.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
  } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
    return LastSystemError();
  }
  return std::nullopt;
#else
  struct stat status {};
  if (lstat(destination.c_str(), &status) != 0) return std::nullopt;
  if (S_ISDIR(status.st_mode)) return kFolder;
  if (S_ISLNK(status.st_mode)) return std::nullopt;
  if (!S_ISREG(status.st_mode)) return kNoRegularFile;
  // The owner's write permission is the read-only mark of Linux: root may write all the same.
  if ((status.st_mode & S_IWUSR) == 0) return kReadOnly;
  return std::nullopt;
#endif
}

AtomicFileWriter::AtomicFileWriter(std::string target, Durability durability, AtLink at_link,
                                   TemporaryJournal* journal)
    : target_(std::move(target)), durability_(durability), journal_(journal) {
  const auto destination = DestinationOf(target_, at_link);
  if (!destination) {
    error_ = LastSystemError();
    return;
  }
  destination_ = *destination;
  if (auto unfit = UnfitDestination(destination_)) {
    error_ = *unfit;
    return;
  }
  // Said plainly, rather than as the error that the system gives for the temporary name.
  if (auto too_long = PathTooLongToWrite(destination_)) {
    error_ = *too_long;
    return;
  }
  bool exists = true;
  for (int attempt = 0; file_ == nullptr && exists && attempt < kTemporaryNameTries; ++attempt) {
    exists = false;
    temporary_ = destination_ + "." + RandomPart() + ".tmp";
    RecordFile(journal_, temporary_);
    file_ = CreateNewFile(temporary_, exists, error_);
    if (file_ == nullptr) Forget(journal_, temporary_);
  }
  if (file_ == nullptr) return;
  error_.clear();
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Write(std::string_view bytes) {
  if (!ok() || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail();
}

void AtomicFileWriter::Fail() {
  if (error_.empty()) error_ = StreamError();
}

bool AtomicFileWriter::Commit() {
  if (!ok()) {
    Discard();
    return false;
  }
  if (std::fflush(file_) != 0) Fail();
  if (ok() && !TakeOverOwnerAndMode(DescriptorOf(file_), destination_)) Fail();
  if (ok() && durability_ == Durability::disk && !FlushToDisk(file_)) Fail();
  if (std::fclose(file_) != 0) Fail();
  file_ = nullptr;
  if (error_.empty() && !ReplaceFile(temporary_, destination_, &error_, durability_) &&
      error_.empty()) {
    error_ = "cannot replace the file";
  }
  if (!error_.empty()) {
    RemoveTemporary();
    return false;
  }
  Forget(journal_, temporary_);
  return true;
}

void AtomicFileWriter::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
    RemoveTemporary();
  }
}

void AtomicFileWriter::RemoveTemporary() {
  if (RemoveFile(temporary_)) Forget(journal_, temporary_);
}

bool PutInPlace(const std::string& source, const std::string& target, AtLink at_link,
                std::string* reason) {
  const auto destination = DestinationOf(target, at_link);
  if (!destination) {
    if (reason != nullptr) *reason = LastSystemError();
    return false;
  }
  if (auto unfit = UnfitDestination(*destination)) {
    if (reason != nullptr) *reason = *unfit;
    return false;
  }
#ifndef _WIN32
  if (!TakeOverOwnerAndMode(source, *destination)) {
    if (reason != nullptr) *reason = LastSystemError();
    return false;
  }
#endif
  return ReplaceFile(source, *destination, reason, Durability::disk);
}

namespace {

std::string StagingFolderNear(const std::string& destination, const std::string& digits) {
  return std::string(FolderPart(destination)) + std::string(StagingFolder::kPrefix) + digits;
}

}  // namespace

Expected<StagingFolder> StagingFolder::Make(const std::string& destination, std::string_view name,
                                            TemporaryJournal* journal) {
  std::string reason;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    const std::string folder = StagingFolderNear(destination, RandomHex(kRandomDigits));
    if (journal != nullptr) journal->RecordFolder(folder);
    if (auto held = HeldFolder::MakeNew(folder, &reason)) {
      if (journal != nullptr) journal->RecordFolderMade(folder, held->id());
      return StagingFolder(folder, name, std::move(*held), journal);
    }
    Forget(journal, folder);
    if (reason.empty()) continue;  // the name is taken
    return Failure("cannot create the folder " + folder + (": " + reason));
  }
  return Failure("cannot create a folder beside " + destination + ": every name tried is taken");
}

std::string StagingFolder::PathFor(const std::string& destination, std::string_view name) {
  return WithTrailingSeparator(StagingFolderNear(destination, std::string(kRandomDigits, '0'))) +
         std::string(name);
}

StagingFolder::StagingFolder(std::string folder, std::string_view name, HeldFolder held,
                             TemporaryJournal* journal)
    : folder_(std::move(folder)),
      file_(WithTrailingSeparator(folder_) + std::string(name)),
      name_(name),
      held_(std::move(held)),
      journal_(journal) {}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept
    : folder_(std::exchange(other.folder_, {})),
      file_(std::exchange(other.file_, {})),
      name_(std::exchange(other.name_, {})),
      held_(std::exchange(other.held_, std::nullopt)),
      journal_(other.journal_) {}

StagingFolder& StagingFolder::operator=(StagingFolder&& other) noexcept {
  if (this != &other) {
    Remove();
    folder_ = std::exchange(other.folder_, {});
    file_ = std::exchange(other.file_, {});
    name_ = std::exchange(other.name_, {});
    held_ = std::exchange(other.held_, std::nullopt);
    journal_ = other.journal_;
  }
  return *this;
}

StagingFolder::~StagingFolder() { Remove(); }

void StagingFolder::Remove() {
  if (folder_.empty()) return;
  if (held_ && held_->Remove()) Forget(journal_, folder_);
  held_.reset();
  folder_.clear();
}

namespace {

constexpr const char* kEndedWithoutFile = "it ended without writing the file";

// Checks that the program left a regular file `name` in the staging folder and gives it what the
// file that it replaces has (TakeOverOwnerAndMode); taken through the folder's handle on POSIX.
Expected<void> ReadyStagedFile([[maybe_unused]] const HeldFolder& folder,
                               [[maybe_unused]] const std::string& name, const std::string& file,
                               [[maybe_unused]] const std::string& destination) {
#ifdef _WIN32
  if (!IsRegularFile(file)) return Failure(kEndedWithoutFile);
  return {};
#else
  const int staged =
      openat(folder.descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat status {};
  const bool regular = staged >= 0 && fstat(staged, &status) == 0 && S_ISREG(status.st_mode);
  const bool ready = regular && TakeOverOwnerAndMode(staged, destination);
  const std::string reason = ready ? std::string() : LastSystemError();
  if (staged >= 0) close(staged);
  if (!regular) return Failure(kEndedWithoutFile);
  if (!ready) return Failure("cannot write file " + file + ": " + reason);
  return {};
#endif
}

}  // namespace

Expected<void> StagingFolder::PutInPlace(const std::string& destination) {
  // The destination is the file to replace: a link there is the caller's to follow or not.
  if (auto unfit = UnfitDestination(destination)) {
    return Failure("cannot write file " + destination + ": " + *unfit);
  }
  if (auto ready = ReadyStagedFile(*held_, name_, file_, destination); !ready) return ready;
  std::string reason;
  if (!held_->MoveOut(name_, destination, &reason)) {
    return Failure("cannot write file " + destination + ": " + reason);
  }
  return {};
}

namespace {

void RemoveTemporariesBeside(const std::string& output) {
  const std::string folder(FolderPart(output));
  for (const std::string& name : FolderEntries(folder).value_or(std::vector<std::string>{})) {
    const std::string path = folder + name;
    if (TemporaryTargetOf(name) == FilePart(output) && !IsFolder(path)) RemoveFile(path);
  }
}

}  // namespace

void RemoveLeftTemporaries(const std::vector<JournalEntry>& entries) {
  for (const JournalEntry& entry : entries) {
    const std::string_view name = FilePart(entry.path);
    if (entry.kind == JournalEntry::Kind::file) {
      if (TemporaryTargetOf(name)) RemoveFile(entry.path);  // a link there goes as a link
    } else if (entry.kind == JournalEntry::Kind::program_output) {
      RemoveTemporariesBeside(entry.path);
    } else if (!IsStagingFolderName(name)) {
      continue;
    } else if (!entry.id) {
      RemoveEmptyFolder(entry.path);
    } else if (auto held = HeldFolder::Open(entry.path); held && held->id() == *entry.id) {
      held->Remove();
    }
  }
}

bool WriteFileAtomically(const std::string& target, std::string_view content, std::string* reason,
                         AtomicFileWriter::Durability durability, AtLink at_link,
                         TemporaryJournal* journal) {
  AtomicFileWriter writer(target, durability, at_link, journal);
  writer.Write(content);
  if (writer.Commit()) return true;
  if (reason != nullptr) *reason = writer.error();
  return false;
}

}  // namespace vsm
