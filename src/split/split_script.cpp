#include "split/split_script.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "model/messages.h"
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

Outcome OpenSplitScript(Workspace& workspace, SplitScript& script, const std::string& name) {
  // A path too long for the system stays so: no use waiting for it.
  if (auto too_long = PathTooLongToWrite(name)) return NotDone(CannotWrite(name, *too_long));
  // The earlier script stays until the new one replaces it: one that cannot be replaced (read-only,
  // held by another program) must not be lost, and the split then does not start.
  for (int attempt = 1; attempt <= kSplitScriptTries; ++attempt) {
    workspace.platform.Sleep(std::chrono::seconds(1));
    script.file_.emplace(name, AtomicFileWriter::Durability::cache, AtLink::replace,
                         &workspace.journal);
    if (script.file_->ok()) break;
  }
  if (!script.file_->ok()) {
    Message failed = CannotWrite(name, script.file_->error());
    script.file_.reset();
    return NotDone(std::move(failed));
  }
  for (const std::string_view line : kHeader) script.file_->WriteLine(line);
  return {};
}

bool WriteSplitScriptLine(SplitScript& script, std::string_view line) {
  if (!script.file_ || line.find_first_of("\r\n") != std::string_view::npos) return false;
  script.file_->WriteLine(line);
  return true;
}

Outcome CloseSplitScript(SplitScript& script, std::string_view base_name) {
  if (!script.file_) return {};
  AtomicFileWriter& file = *script.file_;
  file.WriteLine("#");
  file.WriteLine("# To save the merged files:");
  file.WriteLine("#");
  file.WriteLine("save " + std::string(base_name) + ".vrk");
  Outcome closed;
  if (!file.Commit()) closed = NotDone(CannotWrite(file.target(), file.error()));
  script.file_.reset();
  return closed;
}

std::string RunTimer::ElapsedText(Platform& platform) const {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(platform.Now() - start_).count();
  char text[40];
  std::snprintf(text, sizeof text, "%02d minutes %02d seconds", static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace vsm
