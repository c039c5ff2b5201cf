#pragma once

#include "model/workspace.h"
#include "platform/platform.h"

namespace vsm {

// Writes one piece per selected antenna: its text form in the work folder, converted into
// VrkResult/<antenna>.vrk, and the script antenna_list.txt in the start folder that merges the
// pieces again. `button` receives "Split into N antennas".
void SplitPerAntenna(Workspace& workspace, Button button);

// The marking pass of a save: keeps the transponders and services of the selected antennas and the
// providers they name, as one piece (Pieces). True when a service was kept.
bool MarkForSelectedAntennas(Workspace& workspace);

}  // namespace vsm
