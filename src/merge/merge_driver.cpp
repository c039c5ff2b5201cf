#include "merge/merge_driver.h"

#include <optional>
#include <string>
#include <utility>

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

// Whether every index of the merge set names a record of the merged file. The reader resolves a
// position past the end to the last record, which would make the merge link the wrong record.
bool IndexesInRange(const ChannelList& set) {
  for (const Transponder& transponder : set.transponders) {
    if (!set.antennas.HasPosition(transponder.antenna_index)) return false;
  }
  if (set.positions_out_of_range) return false;
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& favorite : *favorites) {
      const auto& services = favorite.kind == 0 ? set.tv_services : set.radio_services;
      if (!services.HasPosition(favorite.channel_index)) return false;
    }
  }
  return true;
}

void AnnouncePhase(Workspace& workspace, std::string_view text) {
  workspace.platform.SetStatus(StatusField::detail, text);
}

}  // namespace

Outcome MergeThisFile(Workspace& workspace, const std::string& file) {
  workspace.settings.current_file = file;
  ReportFailedConversions(workspace);
  workspace.merge_set.Clear();
  if (IsLoaded(workspace, file)) return NotDone(AlreadyLoadedOrMerged(file));
  WaitForConversionsOf(workspace, file);
  auto text = ReadTextForm(workspace, file, Reading::merge);
  if (!text) return NotDone(text.error());
  return MergeTextForm(workspace, file, std::move(*text));
}

Outcome MergeTextForm(Workspace& workspace, const std::string& file, std::string text) {
  ReadAllSections(workspace, SetId::merge, text);
  // The merge needs room of its own while both sets are whole; a large list's text is the most of
  // what it could give back.
  std::string().swap(text);
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
