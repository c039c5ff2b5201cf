// What a converted list reads back as, compared with the text form it was made of: the same
// records agree however their numbers are spelled; the first difference is named in words.

#include "format/read_back.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "list_text.h"

namespace vsm {
namespace {

using namespace test_support;

// Two of each record, so that a count of one and a record past the first are seen.
TestList Written() {
  TestList list;
  list.antennas = {AntennaLine("Astra", "0\t1\t2\t3\t4\t5\t6\t7"), AntennaLine("Hotbird")};
  list.transponders = {TransponderLine(0, "11778\t27500\t0\t0\t0\t0\t0"), TransponderLine(1)};
  list.networks = {"1\tNet", "2\tOther"};
  list.providers = {"ORF", "ZDF"};
  list.favorites = {FavoriteLine(0, 1, 0), FavoriteLine(0, 2, 1), FavoriteLine(1, 3, 0)};
  list.services = {ServiceLine("V", 0, 0, "One"), ServiceLine("V", 1, 1, "Two"),
                   ServiceLine("A", 0, 1, "Radio")};
  list.menus = {"menu", "more"};
  return list;
}

struct Case {
  const char* label;
  std::function<void(TestList&)> change;  // made to what is read back
  const char* reason;                     // nullptr: it agrees
};

const Case kCases[] = {
    {"the same", [](TestList&) {}, nullptr},
    {"numbers spelled otherwise",
     [](TestList& l) { l.antennas[0] = AntennaLine("Astra", "0\t+1\t02\t3\t4\t5\t6\t007"); },
     nullptr},
    {"an antenna less", [](TestList& l) { l.antennas.pop_back(); },
     "it reads back as 1 antenna instead of 2"},
    {"a transponder more", [](TestList& l) { l.transponders.push_back(TransponderLine(0)); },
     "it reads back as 3 transponders instead of 2"},
    {"no network", [](TestList& l) { l.networks.clear(); },
     "it reads back as 0 networks instead of 2"},
    {"a provider less", [](TestList& l) { l.providers.pop_back(); },
     "it reads back as 1 provider instead of 2"},
    {"a menu less", [](TestList& l) { l.menus.pop_back(); },
     "it reads back as 1 menu instead of 2"},
    {"a TV service less", [](TestList& l) { l.services.erase(l.services.begin()); },
     "it reads back as 1 TV service instead of 2"},
    {"no radio service", [](TestList& l) { l.services.pop_back(); },
     "it reads back as 0 radio services instead of 1"},
    {"a TV favourite less", [](TestList& l) { l.favorites.erase(l.favorites.begin()); },
     "it reads back as 1 TV favorite instead of 2"},
    {"no radio favourite", [](TestList& l) { l.favorites.pop_back(); },
     "it reads back as 0 radio favorites instead of 1"},
    {"a count before a record",
     [](TestList& l) {
       l.antennas[0] = AntennaLine("Astro");
       l.menus.pop_back();
     },
     "it reads back as 1 menu instead of 2"},
    {"an antenna's name", [](TestList& l) { l.antennas[1] = AntennaLine("Hotbird 2"); },
     "its antenna 2 reads back with another name"},
    {"an antenna's values",
     [](TestList& l) { l.antennas[1] = AntennaLine("Hotbird", "0\t9\t0\t0\t0\t0\t0\t0"); },
     "its antenna 2 reads back with other values"},
    {"a transponder's antenna", [](TestList& l) { l.transponders[1] = TransponderLine(0); },
     "its transponder 2 reads back with another antenna"},
    {"a transponder's values",
     [](TestList& l) { l.transponders[0] = TransponderLine(0, "11778\t27501\t0\t0\t0\t0\t0"); },
     "its transponder 1 reads back with other values"},
    {"a network", [](TestList& l) { l.networks[1] = "2\tother"; },
     "its network 2 reads back with another text"},
    {"a provider", [](TestList& l) { l.providers[0] = "ORF "; },
     "its provider 1 reads back with another text"},
    {"a menu", [](TestList& l) { l.menus[1] = "more\t"; },
     "its menu 2 reads back with another text"},
    {"a service's name", [](TestList& l) { l.services[1] = ServiceLine("V", 1, 1, "Too"); },
     "its TV service 2 reads back with another name"},
    {"a service's flags",
     [](TestList& l) { l.services[2] = ServiceLine("A", 0, 1, "Radio", 1, {.scrambled = "TRUE"}); },
     "its radio service 1 reads back with other flags"},
    {"a service's values",
     [](TestList& l) {
       l.services[0] = ServiceLine("V", 0, 0, "One", 1, {.values = "1\t2\t3\t4\t5\t7"});
     },
     "its TV service 1 reads back with other values"},
    {"a service's transponder", [](TestList& l) { l.services[1] = ServiceLine("V", 0, 1, "Two"); },
     "its TV service 2 reads back with another transponder"},
    {"a service's provider", [](TestList& l) { l.services[2] = ServiceLine("A", 0, 0, "Radio"); },
     "its radio service 1 reads back with another provider"},
    {"a favourite's values", [](TestList& l) { l.favorites[1] = FavoriteLine(0, 9, 1); },
     "its TV favorite 2 reads back with other values"},
    {"a favourite's channel", [](TestList& l) { l.favorites[2] = FavoriteLine(1, 3, 1); },
     "its radio favorite 1 reads back with another channel"},
};

TEST(ReadBackDifference, NamesTheFirstDifferenceOfTheRecords) {
  const std::string written = Written().Text();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.label);
    TestList read_back = Written();
    c.change(read_back);
    const auto reason = ReadBackDifference(written, read_back.Text());
    if (c.reason == nullptr) {
      EXPECT_FALSE(reason.has_value()) << *reason;
    } else {
      EXPECT_EQ(reason.value_or("(none)"), c.reason);
    }
  }
}

}  // namespace
}  // namespace vsm
