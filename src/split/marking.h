#pragma once

#include "model/workspace.h"

namespace vsm {

// Which services a marking pass keeps, besides lying on a selected antenna.
enum class PieceKind {
  selected_antennas,  // every service of a selected antenna; the providers they name are marked
  selected_provider,  // only the services that name the one provider marked `used`
};

// Prepares everything the writer reads: chains and renumbers the kept transponders (those of the
// selected antennas) and services, numbers the antennas and the used providers, and points the
// kept services and their favourites at their output numbers. A record whose antenna,
// transponder, provider or service is absent is never kept. True when a service was kept.
bool MarkKeptRecords(Workspace& workspace, PieceKind kind);

// The provider that a service names in the output: its own one when existing names are kept,
// otherwise the generated provider of its antenna. Nothing when there is none.
Provider* OutputProviderOf(Workspace& workspace, const Service& service);

// Whether a service names the provider marked `used` in the list being split per provider.
bool InSelectedProvider(Workspace& workspace, const Service& service);

}  // namespace vsm
