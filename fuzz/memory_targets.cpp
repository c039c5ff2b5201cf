#include "memory_targets.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "broken_promise.h"
#include "converters/channel_tables.h"
#include "converters/vrk_binary.h"
#include "format/reader.h"
#include "format/text_lines.h"
#include "merge/merge_driver.h"
#include "model/messages.h"
#include "model/workspace.h"
#include "platform/null_platform.h"

namespace vsm::fuzz {
namespace {

// A workspace that reaches nothing outside memory: its platform records nothing and starts no
// program, and nothing below runs a step that opens a file.
class SilentWorkspace {
 public:
  SilentWorkspace() : workspace(platform, "in-memory fuzzing opens no file") {}
  NullPlatform platform;
  Workspace workspace;
};

// ---- References ----

// Whether `record` is empty or is the record of `list` at the position it holds.
template <class Record>
bool IsOf(const RecordList<Record>& list, const Record* record) {
  if (record == nullptr) return true;
  const std::int32_t position = record->list_index;
  return position >= 0 && static_cast<std::size_t>(position) < list.size() &&
         &list[static_cast<std::size_t>(position)] == record;
}

template <class Record>
bool KnowTheirPositions(const RecordList<Record>& list) {
  for (std::size_t position = 0; position < list.size(); ++position) {
    if (list[position].list_index != static_cast<std::int32_t>(position)) return false;
  }
  return true;
}

bool AllKnowTheirPositions(const ChannelList& set) {
  return KnowTheirPositions(set.antennas) && KnowTheirPositions(set.transponders) &&
         KnowTheirPositions(set.networks) && KnowTheirPositions(set.providers) &&
         KnowTheirPositions(set.menus) && KnowTheirPositions(set.tv_favorites) &&
         KnowTheirPositions(set.radio_favorites);
}

// The positions of a set's services, which keep none of their own.
class ServicePositions {
 public:
  explicit ServicePositions(const ChannelList& set) {
    for (const auto* services : {&set.tv_services, &set.radio_services}) {
      std::int32_t position = 0;
      for (const Service& service : *services) {
        positions_.emplace(&service, Position{services, position++});
      }
    }
  }
  // -1 for an empty reference or a service of no list of the set.
  std::int32_t Of(const Service* service) const {
    const auto found = positions_.find(service);
    return found == positions_.end() ? -1 : found->second.position;
  }
  bool IsIn(const RecordList<Service>& list, const Service* service) const {
    const auto found = positions_.find(service);
    return service == nullptr || (found != positions_.end() && found->second.list == &list);
  }

