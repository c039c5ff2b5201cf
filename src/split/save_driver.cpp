#include "split/save_driver.h"

#include "format/conversions.h"
#include "format/writer.h"
#include "platform/paths.h"
#include "split/preferred_antennas.h"
#include "split/split_per_antenna.h"

namespace vsm {
namespace {

// The files of a save to `file`: a text form is its own target; any other target gets the ".vrk"
// ending and its text form in the work folder.
ListFiles SaveFiles(const Settings& settings, std::string file) {
  if (HasSuffix(file, ".txt")) return {file, file};
  if (!HasSuffix(file, ".vrk")) file += ".vrk";
  return {file, settings.TextFormOf(file)};
}

}  // namespace

bool SaveThisFile(Workspace& workspace, std::string file, Button button) {
  Settings& settings = workspace.settings;
  Platform& platform = workspace.platform;
  ReportFailedConversions(workspace);
  if (workspace.main_set.antennas.empty()) {
    settings.current_file = "nothing";
    platform.SetCaption(button, "Saved " + settings.current_file);
    return false;
  }
  const ListFiles files = SaveFiles(settings, std::move(file));
  settings.current_file = files.target;
  settings.text_file = files.text_file;
  ApplyPreferredAntennas(workspace);
  // With no service kept nothing is written and an existing target stays as it is.
  if (MarkForSelectedAntennas(workspace) && !WriteChannelList(workspace, files, true)) {
    platform.SetCaption(button, "Save");
    return false;
  }
  platform.SetCaption(button, "Saved " + std::string(FilePart(files.target)));
  return true;
}

}  // namespace vsm
