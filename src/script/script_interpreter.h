#pragma once

#include <cstddef>
#include <string_view>

#include "model/workspace.h"
#include "script/controls.h"

namespace vsm {

// Reads `file` (a channel-list text form or a binary list) into the main set, which it empties
// first, or, for a batch script, runs it with `controls`: `file` becomes current_file (and names
// the script again after it ran), and text_file names the text form read. Not done when the list
// was not read (with the box that says why, or none for a file that cannot be opened), or when the
// script could not be run (RunScript).
Outcome LoadThisFile(Workspace& workspace, Controls& controls, const std::string& file);

// The Load button's caption after a load of `file`: "Loaded <file part>", or "Load".
std::string LoadCaption(std::string_view file, bool loaded);

// Runs the batch script `script`: every line after the header is a command ("load", "merge",
// "save", "split"), an option line, a comment or ignored. True when the script could be opened
// (it was then read to its end, whatever its commands did); false when the file cannot be read or
// another script is already running.
bool RunScript(Workspace& workspace, Controls& controls, const std::string& script);

// An option line's value: true when the lower-case form of `line` holds "true" at or after the
// 1-based position `start` (the length of the keyword), so "= TRUE", "is true" and even "untrue"
// count as true, and a missing value, "1" or "false" as false.
bool IsTrue(std::string_view line, std::size_t start);

// The split that the split button and a script's "split" line run: per provider when the
// split-kind box is checked, else per antenna.
void SplitAsChecked(Workspace& workspace, const Controls& controls);

}  // namespace vsm