 private:
  struct Position {
    const RecordList<Service>* list;
    std::int32_t position;
  };
  std::unordered_map<const Service*, Position> positions_;
};

const RecordList<Service>& ServicesNamedBy(const ChannelList& set, const Favorite& favorite) {
  return favorite.kind == 0 ? set.tv_services : set.radio_services;
}

// Every reference of the set designates a record of the same set (checked through the
// positions, so a reference into another set or into freed memory is caught too).
void CheckReferencesStayInSet(const ChannelList& set) {
  if (!AllKnowTheirPositions(set)) Broken("every record knows its position in its list");
  for (const Antenna& antenna : set.antennas) {
    if (antenna.index != antenna.list_index) Broken("an antenna's number is its position");
  }
  for (const Transponder& transponder : set.transponders) {
    if (!IsOf(set.antennas, transponder.antenna)) Broken("a transponder's antenna is in its set");
  }
  for (const auto* services : {&set.tv_services, &set.radio_services}) {
    for (const Service& service : *services) {
      if (!IsOf(set.transponders, service.transponder) || !IsOf(set.providers, service.provider)) {
        Broken("a service's transponder and provider are in its set");
      }
    }
  }
  const ServicePositions services(set);
  for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
    for (const Favorite& favorite : *favorites) {
      if (!services.IsIn(ServicesNamedBy(set, favorite), favorite.service)) {
        Broken("a favourite's service is in its set, among the services of its kind");
      }
    }
  }
}

// After a merge the transponders' antenna indexes hold the positions of their antennas.
void CheckIndexesRenumbered(const ChannelList& set) {
  for (const Transponder& t : set.transponders) {
    if (t.antenna != nullptr && t.antenna_index != t.antenna->list_index) {
      Broken("a merge renumbers the transponders' antenna indexes");
    }
  }
}

// ---- A set written out for comparison ----

template <class Record>
std::int32_t PositionOf(const Record* record) {
  return record != nullptr ? record->list_index : -1;
}

// Every field the reader sets, and every reference as the position it designates, one line per
// record. The favourites of both kinds are sorted together: which list a favourite joins follows
// the first byte of its line, and a converted text form writes the kind as a number (an empty or
// "00" kind column reads as 0 but is written "0").
class SetDescription {
 public:
  explicit SetDescription(const ChannelList& set) {
    const ServicePositions service_positions(set);
    for (const Antenna& a : set.antennas) {
      Line('A', a.name, a.values.value2, a.values.value3, a.values.value4, a.values.value5,
           a.values.value6, a.values.value7, a.values.value8);
    }
    for (const Transponder& t : set.transponders) {
      const TransponderValues& v = t.values;
      Line('T', "", t.antenna_index, PositionOf(t.antenna), v.value2, v.value3, v.value4, v.value5,
           v.value6, v.value7, v.value8);
    }
    for (const Network& n : set.networks) Line('N', n.text);
    for (const Provider& p : set.providers) Line('P', p.name);
    for (const Menu& m : set.menus) Line('M', m.text);
    for (const auto* services : {&set.tv_services, &set.radio_services}) {
      for (const Service& s : *services) {
        const ServiceValues& v = s.values;
        using Column = Service::Column;
        const std::string texts = std::string(s.kind()) + '|' + std::string(s.Text(Column::flag8)) +
                                  '|' + std::string(s.Text(Column::flag9)) + '|' +
                                  std::string(s.Text(Column::scrambled)) + '|' +
                                  std::string(s.name());
        Line('S', texts, v.value2, v.value3, v.value4, v.value5, v.value6, v.value7,
             PositionOf(s.transponder), PositionOf(s.antenna()), PositionOf(s.provider));
      }
    }
    for (const auto* favorites : {&set.tv_favorites, &set.radio_favorites}) {
      for (const Favorite& f : *favorites) {
        favorites_.push_back(
            LineOf('F', "", f.kind, f.value2, f.channel_index, service_positions.Of(f.service)));
      }
    }
    std::sort(favorites_.begin(), favorites_.end());
  }
  bool operator==(const SetDescription&) const = default;

 private:
  template <class... Numbers>
  static std::string LineOf(char kind, std::string_view text, Numbers... numbers) {
    std::string line(1, kind);
    line += text;
    ((line += '\t', line += std::to_string(numbers)), ...);
    return line;
  }
  template <class... Numbers>
  void Line(char kind, std::string_view text, Numbers... numbers) {
    text_ += LineOf(kind, text, numbers...);
    text_ += '\n';
  }

