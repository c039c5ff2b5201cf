// A stand-in for a receiver maker's converter pair, for tests only: built as vrk2mvt
// (VSM_STANDIN_TO_TEXT=1) and as mvt2vrk (VSM_STANDIN_TO_TEXT=0). It keeps the converters'
// contract, PROGRAM SOURCE TARGET, but has a binary form of its own and the habits of a strict
// foreign program: it checks the target's name, chatters on standard output and writes its target
// in pieces, in place. It links no library of the project, as a maker's program would not.
//
// The binary form, all numbers little-endian:
//   17 bytes  "STANDIN-CHANNELS\x1a"
//    4 bytes  length n of the text form
//    n bytes  the text form, every byte XORed with 0x5A
//    4 bytes  sum of the text form's bytes, modulo 2^32
//
// A vrk2mvt source that starts with "HANG" hangs the program: the rest of its first line names a
// file, into which a second process of the same program writes its process id before both sleep
// forever. One that starts with "LEAVE" starts that second process too, waits until it has
// written its id, and then refuses the file, leaving the second process to sleep on.

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#ifndef VSM_STANDIN_TO_TEXT
#error "Define VSM_STANDIN_TO_TEXT: 1 builds vrk2mvt, 0 builds mvt2vrk."
#endif

namespace {

using namespace std::literals;

constexpr bool kToText = VSM_STANDIN_TO_TEXT != 0;
constexpr std::string_view kProgram = kToText ? "vrk2mvt"sv : "mvt2vrk"sv;
constexpr std::string_view kTargetSuffix = kToText ? ".txt"sv : ".vrk"sv;
constexpr std::string_view kVersion = "0.9";

constexpr std::string_view kMagic = "STANDIN-CHANNELS\x1a"sv;
constexpr std::size_t kNumberSize = 4;
constexpr std::size_t kFrameSize = kMagic.size() + 2 * kNumberSize;
constexpr unsigned char kScrambleMask = 0x5A;
constexpr std::string_view kTextHeader = "[MORVANE V3 FILE]";

constexpr std::string_view kHangTrigger = "HANG";
constexpr std::string_view kLeaveTrigger = "LEAVE";
#ifdef _WIN32
// Tells the second process of the hang that its job is to write its id into the file named.
constexpr const char* kHangPidFileVariable = "STANDIN_CONVERTER_HANG_PID_FILE";
#endif

constexpr int kWritePieces = 4;
constexpr auto kPauseBetweenPieces = 15ms;

enum ExitStatus : int {
  kDone = 0,
  kUsageError = 1,
  kCannotWrite = 2,
  kBadSource = 3,
  kTargetNameRefused = 4,
};

// Unbuffered in effect: a pipe would otherwise keep the chatter of a hanging program forever.
void Say(std::string_view line) { std::cout << line << '\n' << std::flush; }

int Refuse(std::string_view file, std::string_view reason, ExitStatus status) {
  std::cerr << kProgram << ": " << file << ": " << reason << '\n' << std::flush;
  return status;
}

bool ReadWholeFile(const std::string& name, std::string& content, std::string& reason) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  if (failed) reason = std::strerror(errno);
  std::fclose(file);
  return !failed;
}

// Opens the target itself and fills it piece by piece, so that a reader can catch it half written.
bool WriteInPieces(const std::string& name, std::string_view bytes, std::string& reason) {
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  const std::size_t piece_size = bytes.size() / kWritePieces + 1;
  bool failed = false;
  for (std::size_t offset = 0; offset < bytes.size() && !failed; offset += piece_size) {
    if (offset > 0) std::this_thread::sleep_for(kPauseBetweenPieces);
    const std::string_view piece = bytes.substr(offset, piece_size);
    failed =
        std::fwrite(piece.data(), 1, piece.size(), file) != piece.size() || std::fflush(file) != 0;
  }
  if (failed) reason = std::strerror(errno);
  if (std::fclose(file) != 0 && !failed) {
    reason = std::strerror(errno);
    failed = true;
  }
  return !failed;
}

// Whether `name` ends in `suffix`, ASCII letters in either case, as Windows programs compare
// endings.
bool EndsInAnyCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (lower(name[name.size() - suffix.size() + i]) != lower(suffix[i])) return false;
  }
  return true;
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

std::uint32_t ByteSum(std::string_view bytes) {
  std::uint32_t sum = 0;
  for (const char byte : bytes) sum += static_cast<unsigned char>(byte);
  return sum;
}

void AppendNumber(std::string& bytes, std::uint32_t number) {
  for (std::size_t i = 0; i < kNumberSize; ++i) {
    bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
  }
}

std::uint32_t NumberAt(std::string_view bytes, std::size_t offset) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < kNumberSize; ++i) {
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return number;
}

std::string Scrambled(std::string_view bytes) {
  std::string result(bytes);
  for (char& byte : result)
    byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScrambleMask);
  return result;
}

std::optional<std::string> BinaryFromText(std::string_view text, std::string& fault) {
  if (FirstLine(text) != kTextHeader) {
    fault = "first line is not \"" + std::string(kTextHeader) + "\", not a channel list text";
    return std::nullopt;
  }
  if (text.size() > UINT32_MAX) {
    fault = "too large for a stand-in channel list";
    return std::nullopt;
  }
  std::string bytes(kMagic);
  AppendNumber(bytes, static_cast<std::uint32_t>(text.size()));
  bytes += Scrambled(text);
  AppendNumber(bytes, ByteSum(text));
  return bytes;
}

