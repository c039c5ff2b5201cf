#pragma once

// Small channel lists described record by record, written as their text form, what a save or a
// split should make of them, worked out from the description alone, and what a list read back
// holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "format/text_lines.h"
#include "list_text.h"
#include "model/channel_list.h"
#include "model/settings.h"

namespace vsm::test_support {

struct ListSpec {
  struct AntennaRow {
    std::string name;
    int setting;  // column 3
  };
  struct TransponderRow {
    int antenna;    // position in antennas
    int frequency;  // column 2, tells transponders apart
  };
  struct ServiceRow {
    bool tv;
    bool scrambled;
    int transponder;  // position in transponders
    int provider;     // position in providers
    std::string name;
  };
  struct FavoriteRow {
    bool tv;
    int channel;  // position in the service list of its kind
  };

  std::vector<AntennaRow> antennas;
  std::vector<TransponderRow> transponders;
  std::vector<std::string> providers;
  std::vector<ServiceRow> services;  // TV and radio mixed; each kind keeps its order
  std::vector<FavoriteRow> favorites;

  std::vector<const ServiceRow*> ServicesOfKind(bool tv) const {
    std::vector<const ServiceRow*> list;
    for (const ServiceRow& service : services) {
      if (service.tv == tv) list.push_back(&service);
    }
    return list;
  }
  int AntennaOf(const ServiceRow& service) const {
    return transponders[static_cast<std::size_t>(service.transponder)].antenna;
  }
  const ServiceRow& FavoriteService(const FavoriteRow& favorite) const {
    return *ServicesOfKind(favorite.tv)[static_cast<std::size_t>(favorite.channel)];
  }
};

inline std::string TextForm(const ListSpec& spec) {
  TestList list;
  for (std::size_t i = 0; i < spec.antennas.size(); ++i) {
    const int index = static_cast<int>(i);
    list.antennas.push_back(
        AntennaLine(spec.antennas[i].name,
                    Tabbed({index, 100 + index, spec.antennas[i].setting, 4, 5, 6, 7, 8})));
  }
  for (const auto& t : spec.transponders) {
    list.transponders.push_back(
        TransponderLine(t.antenna, Tabbed({t.frequency, 3, 4, 5, 6, 7, 8})));
  }
  list.networks = {"network\tline"};
  list.providers = spec.providers;
  for (const auto& f : spec.favorites) {
    list.favorites.push_back(FavoriteLine(f.tv ? 0 : 1, 7, f.channel));
  }
  int tv_number = 0;
  int radio_number = 0;
  for (const auto& s : spec.services) {
    list.services.push_back(ServiceLine(s.tv ? "V" : "A", s.transponder, s.provider, s.name,
                                        s.tv ? ++tv_number : ++radio_number,
                                        {.scrambled = s.scrambled ? "TRUE" : "FALSE"}));
  }
  list.menus = {"menu line"};
  return list.Text();
}

// Four antennas: "Astra 19.2" and "Hotbird" with TV and radio services, "Thor" without any,
// "Sirius" with a radio service only. Hotbird has a transponder that no service uses, and the
// provider "Unused" is named by no service.
inline ListSpec SampleList() {
  ListSpec spec;
  spec.antennas = {{"Astra 19.2", 11}, {"Hotbird", 12}, {"Thor", 13}, {"Sirius", 14}};
  spec.transponders = {{0, 10700}, {1, 11000}, {0, 12100}, {2, 12500}, {1, 11500}, {3, 11700}};
  spec.providers = {"ORF", "BBC", "Unused"};
  spec.services = {
      {true, false, 0, 0, "Astra One"},    {true, true, 1, 1, "Hot One"},
      {false, false, 2, 1, "Radio Astra"}, {true, true, 2, 0, "Astra Two"},
      {true, false, 1, 0, "Hot Two"},      {false, true, 1, 0, "Radio Hot"},
      {true, false, 0, 1, "Astra Three"},  {false, true, 5, 1, "Radio Sirius"},
  };
  spec.favorites = {{true, 3}, {true, 2}, {false, 1}, {true, 0}, {false, 2}};
  return spec;
}

// What one piece (or a saved list) should hold, in file order.
struct ExpectedPiece {
  std::string file;  // piece file name, e.g. "Astra_19.2.vrk"
  std::vector<int> transponder_frequencies;
  std::vector<std::string> providers;
  std::vector<std::string> tv_services;
  std::vector<std::string> radio_services;
  std::vector<std::string> service_providers;  // provider named by every service, TV then radio
  std::vector<std::string> favorites;          // names of the services the favourites name
};

struct SplitOptions {
  Options options;
  std::vector<std::string> preferred;  // the antennas that ANTENNA.txt names
  std::vector<std::string> labels;     // the position label of every antenna (naming 1)
};

// The piece file of a name in the samples: blanks become "_", the degree sign is UTF-8 (on
// Windows it stays the byte of the ANSI name).
inline std::string PieceFileOf(const std::string& name) {
  std::string file;
  for (const char c : name) {
    if (c == ' ') {
      file += '_';
#ifndef _WIN32
    } else if (c == '\xB0') {
      file += "\xC2\xB0";
#endif
    } else {
      file += c;
    }
  }
  return file + ".vrk";
}

class Oracle {
 public:
  Oracle(const ListSpec& spec, const SplitOptions& split) : spec_(spec), split_(split) {}

