#include "split/marking.h"

#include <algorithm>
#include <utility>

#include "split/provider_naming.h"

namespace vsm {
namespace {

bool IsOnSelectedAntenna(const Transponder& transponder) {
  return transponder.antenna != nullptr && transponder.antenna->selected;
}

// A service is only written together with its antenna, transponder and provider.
bool CanBeKept(Workspace& workspace, const Service& service) {
  return service.transponder != nullptr && IsOnSelectedAntenna(*service.transponder) &&
         service.provider != nullptr && OutputProviderOf(workspace, service) != nullptr;
}

// Every antenna is written, selected or not, under its position: the same numbers for a save and
// for every piece of a split.
void NumberAntennas(RecordList<Antenna>& antennas) {
  std::int32_t counter = 0;
  for (Antenna& antenna : antennas) antenna.out_index = counter++;
}

// Lists and numbers the transponders of the selected antennas among `transponders`.
void KeepTransponders(std::span<Transponder* const> transponders, KeptChains& kept) {
  kept.transponders.clear();
  std::int32_t counter = 0;
  for (Transponder* transponder : transponders) {
    if (!IsOnSelectedAntenna(*transponder)) continue;
    transponder->out_antenna_index = transponder->antenna->out_index;
    transponder->out_index = counter++;
    kept.transponders.push_back(transponder);
  }
}

// The steps of marking one piece: the services it keeps, the providers, the favourites.
class PieceMarker {
 public:
  // `marked` receives every provider that the piece's services mark `used`.
  PieceMarker(Workspace& workspace, PieceKind kind, std::vector<Provider*>& marked)
      : workspace_(workspace), kind_(kind), marked_(marked) {
    KeptChains& kept = workspace.kept;
    kept.tv_services.clear();
    kept.radio_services.clear();
    kept.providers.clear();
    kept.tv_favorites.clear();
    kept.radio_favorites.clear();
  }

  void KeepServices(std::span<Service* const> services, std::vector<Service*>& kept_services) {
    std::int32_t counter = 1;
    for (Service* service : services) {
      service->kept = BelongsToPiece(*service);
      if (!service->kept) continue;
      kept_any_ = true;
      service->out_number = counter++;
      if (kind_ != PieceKind::per_provider) MarkProvidersOf(*service);
      kept_services.push_back(service);
    }
  }

  // Numbers the used ones among `providers`, given in list order, and points the kept services
  // at their numbers.
  void NumberProviders(std::span<Provider* const> providers) {
    KeptChains& kept = workspace_.kept;
    std::int32_t counter = 0;
    for (Provider* provider : providers) {
      if (!provider->used) continue;
      provider->list_index = counter++;
      kept.providers.push_back(provider);
    }
    for (const auto* services : {&kept.tv_services, &kept.radio_services}) {
      for (Service* service : *services) {
        const Provider* provider = OutputProviderOf(workspace_, *service);
        if (provider != nullptr && provider->used) {
          service->out_provider_index = provider->list_index;
        }
      }
    }
  }

  void NumberFavorites(std::span<Favorite* const> tv_favorites,
                       std::span<Favorite* const> radio_favorites) {
    if (workspace_.options.remove_favorites) return;
    NumberFavoritesOf(tv_favorites, workspace_.kept.tv_favorites);
    if (!workspace_.options.remove_radios) {
      NumberFavoritesOf(radio_favorites, workspace_.kept.radio_favorites);
    }
  }

  bool kept_any() const { return kept_any_; }

 private:
  // A piece per provider keeps only the services that name the provider marked `used`.
  bool BelongsToPiece(const Service& service) {
    if (!CanBeKept(workspace_, service)) return false;
    if (kind_ != PieceKind::per_provider) return true;
    const Provider* provider = OutputProviderOf(workspace_, service);
    return provider != nullptr && provider->used;
  }

  void MarkUsed(Provider& provider) {
    if (provider.used) return;
    provider.used = true;
    marked_.push_back(&provider);
  }

  // A kept service marks the providers it brings into the file; with divided generated providers
  // both halves of its antenna come along.
  void MarkProvidersOf(const Service& service) {
    if (workspace_.options.naming == Naming::keep_existing_names) {
      MarkUsed(*service.provider);
      return;
    }
    for (const bool scrambled : {false, true}) {
      if (Provider* provider = GeneratedProviderOf(workspace_, *service.antenna(), scrambled)) {
        MarkUsed(*provider);
      }
    }
  }

  static void NumberFavoritesOf(std::span<Favorite* const> favorites,
                                std::vector<Favorite*>& numbered) {
    for (Favorite* favorite : favorites) {
      if (favorite->service != nullptr && favorite->service->kept) {
        favorite->out_channel_index = favorite->service->out_number - 1;
        numbered.push_back(favorite);
      }
    }
  }

