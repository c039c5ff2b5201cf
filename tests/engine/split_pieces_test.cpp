// The splits mark each piece from records gathered once per split. Every piece must come out as
// worked out by hand for a small list, and, for a large one, exactly as the marking is written
// out step by step below over the whole lists, for every option, also with records whose
// references are absent.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "generator/list_generator.h"
#include "split/marking.h"
#include "split/provider_naming.h"
#include "split/split_per_antenna.h"
#include "split_test_lists.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

// ---- The marking of one piece, step by step over the whole lists ----

bool IsOnSelectedAntenna(const Transponder* transponder) {
  return transponder != nullptr && transponder->antenna != nullptr &&
         transponder->antenna->selected;
}

// A piece per antenna (the one selected) or per provider (the one marked `used`), as the tool
// marks it: the antennas numbered by position; the transponders of the selected antennas; the
// services on them, with their transponder, provider and output provider there (and per provider
// naming the provider marked); per antenna the providers they name marked; the used providers
// numbered in list order; the favourites of the kept services.
bool MarkStepByStep(Workspace& workspace, bool per_provider) {
  ChannelList& set = workspace.main_set;
  const Options& options = workspace.options;
  KeptChains& kept = workspace.kept;
  kept = {};
  std::int32_t counter = 0;
  for (Antenna& antenna : set.antennas) antenna.out_index = counter++;
  if (!per_provider) {
    for (Provider& provider : set.providers) provider.used = false;
    for (Provider& provider : set.generated_providers) provider.used = false;
  }
  counter = 0;
  for (Transponder& transponder : set.transponders) {
    if (!IsOnSelectedAntenna(&transponder)) continue;
    transponder.out_antenna_index = transponder.antenna->out_index;
    transponder.out_index = counter++;
    kept.transponders.push_back(&transponder);
  }
  bool kept_any = false;
  for (const bool tv : {true, false}) {
    counter = 1;
    for (Service& service : set.ServicesOfKind(tv)) {
      Provider* output = OutputProviderOf(workspace, service);
      service.kept = (tv || !options.remove_radios) && service.antenna() != nullptr &&
                     service.antenna()->selected && IsOnSelectedAntenna(service.transponder) &&
                     service.provider != nullptr && output != nullptr &&
                     (!per_provider || output->used);
      if (!service.kept) continue;
      kept_any = true;
      service.out_number = counter++;
      (tv ? kept.tv_services : kept.radio_services).push_back(&service);
      if (per_provider) continue;
      if (options.naming == Naming::keep_existing_names) {
        service.provider->used = true;
      } else {
        for (const bool scrambled : {false, true}) {
          if (Provider* p = GeneratedProviderOf(workspace, *service.antenna(), scrambled))
            p->used = true;
        }
      }
    }
  }
  counter = 0;
  for (Provider& provider : OutputProviders(workspace)) {
    if (!provider.used) continue;
    provider.list_index = counter++;
    kept.providers.push_back(&provider);
  }
  for (const auto* services : {&kept.tv_services, &kept.radio_services}) {
    for (Service* service : *services) {
      const Provider* provider = OutputProviderOf(workspace, *service);
      if (provider != nullptr && provider->used) service->out_provider_index = provider->list_index;
    }
  }
  if (!options.remove_favorites) {
    for (const bool tv : {true, false}) {
      if (!tv && options.remove_radios) continue;
      for (Favorite& favorite : set.FavoritesOfKind(tv)) {
        if (favorite.service == nullptr || !favorite.service->kept) continue;
        favorite.out_channel_index = favorite.service->out_number - 1;
        (tv ? kept.tv_favorites : kept.radio_favorites).push_back(&favorite);
      }
    }
  }
  return kept_any;
}

class PiecesTest : public test_support::WorkspaceTest {
 protected:
  void LoadWithOptions(const std::string& list, const Options& options) {
    WriteList("a.txt", list);
    EXPECT_TRUE(Load("a.txt"));
    workspace.options = options;
    BuildGeneratedProviders(workspace);
  }

