#pragma once

// The texts of the window's controls as the user sees them, the same in both windows.

#include <string>
#include <vector>

namespace vsm::test_support {

// In the order in which the window creates them.
inline const std::vector<std::string> kControlsInCreationOrder = {
    "Load",
    "Save",
    "Remove all Radio channels",
    "Remove all Favorites",
    "Keep preferred Antennas",
    "Split per antenna",
    "Merge",
    "Save or Split",
    "Divide providers into FTA and Non FTA",
    "Split into vrk per Provider",
    " Providers ",
    "Use Antenna (Lnb) Name as provider name",
    "Use satellite position as provider name",
    "Keep existing providers",
};

// The controls that Tab visits from Load until it is back there, in the start state.
inline const std::vector<std::string> kTabRoundFromLoad = {
    "Merge",
    "Keep preferred Antennas",
    "Split into vrk per Provider",
    "Remove all Favorites",
    "Remove all Radio channels",
    "Divide providers into FTA and Non FTA",
    "Keep existing providers",
    "Split per antenna",
    "Save",
    "Load",
};

// The same round backwards (Shift+Tab) once "Use satellite position as provider name" is set.
inline const std::vector<std::string> kBackTabRoundWithSatellitePositions = {
    "Save",
    "Split per antenna",
    "Use satellite position as provider name",
    "Divide providers into FTA and Non FTA",
    "Remove all Radio channels",
    "Remove all Favorites",
    "Split into vrk per Provider",
    "Keep preferred Antennas",
    "Merge",
    "Load",
};

}  // namespace vsm::test_support
