#include "merge/merge_driver.h"

#include <optional>
#include <string>

#include "format/conversions.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "merge/record_merge.h"
#include "model/messages.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {
namespace {

bool IsLoaded(const Workspace& workspace, const std::string& file) {
  for (const LoadedFile& loaded : workspace.loaded_files) {
    if (loaded.path == file) return true;
  }
  return false;
}

bool InRange(std::int64_t position, std::size_t count) {
  return position >= 0 && static_cast<std::uint64_t>(position) < count;
}

// Whether every index of the merge set names a record of the merged file. The reader resolves a
// position past the end to the last record, which would make the merge link the wrong record.
bool IndexesInRange(const ChannelList& set) {
  for (const Transponder& transponder : set.transponders) {
    if (!InRange(transponder.antenna_index, set.antennas.size())) return false;
  }
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& service : *services) {
      if (!InRange(service.ts_index, set.transponders.size()) ||
          !InRange(service.provider_index, set.providers.size())) {
        return false;
      }
    }
  }
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& favorite : *favorites) {
      const auto& services = favorite.kind == 0 ? set.tv_services : set.radio_services;
      if (!InRange(favorite.channel_index, services.size())) return false;
    }
  }
  return true;
}

void AnnouncePhase(Workspace& workspace, std::string_view text) {
  workspace.platform.SetStatus(StatusField::detail, text);
}

void MergeAntennas(Workspace& workspace, Counterparts& counterparts) {
  FirstByName<Antenna> main_antennas(workspace.main_set.antennas);
  std::size_t position = 0;
  for (Antenna& antenna : workspace.merge_set.antennas) {
    Antenna* counterpart = FindAntenna(main_antennas, antenna);
    if (counterpart != nullptr) {
      antenna.matched = true;
    } else {
      counterpart = &AppendAntenna(workspace, main_antennas, antenna);
    }
    RelinkAntenna(counterparts, position++, *counterpart);
  }
}

void MergeTransponders(Workspace& workspace, Counterparts& counterparts) {
  MainTransponders main(workspace.main_set.transponders);
  std::size_t position = 0;
  for (Transponder& transponder : workspace.merge_set.transponders) {
    TakeCounterparts(transponder, counterparts);
    Transponder* counterpart = nullptr;
    if (transponder.antenna != nullptr && transponder.antenna->matched) {
      counterpart = FindTransponder(main, transponder);
      if (counterpart == nullptr) counterpart = &InsertTransponder(main, transponder);
    } else {
      counterpart = &AppendTransponder(main, transponder);
    }
    RelinkTransponder(counterparts, position++, *counterpart);
  }
}

void MergeProviders(Workspace& workspace, Counterparts& counterparts) {
  RecordList<Provider>& main_providers = workspace.main_set.providers;
  FirstByName<Provider> index(main_providers);
  std::size_t position = 0;
  for (const Provider& provider : workspace.merge_set.providers) {
    Provider* counterpart = FindProvider(index, provider);
    if (counterpart == nullptr) counterpart = &AppendProvider(main_providers, index, provider);
    RelinkProvider(counterparts, position++, *counterpart);
  }
}

void AddServices(Workspace& workspace, Counterparts& counterparts) {
  for (const bool tv : {true, false}) {
    RecordList<Service>& main_services = workspace.main_set.ServicesOfKind(tv);
    // The merge set is emptied after the merge: its services move over instead of being copied.
    const std::size_t first = main_services.size();
    main_services.AppendAllOf(workspace.merge_set.ServicesOfKind(tv));
    for (std::size_t position = first; position < main_services.size(); ++position) {
      RelinkService(counterparts.ServicesOfKind(tv), position - first,
                    AdoptService(main_services[position], position, counterparts));
    }
  }
}

void MergeFavorites(Workspace& workspace, Counterparts& counterparts) {
  for (const bool tv : {true, false}) {
    MainFavorites main(workspace.main_set.FavoritesOfKind(tv));
    for (Favorite& favorite : workspace.merge_set.FavoritesOfKind(tv)) {
      // The service named by the favourite's kind, as the reader resolved it: a favourite's list
      // follows the first byte of its line, which can disagree with its kind.
      TakeCounterpart(favorite, counterparts.ServicesOfKind(favorite.kind == 0));
      InsertFavorite(main, favorite);
    }
  }
}

}  // namespace

Outcome MergeThisFile(Workspace& workspace, std::string file) {
  workspace.settings.current_file = file;
  ReportFailedConversions(workspace);
  workspace.merge_set.Clear();
  if (IsLoaded(workspace, file)) return NotDone(AlreadyLoadedOrMerged(file));
  WaitForConversionsOf(workspace, file);
  auto text = ReadTextForm(workspace, file, Reading::merge);
  if (!text) return NotDone(text.error());
  return MergeTextForm(workspace, file, *text);
}

Outcome MergeTextForm(Workspace& workspace, const std::string& file, std::string_view text) {
  ReadAllSections(workspace, SetId::merge, text);
  if (!IndexesInRange(workspace.merge_set)) {
    workspace.merge_set.Clear();
    return NotDone(MergeIndexOutOfRange(file));
  }
  workspace.loaded_files.push_back({file});
  MergeRecords(workspace);
  RenumberMainSet(workspace.main_set);
  RecomputeIndexes(workspace.main_set);
  workspace.merge_set.Clear();
  return {};
}

void MergeRecords(Workspace& workspace) {
  Counterparts counterparts(workspace.merge_set);
  AnnouncePhase(workspace, "Merging antennas...");
  MergeAntennas(workspace, counterparts);
  AnnouncePhase(workspace, "Merging transponders...");
  MergeTransponders(workspace, counterparts);
  AnnouncePhase(workspace, "Merging providers...");
  MergeProviders(workspace, counterparts);
  AnnouncePhase(workspace, "Adding channels...");
  AddServices(workspace, counterparts);
  AnnouncePhase(workspace, "Merging favorites...");
  MergeFavorites(workspace, counterparts);
}

}  // namespace vsm
