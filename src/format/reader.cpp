#include "format/reader.h"

#include <array>
#include <optional>

#include "format/conversions.h"
#include "format/sections.h"
#include "format/text_lines.h"
#include "format/writer.h"
#include "model/messages.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vsm {
namespace {

bool StartsWith(std::string_view line, char c) { return !line.empty() && line.front() == c; }

// The pass-through columns of a "[TS]" or "[SERVICE]" line, read in order (the initialisers of a
// braced list are evaluated from left to right).
TransponderValues ReadTransponderValues(ColumnReader& columns) {
  return {columns.Long(), columns.Long(), columns.Long(), columns.Long(),
          columns.Long(), columns.Long(), columns.Long()};
}

ServiceValues ReadServiceValues(ColumnReader& columns) {
  return {columns.Long(), columns.Long(), columns.Long(),
          columns.Long(), columns.Long(), columns.Long()};
}

// The columns of a "[SERVICE]" line, read in one pass; the texts are views of the line. Its last
// column, the service's number, is not read: the writer numbers the services it writes.
struct ServiceLine {
  explicit ServiceLine(ColumnReader& columns) {
    texts.kind = columns.Text();
    values = ReadServiceValues(columns);
    texts.flag8 = columns.Text();
    texts.flag9 = columns.Text();
    texts.scrambled = columns.Text();
    ts_index = columns.Long();
    provider_index = columns.Long();
    texts.name = columns.Text();
  }

  // A TV service: the line starts with "V".
  bool IsTv() const { return !texts.kind.empty() && texts.kind.front() == 'V'; }

  ServiceTexts texts;
  ServiceValues values;
  std::int32_t ts_index, provider_index;
};

// A service from its columns. Its transponder and provider are the records at the positions its
// line names; whether those name records of the list at all only a merge asks (see
// ChannelList::positions_out_of_range).
void AppendService(ChannelList& set, const ServiceLine& line) {
  RecordList<Service>& list = set.ServicesOfKind(line.IsTv());
  Service& service = list.AppendNew();
  service.SetTexts(line.texts, list.texts());
  service.values = line.values;
  service.transponder = set.transponders.Resolve(line.ts_index);
  service.provider = set.providers.Resolve(line.provider_index);
  if (!set.transponders.HasPosition(line.ts_index) ||
      !set.providers.HasPosition(line.provider_index)) {
    set.positions_out_of_range = true;
  }
}

void ParseTransponder(RecordList<Transponder>& list, const RecordList<Antenna>& antennas,
                      std::string_view line) {
  ColumnReader columns(line);
  Transponder transponder;
  transponder.antenna_index = columns.Long();
  transponder.values = ReadTransponderValues(columns);
  transponder.antenna = antennas.Resolve(transponder.antenna_index);
  transponder.list_index = list.NextPosition();
  list.Append(transponder);
}

void ParseNetwork(RecordList<Network>& list, std::string_view line) {
  list.Append({std::string(line), list.NextPosition()});
}

void ParseProvider(RecordList<Provider>& list, std::string_view line) {
  list.Append({std::string(line), list.NextPosition(), false});
}

void ParseMenu(RecordList<Menu>& list, std::string_view line) {
  list.Append({std::string(line), list.NextPosition()});
}

void ParseFavorite(Workspace& workspace, RecordList<Favorite>& list,
                   const RecordList<Service>& tv_services,
                   const RecordList<Service>& radio_services, std::string_view line) {
  ColumnReader columns(line);
  Favorite favorite;
  favorite.kind = columns.Long();
  favorite.value2 = columns.Long();
  favorite.channel_index = columns.Long();
  if (favorite.channel_index < 0) {
    workspace.Show(NegativeFavorite(workspace.settings.current_file));
    return;
  }
  const auto& services = favorite.kind == 0 ? tv_services : radio_services;
  favorite.service = services.Resolve(favorite.channel_index);
  favorite.list_index = list.NextPosition();
  list.Append(favorite);
}

// Copies the antenna lines of a list loaded into the main set to the work folder, where the user
// picks them up to make a preferred-antennas file.
class AntennaDump {
 public:
  explicit AntennaDump(Workspace& workspace) : workspace_(workspace) {}
  void Open() {
    writer_.emplace(workspace_.settings.WorkPath(kAntennaFileName),
                    AtomicFileWriter::Durability::cache, AtLink::replace, &workspace_.journal);
  }
  void Write(std::string_view line) {
    if (writer_) writer_->WriteLine(line);
  }
  void Close() {
    if (!writer_) return;
    if (!writer_->Commit()) workspace_.Show(CannotWrite(writer_->target(), writer_->error()));
    writer_.reset();
  }

