#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "model/messages.h"
#include "model/workspace.h"
#include "platform/atomic_file.h"

namespace vsm {

// The batch script that a split writes beside its pieces: it loads the first piece, merges the
// others and saves the result. It is held open from OpenSplitScript to CloseSplitScript and put
// in place as a whole when it is closed.
class SplitScript {
 public:
  bool is_open() const { return file_.has_value(); }

 private:
  friend Outcome OpenSplitScript(Workspace&, SplitScript&, const std::string&);
  friend bool WriteSplitScriptLine(SplitScript&, std::string_view);
  friend Outcome CloseSplitScript(SplitScript&, std::string_view);
  std::optional<AtomicFileWriter> file_;
};

// The base names of the scripts that the splits per antenna and per provider write into the start
// folder (base + ".txt"), and of the lists those scripts save (base + ".vrk").
inline constexpr std::string_view kAntennaScriptBase = "antenna_list";
inline constexpr std::string_view kProviderScriptBase = "provider_list";

// How often, once a second, the script file is tried before the split gives up.
inline constexpr int kSplitScriptTries = 5;

// Replaces the file `name` by a new script holding the comment header. Not done, with the box of
// a write that failed, when the file cannot be created (at once when its path is too long for the
// system); the split then writes no piece.
Outcome OpenSplitScript(Workspace& workspace, SplitScript& script, const std::string& name);
// Appends one line ("load " or "merge " + piece) to the open script. False, with nothing written,
// for a text that holds a line break: it would make two lines, the second one a command of its
// own.
bool WriteSplitScriptLine(SplitScript& script, std::string_view line);
// Writes the closing lines, ending with "save " + base_name + ".vrk", and puts the script in
// place; not done, with its box, when that fails.
Outcome CloseSplitScript(SplitScript& script, std::string_view base_name);

// How long a split takes: started first, read when the split is done.
class RunTimer {
 public:
  void Start(Platform& platform) { start_ = platform.Now(); }
  // The time since Start as "mm minutes ss seconds"; hours are not shown.
  std::string ElapsedText(Platform& platform) const;

 private:
  std::chrono::steady_clock::time_point start_{};
};

}  // namespace vsm
