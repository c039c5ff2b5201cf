#include "split/preferred_antennas.h"

#include <optional>
#include <string>

#include "format/reader.h"
#include "format/text_lines.h"
#include "model/first_by_name.h"
#include "model/messages.h"
#include "platform/files.h"
#include "split/provider_naming.h"

namespace vsm {
namespace {

void SelectAllAntennas(Workspace& workspace, bool selected) {
  for (Antenna& antenna : workspace.main_set.antennas) antenna.selected = selected;
}

// Every line of the file becomes an antenna of the merge set.
void ParsePreferredAntennas(Workspace& workspace, std::string_view text) {
  RecordList<Antenna>& antennas = workspace.merge_set.antennas;
  ForEachRow(text, [&](std::string_view line) { ParseAntenna(workspace, antennas, line); });
}

void KeepPreferredAntenna(Workspace& workspace, const FirstByName<Antenna>& main_antennas,
                          const Antenna& preferred) {
  Antenna* antenna = main_antennas.Find(preferred.name);
  if (antenna == nullptr) {
    workspace.Show(NotExistingPreferredAntenna(preferred.name, workspace.settings.current_file));
    return;
  }
  // The line's settings (columns 3 to 8) replace the antenna's; its column 2 is not used.
  const std::int64_t value2 = antenna->values.value2;
  antenna->values = preferred.values;
  antenna->values.value2 = value2;
  antenna->selected = true;
}

}  // namespace

void ApplyPreferredAntennas(Workspace& workspace) {
  std::optional<std::string> text;
  if (workspace.options.keep_pref_antennas) {
    workspace.merge_set.Clear();
    if (auto file = ReadWholeFile(workspace.settings.KeepPath(kAntennaFileName))) {
      text = std::move(*file);
    }
  }
  if (!text) {
    SelectAllAntennas(workspace, true);
    BuildGeneratedProviders(workspace);
    return;
  }
  SelectAllAntennas(workspace, false);
  ParsePreferredAntennas(workspace, *text);
  const FirstByName<Antenna> main_antennas(workspace.main_set.antennas);
  for (const Antenna& preferred : workspace.merge_set.antennas) {
    KeepPreferredAntenna(workspace, main_antennas, preferred);
  }
  BuildGeneratedProviders(workspace);
}

}  // namespace vsm
