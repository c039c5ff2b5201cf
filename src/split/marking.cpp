#include "split/marking.h"

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

RecordList<Provider>& OutputProviders(Workspace& workspace) {
  ChannelList& set = workspace.main_set;
  return workspace.options.naming == Naming::keep_existing_names ? set.providers
                                                                 : set.generated_providers;
}

// A kept service of a piece per antenna marks the providers it brings into the file; with divided
// generated providers both halves of its antenna come along.
void MarkProvidersOf(Workspace& workspace, const Service& service) {
  if (workspace.options.naming == Naming::keep_existing_names) {
    service.provider->used = true;
    return;
  }
  for (const char* scrambled : {"FALSE", "TRUE"}) {
    if (Provider* provider = GeneratedProviderOf(workspace, *service.antenna, scrambled)) {
      provider->used = true;
    }
  }
}

class Marker {
 public:
  Marker(Workspace& workspace, PieceKind kind) : workspace_(workspace), kind_(kind) {}

  bool Run() {
    workspace_.kept = {};
    NumberAntennas();
    KeepTransponders();
    if (kind_ == PieceKind::selected_antennas) ClearProviderMarks();
    KeepServices(workspace_.main_set.tv_services, workspace_.kept.first_kept_tv_service);
    if (workspace_.options.remove_radios) {
      // Left out: no radio service may pass for kept, also through a favourite.
      for (Service& service : workspace_.main_set.radio_services) service.kept = false;
    } else {
      KeepServices(workspace_.main_set.radio_services, workspace_.kept.first_kept_radio_service);
    }
    NumberProviders();
    NumberFavorites();
    return kept_any_;
  }

 private:
  void NumberAntennas() {
    std::int32_t counter = 0;
    for (Antenna& antenna : workspace_.main_set.antennas) antenna.out_index = counter++;
  }

  void KeepTransponders() {
    std::int32_t counter = 0;
    Transponder** link = &workspace_.kept.first_kept_transponder;
    for (Transponder& transponder : workspace_.main_set.transponders) {
      if (!IsOnSelectedAntenna(transponder)) continue;
      transponder.out_antenna_index = transponder.antenna->out_index;
      transponder.out_index = counter++;
      transponder.next_kept = nullptr;
      *link = &transponder;
      link = &transponder.next_kept;
    }
  }

  void ClearProviderMarks() {
    for (Provider& provider : workspace_.main_set.providers) provider.used = false;
    for (Provider& provider : workspace_.main_set.generated_providers) provider.used = false;
  }

  bool BelongsToPiece(const Service& service) {
    if (!CanBeKept(workspace_, service)) return false;
    return kind_ == PieceKind::selected_antennas || InSelectedProvider(workspace_, service);
  }

  void KeepServices(RecordList<Service>& services, Service*& head) {
    std::int32_t counter = 1;
    Service** link = &head;
    for (Service& service : services) {
      service.kept = BelongsToPiece(service);
      if (!service.kept) continue;
      kept_any_ = true;
      service.out_ts_index = service.transponder->out_index;
      service.out_number = counter++;
      if (kind_ == PieceKind::selected_antennas) MarkProvidersOf(workspace_, service);
      service.next_kept = nullptr;
      *link = &service;
      link = &service.next_kept;
    }
  }

  void NumberProviders() {
    std::int32_t counter = 0;
    for (Provider& provider : OutputProviders(workspace_)) {
      if (provider.used) provider.list_index = counter++;
    }
    PointAtProviders(workspace_.kept.first_kept_tv_service);
    if (!workspace_.options.remove_radios) {
      PointAtProviders(workspace_.kept.first_kept_radio_service);
    }
  }

  void PointAtProviders(Service* first) {
    for (Service* service = first; service != nullptr; service = service->next_kept) {
      const Provider* provider = OutputProviderOf(workspace_, *service);
      if (provider != nullptr && provider->used) service->out_provider_index = provider->list_index;
    }
  }

  void NumberFavorites() {
    if (workspace_.options.remove_favorites) return;
    NumberFavoritesOf(workspace_.main_set.tv_favorites);
    if (!workspace_.options.remove_radios) NumberFavoritesOf(workspace_.main_set.radio_favorites);
  }

  static void NumberFavoritesOf(RecordList<Favorite>& favorites) {
    for (Favorite& favorite : favorites) {
      if (favorite.service != nullptr && favorite.service->kept) {
        favorite.out_channel_index = favorite.service->out_number - 1;
      }
    }
  }

  Workspace& workspace_;
  PieceKind kind_;
  bool kept_any_ = false;
};

}  // namespace

Provider* OutputProviderOf(Workspace& workspace, const Service& service) {
  if (workspace.options.naming == Naming::keep_existing_names) return service.provider;
  if (service.antenna == nullptr) return nullptr;
  return GeneratedProviderOf(workspace, *service.antenna, service.scrambled);
}

bool InSelectedProvider(Workspace& workspace, const Service& service) {
  const Provider* provider = OutputProviderOf(workspace, service);
  return provider != nullptr && provider->used;
}

bool MarkKeptRecords(Workspace& workspace, PieceKind kind) { return Marker(workspace, kind).Run(); }

}  // namespace vsm
