#pragma once

#include <string>
#include <string_view>

namespace vsm::fuzz {

// A temporary folder of its own for one fuzzing process, emptied before every input.
class FuzzFolder {
 public:
  FuzzFolder();
  ~FuzzFolder();
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  // The folder, ending in the separator.
  const std::string& path() const { return path_; }
  // Removes everything in the folder and creates the three working folders again.
  void Reset() const;

 private:
  std::string path_;
};

// Script text whose file names cannot leave the folder the script runs in: every "/" and "\"
// becomes "_", and every ".." becomes "._". What is left of a name is a plain file name, which
// the tool takes relative to the current folder; RunScriptInput makes that the fuzzing folder.
std::string ConfineScript(std::string_view text);

// The names of the two small lists that RunScriptInput puts beside the script.
inline constexpr const char* kFirstList = "a.txt";
inline constexpr const char* kSecondList = "b.txt";

// `bytes` as a channel-list text file: loaded with a small generated list merged into it, and
// merged into a loaded generated list; each result is saved and split per antenna and per
// provider, with options taken from the input's last byte. No program is ever started. Aborts
// when a promise of the tool is broken (a saved list that does not load back, a temporary file
// left behind).
void RunTextListInput(const FuzzFolder& folder, std::string_view bytes);

// `bytes` as the lines of a batch script (its header line is put in front), confined by
// ConfineScript and run in `folder` with the current folder set to it; `folder` holds the lists
// kFirstList and kSecondList.
void RunScriptInput(const FuzzFolder& folder, std::string_view bytes);

// The names that a run left in `folder` (recursively) that have the shape of a writer's
// temporary file or of a conversion's staging folder, which must never stay behind. A file the
// user named, such as ".vsma.txt" or "old.tmp", is not one of them.
std::string LeftoverTemporaries(const std::string& folder);

}  // namespace vsm::fuzz