  std::string text_;
  std::vector<std::string> favorites_;
};

bool IsEmpty(const ChannelList& set) {
  return set.antennas.empty() && set.transponders.empty() && set.networks.empty() &&
         set.providers.empty() && set.menus.empty() && set.tv_services.empty() &&
         set.radio_services.empty() && set.tv_favorites.empty() && set.radio_favorites.empty();
}

// ---- Reader ----

std::string WithHeader(std::string_view bytes) {
  std::string text(kChannelListHeader);
  text += "\r\n";
  text += bytes;
  return text;
}

// The text form that the converters make of `text`: mvt2vrk reads it into tables, and vrk2mvt
// writes the tables it decodes. (RunVrkInput checks that the encoding and decoding in between
// give back the same tables.)
std::string ConvertedText(const std::string& text) {
  std::string fault;
  const auto tables = vrk::TablesFromText(text, fault);
  if (!tables) Broken("mvt2vrk reads a text form that starts with its header");
  return vrk::TextFromTables(*tables);
}

// ---- Merge ----

// The two lists of a merge input: up to its first line after the first that is exactly the
// header, and from that line on.
std::pair<std::string_view, std::string_view> CutAtSecondHeader(std::string_view bytes) {
  LineCursor cursor(bytes);
  std::string_view line;
  cursor.Next(line);  // the first line starts the first list, whatever it is
  while (cursor.Next(line)) {
    if (line == kChannelListHeader) {
      const auto cut = static_cast<std::size_t>(line.data() - bytes.data());
      return {bytes.substr(0, cut), bytes.substr(cut)};
    }
  }
  return {bytes, bytes};
}

// Reads `text` into the main set as a load does, but without the antenna dump file that a load
// writes: the passes fill the merge set, which then changes places with the empty main set.
void ReadAsLoaded(Workspace& workspace, std::string_view text) {
  ReadAllSections(workspace, SetId::merge, text);
  std::swap(workspace.main_set, workspace.merge_set);
  workspace.merge_set.Clear();
  workspace.loaded_files.push_back({"loaded.txt"});
}

struct ListSizes {
  explicit ListSizes(const ChannelList& set)
      : antennas(set.antennas.size()),
        transponders(set.transponders.size()),
        networks(set.networks.size()),
        providers(set.providers.size()),
        menus(set.menus.size()),
        tv_services(set.tv_services.size()),
        radio_services(set.radio_services.size()),
        tv_favorites(set.tv_favorites.size()),
        radio_favorites(set.radio_favorites.size()) {}
  std::size_t antennas, transponders, networks, providers, menus, tv_services, radio_services,
      tv_favorites, radio_favorites;
};

template <class Record>
bool GrewBy(const RecordList<Record>& list, std::size_t before, std::size_t at_least,
            std::size_t at_most) {
  return list.size() >= before + at_least && list.size() <= before + at_most;
}

// What a merge adds: every service and favourite of the merged list, at most each of its
// antennas, transponders and providers, and no network or menu.
void CheckMergedSizes(const ListSizes& before, const ChannelList& merged, const ChannelList& main) {
  const ListSizes added(merged);
  if (!GrewBy(main.antennas, before.antennas, 0, added.antennas) ||
      !GrewBy(main.transponders, before.transponders, 0, added.transponders) ||
      !GrewBy(main.providers, before.providers, 0, added.providers)) {
    Broken("a merge adds at most the antennas, transponders and providers of the merged list");
  }
  if (!GrewBy(main.tv_services, before.tv_services, added.tv_services, added.tv_services) ||
      !GrewBy(main.radio_services, before.radio_services, added.radio_services,
              added.radio_services) ||
      !GrewBy(main.tv_favorites, before.tv_favorites, added.tv_favorites, added.tv_favorites) ||
      !GrewBy(main.radio_favorites, before.radio_favorites, added.radio_favorites,
              added.radio_favorites)) {
    Broken("a merge adds every service and favourite of the merged list");
  }
  if (main.networks.size() != before.networks || main.menus.size() != before.menus) {
    Broken("a merge keeps the networks and menus of the loaded list");
  }
}

bool SameColumns(const Service& a, const Service& b) {
  const ServiceValues& v = a.values;
  const ServiceValues& w = b.values;
  using Column = Service::Column;
  return v.value2 == w.value2 && v.value3 == w.value3 && v.value4 == w.value4 &&
         v.value5 == w.value5 && v.value6 == w.value6 && v.value7 == w.value7 &&
         a.name() == b.name() && a.kind() == b.kind() &&
         a.Text(Column::flag8) == b.Text(Column::flag8) &&
         a.Text(Column::flag9) == b.Text(Column::flag9) &&
         a.Text(Column::scrambled) == b.Text(Column::scrambled);
}

bool SameAntenna(const Antenna* a, const Antenna* b) {
  return a == nullptr ? b == nullptr : b != nullptr && a->name == b->name;
}

// A merged service keeps what it is: its columns, and a transponder, antenna and provider equal
// to its own in the merged file (transponders are equal by antenna, value3 and value5, antennas
// by name, providers by their line).
bool KeepsItself(const Service& merged, const Service& original) {
  const Transponder* t = merged.transponder;
  const Transponder* u = original.transponder;
  const bool same_transponder = t == nullptr
                                    ? u == nullptr
                                    : u != nullptr && t->values.value3 == u->values.value3 &&
                                          t->values.value5 == u->values.value5 &&
                                          SameAntenna(t->antenna, u->antenna);
  const bool same_provider =
      merged.provider == nullptr
          ? original.provider == nullptr
          : original.provider != nullptr && merged.provider->name == original.provider->name;
  return same_transponder && same_provider && SameAntenna(merged.antenna(), original.antenna()) &&
         SameColumns(merged, original);
}

void CheckMergedServices(const ListSizes& before, const ChannelList& merged,
                         const ChannelList& main) {
  for (const bool tv : {true, false}) {
    const RecordList<Service>& originals = tv ? merged.tv_services : merged.radio_services;
    const RecordList<Service>& services = tv ? main.tv_services : main.radio_services;
    const std::size_t first = tv ? before.tv_services : before.radio_services;
    for (std::size_t i = 0; i < originals.size(); ++i) {
      if (!KeepsItself(services[first + i], originals[i])) {
        Broken("a merged service keeps its columns, transponder, antenna and provider");
      }
    }
  }
}

// ---- .vrk ----

bool SameColumns(const vrk::SectionTable& a, const vrk::SectionTable& b) {
  if (a.section != b.section || a.rows != b.rows || a.columns.size() != b.columns.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.columns.size(); ++i) {
    const vrk::Column& x = a.columns[i];
    const vrk::Column& y = b.columns[i];
    if (x.type != y.type || x.numbers != y.numbers || x.texts != y.texts) return false;
  }
  return true;
}

bool SameTables(const vrk::ChannelTables& a, const vrk::ChannelTables& b) {
  for (std::size_t i = 0; i < a.tables.size(); ++i) {
    if (!SameColumns(a.tables[i], b.tables[i])) return false;
  }
  return true;
}

void CheckDecoding(std::string_view bytes) {
  std::string fault;
  const auto tables = vrk::DecodeVrk(bytes, fault);
  if (!tables) {
    if (fault.empty()) Broken("a refused file has a fault text");
    return;
  }
  const auto again = vrk::DecodeVrk(vrk::EncodeVrk(*tables), fault);
  if (!again) Broken("an encoded list decodes");
  if (!SameTables(*again, *tables)) Broken("an encoded list decodes to the same list");
  const auto read = vrk::TablesFromText(vrk::TextFromTables(*tables), fault);
  if (!read || !SameTables(*read, *tables)) {
    Broken("the text form of a decoded file holds the file's records, no more and no fewer");
  }
}

void PutLittleEndian(std::string& bytes, std::size_t offset, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) {
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
  }
}

}  // namespace

