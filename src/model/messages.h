#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vsm {

// Titles of the tool's message boxes.
inline constexpr const char* kTitleNice = "Nice....";
inline constexpr const char* kTitleWarning = "Warning !!!";
inline constexpr const char* kTitleStop = "Stop !!!";
inline constexpr const char* kTitleNoGo = "Sorry, no go....";
inline constexpr const char* kTitleSatPosition = "File sat_position.txt....";

// First lines that identify a channel-list text form and a batch script.
inline constexpr const char* kChannelListHeader = "[MORVANE V3 FILE]";
inline constexpr const char* kScriptHeader = "[VRK_SPLIT_MERGE]";

// A box's text with a further line that says why, when there is a reason.
inline std::string WithReason(std::string text, std::string_view reason) {
  if (!reason.empty()) (text += "\r\n") += reason;
  return text;
}

// More antennas than this draw a warning (they are kept all the same).
inline constexpr std::size_t kAntennaWarningLimit = 32;

}  // namespace vsm
