#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/expected.h"

namespace vsm {

// File-system operations on 8-bit names, used as the system gives them (bytes on Linux, the
// ANSI code page on Windows).

// The size of a regular file, or nothing for a missing file or a folder.
std::optional<std::uint64_t> FileSize(const std::string& name);
bool IsRegularFile(const std::string& name);
bool IsFolder(const std::string& name);
// Whether anything, a file, a folder or a link (also one that leads nowhere), has this name.
bool IsPresent(const std::string& name);
// Whether `name` itself is a symbolic link (on Windows never: names are taken as they are).
bool IsSymbolicLink(const std::string& name);
// Deletes a file; a missing file is no error. Returns false only when a file stays.
bool RemoveFile(const std::string& name);
// Creates one folder; an existing folder is the normal case.
bool CreateFolder(const std::string& name);
// Creates a folder that does not exist yet, for the process's user alone where the system has
// such rights; false with `reason` left empty when the name is taken, with `reason` set otherwise.
bool CreateNewFolder(const std::string& name, std::string* reason);
// Creates a folder and the missing folders above it. When one cannot be created, removes again
// the folders it created, so that nothing is left behind, and says why in `reason`.
bool CreateFolderWithParents(const std::string& name, std::string* reason);
// Removes a folder when it is empty.
bool RemoveEmptyFolder(const std::string& name);
// The names in a folder, without "." and ".."; nothing when it cannot be read.
std::optional<std::vector<std::string>> FolderEntries(const std::string& folder);
// The numbers by which the system tells a file or folder from every other one while it exists:
// its device and inode (on Windows its volume's serial number and its file index).
struct NodeId {
  std::uint64_t device = 0;
  std::uint64_t number = 0;
  bool operator==(const NodeId&) const = default;
};

// A folder held open from when it is made or found until the object ends, so that what is done
// through it reaches that very folder, whatever is done meanwhile to the names that lead to it.
// On POSIX its descriptor and its parent's are held; on Windows a handle without delete sharing,
// so that no one can rename or remove it, nor the folders above it, while it is held.
class HeldFolder {
 public:
  // Makes the new folder `name`, for the process's user alone, and holds it. Nothing, with
  // `reason` left empty when the name is taken and set otherwise, when it cannot be made.
  static std::optional<HeldFolder> MakeNew(const std::string& name, std::string* reason);
  // Holds the folder that stands at `name` itself: nothing when a link stands there (it is never
  // followed), something else, nothing at all, or a folder that cannot be opened.
  static std::optional<HeldFolder> Open(const std::string& name);

  HeldFolder(HeldFolder&& other) noexcept;
  HeldFolder& operator=(HeldFolder&& other) noexcept;
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  ~HeldFolder();

  NodeId id() const { return id_; }
  // Removes everything in the folder, each entry through the handle of the folder that holds it
  // and a link as the link itself, then the folder, while its name still leads to it (a link
  // found there instead is removed). True when nothing of the folder is left.
  bool Remove();
  // Moves the entry `name` of the folder over `target`, which is on the disk, name and all, when
  // it returns; false, with `reason` set, when it cannot be done.
  bool MoveOut(std::string_view name, const std::string& target, std::string* reason) const;
#ifndef _WIN32
  int descriptor() const { return folder_; }
#endif

 private:
#ifdef _WIN32
  HeldFolder(void* handle, std::string path, NodeId id)
      : handle_(handle), path_(std::move(path)), id_(id) {}
  void* handle_ = nullptr;  // a HANDLE
  std::string path_;
#else
  HeldFolder(int parent, int folder, std::string leaf, NodeId id)
      : parent_(parent), folder_(folder), leaf_(std::move(leaf)), id_(id) {}
  int parent_ = -1;
  int folder_ = -1;
  std::string leaf_;  // its name in its parent
#endif
  NodeId id_;
  void Close();
};

// Removes a folder with everything in it, through the handles of the folders that hold each entry
// (HeldFolder::Remove). A symbolic link at its name or in it is removed, never followed.
bool RemoveFolderTree(const std::string& folder);
// Makes `name` the process's current folder.
bool ChangeCurrentFolder(const std::string& name, std::string* reason);
// The file that `name` finally names: where a chain of symbolic links leads, a link's relative
// target taken from the link's folder; `name` itself when it is no link (on Windows always).
// Nothing, with errno set, for a chain that does not end (a loop).
std::optional<std::string> FinalTarget(const std::string& name);
// Whether a file must be on the disk, name and all, once its writing has returned (the user's
// files), or may stay in the system's cache for a while (files the tool can make again).
enum class Durability { cache, disk };
// A file name as the file system compares names: on Windows in one letter case (of the ANSI code
// page), elsewhere as it is.
std::string NameAsCompared(std::string_view file_name);
// One text for every name of the same file, whether the file exists yet or not: symbolic links
// followed (FinalTarget), the folder made absolute without ".", ".." and links, and on Windows
// long names in one letter case, as the system compares them. Two names of one file give the
// same text.
std::string FileIdentity(const std::string& name);
// Replaces `target` by `source` in one step. With Durability::disk the new name is on the disk
// when it returns: the folder is flushed after the rename (a write-through move on Windows), so
// that a power cut cannot bring the old file back.
bool ReplaceFile(const std::string& source, const std::string& target, std::string* reason,
                 Durability durability = Durability::cache);
// Opens a file for reading its bytes, never handed on to a program that the tool starts (as no
// file of the tool is); the system's reason when it cannot be opened (on Windows, that another
// program holds it, as the system says it).
Expected<std::FILE*> OpenForReading(const std::string& name);
// The whole content of a regular file, or the system's reason why it cannot be read.
Expected<std::string> ReadWholeFile(const std::string& name);
// The process's current folder, without a trailing separator unless it is a root.
std::string CurrentFolder();
// `name` taken from the current folder when it is relative (on Windows also without "." and
// ".."), as the system finds it.
std::string AbsolutePath(const std::string& name);
// The length of `name` as the system's path limit (kLongestPath) counts it: made whole (absolute;
// on Windows also without "." and ".."), in characters of the form that the system's file
// functions take (on Windows UTF-16, one per byte of a Windows-1252 name).
std::size_t PathLength(const std::string& name);
// Lets a write beyond the process's file size limit (ulimit -f, SIGXFSZ) or into a pipe that its
// reader closed (`--trace | head`, SIGPIPE) fail like any other write instead of ending the
// process; nothing to do on Windows.
void LetFailedWritesBeReported();
// The folder of the running executable, with a trailing separator ("" when unknown).
std::string ExecutableFolder();
// The text of the last system error, for messages.
std::string LastSystemError();

}  // namespace vsm
