#pragma once

#include "model/record_list.h"
#include "model/records.h"

namespace vsm {

// The records of one channel list. The workspace holds two: the main set and the merge set.
struct ChannelList {
  RecordList<Antenna> antennas;
  RecordList<Transponder> transponders;
  RecordList<Network> networks;
  RecordList<Provider> providers;
  RecordList<Menu> menus;
  RecordList<Service> tv_services;
  RecordList<Service> radio_services;
  RecordList<Favorite> tv_favorites;
  RecordList<Favorite> radio_favorites;
  RecordList<Provider> generated_providers;  // main set only: built by provider naming
  // A service line named a transponder or provider position that the list does not have (the
  // reader takes the last record for a position past the end).
  bool positions_out_of_range = false;

  // Empties every list; references to their records die with them.
  void Clear() {
    antennas.Clear();
    transponders.Clear();
    networks.Clear();
    providers.Clear();
    menus.Clear();
    tv_services.Clear();
    radio_services.Clear();
    tv_favorites.Clear();
    radio_favorites.Clear();
    generated_providers.Clear();
    positions_out_of_range = false;
  }

  RecordList<Service>& ServicesOfKind(bool tv) { return tv ? tv_services : radio_services; }
  RecordList<Favorite>& FavoritesOfKind(bool tv) { return tv ? tv_favorites : radio_favorites; }
};

// Which set a section reader fills.
enum class SetId { main = 0, merge = 1 };

}  // namespace vsm
