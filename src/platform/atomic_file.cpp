#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/files.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace vsm {
namespace {

// Unique among the writers alive at once: the process and the writer's own address tell them
// apart, and a finished writer leaves no temporary file behind.
std::string TemporaryNameFor(const std::string& target, const void* writer) {
#ifdef _WIN32
  const auto pid = static_cast<unsigned long>(_getpid());
#else
  const auto pid = static_cast<unsigned long>(getpid());
#endif
  return target + "." + std::to_string(pid) + "-" +
         std::to_string(reinterpret_cast<std::uintptr_t>(writer)) + ".tmp";
}

// Every step of the writer is a C runtime call, which reports its failure in errno on every
// system (on Windows the system's own last error may be stale or unrelated).
std::string StreamError() { return std::strerror(errno); }

bool FlushToDisk(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

constexpr std::size_t kBufferSize = 1 << 20;

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target, Durability durability)
    : target_(std::move(target)), durability_(durability) {
  const auto destination = FinalTarget(target_);
  if (!destination) {
    error_ = LastSystemError();
    return;
  }
  destination_ = *destination;
  temporary_ = TemporaryNameFor(destination_, this);
  if (IsFolder(destination_)) {
    error_ = "it is a folder";
    return;
  }
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) {
    error_ = StreamError();
    return;
  }
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
  if (ok() && durability_ == Durability::disk && !FlushToDisk(file_)) Fail();
  if (std::fclose(file_) != 0) Fail();
  file_ = nullptr;
  if (error_.empty() && !ReplaceFile(temporary_, destination_, &error_) && error_.empty()) {
    error_ = "cannot replace the file";
  }
  if (!error_.empty()) {
    RemoveFile(temporary_);
    return false;
  }
  return true;
}

void AtomicFileWriter::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
    RemoveFile(temporary_);
  }
}

bool PutInPlace(const std::string& source, const std::string& target, std::string* reason) {
  const auto destination = FinalTarget(target);
  if (!destination) {
    if (reason != nullptr) *reason = LastSystemError();
    return false;
  }
  return ReplaceFile(source, *destination, reason);
}

bool WriteFileAtomically(const std::string& target, std::string_view content, std::string* reason,
                         AtomicFileWriter::Durability durability) {
  AtomicFileWriter writer(target, durability);
  writer.Write(content);
  if (writer.Commit()) return true;
  if (reason != nullptr) *reason = writer.error();
  return false;
}

}  // namespace vsm
