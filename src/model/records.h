#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/text_store.h"

namespace vsm {

// The pass-through columns of a record: the tool does not know what they mean; it reads them,
// copies them in a merge and writes them back unchanged. docs/vrk-format.md says what is known
// of them and which of them a merge compares.

// Columns 2 to 8 of an "[ANTENNA]" line; value3 to value8 are the antenna's settings, which a
// preferred-antennas file replaces.
struct AntennaValues {
  std::int64_t value2 = 0;
  std::int32_t value3 = 0, value4 = 0, value5 = 0, value6 = 0, value7 = 0, value8 = 0;
  bool operator==(const AntennaValues&) const = default;
};

// Columns 2 to 8 of a "[TS]" line; value3 and value5, with the transponder's antenna, are a
// merge's key.
struct TransponderValues {
  std::int32_t value2 = 0, value3 = 0, value4 = 0, value5 = 0, value6 = 0, value7 = 0, value8 = 0;
  bool operator==(const TransponderValues&) const = default;
};

// The two values of the flag columns and of `scrambled` in a "[SERVICE]" line.
inline constexpr std::string_view kTrueText = "TRUE";
inline constexpr std::string_view kFalseText = "FALSE";

// Columns 2 to 7 of a "[SERVICE]" line.
struct ServiceValues {
  std::int32_t value2 = 0, value3 = 0, value4 = 0, value5 = 0, value6 = 0, value7 = 0;
  bool operator==(const ServiceValues&) const = default;
};

// The name of an antenna whose line names none.
inline constexpr std::string_view kUnknownAntennaName = "Unknown";

// One line of "[ANTENNA]". A list may hold millions of them (a file of empty lines is one antenna
// a line), so its texts are views, as a service's are: of texts that the antenna's list keeps
// (RecordList::KeepText), or of kUnknownAntennaName.
struct Antenna {
  std::int32_t index = 0;  // the number transponders refer to
  AntennaValues values;
  std::string_view name;
  std::string_view sat_position;  // position label used for provider naming; the name at first
  std::int32_t list_index = 0;
  std::int32_t out_index = 0;
  bool matched = false;         // merge set: an antenna of equal name exists in the main set
  bool selected = true;         // kept by the filters and the split
  bool saved_selected = false;  // selection parked while a split per antenna runs
};

// One line of "[TS]".
struct Transponder {
  std::int32_t antenna_index = 0;
  TransponderValues values;
  Antenna* antenna = nullptr;
  Antenna* merge_antenna = nullptr;  // merge set: the main-set counterpart of `antenna`
  std::int32_t list_index = 0;
  std::int32_t out_antenna_index = 0;
  std::int32_t out_index = 0;
};

// One line of "[NETWORK]", kept verbatim.
struct Network {
  std::string text;
  std::int32_t list_index = 0;
};

// One line of "[MENU]", kept verbatim.
struct Menu {
  std::string text;
  std::int32_t list_index = 0;
};

// One line of "[PROVIDER]"; also the record of the generated providers.
struct Provider {
  std::string name;
  std::int32_t list_index = 0;
  bool used = false;
};

// The text columns of a "[SERVICE]" line, as read or to be written.
struct ServiceTexts {
  std::string_view kind;  // "V" for TV
  std::string_view flag8, flag9;
  std::string_view scrambled;  // "TRUE" when not free-to-air
  std::string_view name;
};

// One line of "[SERVICE]": a channel. Lists hold hundreds of thousands of services, and every
// pass over a whole list (merging, marking, writing) touches each of them, so a service is kept
// in one cache line of 64 bytes:
// - its four columns of few values (kind, flag8, flag9, scrambled) hold one of two texts on
//   practically every line ("V" or "A", "FALSE" or "TRUE"): a code each says which, or that the
//   text is an odd one, kept with the name;
// - its name, then its odd texts, are one run of texts that the service's list keeps
//   (TextStore::KeepRun), valid as long as the service is;
// - its antenna is its transponder's, and the positions its line gave are only needed while its
//   list is read (and checked by a merge), so it keeps neither.
// A merge relinks each merged service as it takes it over (AddServices).
struct Service {
  // The columns of few values, and the code each keeps.
  enum class Column : std::uint8_t { kind, flag8, flag9, scrambled };
  enum class Code : std::uint8_t { usual, other_usual, odd };

  Transponder* transponder = nullptr;
  Provider* provider = nullptr;
  TextRun texts;  // the name, then the odd texts in column order
  std::int32_t out_number = 0;
  std::int32_t out_provider_index = 0;
  ServiceValues values;
  std::array<Code, 4> codes{};  // by Column
  bool kept = false;

  // The texts of `columns`, kept in `list_texts`: the usual ones as codes, the others in a run.
  void SetTexts(const ServiceTexts& columns, TextStore& list_texts);

  Antenna* antenna() const;
  std::string_view name() const { return texts[0]; }
  std::string_view Text(Column column) const;
  std::string_view kind() const { return Text(Column::kind); }
  bool IsScrambled() const { return Text(Column::scrambled) == kTrueText; }
};

// One line of "[FAVORITE]".
struct Favorite {
  std::int32_t kind = 0;           // 0 names a TV service, anything else a radio service
  std::int32_t value2 = 0;         // passed through; orders the favourites that a merge inserts
  std::int32_t channel_index = 0;  // the position of its service, as its line gave it
  Service* service = nullptr;
  Service* merge_service = nullptr;
  std::int32_t list_index = 0;
  std::int32_t out_channel_index = 0;
};

inline Antenna* Service::antenna() const {
  return transponder != nullptr ? transponder->antenna : nullptr;
}

// A file that went into the main set since the last load, named exactly as it was given.
struct LoadedFile {
  std::string path;
};

}  // namespace vsm
