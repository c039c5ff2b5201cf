#pragma once

#include <string>

namespace vsm {

inline constexpr int kBuildNumber = 324;

// "Version 1.5 build 324 ,  20-06-2007 19:56 ", shown in status field 1 at start.
inline std::string VersionText() {
  return "Version 1.5 build " + std::to_string(kBuildNumber) + " ,  20-06-2007 19:56 ";
}

}  // namespace vsm