  // What the marking pass leaves for the writer, on one line: the kept transponders
  // (frequency:antenna:number), services (name:transponder:provider:number), providers
  // (name:number) and favourites (service:channel), then the kept mark of every service.
  std::string Marked(bool kept_any) const {
    const KeptChains& kept = workspace.kept;
    std::ostringstream out;
    out << (kept_any ? "ts" : "none ts");
    for (const Transponder* t : kept.transponders) {
      out << ' ' << t->values.value2 << ':' << t->out_antenna_index << ':' << t->out_index;
    }
    for (const auto* services : {&kept.tv_services, &kept.radio_services}) {
      out << (services == &kept.tv_services ? " tv" : " radio");
      for (const Service* s : *services) {
        out << ' ' << s->name() << ':' << s->transponder->out_index << ':' << s->out_provider_index
            << ':' << s->out_number;
      }
    }
    out << " providers";
    for (const Provider* p : kept.providers) out << ' ' << p->name << ':' << p->list_index;
    out << " favorites";
    for (const auto* favorites : {&kept.tv_favorites, &kept.radio_favorites}) {
      for (const Favorite* f : *favorites)
        out << ' ' << f->service->name() << ':' << f->out_channel_index;
    }
    out << " kept ";
    for (const Service& s : workspace.main_set.tv_services) out << s.kept;
    out << '/';
    for (const Service& s : workspace.main_set.radio_services) out << s.kept;
    return out.str();
  }

  // Every piece per antenna, each antenna selected alone, as the split makes them.
  std::vector<std::string> PiecesPerAntenna(bool gathered) {
    RecordList<Antenna>& antennas = workspace.main_set.antennas;
    std::vector<bool> preferred;
    for (Antenna& antenna : antennas) {
      preferred.push_back(antenna.selected);
      antenna.selected = false;
    }
    Pieces pieces(workspace, PieceKind::per_antenna);
    std::vector<std::string> texts;
    for (std::size_t position = 0; position < antennas.size(); ++position) {
      if (!preferred[position]) continue;
      antennas[position].selected = true;
      const bool kept = gathered ? pieces.Mark(position) : MarkStepByStep(workspace, false);
      texts.push_back(Marked(kept));
      antennas[position].selected = false;
    }
    for (std::size_t position = 0; position < antennas.size(); ++position) {
      antennas[position].selected = preferred[position];
    }
    return texts;
  }

  // Every piece per provider, each provider marked alone, as the split makes them.
  std::vector<std::string> PiecesPerProvider(bool gathered) {
    RecordList<Provider>& providers = OutputProviders(workspace);
    for (Provider& provider : providers) provider.used = false;
    Pieces pieces(workspace, PieceKind::per_provider);
    std::vector<std::string> texts;
    for (std::size_t position = 0; position < providers.size(); ++position) {
      providers[position].used = true;
      const bool kept = gathered ? pieces.Mark(position) : MarkStepByStep(workspace, true);
      texts.push_back(Marked(kept));
      providers[position].used = false;
    }
    return texts;
  }
};

// Two antennas; "e" is on a transponder without antenna and "f" names no provider. The favourites
// name c, a, r and b.
test_support::ListSpec SmallList() {
  test_support::ListSpec spec;
  spec.antennas = {{"Astra", 1}, {"Hotbird", 2}};
  spec.transponders = {{0, 100}, {1, 200}, {0, 300}, {-1, 400}};
  spec.providers = {"P0", "P1", "P2"};
  spec.services = {{true, false, 0, 0, "a"}, {true, false, 1, 1, "b"}, {true, true, 2, 1, "c"},
                   {true, false, 1, 0, "d"}, {true, false, 3, 0, "e"}, {true, false, 0, -1, "f"},
                   {false, false, 0, 2, "r"}};
  spec.favorites = {{true, 2}, {true, 0}, {false, 0}, {true, 1}};
  return spec;
}

