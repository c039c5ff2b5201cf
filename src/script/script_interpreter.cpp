#include "script/script_interpreter.h"

#include <array>
#include <optional>
#include <string>

#include "format/reader.h"
#include "format/text_lines.h"
#include "merge/merge_driver.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "split/save_driver.h"
#include "split/split_per_antenna.h"
#include "split/split_per_provider.h"

namespace vsm {
namespace {

enum class Command { load, split, merge, save, option };

struct Keyword {
  std::string_view text;
  Command command;
  Control control;  // the control an option line sets; unused for commands
};

// Tried in this order, the first match decides: "split_into_providers" comes before "split" so
// that the option is never taken for the split command.
constexpr std::array<Keyword, 12> kKeywords{{
    {"load", Command::load, Control::keep_pref_box},
    {"split_into_providers", Command::option, Control::split_per_provider_box},
    {"split", Command::split, Control::keep_pref_box},
    {"merge", Command::merge, Control::keep_pref_box},
    {"save", Command::save, Control::keep_pref_box},
    {"keep_pref_antennas", Command::option, Control::keep_pref_box},
    {"remove_favorites", Command::option, Control::remove_favorites_box},
    {"remove_radios", Command::option, Control::remove_radio_box},
    {"keep_existing_names", Command::option, Control::keep_existing_option},
    {"use_antenna_names", Command::option, Control::antenna_name_option},
    {"use_satellite_position", Command::option, Control::satellite_position_option},
    {"divide_fta_notfta", Command::option, Control::divide_fta_box},
}};

constexpr std::size_t kIgnoredLineLength = 4;
constexpr auto kEventWait = std::chrono::milliseconds(10);

const Keyword* MatchKeyword(std::string_view line) {
  for (const Keyword& keyword : kKeywords) {
    if (line.starts_with(keyword.text)) return &keyword;
  }
  return nullptr;
}

// A script line names the file it works on in status field 0, without its extension.
void ShowFileBeingRead(Workspace& workspace, std::string_view name) {
  const std::string_view file = FilePart(name);
  const std::size_t shown = file.size() > 4 ? file.size() - 4 : 0;
  workspace.platform.SetStatus(StatusField::outcome, file.substr(0, shown));
}

// A load that a script line asked for and that did not load, with its box. A file that cannot be
// opened has none: it gets the box that the Load button shows then. A script that a running one
// names is refused without a word, and counted as not done all the same.
bool LoadLine(Workspace& workspace, Controls& controls, std::string_view name) {
  const std::string file(name);
  const Outcome loaded = LoadThisFile(workspace, controls, file);
  if (!loaded && !loaded.error()) {
    if (IsBatchScript(file)) {
      ++workspace.left_undone;
    } else {
      workspace.Show(NoFileLoaded(name));
    }
  }
  return workspace.Report(loaded);
}

void LoadCommand(Workspace& workspace, Controls& controls, std::string_view name) {
  ShowFileBeingRead(workspace, name);
  const bool loaded = LoadLine(workspace, controls, name);
  workspace.platform.SetCaption(Button::load, LoadCaption(name, loaded));
  workspace.platform.SetStatus(StatusField::detail, CountText(workspace));
  controls.RestoreOperationCaptions();
}

// Merging into an empty main set loads instead, so a script may start with a "merge" line.
void MergeCommand(Workspace& workspace, Controls& controls, std::string_view name) {
  ShowFileBeingRead(workspace, name);
  if (workspace.main_set.antennas.empty()) {
    LoadLine(workspace, controls, name);
    return;
  }
  workspace.Report(MergeThisFile(workspace, std::string(name)));
  workspace.platform.SetCaption(Button::merge, "Merged " + std::string(FilePart(name)));
}

void SaveCommand(Workspace& workspace, std::string_view name) {
  workspace.Report(SaveThisFile(workspace, std::string(name), Button::save));
}

void RunLine(Workspace& workspace, Controls& controls, std::string_view line) {
  const Keyword* keyword = MatchKeyword(line);
  if (keyword == nullptr) return;
  const std::string_view argument = TrimSpaces(line.substr(keyword->text.size()));
  switch (keyword->command) {
    case Command::load:
      LoadCommand(workspace, controls, argument);
      break;
    case Command::split:
      SplitAsChecked(workspace, controls);
      break;
    case Command::merge:
      MergeCommand(workspace, controls, argument);
      break;
    case Command::save:
      SaveCommand(workspace, argument);
      break;
    case Command::option:
      // As a click would: set the check mark, then run the handler. For a naming option button
      // with a false value this clears its mark and still selects its naming mode.
      controls.Click(keyword->control, IsTrue(line, keyword->text.size()));
      break;
  }
}

void RunLines(Workspace& workspace, Controls& controls, std::string_view text) {
  LineCursor cursor(text);
  std::string_view line;
  cursor.Next(line);  // the header
  while (cursor.Next(line)) {
    workspace.platform.DiscardPendingEvents(kEventWait);
    if (line.size() > kIgnoredLineLength && line.front() != '#') {
      RunLine(workspace, controls, line);
    }
  }
}

}  // namespace

bool IsTrue(std::string_view line, std::size_t start) {
  const std::size_t from = start > 0 ? start - 1 : 0;
  return LowerAscii(line).find("true", from) != std::string::npos;
}

void SplitAsChecked(Workspace& workspace, const Controls& controls) {
  if (controls.IsChecked(Control::split_per_provider_box)) {
    SplitPerProvider(workspace, Button::split);
  } else {
    SplitPerAntenna(workspace, Button::split);
  }
}

std::string LoadCaption(std::string_view file, bool loaded) {
  return loaded ? "Loaded " + std::string(FilePart(file)) : "Load";
}

Outcome LoadThisFile(Workspace& workspace, Controls& controls, const std::string& file) {
  BeginLoad(workspace, file);
  if (!IsBatchScript(file)) return ReadListFile(workspace, file);
  workspace.settings.text_file.clear();
  const bool ran = RunScript(workspace, controls, file);
  workspace.settings.current_file = file;  // its lines named other files
  return ran ? Outcome() : NotDoneWithoutABox();
}

bool RunScript(Workspace& workspace, Controls& controls, const std::string& script) {
  if (workspace.script_running) return false;
  workspace.script_running = true;
  // The whole script is read first: its commands may rewrite files, even the script itself.
  const auto text = ReadWholeFile(script);
  if (text) RunLines(workspace, controls, *text);
  workspace.script_running = false;
  return text.has_value();
}

}  // namespace vsm