  bool Selected(int antenna) const {
    const auto& name = spec_.antennas[static_cast<std::size_t>(antenna)].name;
    return !split_.options.keep_pref_antennas ||
           std::find(split_.preferred.begin(), split_.preferred.end(), name) !=
               split_.preferred.end();
  }
  std::string Label(int antenna) const {
    const auto position = static_cast<std::size_t>(antenna);
    return split_.options.naming == Naming::use_antenna_names ? spec_.antennas[position].name
                                                              : split_.labels[position];
  }
  bool Divided() const { return split_.options.divide_fta_notfta; }
  bool ExistingNames() const { return split_.options.naming == Naming::keep_existing_names; }
  int AntennaCount() const { return static_cast<int>(spec_.antennas.size()); }

  // The providers a split per provider goes through, in order.
  std::vector<std::string> ProviderList() const {
    if (ExistingNames()) return spec_.providers;
    std::vector<std::string> list;
    if (Divided()) {
      for (int a = 0; a < AntennaCount(); ++a) list.push_back("Fta " + Label(a));
    }
    for (int a = 0; a < AntennaCount(); ++a) list.push_back(Label(a));
    return list;
  }
  // Position in ProviderList() of the provider a service names in the output.
  int OutputProvider(const ListSpec::ServiceRow& s) const {
    if (ExistingNames()) return s.provider;
    const int antenna = spec_.AntennaOf(s);
    return Divided() && s.scrambled ? antenna + AntennaCount() : antenna;
  }

  template <class Keep>
  ExpectedPiece Piece(std::string file, Keep keep) const {
    ExpectedPiece piece;
    piece.file = std::move(file);
    const auto providers = ProviderList();
    for (const bool tv : {true, false}) {
      if (!tv && split_.options.remove_radios) continue;
      for (const auto* s : spec_.ServicesOfKind(tv)) {
        if (!Selected(spec_.AntennaOf(*s)) || !keep(*s)) continue;
        (tv ? piece.tv_services : piece.radio_services).push_back(s->name);
        piece.service_providers.push_back(providers[static_cast<std::size_t>(OutputProvider(*s))]);
      }
    }
    if (!split_.options.remove_favorites) {
      for (const bool tv : {true, false}) {
        if (!tv && split_.options.remove_radios) continue;
        for (const auto& f : spec_.favorites) {
          if (f.tv != tv) continue;
          const auto& s = spec_.FavoriteService(f);
          if (Selected(spec_.AntennaOf(s)) && keep(s)) piece.favorites.push_back(s.name);
        }
      }
    }
    return piece;
  }

  std::vector<int> FrequenciesOf(const std::vector<int>& antennas) const {
    std::vector<int> frequencies;
    for (const auto& t : spec_.transponders) {
      if (std::find(antennas.begin(), antennas.end(), t.antenna) != antennas.end()) {
        frequencies.push_back(t.frequency);
      }
    }
    return frequencies;
  }

