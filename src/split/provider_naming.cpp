#include "split/provider_naming.h"

#include <optional>
#include <string>

#include "format/text_lines.h"
#include "model/messages.h"
#include "platform/files.h"
#include "split/sat_position_table.h"

namespace vsm {
namespace {

// One row of the satellite position table: position TAB satellite name [TAB ignored text].
struct SatPositionRow {
  std::string_view position;
  std::string_view satellite;
};

std::optional<SatPositionRow> ParseSatPositionRow(std::string_view line) {
  const auto first_tab = line.find('\t');
  if (first_tab == std::string_view::npos) return std::nullopt;
  const std::string_view rest = line.substr(first_tab + 1);
  return SatPositionRow{TrimSpaces(line.substr(0, first_tab)),
                        TrimSpaces(rest.substr(0, rest.find('\t')))};
}

void ApplySatPositionRow(Workspace& workspace, const FirstByName<Antenna>& antennas,
                         std::string_view line) {
  const auto row = ParseSatPositionRow(line);
  if (!row) {
    workspace.Show(SatPositionRowWithoutTab(line));
    return;
  }
  if (Antenna* antenna = antennas.Find(row->satellite)) {
    // The table's text goes when it is read again: the antennas' list keeps a copy, once.
    if (antenna->sat_position != row->position) {
      antenna->sat_position = workspace.main_set.antennas.KeepText(row->position);
    }
  } else {
    workspace.Show(UnknownSatellite(line));
  }
}

std::optional<std::string> ReadSatPositionTable(Workspace& workspace) {
  const std::string name = workspace.settings.KeepPath(kSatPositionFileName);
  if (auto table = ReadWholeFile(name)) return std::move(*table);
  EnsureSatPositionFile(workspace);
  auto table = ReadWholeFile(name);
  if (!table) return std::nullopt;
  return std::move(*table);
}

std::string_view LabelOf(const Workspace& workspace, const Antenna& antenna) {
  return workspace.options.naming == Naming::use_antenna_names ? antenna.name
                                                               : antenna.sat_position;
}

}  // namespace

void ApplySatellitePositions(Workspace& workspace) {
  if (workspace.options.naming != Naming::use_satellite_position) return;
  // A table that can be neither read nor written leaves the labels as they are.
  const auto table = ReadSatPositionTable(workspace);
  if (!table) return;
  const FirstByName<Antenna> antennas(workspace.main_set.antennas);
  ForEachRow(*table, [&](std::string_view row) { ApplySatPositionRow(workspace, antennas, row); });
}

void BuildGeneratedProviders(Workspace& workspace) {
  ApplySatellitePositions(workspace);
  ChannelList& set = workspace.main_set;
  set.generated_providers.Clear();
  const bool divided = workspace.options.divide_fta_notfta;
  set.generated_providers.Reserve(set.antennas.size() * (divided ? 2 : 1));
  std::int32_t counter = 0;
  auto append = [&](std::string name) {
    set.generated_providers.Append({std::move(name), counter++, true});
  };
  if (divided) {
    for (const Antenna& antenna : set.antennas) {
      append("Fta " + std::string(LabelOf(workspace, antenna)));
    }
  }
  for (const Antenna& antenna : set.antennas) append(std::string(LabelOf(workspace, antenna)));
}

Provider* GeneratedProviderOf(Workspace& workspace, const Antenna& antenna, bool scrambled) {
  const ChannelList& set = workspace.main_set;
  if (antenna.list_index < 0) return nullptr;
  std::size_t position = static_cast<std::size_t>(antenna.list_index);
  if (workspace.options.divide_fta_notfta && scrambled) {
    position += set.antennas.size();
  }
  return position < set.generated_providers.size() ? &set.generated_providers[position] : nullptr;
}

}  // namespace vsm
