#include "split/marking.h"

#include <algorithm>

#include "split/provider_naming.h"

namespace vsm {
namespace {

bool IsOnSelectedAntenna(const Transponder& transponder) {
  return transponder.antenna != nullptr && transponder.antenna->selected;
}

// A service is only written together with its antenna, transponder and provider.
bool CanBeKept(Workspace& workspace, const Service& service) {
  return service.antenna != nullptr && service.antenna->selected &&
         service.transponder != nullptr && IsOnSelectedAntenna(*service.transponder) &&
         service.provider != nullptr && OutputProviderOf(workspace, service) != nullptr;
}

// The record that an element of the records given to a step stands for: the whole lists hold
// records, the pieces of a split pointers to them.
template <class Record>
Record& RecordOf(Record& record) {
  return record;
}
template <class Record>
Record& RecordOf(Record* record) {
  return *record;
}

// The steps of a marking pass, each over the records it is given: the whole lists, or the
// records of one piece of a split.
class Marker {
 public:
  // `newly_used`, when given, receives every provider that the pass marks `used`.
  Marker(Workspace& workspace, PieceKind kind, std::vector<Provider*>* newly_used = nullptr)
      : workspace_(workspace), kind_(kind), newly_used_(newly_used) {}

  // Forgets what the last pass kept, but for the transponders with `keep_transponders`.
  void Begin(bool keep_transponders = false) {
    KeptChains& kept = workspace_.kept;
    if (!keep_transponders) kept.transponders.clear();
    kept.tv_services.clear();
    kept.radio_services.clear();
    kept.providers.clear();
    kept.tv_favorites.clear();
    kept.radio_favorites.clear();
  }

  template <class Transponders>
  void KeepTransponders(Transponders& transponders) {
    std::int32_t counter = 0;
    for (auto& element : transponders) {
      Transponder& transponder = RecordOf(element);
      if (!IsOnSelectedAntenna(transponder)) continue;
      transponder.out_antenna_index = transponder.antenna->out_index;
      transponder.out_index = counter++;
      workspace_.kept.transponders.push_back(&transponder);
    }
  }

  template <class Services>
  void KeepServices(Services& services, std::vector<Service*>& kept_services) {
    std::int32_t counter = 1;
    for (auto& element : services) {
      Service& service = RecordOf(element);
      service.kept = BelongsToPiece(service);
      if (!service.kept) continue;
      kept_any_ = true;
      service.out_ts_index = service.transponder->out_index;
      service.out_number = counter++;
      if (kind_ == PieceKind::selected_antennas) MarkProvidersOf(service);
      kept_services.push_back(&service);
    }
  }

  // Numbers the used ones among `providers`, given in list order, and points the kept services
  // at their numbers.
  template <class Providers>
  void NumberProviders(Providers& providers) {
    std::int32_t counter = 0;
    for (auto& element : providers) {
      Provider& provider = RecordOf(element);
      if (!provider.used) continue;
      provider.list_index = counter++;
      workspace_.kept.providers.push_back(&provider);
    }
    for (const auto* services : {&workspace_.kept.tv_services, &workspace_.kept.radio_services}) {
      for (Service* service : *services) {
        const Provider* provider = OutputProviderOf(workspace_, *service);
        if (provider != nullptr && provider->used) {
          service->out_provider_index = provider->list_index;
        }
      }
    }
  }

  template <class Favorites>
  void NumberFavorites(Favorites& tv_favorites, Favorites& radio_favorites) {
    if (workspace_.options.remove_favorites) return;
    NumberFavoritesOf(tv_favorites, workspace_.kept.tv_favorites);
    if (!workspace_.options.remove_radios) {
      NumberFavoritesOf(radio_favorites, workspace_.kept.radio_favorites);
    }
  }

  bool kept_any() const { return kept_any_; }

 private:
  bool BelongsToPiece(const Service& service) {
    if (!CanBeKept(workspace_, service)) return false;
    return kind_ == PieceKind::selected_antennas || InSelectedProvider(workspace_, service);
  }

