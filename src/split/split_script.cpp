#include "split/split_script.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "format/writer.h"
#include "platform/files.h"

namespace vsm {
namespace {

// The script language, explained to the user who edits the script. Lines 14 to 22 align
// "<true|false>" at the 26th character.
constexpr std::array<std::string_view, 27> kHeader{
    "[VRK_SPLIT_MERGE]",
    "#",
    "# <#> is used for comment lines",
    "# The following controls are allowed to set buttons where",
    "# <file-name> is the selected file which may include the file path: ",
    "#",
    "# load <file_name>",
    "# split",
    "# merge <file_name>",
    "# save <file_name>",
    "# ",
    "# The following controls are allowed to set options:",
    "# ",
    "# keep_pref_antennas     <true|false>",
    "# split_into_providers   <true|false>",
    "# remove_favorites       <true|false>",
    "# remove_radios          <true|false>",
    "# ",
    "# divide_fta_notfta      <true|false>",
    "# keep_existing_names    <true|false>",
    "# use_satellite_position <true|false>",
    "# use_antenna_names      <true|false>",
    "# ",
    "# All controls are per default false except split_into_antennas which is true.",
    "# ",
    "# To clear the internal data always load the first file.",
    "# ",
};

}  // namespace

bool OpenSplitScript(Workspace& workspace, SplitScript& script, const std::string& name) {
  // A path too long for the system stays so: no use waiting for it.
  if (auto too_long = PathTooLongToWrite(name)) {
    ReportWriteFailure(workspace, name, *too_long);
    return false;
  }
  RemoveFile(name);
  for (int attempt = 1; attempt <= kSplitScriptTries; ++attempt) {
    workspace.platform.Sleep(std::chrono::seconds(1));
    script.file_.emplace(name, AtomicFileWriter::Durability::cache, AtLink::replace);
    if (script.file_->ok()) break;
    RemoveFile(name);
  }
  if (!script.file_->ok()) {
    ReportWriteFailure(workspace, name, script.file_->error());
    script.file_.reset();
    return false;
  }
  for (const std::string_view line : kHeader) script.file_->WriteLine(line);
  return true;
}

bool WriteSplitScriptLine(SplitScript& script, std::string_view line) {
  if (!script.file_ || line.find_first_of("\r\n") != std::string_view::npos) return false;
  script.file_->WriteLine(line);
  return true;
}

void CloseSplitScript(Workspace& workspace, SplitScript& script, std::string_view base_name) {
  if (!script.file_) return;
  AtomicFileWriter& file = *script.file_;
  file.WriteLine("#");
  file.WriteLine("# To save the merged files:");
  file.WriteLine("#");
  file.WriteLine("save " + std::string(base_name) + ".vrk");
  if (!file.Commit()) ReportWriteFailure(workspace, file.target(), file.error());
  script.file_.reset();
}

void StartRunTimer(Workspace& workspace) { workspace.run_timer.start = workspace.platform.Now(); }

std::string ElapsedTimeText(Workspace& workspace) {
  RunTimer& timer = workspace.run_timer;
  timer.end = workspace.platform.Now();
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(timer.end - timer.start).count();
  char text[40];
  std::snprintf(text, sizeof text, "%02d minutes %02d seconds", static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace vsm
