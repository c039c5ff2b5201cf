#pragma once

#include "model/workspace.h"

namespace vsm {

// Selects the antennas that a save or a split keeps, then rebuilds the generated providers.
// With keep_pref_antennas and a readable preferred-antennas file (ANTENNA.txt in the keep folder),
// only the main-set antennas named there are selected, and each takes the settings (columns 3 to
// 8) of its line; a line naming no antenna of the list is reported. Otherwise every antenna is
// selected. The file's lines are parsed into the merge set's antennas.
void ApplyPreferredAntennas(Workspace& workspace);

}  // namespace vsm
