#include "split/split_per_provider.h"

#include "split/marking.h"
#include "split/split_run.h"

namespace vsm {
namespace {

void SplitProvider(Workspace& workspace, SplitRun& run, Pieces& pieces, std::size_t position,
                   std::size_t total) {
  Provider& provider = OutputProviders(workspace)[position];
  run.ShowProgress(total);
  provider.used = true;
  const ListFiles& piece = run.NamePiece(provider.name);
  workspace.platform.SetStatus(StatusField::detail, provider.name);
  // A generated provider's old piece is replaced by the conversion, an existing one's removed.
  const bool existing_names = workspace.options.naming == Naming::keep_existing_names;
  const bool removed = !existing_names || run.RemoveEarlierPiece({&piece.target});
  if (run.Mark(pieces, position) && removed) run.WritePiece(/*by_antenna=*/false);
}

}  // namespace

void SplitPerProvider(Workspace& workspace, Button button) {
  SplitRun run(workspace, std::string(kProviderScriptBase));
  run.Start();
  if (!run.OpenScript()) return;
  RecordList<Provider>& providers = OutputProviders(workspace);
  for (Provider& provider : providers) provider.used = false;
  Pieces pieces(workspace, PieceKind::per_provider);
  // Only the provider of the piece being made is marked.
  for (std::size_t position = 0; position < providers.size(); ++position) {
    if (position > 0) providers[position - 1].used = false;
    SplitProvider(workspace, run, pieces, position, providers.size());
  }
  run.Finish(button, "providers");
}

}  // namespace vsm
