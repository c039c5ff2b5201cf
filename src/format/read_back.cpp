#include "format/read_back.h"

#include <cstdint>

#include "format/reader.h"
#include "format/text_lines.h"
#include "model/messages.h"
#include "model/workspace.h"
#include "platform/files.h"
#include "platform/null_platform.h"

namespace vsm {
namespace {

// A list read into the merge set of a workspace of its own, on a platform with nobody behind it:
// no box is shown and no antenna dump is written.
class ScratchList {
 public:
  explicit ScratchList(std::string_view text) : workspace_(platform_, std::string()) {
    ReadAllSections(workspace_, SetId::merge, text);
  }
  const ChannelList& records() const { return workspace_.merge_set; }

 private:
  NullPlatform platform_;
  Workspace workspace_;
};

// How a box names one record of a section, and several.
struct Words {
  std::string_view one;
  std::string_view many;
};

template <class Record>
std::int64_t PositionOf(const Record* record) {
  return record != nullptr ? record->list_index : -1;
}

// What differs between a record as written and as read back, in words; nothing when they agree.
std::optional<std::string_view> Difference(const Antenna& written, const Antenna& back) {
  if (written.name != back.name) return "another name";
  if (written.values != back.values) return "other values";
  return std::nullopt;
}

std::optional<std::string_view> Difference(const Transponder& written, const Transponder& back) {
  if (written.antenna_index != back.antenna_index) return "another antenna";
  if (written.values != back.values) return "other values";
  return std::nullopt;
}

std::optional<std::string_view> TextDifference(std::string_view written, std::string_view back) {
  return written == back ? std::nullopt : std::optional<std::string_view>("another text");
}
std::optional<std::string_view> Difference(const Network& written, const Network& back) {
  return TextDifference(written.text, back.text);
}
std::optional<std::string_view> Difference(const Provider& written, const Provider& back) {
  return TextDifference(written.name, back.name);
}
std::optional<std::string_view> Difference(const Menu& written, const Menu& back) {
  return TextDifference(written.text, back.text);
}

std::optional<std::string_view> Difference(const Service& written, const Service& back) {
  using Column = Service::Column;
  if (written.name() != back.name()) return "another name";
  for (const Column column : {Column::kind, Column::flag8, Column::flag9, Column::scrambled}) {
    if (written.Text(column) != back.Text(column)) return "other flags";
  }
  if (written.values != back.values) return "other values";
  if (PositionOf(written.transponder) != PositionOf(back.transponder)) {
    return "another transponder";
  }
  if (PositionOf(written.provider) != PositionOf(back.provider)) return "another provider";
  return std::nullopt;
}

std::optional<std::string_view> Difference(const Favorite& written, const Favorite& back) {
  if (written.kind != back.kind || written.value2 != back.value2) return "other values";
  if (written.channel_index != back.channel_index) return "another channel";
  return std::nullopt;
}

template <class Record>
std::optional<std::string> CountDifference(const RecordList<Record>& written,
                                           const RecordList<Record>& back, Words words) {
  if (written.size() == back.size()) return std::nullopt;
  return "it reads back as " + std::to_string(back.size()) + " " +
         std::string(back.size() == 1 ? words.one : words.many) + " instead of " +
         std::to_string(written.size());
}

// Once the counts agree.
template <class Record>
std::optional<std::string> RecordDifference(const RecordList<Record>& written,
                                            const RecordList<Record>& back, Words words) {
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (const auto what = Difference(written[i], back[i])) {
      return "its " + std::string(words.one) + " " + std::to_string(i + 1) + " reads back with " +
             std::string(*what);
    }
  }
  return std::nullopt;
}

// The first reason that `compare` gives for a section, the sections taken in the order of the
// text form's reading.
template <class Compare>
std::optional<std::string> FirstInTheSections(const ChannelList& written, const ChannelList& back,
                                              const Compare& compare) {
  std::optional<std::string> reason =
      compare(written.antennas, back.antennas, Words{"antenna", "antennas"});
  if (!reason) {
    reason = compare(written.transponders, back.transponders, Words{"transponder", "transponders"});
  }
  if (!reason) reason = compare(written.networks, back.networks, Words{"network", "networks"});
  if (!reason) reason = compare(written.providers, back.providers, Words{"provider", "providers"});
  if (!reason) reason = compare(written.menus, back.menus, Words{"menu", "menus"});
  if (!reason) {
    reason = compare(written.tv_services, back.tv_services, Words{"TV service", "TV services"});
  }
  if (!reason) {
    reason = compare(written.radio_services, back.radio_services,
                     Words{"radio service", "radio services"});
  }
  if (!reason) {
    reason = compare(written.tv_favorites, back.tv_favorites, Words{"TV favorite", "TV favorites"});
  }
  if (!reason) {
    reason = compare(written.radio_favorites, back.radio_favorites,
                     Words{"radio favorite", "radio favorites"});
  }
  return reason;
}

}  // namespace

std::optional<std::string> ReadBackDifference(std::string_view written,
                                              std::string_view read_back) {
  const ScratchList as_written(written);
  const ScratchList as_read_back(read_back);
  const auto counts = [](const auto& w, const auto& b, Words words) {
    return CountDifference(w, b, words);
  };
  const auto records = [](const auto& w, const auto& b, Words words) {
    return RecordDifference(w, b, words);
  };
  auto reason = FirstInTheSections(as_written.records(), as_read_back.records(), counts);
  if (!reason) reason = FirstInTheSections(as_written.records(), as_read_back.records(), records);
  return reason;
}

std::optional<std::string> ReadBackFileDifference(const std::string& text_file,
                                                  const std::string& read_back) {
  const auto written = ReadWholeFile(text_file);
  if (!written) return "its text form " + text_file + " cannot be read";
  const auto back = ReadWholeFile(read_back);
  if (!back || FirstLine(*back) != kChannelListHeader) {
    return "it does not read back as a channel list";
  }
  return ReadBackDifference(*written, *back);
}

}  // namespace vsm