  std::vector<int> SelectedAntennas() const {
    std::vector<int> antennas;
    for (int a = 0; a < AntennaCount(); ++a) {
      if (Selected(a)) antennas.push_back(a);
    }
    return antennas;
  }

  // The providers a save or a piece per antenna writes: those its services name, in list order;
  // with generated providers, both halves of every antenna that has a service.
  std::vector<std::string> UsedProviders(const ExpectedPiece& piece,
                                         const std::vector<int>& antennas_with_services) const {
    const auto providers = ProviderList();
    std::vector<std::string> used;
    for (std::size_t i = 0; i < providers.size(); ++i) {
      bool is_used = false;
      if (ExistingNames()) {
        is_used = std::find(piece.service_providers.begin(), piece.service_providers.end(),
                            providers[i]) != piece.service_providers.end();
      } else {
        const int antenna = static_cast<int>(i) % AntennaCount();
        is_used = std::find(antennas_with_services.begin(), antennas_with_services.end(),
                            antenna) != antennas_with_services.end();
      }
      if (is_used) used.push_back(providers[i]);
    }
    return used;
  }

 private:
  const ListSpec& spec_;
  const SplitOptions& split_;
};

inline std::vector<ExpectedPiece> ExpectedAntennaPieces(const ListSpec& spec,
                                                        const SplitOptions& split) {
  const Oracle oracle(spec, split);
  std::vector<ExpectedPiece> pieces;
  for (int a = 0; a < oracle.AntennaCount(); ++a) {
    if (!oracle.Selected(a)) continue;
    auto piece =
        oracle.Piece(PieceFileOf(spec.antennas[static_cast<std::size_t>(a)].name),
                     [&](const ListSpec::ServiceRow& s) { return spec.AntennaOf(s) == a; });
    if (piece.tv_services.empty() && piece.radio_services.empty()) continue;
    piece.transponder_frequencies = oracle.FrequenciesOf({a});
    piece.providers = oracle.UsedProviders(piece, {a});
    pieces.push_back(piece);
  }
  return pieces;
}

inline std::vector<ExpectedPiece> ExpectedProviderPieces(const ListSpec& spec,
                                                         const SplitOptions& split) {
  const Oracle oracle(spec, split);
  const auto providers = oracle.ProviderList();
  std::vector<ExpectedPiece> pieces;
  for (std::size_t i = 0; i < providers.size(); ++i) {
    auto piece = oracle.Piece(PieceFileOf(providers[i]), [&](const ListSpec::ServiceRow& s) {
      return oracle.OutputProvider(s) == static_cast<int>(i);
    });
    if (piece.tv_services.empty() && piece.radio_services.empty()) continue;
    piece.transponder_frequencies = oracle.FrequenciesOf(oracle.SelectedAntennas());
    piece.providers = {providers[i]};
    pieces.push_back(piece);
  }
  return pieces;
}

inline ExpectedPiece ExpectedSave(const ListSpec& spec, const SplitOptions& split) {
  const Oracle oracle(spec, split);
  auto piece = oracle.Piece("", [](const ListSpec::ServiceRow&) { return true; });
  std::vector<int> antennas_with_services;
  for (const bool tv : {true, false}) {
    if (!tv && split.options.remove_radios) continue;
    for (const auto* s : spec.ServicesOfKind(tv)) {
      if (oracle.Selected(spec.AntennaOf(*s))) antennas_with_services.push_back(spec.AntennaOf(*s));
    }
  }
  piece.transponder_frequencies = oracle.FrequenciesOf(oracle.SelectedAntennas());
  piece.providers = oracle.UsedProviders(piece, antennas_with_services);
  return piece;
}

// What a list read back holds, in the terms of ExpectedPiece; every reference is checked against
// the record that was written for it.
inline ExpectedPiece HeldPiece(const ChannelList& set, const ListSpec& spec,
                               const std::string& file) {
  std::map<int, std::string> antenna_of_frequency;
  for (const auto& t : spec.transponders) {
    antenna_of_frequency[t.frequency] = spec.antennas[static_cast<std::size_t>(t.antenna)].name;
  }
  std::map<std::string, int> frequency_of_service;
  for (const auto& s : spec.services) {
    frequency_of_service[s.name] =
        spec.transponders[static_cast<std::size_t>(s.transponder)].frequency;
  }
  EXPECT_EQ(set.antennas.size(), spec.antennas.size()) << file;
  for (std::size_t i = 0; i < set.antennas.size() && i < spec.antennas.size(); ++i) {
    EXPECT_EQ(set.antennas[i].name, spec.antennas[i].name) << file;
  }
  ExpectedPiece piece;
  for (const Transponder& t : set.transponders) {
    piece.transponder_frequencies.push_back(t.values.value2);
    EXPECT_TRUE(t.antenna != nullptr && t.antenna->name == antenna_of_frequency[t.values.value2])
        << file << " transponder " << t.values.value2;
  }
  for (const Provider& p : set.providers) piece.providers.push_back(p.name);
  for (const bool tv : {true, false}) {
    for (const Service& s : tv ? set.tv_services : set.radio_services) {
      (tv ? piece.tv_services : piece.radio_services).emplace_back(s.name());
      EXPECT_TRUE(s.transponder != nullptr &&
                  s.transponder->values.value2 == frequency_of_service[std::string(s.name())])
          << file << " " << s.name();
      piece.service_providers.push_back(s.provider != nullptr ? s.provider->name : "<none>");
    }
  }
  for (const bool tv : {true, false}) {
    for (const Favorite& f : tv ? set.tv_favorites : set.radio_favorites) {
      piece.favorites.emplace_back(f.service != nullptr ? f.service->name() : "<none>");
    }
  }
  EXPECT_EQ(set.networks.size(), 1u) << file;
  EXPECT_EQ(set.menus.size(), 1u) << file;
  return piece;
}

// Every service line of a written list ends in its number, counted from 1 within its kind.
inline void ExpectServicesNumberedFromOne(std::string_view text, const std::string& file) {
  LineCursor lines(text);
  std::string_view line;
  bool in_services = false;
  int tv = 0, radio = 0;
  while (lines.Next(line)) {
    if (line.starts_with('[')) {
      in_services = line == "[SERVICE]";
    } else if (in_services) {
      const Columns columns(line);
      const int number = ++(columns[1].starts_with('V') ? tv : radio);
      EXPECT_EQ(columns[14], std::to_string(number)) << file << " " << columns[13];
    }
  }
}

inline void ExpectSamePiece(const ExpectedPiece& actual, const ExpectedPiece& expected) {
  SCOPED_TRACE(expected.file);
  EXPECT_EQ(actual.transponder_frequencies, expected.transponder_frequencies);
  EXPECT_EQ(actual.providers, expected.providers);
  EXPECT_EQ(actual.tv_services, expected.tv_services);
  EXPECT_EQ(actual.radio_services, expected.radio_services);
  EXPECT_EQ(actual.service_providers, expected.service_providers);
  EXPECT_EQ(actual.favorites, expected.favorites);
}

// Every combination of the options that shape a split's pieces; dividing into free-to-air and
// scrambled only where providers are named anew.
inline std::vector<Options> AllSplitOptions() {
  std::vector<Options> all;
  for (const Naming naming :
       {Naming::keep_existing_names, Naming::use_satellite_position, Naming::use_antenna_names}) {
    for (const bool divide : {false, true}) {
      if (divide && naming == Naming::keep_existing_names) continue;
      for (const bool radios : {false, true}) {
        for (const bool favorites : {false, true}) {
          for (const bool preferred : {false, true}) {
            Options options;
            options.naming = naming;
            options.divide_fta_notfta = divide;
            options.remove_radios = radios;
            options.remove_favorites = favorites;
            options.keep_pref_antennas = preferred;
            all.push_back(options);
          }
        }
      }
    }
  }
  return all;
}

// A test name for one combination of AllSplitOptions.
inline std::string OptionsName(const Options& o) {
  return "naming" + std::to_string(static_cast<int>(o.naming)) +
         (o.divide_fta_notfta ? "_divided" : "") + (o.remove_radios ? "_noradio" : "") +
         (o.remove_favorites ? "_nofavorites" : "") + (o.keep_pref_antennas ? "_preferred" : "");
}

}  // namespace vsm::test_support