  Workspace& workspace_;
  PieceKind kind_;
  std::vector<Provider*>& marked_;
  bool kept_any_ = false;
};

template <class Record>
std::vector<Record*> AllOf(RecordList<Record>& list) {
  std::vector<Record*> records;
  records.reserve(list.size());
  for (Record& record : list) records.push_back(&record);
  return records;
}

}  // namespace

RecordList<Provider>& OutputProviders(Workspace& workspace) {
  ChannelList& set = workspace.main_set;
  return workspace.options.naming == Naming::keep_existing_names ? set.providers
                                                                 : set.generated_providers;
}

Provider* OutputProviderOf(Workspace& workspace, const Service& service) {
  if (workspace.options.naming == Naming::keep_existing_names) return service.provider;
  const Antenna* antenna = service.antenna();
  if (antenna == nullptr) return nullptr;
  return GeneratedProviderOf(workspace, *antenna, service.IsScrambled());
}

template <class Record>
template <class Records, class WhichPiece>
Pieces::Grouped<Record>::Grouped(Records& records, std::size_t pieces, WhichPiece piece_of)
    : offsets_(pieces + 1, 0) {
  std::vector<std::ptrdiff_t> piece_of_record;
  piece_of_record.reserve(records.size());
  for (Record& record : records) {
    const std::ptrdiff_t piece = piece_of(record);
    piece_of_record.push_back(piece);
    if (piece >= 0) ++offsets_[static_cast<std::size_t>(piece) + 1];
  }
  for (std::size_t piece = 0; piece < pieces; ++piece) offsets_[piece + 1] += offsets_[piece];
  records_.resize(offsets_[pieces]);
  std::vector<std::uint32_t> next(offsets_.begin(), offsets_.end() - 1);
  std::size_t index = 0;
  for (Record& record : records) {
    const std::ptrdiff_t piece = piece_of_record[index++];
    if (piece >= 0) records_[next[static_cast<std::size_t>(piece)]++] = &record;
  }
}

Pieces::Pieces(Workspace& workspace, PieceKind kind) : workspace_(workspace), kind_(kind) {
  ChannelList& set = workspace.main_set;
  RecordList<Provider>& providers = OutputProviders(workspace);
  std::size_t position = 0;
  for (const Provider& provider : providers) provider_position_.emplace(&provider, position++);
  const std::size_t pieces = kind == PieceKind::whole_list    ? 1
                             : kind == PieceKind::per_antenna ? set.antennas.size()
                                                              : providers.size();
  NumberAntennas(set.antennas);
  const auto piece_of_transponder = [kind](const Transponder& transponder) -> std::ptrdiff_t {
    if (transponder.antenna == nullptr) return -1;
    return kind == PieceKind::per_antenna ? transponder.antenna->out_index : 0;
  };
  if (kind == PieceKind::per_provider) {
    KeepTransponders(AllOf(set.transponders), workspace.kept);
  } else {
    transponders_ = Grouped<Transponder>(set.transponders, pieces, piece_of_transponder);
  }
  const auto service_piece = [this](const Service& service) { return PieceOf(&service); };
  tv_services_ = Grouped<Service>(set.tv_services, pieces, service_piece);
  radio_services_ = Grouped<Service>(set.radio_services, pieces, service_piece);
  const auto favorite_piece = [this](const Favorite& favorite) {
    return PieceOf(favorite.service);
  };
  tv_favorites_ = Grouped<Favorite>(set.tv_favorites, pieces, favorite_piece);
  radio_favorites_ = Grouped<Favorite>(set.radio_favorites, pieces, favorite_piece);
}

std::ptrdiff_t Pieces::PieceOf(const Service* service) const {
  if (service == nullptr) return -1;
  switch (kind_) {
    case PieceKind::whole_list:
      return 0;
    case PieceKind::per_antenna:
      // The antennas' numbers are their positions.
      return service->antenna() != nullptr ? service->antenna()->out_index : -1;
    case PieceKind::per_provider: {
      const auto found = provider_position_.find(OutputProviderOf(workspace_, *service));
      return found == provider_position_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
    }
  }
  return -1;
}

void Pieces::ClearEarlierMarks() {
  ChannelList& set = workspace_.main_set;
  for (Service& service : set.tv_services) service.kept = false;
  for (Service& service : set.radio_services) service.kept = false;
  if (kind_ != PieceKind::per_provider) {
    for (Provider& provider : set.providers) provider.used = false;
    for (Provider& provider : set.generated_providers) provider.used = false;
  }
  cleared_ = true;
}

void Pieces::ClearPreviousPiece() {
  if (previous_ >= 0) {
    const auto piece = static_cast<std::size_t>(previous_);
    for (Service* service : tv_services_[piece]) service->kept = false;
    for (Service* service : radio_services_[piece]) service->kept = false;
  }
  for (Provider* provider : marked_providers_) provider->used = false;
  marked_providers_.clear();
}

void Pieces::OrderMarkedProviders() {
  RecordList<Provider>& providers = OutputProviders(workspace_);
  // Many marked: their list is walked, which costs no more than sorting them.
  if (marked_providers_.size() * 8 >= providers.size()) {
    marked_providers_.clear();
    for (Provider& provider : providers) {
      if (provider.used) marked_providers_.push_back(&provider);
    }
    return;
  }
  std::vector<std::pair<std::size_t, Provider*>> by_position;
  by_position.reserve(marked_providers_.size());
  for (Provider* provider : marked_providers_) {
    by_position.emplace_back(provider_position_.at(provider), provider);
  }
  std::sort(by_position.begin(), by_position.end());
  for (std::size_t i = 0; i < by_position.size(); ++i) marked_providers_[i] = by_position[i].second;
}

bool Pieces::Mark(std::size_t position) {
  if (!cleared_) ClearEarlierMarks();
  ClearPreviousPiece();
  previous_ = static_cast<std::ptrdiff_t>(position);
  KeptChains& kept = workspace_.kept;
  PieceMarker marker(workspace_, kind_, marked_providers_);
  if (kind_ != PieceKind::per_provider) KeepTransponders(transponders_[position], kept);
  marker.KeepServices(tv_services_[position], kept.tv_services);
  if (!workspace_.options.remove_radios) {
    marker.KeepServices(radio_services_[position], kept.radio_services);
  }
  if (kind_ == PieceKind::per_provider) {
    // Only the provider of the piece is marked.
    Provider* const own[] = {&OutputProviders(workspace_)[position]};
    marker.NumberProviders(own);
  } else {
    OrderMarkedProviders();
    marker.NumberProviders(marked_providers_);
  }
  marker.NumberFavorites(tv_favorites_[position], radio_favorites_[position]);
  return marker.kept_any();
}

}  // namespace vsm
