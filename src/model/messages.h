#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/expected.h"

namespace vsm {

// Every box the tool shows, one builder each. "\r\n" ends a line inside a text; a further line
// with a reason is added only when there is one.

// A box: its title, its text, and whether it says that something the user asked for was not done
// (a file not read, merged, written or converted) or only tells about the data. Only the first
// kind counts against a run's exit status.
struct Message {
  std::string_view title;
  std::string text;
  bool undone = true;
};

// What an engine step that reads or writes a file did: done, or the box that says what was not
// done; a step may also fail without a word (a file to load that cannot be opened).
using Outcome = Expected<void, std::optional<Message>>;
inline Outcome NotDone(Message message) {
  return Unexpected<std::optional<Message>>{std::move(message)};
}
inline Outcome NotDoneWithoutABox() { return Unexpected<std::optional<Message>>{std::nullopt}; }

inline constexpr std::string_view kTitleNice = "Nice....";
inline constexpr std::string_view kTitleWarning = "Warning !!!";
inline constexpr std::string_view kTitleStop = "Stop !!!";
inline constexpr std::string_view kTitleNoGo = "Sorry, no go....";
inline constexpr std::string_view kTitleSatPosition = "File sat_position.txt....";

namespace message_detail {
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const std::string_view line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}
// `text` with a further line that says why, when there is a reason.
inline std::string WithReason(const std::string& text, std::string_view reason) {
  return reason.empty() ? text : Lines({text, reason});
}
}  // namespace message_detail

// ---- A file not read, merged, written or converted ----

// The text form of `file` is missing: a ".txt" file that is not a channel list, or a binary list
// whose conversion left none (`reason`: the converter's).
inline Message LoadNotFound(std::string_view file, std::string_view text_file,
                            std::string_view reason) {
  using namespace message_detail;
  return {kTitleNice,
          WithReason(Lines({"LoadThisFile: File not found ", file, text_file}), reason)};
}
inline Message LoadNotAList(std::string_view file, std::string_view first_line) {
  return {kTitleNice, message_detail::Lines(
                          {"LoadThisFile: this file is not [MORVANE V3 FILE]", file, first_line})};
}
inline Message MergeNotFound(std::string_view file, std::string_view reason) {
  using namespace message_detail;
  return {kTitleNice, WithReason(Lines({"MergeThisFile: File not found ", file}), reason)};
}
inline Message MergeNotAList(std::string_view file, std::string_view first_line) {
  return {kTitleNice, message_detail::Lines(
                          {"MergeThisFile: this file is not [MORVANE V3 FILE]", file, first_line})};
}
// One of the file's indexes names no record of it.
inline Message MergeIndexOutOfRange(std::string_view file) {
  return {kTitleNice, message_detail::Lines({"MergeThisFile: index out of range ", file})};
}
inline Message AlreadyLoadedOrMerged(std::string_view file) {
  return {kTitleNoGo, message_detail::Lines({"File already loaded or merged. ", file})};
}
// The Load button's box after a load that did not load `file`.
inline Message NoFileLoaded(std::string_view file) {
  return {kTitleNice, message_detail::Lines({"LoadFile: No file specified or found.", file})};
}
inline Message CannotWrite(std::string_view file, std::string_view reason) {
  return {kTitleNice, message_detail::Lines({"Cannot write file ", file, reason})};
}
inline Message ConversionFailed(std::string_view target, std::string_view reason) {
  return {kTitleNice, message_detail::Lines({"Conversion failed: ", target, reason})};
}
// A save that wrote nothing: no list loaded, or no channel kept by the filters.
inline Message NothingSavedNoList(std::string_view target) {
  return {kTitleNice, message_detail::Lines({"Nothing saved: no list is loaded ", target})};
}
inline Message NothingSavedNoChannel(std::string_view target) {
  return {kTitleNice, message_detail::Lines({"Nothing saved: no channel is kept ", target})};
}
// A split that wrote no piece, since the filters kept no channel (or no list is loaded);
// `folder`: where its pieces go.
inline Message NothingSplitNoChannel(std::string_view folder) {
  return {kTitleNice, message_detail::Lines({"Nothing split: no channel is kept ", folder})};
}

// ---- About the data ----

// More antennas than this draw a warning each (they are kept all the same).
inline constexpr std::size_t kAntennaWarningLimit = 32;
inline Message TooManyAntennas(std::string_view antenna, std::string_view file) {
  return {kTitleWarning, message_detail::Lines({"More then 32 antennas ! ", antenna, file}), false};
}
inline Message NegativeFavorite(std::string_view file) {
  return {kTitleStop,
          message_detail::Lines(
              {"Favorite has negative channel index ! ", "This favorite is ignored.", file}),
          false};
}
inline Message SatPositionRowWithoutTab(std::string_view row) {
  return {kTitleSatPosition,
          message_detail::Lines({"No TAB between position and satellite name in: ", "", row}),
          false};
}
inline Message UnknownSatellite(std::string_view row) {
  return {
      kTitleSatPosition,
      message_detail::Lines({"The satellite name is unknown in the loaded vrk file: ", "", row}),
      false};
}
inline Message NotExistingPreferredAntenna(std::string_view antenna, std::string_view file) {
  return {kTitleNice,
          message_detail::Lines({"Trying to keep a not existing antenna:", antenna, file}), false};
}

// ---- Why the tool does not start (on standard error, or in a box before the window opens) ----

inline constexpr const char* kNameTheConvertersFolder =
    "; name the folder that holds them with --converters and an absolute path";

inline std::string CannotStartIn(std::string_view folder, std::string_view why) {
  return "cannot start in \"" + std::string(folder) + "\": " + std::string(why);
}
inline std::string CannotCreateFolder(std::string_view folder, std::string_view reason) {
  return "cannot create the folder \"" + std::string(folder) + "\": " + std::string(reason);
}
inline std::string CannotTakeConverters(std::string_view folder, std::string_view why) {
  return "cannot take the converters from \"" + std::string(folder) + "\": " + std::string(why);
}
// The converters are taken from beside the tool when no folder is named: without one there, or
// without the tool's own folder, only an absolute --converters folder is safe.
inline std::string CannotTakeConvertersBesideTheTool(std::string_view folder,
                                                     std::string_view why) {
  return "cannot take the converters from the tool's own folder \"" + std::string(folder) +
         "\": " + std::string(why) + kNameTheConvertersFolder;
}
inline std::string CannotFindTheToolsOwnFolder() {
  return std::string("cannot find the tool's own folder, which holds its converters") +
         kNameTheConvertersFolder;
}

// First lines that identify a channel-list text form and a batch script.
inline constexpr const char* kChannelListHeader = "[MORVANE V3 FILE]";
inline constexpr const char* kScriptHeader = "[VRK_SPLIT_MERGE]";

}  // namespace vsm
