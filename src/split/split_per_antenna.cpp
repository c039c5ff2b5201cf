#include "split/split_per_antenna.h"

#include "split/marking.h"
#include "split/split_run.h"

namespace vsm {
namespace {

// Parks the selection made by the filter: during the split one antenna at a time is selected.
void ParkSelection(RecordList<Antenna>& antennas) {
  for (Antenna& antenna : antennas) {
    antenna.saved_selected = antenna.selected;
    antenna.selected = false;
  }
}

void RestoreSelection(RecordList<Antenna>& antennas) {
  for (Antenna& antenna : antennas) {
    antenna.selected = antenna.saved_selected;
    antenna.saved_selected = false;
  }
}

void SplitAntenna(Workspace& workspace, SplitRun& run, Pieces& pieces, std::size_t position) {
  Antenna& antenna = workspace.main_set.antennas[position];
  run.ShowProgress(workspace.main_set.antennas.size());
  antenna.selected = true;
  const ListFiles& piece = run.NamePiece(antenna.name);
  workspace.platform.SetStatus(StatusField::detail, antenna.name);
  // Nothing of an earlier run may remain under the name of a piece that is not written again.
  const bool removed = run.RemoveEarlierPiece({&piece.text_file, &piece.target});
  if (run.Mark(pieces, position) && removed) run.WritePiece(/*by_antenna=*/true);
  antenna.selected = false;
}

}  // namespace

bool MarkForSelectedAntennas(Workspace& workspace) {
  return Pieces(workspace, PieceKind::whole_list).Mark(0);
}

void SplitPerAntenna(Workspace& workspace, Button button) {
  SplitRun run(workspace, std::string(kAntennaScriptBase));
  run.Start();
  RecordList<Antenna>& antennas = workspace.main_set.antennas;
  ParkSelection(antennas);
  if (run.OpenScript()) {
    Pieces pieces(workspace, PieceKind::per_antenna);
    for (std::size_t position = 0; position < antennas.size(); ++position) {
      if (antennas[position].saved_selected) SplitAntenna(workspace, run, pieces, position);
    }
    run.Finish(button, "antennas");
  }
  RestoreSelection(antennas);
}

}  // namespace vsm