  void MarkUsed(Provider& provider) {
    if (provider.used) return;
    provider.used = true;
    if (newly_used_ != nullptr) newly_used_->push_back(&provider);
  }

  // A kept service of a piece per antenna marks the providers it brings into the file; with
  // divided generated providers both halves of its antenna come along.
  void MarkProvidersOf(const Service& service) {
    if (workspace_.options.naming == Naming::keep_existing_names) {
      MarkUsed(*service.provider);
      return;
    }
    for (const char* scrambled : {"FALSE", "TRUE"}) {
      if (Provider* provider = GeneratedProviderOf(workspace_, *service.antenna, scrambled)) {
        MarkUsed(*provider);
      }
    }
  }

  template <class Favorites>
  static void NumberFavoritesOf(Favorites& favorites, std::vector<Favorite*>& numbered) {
    for (auto& element : favorites) {
      Favorite& favorite = RecordOf(element);
      if (favorite.service != nullptr && favorite.service->kept) {
        favorite.out_channel_index = favorite.service->out_number - 1;
        numbered.push_back(&favorite);
      }
    }
  }

  Workspace& workspace_;
  PieceKind kind_;
  std::vector<Provider*>* newly_used_;
  bool kept_any_ = false;
};

// Every antenna is written, selected or not, under its position: the same numbers for a save and
// for every piece of a split.
void NumberAntennas(RecordList<Antenna>& antennas) {
  std::int32_t counter = 0;
  for (Antenna& antenna : antennas) antenna.out_index = counter++;
}

void ClearProviderMarks(ChannelList& set) {
  for (Provider& provider : set.providers) provider.used = false;
  for (Provider& provider : set.generated_providers) provider.used = false;
}

}  // namespace

RecordList<Provider>& OutputProviders(Workspace& workspace) {
  ChannelList& set = workspace.main_set;
  return workspace.options.naming == Naming::keep_existing_names ? set.providers
                                                                 : set.generated_providers;
}

Provider* OutputProviderOf(Workspace& workspace, const Service& service) {
  if (workspace.options.naming == Naming::keep_existing_names) return service.provider;
  if (service.antenna == nullptr) return nullptr;
  return GeneratedProviderOf(workspace, *service.antenna, service.scrambled);
}

bool InSelectedProvider(Workspace& workspace, const Service& service) {
  const Provider* provider = OutputProviderOf(workspace, service);
  return provider != nullptr && provider->used;
}

bool MarkKeptRecords(Workspace& workspace, PieceKind kind) {
  ChannelList& set = workspace.main_set;
  KeptChains& kept = workspace.kept;
  Marker marker(workspace, kind);
  marker.Begin();
  NumberAntennas(set.antennas);
  marker.KeepTransponders(set.transponders);
  if (kind == PieceKind::selected_antennas) ClearProviderMarks(set);
  marker.KeepServices(set.tv_services, kept.tv_services);
  if (workspace.options.remove_radios) {
    // Left out: no radio service may pass for kept, also through a favourite.
    for (Service& service : set.radio_services) service.kept = false;
  } else {
    marker.KeepServices(set.radio_services, kept.radio_services);
  }
  marker.NumberProviders(OutputProviders(workspace));
  marker.NumberFavorites(set.tv_favorites, set.radio_favorites);
  return marker.kept_any();
}

SplitPieces::SplitPieces(Workspace& workspace, PieceKind kind)
    : workspace_(workspace), kind_(kind) {
  ChannelList& set = workspace.main_set;
  std::size_t position = 0;
  for (const Provider& provider : OutputProviders(workspace)) {
    provider_position_.emplace(&provider, position++);
  }
  pieces_.resize(kind == PieceKind::selected_antennas ? set.antennas.size()
                                                      : provider_position_.size());
  // What every piece shares is numbered once, so that a piece costs in proportion to what it
  // holds: the antennas (whose numbers are their positions, the pieces per antenna), and for a
  // split per provider the transponders, kept in every piece.
  NumberAntennas(set.antennas);
  GatherTransponders(workspace);
  if (kind == PieceKind::selected_provider) {
    Marker marker(workspace, kind);
    marker.Begin();
    marker.KeepTransponders(selected_transponders_);
  }
  GatherServices(workspace, set.tv_services, &Piece::tv_services);
  GatherServices(workspace, set.radio_services, &Piece::radio_services);
  GatherFavorites(workspace, set.tv_favorites, &Piece::tv_favorites);
  GatherFavorites(workspace, set.radio_favorites, &Piece::radio_favorites);
}

std::ptrdiff_t SplitPieces::PieceOf(Workspace& workspace, const Service* service) const {
  if (service == nullptr) return -1;
  if (kind_ == PieceKind::selected_antennas) {
    return service->antenna != nullptr ? service->antenna->out_index : -1;
  }
  const auto found = provider_position_.find(OutputProviderOf(workspace, *service));
  return found == provider_position_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}

void SplitPieces::GatherTransponders(Workspace& workspace) {
  for (Transponder& transponder : workspace.main_set.transponders) {
    if (kind_ == PieceKind::selected_provider) {
      if (IsOnSelectedAntenna(transponder)) selected_transponders_.push_back(&transponder);
      continue;
    }
    if (transponder.antenna != nullptr) {
      pieces_[static_cast<std::size_t>(transponder.antenna->out_index)].transponders.push_back(
          &transponder);
    }
  }
}

void SplitPieces::GatherServices(Workspace& workspace, RecordList<Service>& services,
                                 std::vector<Service*> Piece::*member) {
  for (Service& service : services) {
    const std::ptrdiff_t piece = PieceOf(workspace, &service);
    if (piece >= 0) (pieces_[static_cast<std::size_t>(piece)].*member).push_back(&service);
  }
}

void SplitPieces::GatherFavorites(Workspace& workspace, RecordList<Favorite>& favorites,
                                  std::vector<Favorite*> Piece::*member) {
  for (Favorite& favorite : favorites) {
    const std::ptrdiff_t piece = PieceOf(workspace, favorite.service);
    if (piece >= 0) (pieces_[static_cast<std::size_t>(piece)].*member).push_back(&favorite);
  }
}

void SplitPieces::ClearEarlierMarks() {
  ChannelList& set = workspace_.main_set;
  for (Service& service : set.tv_services) service.kept = false;
  for (Service& service : set.radio_services) service.kept = false;
  if (kind_ == PieceKind::selected_antennas) ClearProviderMarks(set);
  cleared_ = true;
}

void SplitPieces::ClearPreviousPiece() {
  if (previous_ >= 0) {
    const Piece& piece = pieces_[static_cast<std::size_t>(previous_)];
    for (Service* service : piece.tv_services) service->kept = false;
    for (Service* service : piece.radio_services) service->kept = false;
  }
  for (Provider* provider : marked_providers_) provider->used = false;
  marked_providers_.clear();
}

void SplitPieces::OrderMarkedProviders() {
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

bool SplitPieces::Mark(std::size_t position) {
  if (!cleared_) ClearEarlierMarks();
  ClearPreviousPiece();
  previous_ = static_cast<std::ptrdiff_t>(position);
  Piece& piece = pieces_[position];
  KeptChains& kept = workspace_.kept;
  Marker marker(workspace_, kind_, &marked_providers_);
  const bool per_antenna = kind_ == PieceKind::selected_antennas;
  marker.Begin(/*keep_transponders=*/!per_antenna);
  if (per_antenna) marker.KeepTransponders(piece.transponders);
  marker.KeepServices(piece.tv_services, kept.tv_services);
  if (!workspace_.options.remove_radios) {
    marker.KeepServices(piece.radio_services, kept.radio_services);
  }
  if (kind_ == PieceKind::selected_antennas) {
    OrderMarkedProviders();
    marker.NumberProviders(marked_providers_);
  } else {
    // Only the provider of the piece is marked.
    Provider* const own[] = {&OutputProviders(workspace_)[position]};
    marker.NumberProviders(own);
  }
  marker.NumberFavorites(piece.tv_favorites, piece.radio_favorites);
  return marker.kept_any();
}

}  // namespace vsm
