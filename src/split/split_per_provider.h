#pragma once

#include "model/workspace.h"
#include "platform/platform.h"

namespace vsm {

// Writes one piece per provider (the list's own providers, or the generated ones when providers
// are named after the antenna or its satellite position), each holding that provider's services on
// the selected antennas, and the script provider_list.txt that merges the pieces again. `button`
// receives "Split into N providers".
void SplitPerProvider(Workspace& workspace, Button button);

}  // namespace vsm
