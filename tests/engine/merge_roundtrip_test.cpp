#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "generator/list_generator.h"
#include "merge/merge_driver.h"
#include "split/save_driver.h"
#include "workspace_fixture.h"

namespace vsm {
namespace {

using testing::WorkspaceTest;

std::string Describe(const Transponder* t) {
  if (t == nullptr) return "no transponder";
  return (t->antenna != nullptr ? t->antenna->name : "no antenna") + " " +
         std::to_string(t->value2) + " " + std::to_string(t->value3) + " " +
         std::to_string(t->value4) + " " + std::to_string(t->value5) + " " +
         std::to_string(t->value6) + " " + std::to_string(t->value7) + " " +
         std::to_string(t->value8);
}

// A service by its own columns and by what its references designate, not by positions.
std::string Describe(const Service& s) {
  return s.kind + "|" + s.name + "|" + std::to_string(s.value2) + " " + std::to_string(s.value7) +
         s.flag8 + s.flag9 + s.scrambled + "|" + Describe(s.transponder) + "|" +
         (s.provider != nullptr ? s.provider->name : "no provider") + "|" +
         (s.antenna != nullptr ? s.antenna->name : "no antenna");
}

struct Picture {
  std::vector<std::string> antennas;
  std::vector<std::string> services;
  std::vector<std::string> favorites;
  std::size_t transponders_in_use = 0;
  std::size_t providers_in_use = 0;

  bool operator==(const Picture&) const = default;
};

Picture PictureOf(const ChannelList& set) {
  Picture picture;
  for (const Antenna& a : set.antennas) picture.antennas.push_back(a.name);
  std::set<const Transponder*> transponders;
  std::set<const Provider*> providers;
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& s : *services) {
      picture.services.push_back(Describe(s));
      transponders.insert(s.transponder);
      providers.insert(s.provider);
    }
  }
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& f : *favorites) {
      picture.favorites.push_back(std::to_string(f.kind) + " " + std::to_string(f.value2) + " " +
                                  (f.service != nullptr ? Describe(*f.service) : "no service"));
    }
  }
  picture.transponders_in_use = transponders.size();
  picture.providers_in_use = providers.size();
  return picture;
}

class MergeRoundTripTest : public WorkspaceTest {
 protected:
  void Write(std::string_view name, int services, int antennas, int first_antenna,
             std::uint32_t seed) {
    ListGeneratorOptions options;
    options.services = services;
    options.antennas = antennas;
    options.first_antenna = first_antenna;
    options.seed = seed;
    WriteList(name, GenerateChannelListText(options));
  }
  std::size_t ServiceCount() const {
    return workspace.main_set.tv_services.size() + workspace.main_set.radio_services.size();
  }
};

// Load A, merge B (sharing some antennas), save as text, load the saved file back: the same
// antennas, services and favourites, designating the same records.
TEST_F(MergeRoundTripTest, AMergedListSavesAndLoadsBackUnchanged) {
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    const int first_b = static_cast<int>(seed % 4);
    Write("a.txt", 150 + static_cast<int>(seed) * 40, 3 + static_cast<int>(seed % 3), 0, seed);
    Write("b.txt", 120 + static_cast<int>(seed) * 30, 4, first_b, seed + 1000);

    ASSERT_TRUE(Load("b.txt"));
    const std::size_t b_services = ServiceCount();
    const std::size_t b_favorites =
        workspace.main_set.tv_favorites.size() + workspace.main_set.radio_favorites.size();
    ASSERT_TRUE(Load("a.txt"));
    const std::size_t a_services = ServiceCount();
    const std::size_t a_favorites =
        workspace.main_set.tv_favorites.size() + workspace.main_set.radio_favorites.size();

    workspace.settings.current_file = Path("b.txt");
    ASSERT_TRUE(MergeThisFile(workspace));
    EXPECT_EQ(ServiceCount(), a_services + b_services);
    const Picture merged = PictureOf(workspace.main_set);
    EXPECT_EQ(merged.favorites.size(), a_favorites + b_favorites);

    workspace.settings.current_file = Path("saved.txt");
    ASSERT_TRUE(SaveThisFile(workspace, Button::save));
    ASSERT_TRUE(Load("saved.txt"));
    const Picture reloaded = PictureOf(workspace.main_set);
    EXPECT_EQ(reloaded.antennas, merged.antennas);
    EXPECT_EQ(reloaded.services, merged.services);
    EXPECT_EQ(reloaded.favorites, merged.favorites);
    EXPECT_EQ(reloaded.transponders_in_use, merged.transponders_in_use);
    EXPECT_EQ(reloaded.providers_in_use, merged.providers_in_use);
    EXPECT_TRUE(platform.messages.empty());
  }
}

}  // namespace
}  // namespace vsm