void RunReaderInput(std::string_view bytes) {
  const std::string text = WithHeader(bytes);
  SilentWorkspace read;
  ReadAllSections(read.workspace, SetId::merge, text);
  CheckReferencesStayInSet(read.workspace.merge_set);

  SilentWorkspace converted;
  ReadAllSections(converted.workspace, SetId::merge, ConvertedText(text));
  if (SetDescription(converted.workspace.merge_set) != SetDescription(read.workspace.merge_set)) {
    Broken("a list reads the same from the text form that the converters make of it");
  }
  if (converted.platform.messages() != read.platform.messages()) {
    Broken("a list draws the same warnings from the text form that the converters make of it");
  }
}

void RunMergeInput(std::string_view bytes) {
  const auto [loaded_text, merged_text] = CutAtSecondHeader(bytes);
  SilentWorkspace loaded;
  Workspace& workspace = loaded.workspace;
  ReadAsLoaded(workspace, loaded_text);
  CheckReferencesStayInSet(workspace.main_set);
  const ListSizes before(workspace.main_set);
  const SetDescription loaded_list(workspace.main_set);

  SilentWorkspace alone;  // the merged list as read on its own
  ReadAllSections(alone.workspace, SetId::merge, merged_text);
  const ChannelList& merged = alone.workspace.merge_set;

  const bool done =
      workspace.Report(MergeTextForm(workspace, "merged.txt", std::string(merged_text)));
  if (!IsEmpty(workspace.merge_set)) Broken("a merge empties the merge set");
  if (!done) {
    if (SetDescription(workspace.main_set) != loaded_list || workspace.loaded_files.size() != 1) {
      Broken("a refused merge leaves the loaded list as it was");
    }
    return;
  }
  if (workspace.loaded_files.size() != 2) Broken("a merged file is counted as loaded");
  CheckReferencesStayInSet(workspace.main_set);
  CheckIndexesRenumbered(workspace.main_set);
  CheckMergedSizes(before, merged, workspace.main_set);
  CheckMergedServices(before, merged, workspace.main_set);
}

std::string SealVrk(std::string_view bytes) {
  std::string sealed(bytes);
  if (sealed.size() < vrk::kHeaderSize + vrk::kChecksumSize) return sealed;
  PutLittleEndian(sealed, 8, sealed.size(), 8);
  const std::size_t body = sealed.size() - vrk::kChecksumSize;
  PutLittleEndian(sealed, body, vrk::Crc32(std::string_view(sealed).substr(0, body)), 4);
  return sealed;
}

void RunVrkInput(std::string_view bytes) {
  CheckDecoding(bytes);
  CheckDecoding(SealVrk(bytes));
}

}  // namespace vsm::fuzz
