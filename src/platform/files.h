#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// Removes a folder with everything in it. A symbolic link in it is removed, never followed.
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
// file of the tool is); nullptr when it cannot be opened.
std::FILE* OpenForReading(const std::string& name);
// The whole content of a regular file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& name);
// The process's current folder, without a trailing separator unless it is a root.
std::string CurrentFolder();
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
