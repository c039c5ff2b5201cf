#pragma once

#include <optional>
#include <string>
#include <string_view>

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
  friend bool OpenSplitScript(Workspace&, SplitScript&, const std::string&);
  friend bool WriteSplitScriptLine(SplitScript&, std::string_view);
  friend void CloseSplitScript(Workspace&, SplitScript&, std::string_view);
  std::optional<AtomicFileWriter> file_;
};

// The base names of the scripts that the splits per antenna and per provider write into the start
// folder (base + ".txt"), and of the lists those scripts save (base + ".vrk").
inline constexpr std::string_view kAntennaScriptBase = "antenna_list";
inline constexpr std::string_view kProviderScriptBase = "provider_list";

// How often, once a second, the script file is tried before the split gives up.
inline constexpr int kSplitScriptTries = 5;

// Replaces the file `name` by a new script holding the comment header. False, after a message,
// when the file cannot be created (at once when its path is too long for the system); the split
// then writes no piece.
bool OpenSplitScript(Workspace& workspace, SplitScript& script, const std::string& name);
// Appends one line ("load " or "merge " + piece) to the open script. False, with nothing written,
// for a text that holds a line break: it would make two lines, the second one a command of its
// own.
bool WriteSplitScriptLine(SplitScript& script, std::string_view line);
// Writes the closing lines, ending with "save " + base_name + ".vrk", and puts the script in
// place; a failed write is reported.
void CloseSplitScript(Workspace& workspace, SplitScript& script, std::string_view base_name);

// The run timer of a split: started first, read when the split is done.
void StartRunTimer(Workspace& workspace);
// "mm minutes ss seconds" since StartRunTimer; hours are not shown.
std::string ElapsedTimeText(Workspace& workspace);

}  // namespace vsm