 private:
  Workspace& workspace_;
  std::optional<AtomicFileWriter> writer_;
};

class SetReader : public SectionVisitor {
 public:
  SetReader(Workspace& workspace, SetId set)
      : workspace_(workspace),
        set_(workspace.Set(set)),
        dump_(workspace),
        is_main_(set == SetId::main) {}

  void OnSectionStart(Section section) override {
    if (section == Section::antenna && is_main_) dump_.Open();
  }
  void OnSectionEnd(Section section) override {
    if (section == Section::antenna) dump_.Close();
  }
  void OnRecord(Section section, LineCursor& lines) override {
    if (section == Section::service) return ReadService(lines);
    std::string_view line;
    lines.Next(line);
    switch (section) {
      case Section::antenna:
        dump_.Write(line);
        ParseAntenna(workspace_, set_.antennas, line);
        break;
      case Section::transponder:
        ParseTransponder(set_.transponders, set_.antennas, line);
        break;
      case Section::network:
        ParseNetwork(set_.networks, line);
        break;
      case Section::provider:
        ParseProvider(set_.providers, line);
        break;
      case Section::menu:
        ParseMenu(set_.menus, line);
        break;
      case Section::service:
        break;  // see ReadService
      case Section::favorite:
        ParseFavorite(workspace_, set_.FavoritesOfKind(StartsWith(line, '0')), set_.tv_services,
                      set_.radio_services, line);
        break;
    }
  }

 private:
  // A service line, read column by column straight from the text.
  void ReadService(LineCursor& lines) {
    ColumnReader columns(lines);
    const ServiceLine service(columns);
    columns.FinishLine();
    if (service.texts.name == kDummyServiceName) return;
    AppendService(set_, service);
  }

  Workspace& workspace_;
  ChannelList& set_;
  AntennaDump dump_;
  bool is_main_;
};

// The first line of a regular file, or the system's reason why it cannot be read.
Expected<std::string> ReadFirstLineOf(const std::string& name) {
  // A FIFO would keep the open waiting for a writer.
  if (!IsRegularFile(name)) return Failure("not a regular file");
  auto file = OpenForReading(name);
  if (!file) return Failure(file.error());
  std::string line;
  for (int c = std::fgetc(*file); c != EOF && c != '\r' && c != '\n' && c != '\0';
       c = std::fgetc(*file)) {
    line += static_cast<char>(c);
  }
  std::fclose(*file);
  return line;
}

// Names in text_file the text form to read for `file`: a ".txt" file is its own (when it is no
// channel list, text_file is "" and there is none to read); any other file is converted into the
// work folder (Settings::TextFormOf), and the converter's reason kept when it made none. The box
// of a write that failed when that text form cannot be written at all (its path is too long, it is
// read-only).
struct TextFormToRead {
  std::string file;     // "" when there is none
  std::string failure;  // why there is none: the converter's reason, or the system's
};

// A ".txt" file is its own text form when it is a channel list. One that is there but cannot be
// opened (another program holds it) is named with the system's reason.
TextFormToRead OwnTextForm(Settings& settings, const std::string& file) {
  const auto first_line = ReadFirstLineOf(file);
  if (!first_line && IsRegularFile(file)) {
    settings.text_file = file;
    return {{}, first_line.error()};
  }
  settings.text_file = first_line && *first_line == kChannelListHeader ? file : std::string();
  return {settings.text_file, {}};
}

Expected<TextFormToRead, Message> PrepareTextForm(Workspace& workspace, const std::string& file) {
  Settings& settings = workspace.settings;
  if (HasSuffix(file, ".txt")) return OwnTextForm(settings, file);
  settings.text_file = settings.TextFormOf(file);
  auto unwritable = PathTooLongToWrite(settings.text_file);
  if (!unwritable) unwritable = UnfitDestination(settings.text_file);
  if (unwritable) return Unexpected<Message>{CannotWrite(settings.text_file, *unwritable)};
  const auto converted = ConvertToText(workspace, file, settings.text_file);
  return TextFormToRead{settings.text_file, converted ? std::string() : converted.error()};
}

// The three passes over the text form, as the file's sections must be found.
void ReadAntennaAndTransponderSections(Workspace& workspace, SetId set, std::string_view text) {
  SetReader reader(workspace, set);
  ScanAntennaAndTransponderSections(text, reader);
}

void ReadNetworkProviderMenuSections(Workspace& workspace, SetId set, std::string_view text) {
  SetReader reader(workspace, set);
  ScanNetworkProviderMenuSections(text, reader);
}

void ReadServiceAndFavoriteSections(Workspace& workspace, SetId set, std::string_view text) {
  SetReader reader(workspace, set);
  ScanServiceAndFavoriteSections(text, reader);
}

}  // namespace