std::optional<std::string> TextFromBinary(std::string_view bytes, std::string& fault) {
  const bool cut_in_magic = bytes.size() < kMagic.size() && kMagic.starts_with(bytes);
  if (!cut_in_magic && !bytes.starts_with(kMagic)) {
    fault = "wrong magic number, not a stand-in channel list";
    return std::nullopt;
  }
  if (bytes.size() < kFrameSize) {
    fault = "short file: " + std::to_string(bytes.size()) + " bytes, a stand-in channel list has " +
            std::to_string(kFrameSize) + " at least";
    return std::nullopt;
  }
  const std::uint32_t length = NumberAt(bytes, kMagic.size());
  const std::size_t held = bytes.size() - kFrameSize;
  if (length != held) {
    fault = "wrong length: the header says " + std::to_string(length) +
            " bytes of text, the file holds " + std::to_string(held);
    return std::nullopt;
  }
  std::string text = Scrambled(bytes.substr(kMagic.size() + kNumberSize, held));
  const std::uint32_t stored = NumberAt(bytes, bytes.size() - kNumberSize);
  const std::uint32_t computed = ByteSum(text);
  if (stored != computed) {
    fault = "wrong checksum: stored " + std::to_string(stored) + ", computed " +
            std::to_string(computed);
    return std::nullopt;
  }
  return text;
}

[[noreturn]] void SleepForever() {
  for (;;) std::this_thread::sleep_for(1s);
}

unsigned long OwnProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// Renamed into place, so that whoever waits for the file never reads half a number.
void WritePidFile(const std::string& pid_file) {
  const std::string partial = pid_file + ".tmp";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return;
  const bool written = std::fprintf(file, "%lu\n", OwnProcessId()) > 0;
  if (std::fclose(file) == 0 && written && ReplaceFile(partial, pid_file)) return;
  std::remove(partial.c_str());
}

[[noreturn]] void RunAsHangingChild(const std::string& pid_file) {
  WritePidFile(pid_file);
  SleepForever();
}

#ifdef _WIN32
void StartHangingChild(const std::string& pid_file) {
  char own_path[32768];
  const DWORD length = GetModuleFileNameA(nullptr, own_path, sizeof own_path);
  if (length == 0 || length >= sizeof own_path) return;
  if (SetEnvironmentVariableA(kHangPidFileVariable, pid_file.c_str()) == 0) return;
  std::string command_line = "\"" + std::string(own_path, length) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  // Inheriting no handle, the child holds none of the pipes that its starter reads to the end.
  if (CreateProcessA(own_path, command_line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                     nullptr, nullptr, &startup, &child) != 0) {
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
}
#else
// Keeps the child from holding the pipes that its starter reads to the end.
void DetachStandardStreams() {
  const int null_device = open("/dev/null", O_RDWR);
  if (null_device < 0) return;
  for (int stream = 0; stream <= 2; ++stream) dup2(null_device, stream);
  if (null_device > 2) close(null_device);
}

void StartHangingChild(const std::string& pid_file) {
  std::fflush(nullptr);
  if (fork() != 0) return;  // the parent, or no child at all
  DetachStandardStreams();
  RunAsHangingChild(pid_file);
}
#endif

[[noreturn]] void HangWithChild(const std::string& pid_file) {
  StartHangingChild(pid_file);
  SleepForever();
}

bool StartChildAndWaitForIt(const std::string& pid_file) {
  StartHangingChild(pid_file);
  for (int tries = 0; tries < 1000; ++tries) {
    if (std::FILE* file = std::fopen(pid_file.c_str(), "rb")) {
      std::fclose(file);
      return true;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// The rest of the first line after a trigger: the file for the second process's id.
std::string PidFileNamed(std::string_view input, std::string_view trigger) {
  return std::string(FirstLine(input).substr(trigger.size()));
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  if (const char* pid_file = std::getenv(kHangPidFileVariable)) RunAsHangingChild(pid_file);
#endif
  Say("stand-in " + std::string(kProgram) + " " + std::string(kVersion));
  if (argc != 3) {
    std::cerr << "usage: " << kProgram << " SOURCE TARGET\n" << std::flush;
    return kUsageError;
  }
  const std::string source = argv[1];
  const std::string target = argv[2];
  if (!EndsInAnyCase(target, kTargetSuffix)) {
    return Refuse(target,
                  "refused: the target's name must end in \"" + std::string(kTargetSuffix) + "\"",
                  kTargetNameRefused);
  }
  Say("converting " + source);
  std::string input;
  std::string reason;
  if (!ReadWholeFile(source, input, reason)) {
    return Refuse(source, "cannot be read: " + reason, kBadSource);
  }
  if (kToText && input.starts_with(kHangTrigger)) {
    const std::string pid_file = PidFileNamed(input, kHangTrigger);
    if (pid_file.empty())
      return Refuse(source, "HANG names no file for the process id", kBadSource);
    HangWithChild(pid_file);
  }
  if (kToText && input.starts_with(kLeaveTrigger)) {
    if (!StartChildAndWaitForIt(PidFileNamed(input, kLeaveTrigger))) {
      return Refuse(source, "the second process wrote no id", kBadSource);
    }
    return Refuse(source, "refused, with a program of its own left running", kBadSource);
  }
  std::string fault;
  const auto output = kToText ? TextFromBinary(input, fault) : BinaryFromText(input, fault);
  if (!output) return Refuse(source, fault, kBadSource);
  if (!WriteInPieces(target, *output, reason)) {
    return Refuse(target, "cannot be written: " + reason, kCannotWrite);
  }
  Say("done");
  return kDone;
}
