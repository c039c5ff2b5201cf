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
// ending and its text form in the work folder.
ListFiles SaveFiles(const Settings& settings, std::string file) {
  if (HasSuffix(file, ".txt")) return {file, file, AtLink::follow};
  if (!HasSuffix(file, ".vrk")) file += ".vrk";
  return {file, settings.TextFormOf(file), AtLink::follow};
}

// A save that writes nothing must not read as done: the user would take the earlier file for it.
bool ReportNothingSaved(Workspace& workspace, Button button, std::string_view why,
                        const std::string& target) {
  workspace.ReportUndone(kTitleNice, "Nothing saved: " + std::string(why) + " \r\n" + target);
  workspace.platform.SetCaption(button, "Save");
  return false;
}

}  // namespace

bool SaveThisFile(Workspace& workspace, std::string file, Button button) {
  Settings& settings = workspace.settings;
  ReportFailedConversions(workspace);
  const ListFiles files = SaveFiles(settings, std::move(file));
  if (workspace.main_set.antennas.empty()) {
    settings.current_file = "nothing";
    return ReportNothingSaved(workspace, button, "no list is loaded", files.target);
  }
  settings.current_file = files.target;
  settings.text_file = files.text_file;
  ApplyPreferredAntennas(workspace);
  // An existing target stays as it is.
  if (!MarkForSelectedAntennas(workspace)) {
    return ReportNothingSaved(workspace, button, "no channel is kept", files.target);
  }
  if (!WriteChannelList(workspace, files, true)) {
    workspace.platform.SetCaption(button, "Save");
    return false;
  }
  workspace.platform.SetCaption(button, "Saved " + std::string(FilePart(files.target)));
  return true;
}

}  // namespace vsm