bool IsBatchScript(const std::string& file) {
  if (!HasSuffix(file, ".txt")) return false;
  const auto first_line = ReadFirstLineOf(file);
  return first_line && *first_line == kScriptHeader;
}

Expected<std::string, Message> ReadTextForm(Workspace& workspace, const std::string& file,
                                            Reading reading) {
  const auto text_form = PrepareTextForm(workspace, file);
  if (!text_form) return Unexpected<Message>{text_form.error()};
  auto text = text_form->file.empty() ? Expected<std::string>(Failure(text_form->failure))
                                      : ReadWholeFile(text_form->file);
  if (!text) {
    // A converter that ended well leaves the text form; one that is there but cannot be read says
    // why.
    const bool unreadable = text_form->failure.empty() && IsRegularFile(text_form->file);
    const std::string& reason = unreadable ? text.error() : text_form->failure;
    return Unexpected<Message>{reading == Reading::load
                                   ? LoadNotFound(file, workspace.settings.text_file, reason)
                                   : MergeNotFound(file, reason)};
  }
  const std::string_view first_line = FirstLine(*text);
  if (first_line != kChannelListHeader) {
    return Unexpected<Message>{reading == Reading::load ? LoadNotAList(file, first_line)
                                                        : MergeNotAList(file, first_line)};
  }
  return std::move(*text);
}

void BeginLoad(Workspace& workspace, const std::string& file) {
  workspace.settings.current_file = file;
  ReportFailedConversions(workspace);
  // The previous list is gone, whatever the outcome.
  workspace.main_set.Clear();
  workspace.loaded_files.clear();
  workspace.kept = {};  // it pointed into the lists just cleared
  WaitForConversionsOf(workspace, file);
}

Outcome ReadListFile(Workspace& workspace, const std::string& file) {
  if (!IsRegularFile(file)) return NotDoneWithoutABox();
  auto text = ReadTextForm(workspace, file, Reading::load);
  if (!text) return NotDone(text.error());
  workspace.loaded_files.push_back({file});
  ReadAllSections(workspace, SetId::main, *text);
  return {};
}

void ReadAllSections(Workspace& workspace, SetId set, std::string_view text) {
  ReadAntennaAndTransponderSections(workspace, set, text);
  ReadNetworkProviderMenuSections(workspace, set, text);
  ReadServiceAndFavoriteSections(workspace, set, text);
}

void WarnWhenAntennasAreFull(Workspace& workspace, const RecordList<Antenna>& antennas,
                             std::string_view name) {
  if (antennas.size() < kAntennaWarningLimit) return;
  workspace.Show(TooManyAntennas(name, workspace.settings.current_file));
}

Antenna& ParseAntenna(Workspace& workspace, RecordList<Antenna>& list, std::string_view line) {
  const Columns columns(line);
  const std::string_view name = TrimSpaces(columns[9]);
  WarnWhenAntennasAreFull(workspace, list, name);
  Antenna antenna;
  antenna.index = antenna.list_index = list.NextPosition();
  antenna.values = {ParseQuad(columns[2]), ParseLong(columns[3]), ParseLong(columns[4]),
                    ParseLong(columns[5]), ParseLong(columns[6]), ParseLong(columns[7]),
                    ParseLong(columns[8])};
  antenna.name = name.empty() ? kUnknownAntennaName : list.KeepText(name);
  antenna.sat_position = antenna.name;
  return list.Append(antenna);
}

}  // namespace vsm
