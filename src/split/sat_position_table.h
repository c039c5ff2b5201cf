#pragma once

#include <string>

#include "model/workspace.h"

namespace vsm {

// The user's table of satellite positions, in the keep folder.
inline constexpr const char* kSatPositionFileName = "sat_position.txt";

// The rows written when the user has no table: position TAB satellite name, each ended by CR LF,
// the degree sign as the single byte 0xB0.
std::string DefaultSatPositionTable();

// Writes the default table when the keep folder holds no sat_position.txt. An existing file is
// never touched; a table that cannot be written is not reported.
void EnsureSatPositionFile(Workspace& workspace);

}  // namespace vsm
