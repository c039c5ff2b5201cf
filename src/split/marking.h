#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "model/workspace.h"

namespace vsm {

// What the pieces of a marking pass are. A save is one piece of every selected antenna; a split
// per antenna has a piece per antenna, made while that antenna alone is selected; a split per
// provider a piece per provider of the list split (OutputProviders), made while that provider
// alone is marked `used`.
enum class PieceKind { whole_list, per_antenna, per_provider };

// The provider list that a save or a piece writes from: the list's own providers when existing
// names are kept, otherwise the generated ones.
RecordList<Provider>& OutputProviders(Workspace& workspace);

// The provider that a service names in the output: its own one when existing names are kept,
// otherwise the generated provider of its antenna. Nothing when there is none.
Provider* OutputProviderOf(Workspace& workspace, const Service& service);

// The records of each piece of a save or a split, gathered in one pass over the lists, so that
// marking a piece costs time in proportion to the piece rather than to the whole list. What every
// piece shares is numbered once: the antennas (their positions, in every piece), and for a split
// per provider the transponders of the selected antennas, which every piece holds. The selection,
// the naming options and the lists must not change while the pieces are marked.
class Pieces {
 public:
  Pieces(Workspace& workspace, PieceKind kind);

  // Prepares everything the writer reads for the piece at `position`: lists and numbers its
  // transponders (those of the selected antennas), its kept services and its providers, and points
  // its services and their favourites at their output numbers. A record whose antenna,
  // transponder, provider or service is absent is never kept. True when a service was kept.
  bool Mark(std::size_t position);

 private:
  // The records of one kind grouped by piece, in list order within a piece: a piece's records lie
  // side by side, and a piece that holds none costs an offset, a million times for a million
  // antennas.
  template <class Record>
  class Grouped {
   public:
    Grouped() = default;
    // `piece_of` gives each record's piece, or -1 for none.
    template <class Records, class WhichPiece>
    Grouped(Records& records, std::size_t pieces, WhichPiece piece_of);
    std::span<Record* const> operator[](std::size_t piece) const {
      return {records_.data() + offsets_[piece], records_.data() + offsets_[piece + 1]};
    }

   private:
    std::vector<std::uint32_t> offsets_;
    std::vector<Record*> records_;
  };

  std::ptrdiff_t PieceOf(const Service* service) const;
  // Forgets what any earlier marking left (the kept marks, the providers marked), once, before the
  // first piece is marked; later only what the piece before marked.
  void ClearEarlierMarks();
  void ClearPreviousPiece();
  // The providers that the piece's kept services name, in the order of their list.
  void OrderMarkedProviders();

  Workspace& workspace_;
  PieceKind kind_;
  // Per provider: the piece of each provider of the list split. Otherwise: the position of each
  // output provider in its list, which orders the providers that a piece marks.
  std::unordered_map<const Provider*, std::size_t> provider_position_;
  Grouped<Transponder> transponders_;  // but per provider: those are every piece's
  Grouped<Service> tv_services_;
  Grouped<Service> radio_services_;
  Grouped<Favorite> tv_favorites_;
  Grouped<Favorite> radio_favorites_;
  std::vector<Provider*> marked_providers_;  // those the piece marked last
  bool cleared_ = false;
  std::ptrdiff_t previous_ = -1;
};

}  // namespace vsm
