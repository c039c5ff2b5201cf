#include "split/save_driver.h"

#include "format/conversions.h"
#include "format/writer.h"
#include "model/messages.h"
#include "platform/paths.h"
#include "split/preferred_antennas.h"
#include "split/split_per_antenna.h"

namespace vsm {
namespace {

// The files of a save to `file`: a text form is its own target; any other target gets the ".vrk"
// ending and its text form in the work folder, and, being the user's own, is read back before it
// replaces the earlier one.
ListFiles SaveFiles(const Settings& settings, std::string file) {
  if (HasSuffix(file, ".txt")) return {file, file, AtLink::follow};
  if (!HasSuffix(file, ".vrk")) file += ".vrk";
  return {file, settings.TextFormOf(file), AtLink::follow, Verification::read_back};
}

// What a save that was not done leaves on its button.
Outcome NotSaved(Workspace& workspace, Button button, Outcome outcome) {
  workspace.platform.SetCaption(button, "Save");
  return outcome;
}

}  // namespace

Outcome SaveThisFile(Workspace& workspace, std::string file, Button button) {
  Settings& settings = workspace.settings;
  ReportFailedConversions(workspace);
  const ListFiles files = SaveFiles(settings, std::move(file));
  // A save that writes nothing must not read as done: the user would take an earlier file for it.
  if (workspace.main_set.antennas.empty()) {
    settings.current_file = "nothing";
    return NotSaved(workspace, button, NotDone(NothingSavedNoList(files.target)));
  }
  settings.current_file = files.target;
  settings.text_file = files.text_file;
  ApplyPreferredAntennas(workspace);
  // An existing target stays as it is.
  if (!MarkForSelectedAntennas(workspace)) {
    return NotSaved(workspace, button, NotDone(NothingSavedNoChannel(files.target)));
  }
  if (auto written = WriteChannelList(workspace, files, true); !written) {
    return NotSaved(workspace, button, std::move(written));
  }
  workspace.platform.SetCaption(button, "Saved " + std::string(FilePart(files.target)));
  return {};
}

}  // namespace vsm