TEST_F(PiecesTest, PiecesOfASmallListAreAsWorkedOutByHand) {
  Options generated;
  generated.naming = Naming::use_antenna_names;
  generated.divide_fta_notfta = true;
  generated.remove_radios = true;
  struct Case {
    Options options;
    std::vector<std::string> per_antenna;
    std::vector<std::string> per_provider;
  };
  const std::string all_ts = "ts 100:0:0 200:1:1 300:0:2";
  const Case cases[] = {
      {Options{},
       {"ts 100:0:0 300:0:1 tv a:0:0:1 c:1:1:2 radio r:0:2:1 providers P0:0 P1:1 P2:2 "
        "favorites c:1 a:0 r:0 kept 101000/1",
        "ts 200:1:0 tv b:0:1:1 d:0:0:2 radio providers P0:0 P1:1 favorites b:0 kept 010100/0"},
       {all_ts + " tv a:0:0:1 d:1:0:2 radio providers P0:0 favorites a:0 kept 100100/0",
        all_ts + " tv b:1:0:1 c:2:0:2 radio providers P1:0 favorites c:1 b:0 kept 011000/0",
        all_ts + " tv radio r:0:0:1 providers P2:0 favorites r:0 kept 000000/1"}},
      {generated,
       {"ts 100:0:0 300:0:1 tv a:0:0:1 c:1:1:2 radio providers Fta Astra:0 Astra:1 "
        "favorites c:1 a:0 kept 101000/0",
        "ts 200:1:0 tv b:0:0:1 d:0:0:2 radio providers Fta Hotbird:0 Hotbird:1 favorites b:0 "
        "kept 010100/0"},
       {all_ts + " tv a:0:0:1 radio providers Fta Astra:0 favorites a:0 kept 100000/0",
        all_ts + " tv b:1:0:1 d:1:0:2 radio providers Fta Hotbird:0 favorites b:0 kept 010100/0",
        all_ts + " tv c:2:0:1 radio providers Astra:0 favorites c:0 kept 001000/0",
        "none " + all_ts + " tv radio providers Hotbird:0 favorites kept 000000/0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test_support::OptionsName(c.options));
    LoadWithOptions(test_support::TextForm(SmallList()), c.options);
    for (const bool gathered : {false, true}) {
      EXPECT_EQ(PiecesPerAntenna(gathered), c.per_antenna) << gathered;
      EXPECT_EQ(PiecesPerProvider(gathered), c.per_provider) << gathered;
    }
  }
}

// A generated list with absent and disagreeing references, every option: the pieces marked from
// the records gathered once are those of the pass over the whole lists.
class SplitPiecesTest : public PiecesTest, public testing::WithParamInterface<Options> {
 protected:
  SplitPiecesTest() {
    LoadWithOptions(GenerateChannelListText({300, 5, 0, 7}), GetParam());
    ChannelList& set = workspace.main_set;
    set.tv_services[3].provider = nullptr;
    set.tv_services[9].transponder = nullptr;
    set.radio_services[1].transponder = nullptr;
    set.transponders[2].antenna = nullptr;
    set.tv_favorites[0].service = nullptr;
    set.tv_favorites[1].service = &set.tv_services[3];
    // What the preferred-antennas filter leaves: one antenna not selected.
    if (workspace.options.keep_pref_antennas) set.antennas[1].selected = false;
  }
};

TEST_P(SplitPiecesTest, PiecesPerAntennaEqualTheWholeListPass) {
  const std::vector<std::string> whole = PiecesPerAntenna(false);
  EXPECT_EQ(PiecesPerAntenna(true), whole);
}

TEST_P(SplitPiecesTest, PiecesPerProviderEqualTheWholeListPass) {
  const std::vector<std::string> whole = PiecesPerProvider(false);
  EXPECT_EQ(PiecesPerProvider(true), whole);
  int kept = 0;
  for (const std::string& piece : whole) kept += piece.rfind("none", 0) != 0;
  EXPECT_GT(kept, 1);  // the comparison covers pieces with content
}

TEST_P(SplitPiecesTest, ASaveIsTheOnePieceOfEverySelectedAntenna) {
  const bool whole_kept = MarkStepByStep(workspace, false);
  const std::string whole = Marked(whole_kept);
  const bool saved_kept = MarkForSelectedAntennas(workspace);
  EXPECT_EQ(Marked(saved_kept), whole);
  EXPECT_TRUE(saved_kept);
}

INSTANTIATE_TEST_SUITE_P(AllOptions, SplitPiecesTest,
                         testing::ValuesIn(test_support::AllSplitOptions()),
                         [](const auto& info) { return test_support::OptionsName(info.param); });

}  // namespace
}  // namespace vsm
