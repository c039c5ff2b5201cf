#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "model/workspace.h"

namespace vsm {

// Which services a marking pass keeps, besides lying on a selected antenna.
enum class PieceKind {
  selected_antennas,  // every service of a selected antenna; the providers they name are marked
  selected_provider,  // only the services that name the one provider marked `used`
};

// Prepares everything the writer reads: lists and renumbers the kept transponders (those of the
// selected antennas) and services, numbers the antennas and the used providers, and points the
// kept services and their favourites at their output numbers. A record whose antenna,
// transponder, provider or service is absent is never kept. True when a service was kept.
bool MarkKeptRecords(Workspace& workspace, PieceKind kind);

// The provider list that a save or a piece writes from: the list's own providers when existing
// names are kept, otherwise the generated ones.
RecordList<Provider>& OutputProviders(Workspace& workspace);

// The provider that a service names in the output: its own one when existing names are kept,
// otherwise the generated provider of its antenna. Nothing when there is none.
Provider* OutputProviderOf(Workspace& workspace, const Service& service);

// Whether a service names the provider marked `used` in the list being split per provider.
bool InSelectedProvider(Workspace& workspace, const Service& service);

// The records of every piece of one split, gathered in one pass over the lists, so that marking
// a piece costs time in proportion to the piece rather than to the whole list. A piece per
// antenna is the antenna at a position of `antennas`, selected alone; a piece per provider is
// the provider at a position of the list split (`providers`, or `generated_providers` when
// providers are named after their antenna), marked `used` alone. The selection, the naming
// options and the lists must not change while the split runs.
class SplitPieces {
 public:
  SplitPieces(Workspace& workspace, PieceKind kind);

  // Marks the piece at `position` with the same outcome as MarkKeptRecords over the whole lists.
  // True when a service was kept.
  bool Mark(std::size_t position);

 private:
  struct Piece {
    std::vector<Transponder*> transponders;  // per antenna only
    std::vector<Service*> tv_services;
    std::vector<Service*> radio_services;
    std::vector<Favorite*> tv_favorites;
    std::vector<Favorite*> radio_favorites;
  };

  // The position of the piece that a service belongs to; none when it belongs to no piece.
  std::ptrdiff_t PieceOf(Workspace& workspace, const Service* service) const;
  void GatherTransponders(Workspace& workspace);
  void GatherServices(Workspace& workspace, RecordList<Service>& services,
                      std::vector<Service*> Piece::*member);
  void GatherFavorites(Workspace& workspace, RecordList<Favorite>& favorites,
                       std::vector<Favorite*> Piece::*member);
  // Clears what any earlier marking left, once, before the first piece is marked.
  void ClearEarlierMarks();
  // Takes back the marks of the piece marked before.
  void ClearPreviousPiece();
  // Puts the providers that a piece per antenna marked in the order of their list.
  void OrderMarkedProviders();

  Workspace& workspace_;
  PieceKind kind_;
  std::vector<Piece> pieces_;
  // Per provider: the piece of each provider of the list split. Per antenna: the position of each
  // output provider in its list, which orders the providers that a piece marks.
  std::unordered_map<const Provider*, std::size_t> provider_position_;
  std::vector<Transponder*> selected_transponders_;  // per provider: shared by every piece
  std::vector<Provider*> marked_providers_;          // per antenna: those of the last piece
  bool cleared_ = false;
  std::ptrdiff_t previous_ = -1;
};

}  // namespace vsm
