#include "format/writer.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "format/conversions.h"
#include "model/messages.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {
namespace {

template <class Number>
void AppendNumber(std::string& line, Number value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  line.append(digits, result.ptr);
}

template <class Number>
void AppendColumn(std::string& line, Number value) {
  line += '\t';
  AppendNumber(line, value);
}

void AppendColumn(std::string& line, std::string_view text) {
  line += '\t';
  line += text;
}

void AppendAntenna(std::string& line, const Antenna& a) {
  AppendNumber(line, a.out_index);
  const AntennaValues& v = a.values;
  AppendColumn(line, v.value2);
  for (const auto value : {v.value3, v.value4, v.value5, v.value6, v.value7, v.value8}) {
    AppendColumn(line, value);
  }
  AppendColumn(line, std::string_view(a.name));
}

void AppendTransponder(std::string& line, const Transponder& t) {
  AppendNumber(line, t.out_antenna_index);
  const TransponderValues& v = t.values;
  for (const auto value : {v.value2, v.value3, v.value4, v.value5, v.value6, v.value7, v.value8}) {
    AppendColumn(line, value);
  }
}

void AppendServiceColumns(std::string& line, const ServiceLineColumns& c) {
  line += c.texts.kind;
  const ServiceValues& v = c.values;
  for (const auto value : {v.value2, v.value3, v.value4, v.value5, v.value6, v.value7}) {
    AppendColumn(line, value);
  }
  AppendColumn(line, c.texts.flag8);
  AppendColumn(line, c.texts.flag9);
  AppendColumn(line, c.texts.scrambled);
  AppendColumn(line, c.transponder);
  AppendColumn(line, c.provider);
  AppendColumn(line, c.texts.name);
  AppendColumn(line, c.number);
}

// A service is written only with its transponder (see CanBeKept), under that one's number.
void AppendService(std::string& line, const Service& s) {
  using Column = Service::Column;
  AppendServiceColumns(line, {{s.kind(), s.Text(Column::flag8), s.Text(Column::flag9),
                               s.Text(Column::scrambled), s.name()},
                              s.values,
                              s.transponder->out_index,
                              s.out_provider_index,
                              s.out_number});
}

void AppendFavorite(std::string& line, const Favorite& f) {
  AppendNumber(line, f.kind);
  AppendColumn(line, f.value2);
  AppendColumn(line, f.out_channel_index);
}

template <class Record, class Append>
std::string Format(const Record& record, Append append) {
  std::string line;
  append(line, record);
  return line;
}

// Formats the lines into a block of its own and hands the file whole blocks: one call per block
// instead of two per line.
class ListWriter {
 public:
  explicit ListWriter(AtomicFileWriter& file) : file_(file) { block_.reserve(kBlockSize + 4096); }
  ~ListWriter() { Flush(); }
  ListWriter(const ListWriter&) = delete;
  ListWriter& operator=(const ListWriter&) = delete;

