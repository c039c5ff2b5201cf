#include "split/save_driver.h"

#include "format/conversions.h"
#include "format/writer.h"
#include "platform/paths.h"
#include "split/preferred_antennas.h"
#include "split/split_per_antenna.h"

namespace vsm {
namespace {

// Sets `text_file`, and gives any target that is not a text form the ".vrk" ending.
void NameSaveTarget(Settings& settings) {
  if (HasSuffix(settings.current_file, ".txt")) {
    settings.text_file = settings.current_file;
    return;
  }
  if (!HasSuffix(settings.current_file, ".vrk")) settings.current_file += ".vrk";
  settings.text_file = settings.WorkPath(FilePart(settings.current_file)) + ".txt";
}

}  // namespace

bool SaveThisFile(Workspace& workspace, Button button) {
  Settings& settings = workspace.settings;
  Platform& platform = workspace.platform;
  ReportFailedConversions(workspace);
  if (workspace.main_set.antennas.empty()) {
    settings.current_file = "nothing";
    platform.SetCaption(button, "Saved " + settings.current_file);
    return false;
  }
  NameSaveTarget(settings);
  ApplyPreferredAntennas(workspace);
  // With no service kept nothing is written and an existing target stays as it is.
  if (MarkForSelectedAntennas(workspace) && !WriteChannelList(workspace, /*by_antenna=*/true)) {
    platform.SetCaption(button, "Save");
    return false;
  }
  platform.SetCaption(button, "Saved " + std::string(FilePart(settings.current_file)));
  return true;
}

}  // namespace vsm
