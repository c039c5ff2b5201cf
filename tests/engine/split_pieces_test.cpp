// The splits mark each piece from records gathered once per split. Every piece must come out
// exactly as the marking pass over the whole lists makes it, for every option, also with
// records whose references are absent or disagree.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/writer.h"
#include "generator/list_generator.h"
#include "split/marking.h"
#include "split/provider_naming.h"
#include "split_test_lists.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

class SplitPiecesTest : public test_support::WorkspaceTest,
                        public testing::WithParamInterface<Options> {
 protected:
  SplitPiecesTest() {
    WriteList("a.txt", GenerateChannelListText({300, 5, 0, 7}));
    EXPECT_TRUE(Load("a.txt"));
    ChannelList& set = workspace.main_set;
    // Absent and disagreeing references.
    set.tv_services[3].provider = nullptr;
    set.tv_services[8].antenna =
        &set.antennas[(static_cast<std::size_t>(set.tv_services[8].antenna->list_index) + 1) %
                      set.antennas.size()];
    set.tv_services[9].antenna = nullptr;
    set.radio_services[1].transponder = nullptr;
    set.transponders[2].antenna = nullptr;
    set.tv_favorites[0].service = nullptr;
    set.tv_favorites[1].service = &set.tv_services[3];

    workspace.options = GetParam();
    BuildGeneratedProviders(workspace);
    // What the preferred-antennas filter leaves: one antenna not selected.
    if (workspace.options.keep_pref_antennas) set.antennas[1].selected = false;
  }

  // Everything that the marking pass leaves for the writer: the kept records it lists, the used
  // providers and their numbers, the numbered favourites and every service's kept mark.
  std::string MarkedState(bool kept_any) {
    const ChannelList& set = workspace.main_set;
    const KeptChains& kept = workspace.kept;
    std::string state = kept_any ? "kept\n" : "none\n";
    for (const Transponder* t : kept.transponders) state += FormatTransponder(*t) + "\n";
    for (const auto* services : {&kept.tv_services, &kept.radio_services}) {
      for (const Service* service : *services) state += FormatService(*service) + "\n";
    }
    for (const Provider* provider : kept.providers) state += provider->name + "\n";
    for (const auto* favorites : {&kept.tv_favorites, &kept.radio_favorites}) {
      for (const Favorite* favorite : *favorites) state += FormatFavorite(*favorite) + "\n";
    }
    // The marks in the whole lists.
    state += "\nmarked\n";
    for (const auto* providers : {&set.providers, &set.generated_providers}) {
      for (const Provider& provider : *providers) {
        if (provider.used)
          state += provider.name + " " + std::to_string(provider.list_index) + "\n";
      }
    }
    for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
      for (const Favorite& favorite : *favorites) {
        if (favorite.service != nullptr && favorite.service->kept) {
          state += FormatFavorite(favorite) + "\n";
        }
      }
    }
    for (const auto* services : {&set.tv_services, &set.radio_services}) {
      for (const Service& service : *services) state += service.kept ? '1' : '0';
    }
    return state;
  }

  // Every piece per antenna, each antenna selected alone, as the split makes them.
  std::vector<std::string> PiecesPerAntenna(bool gathered) {
    RecordList<Antenna>& antennas = workspace.main_set.antennas;
    std::vector<bool> preferred;
    for (Antenna& antenna : antennas) {
      preferred.push_back(antenna.selected);
      antenna.selected = false;
    }
    SplitPieces pieces(workspace, PieceKind::selected_antennas);
    std::vector<std::string> texts;
    for (std::size_t position = 0; position < antennas.size(); ++position) {
      if (!preferred[position]) continue;
      antennas[position].selected = true;
      const bool kept = gathered ? pieces.Mark(position)
                                 : MarkKeptRecords(workspace, PieceKind::selected_antennas);
      texts.push_back(MarkedState(kept));
      antennas[position].selected = false;
    }
    for (std::size_t position = 0; position < antennas.size(); ++position) {
      antennas[position].selected = preferred[position];
    }
    return texts;
  }

  // Every piece per provider, each provider marked alone, as the split makes them.
  std::vector<std::string> PiecesPerProvider(bool gathered) {
    ChannelList& set = workspace.main_set;
    RecordList<Provider>& providers = workspace.options.naming == Naming::keep_existing_names
                                          ? set.providers
                                          : set.generated_providers;
    for (Provider& provider : providers) provider.used = false;
    SplitPieces pieces(workspace, PieceKind::selected_provider);
    std::vector<std::string> texts;
    for (std::size_t position = 0; position < providers.size(); ++position) {
      providers[position].used = true;
      const bool kept = gathered ? pieces.Mark(position)
                                 : MarkKeptRecords(workspace, PieceKind::selected_provider);
      texts.push_back(MarkedState(kept));
      providers[position].used = false;
    }
    return texts;
  }
};

TEST_P(SplitPiecesTest, PiecesPerAntennaEqualTheWholeListPass) {
  const std::vector<std::string> whole = PiecesPerAntenna(false);
  const std::vector<std::string> gathered = PiecesPerAntenna(true);
  ASSERT_EQ(gathered.size(), whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(gathered[i], whole[i]) << "piece " << i;
}

TEST_P(SplitPiecesTest, PiecesPerProviderEqualTheWholeListPass) {
  const std::vector<std::string> whole = PiecesPerProvider(false);
  const std::vector<std::string> gathered = PiecesPerProvider(true);
  ASSERT_EQ(gathered.size(), whole.size());
  int kept = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    EXPECT_EQ(gathered[i], whole[i]) << "piece " << i;
    kept += whole[i].rfind("kept\n", 0) == 0;
  }
  EXPECT_GT(kept, 1);  // the comparison covers pieces with content
}

INSTANTIATE_TEST_SUITE_P(AllOptions, SplitPiecesTest,
                         testing::ValuesIn(test_support::AllSplitOptions()),
                         [](const auto& info) { return test_support::OptionsName(info.param); });

}  // namespace
}  // namespace vsm