  void Line(std::string_view text) {
    block_ += text;
    EndLine();
  }
  template <class Rec, class Append>
  void Put(const Rec& record, Append append) {
    append(block_, record);
    EndLine();
  }
  void Flush() {
    file_.Write(block_);
    block_.clear();
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{256} * 1024;

  void EndLine() {
    block_ += "\r\n";
    if (block_.size() >= kBlockSize) Flush();
  }

  AtomicFileWriter& file_;
  std::string block_;
};

bool FavoriteIsWritten(const Favorite& favorite, bool by_antenna) {
  const Service* service = favorite.service;
  if (service == nullptr || !service->kept) return false;
  return !by_antenna || (service->antenna() != nullptr && service->antenna()->selected);
}

void WriteFavorites(ListWriter& out, const std::vector<Favorite*>& favorites, bool by_antenna) {
  for (const Favorite* favorite : favorites) {
    if (FavoriteIsWritten(*favorite, by_antenna)) out.Put(*favorite, AppendFavorite);
  }
}

void WriteServices(ListWriter& out, const std::vector<Service*>& services) {
  // The services of a piece lie scattered in memory, and their names and transponders lie apart
  // from them. Reading one byte of each of the next ones, of its name and of its transponder in
  // a short loop lets the processor fetch them side by side, so that the formatting after it
  // finds them at hand instead of waiting for each in turn.
  constexpr std::size_t kAhead = 16;
  unsigned char seen = 0;
  for (std::size_t i = 0; i < services.size(); ++i) {
    if (i % kAhead == 0) {
      for (std::size_t j = i; j < std::min(services.size(), i + kAhead); ++j) {
        const std::string_view name = services[j]->name();
        seen |= static_cast<unsigned char>(name.size() | services[j]->transponder->out_index);
        if (!name.empty()) seen |= static_cast<unsigned char>(name.front());
      }
    }
    out.Put(*services[i], AppendService);
  }
  volatile unsigned char keep = seen;
  static_cast<void>(keep);
}

void WriteSections(const Workspace& workspace, ListWriter& out, bool by_antenna) {
  const ChannelList& set = workspace.main_set;
  const Options& options = workspace.options;
  const KeptChains& kept = workspace.kept;
  out.Line(kChannelListHeader);
  out.Line("[ANTENNA]");
  for (const Antenna& antenna : set.antennas) out.Put(antenna, AppendAntenna);
  out.Line("[TS]");
  for (const Transponder* transponder : kept.transponders) out.Put(*transponder, AppendTransponder);
  out.Line("[NETWORK]");
  for (const Network& network : set.networks) out.Line(network.text);
  out.Line("[PROVIDER]");
  for (const Provider* provider : kept.providers) out.Line(provider->name);
  out.Line("[FAVORITE]");
  if (!options.remove_favorites) {
    WriteFavorites(out, kept.tv_favorites, by_antenna);
    if (!options.remove_radios) WriteFavorites(out, kept.radio_favorites, by_antenna);
  }
  out.Line("[SERVICE]");
  WriteServices(out, kept.tv_services);
  if (options.remove_radios) {
    out.Line(kPlaceholderServiceLine);
  } else {
    WriteServices(out, kept.radio_services);
  }
  out.Line("[MENU]");
  for (const Menu& menu : set.menus) out.Line(menu.text);
}

}  // namespace

std::string FormatAntenna(const Antenna& antenna) { return Format(antenna, AppendAntenna); }
std::string FormatTransponder(const Transponder& t) { return Format(t, AppendTransponder); }
std::string FormatService(const ServiceLineColumns& columns) {
  return Format(columns, AppendServiceColumns);
}
std::string FormatFavorite(const Favorite& favorite) { return Format(favorite, AppendFavorite); }

namespace {

// The file that the conversion into `files.target` replaces, when it can be converted there at
// all: known before anything is written, since a text form without its conversion would be half
// a write. The box of a write that failed otherwise.
Expected<std::string, Message> ConversionDestination(const Settings& settings,
                                                     const ListFiles& files) {
  const auto destination = DestinationOf(files.target, files.target_at_link);
  if (!destination) return Unexpected<Message>{CannotWrite(files.target, LastSystemError())};
  if (auto unfit = UnfitDestination(*destination)) {
    return Unexpected<Message>{CannotWrite(files.target, *unfit)};
  }
  std::vector<std::string> written = {StagingFolder::PathFor(*destination, FilePart(files.target))};
  if (files.verification == Verification::read_back) {
    written.push_back(ReadBackPath(settings, files.target));
  }
  for (const std::string& path : written) {
    if (auto too_long = PathTooLongToWrite(path)) {
      return Unexpected<Message>{CannotWrite(files.target, *too_long)};
    }
  }
  return *destination;
}

}  // namespace

Outcome WriteChannelList(Workspace& workspace, const ListFiles& files, bool by_antenna) {
  const bool converted = HasSuffix(files.target, ".vrk");
  std::optional<std::string> destination;
  if (converted) {
    auto found = ConversionDestination(workspace.settings, files);
    if (!found) return NotDone(found.error());
    destination = *found;
  }
  WaitForConversionsOf(workspace, files.text_file);
  // A saved text form is the user's file; intermediate ones in the work folder can be made again.
  const auto durability =
      converted ? AtomicFileWriter::Durability::cache : AtomicFileWriter::Durability::disk;
  AtomicFileWriter file(files.text_file, durability, files.TextFileAtLink(), &workspace.journal);
  {
    ListWriter out(file);
    WriteSections(workspace, out, by_antenna);
  }
  if (!file.Commit()) return NotDone(CannotWrite(files.text_file, file.error()));
  if (converted) {
    StartConversionToBinary(workspace, files.text_file, files.target, *destination,
                            files.verification);
  }
  return {};
}

}  // namespace vsm
