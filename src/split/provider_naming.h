#pragma once

#include <string_view>

#include "model/first_by_name.h"
#include "model/workspace.h"

namespace vsm {

// With naming after the satellite position, sets the position label (`sat_position`) of every
// antenna that the keep folder's sat_position.txt names, and reports each faulty row in a box of
// its own. A missing table is replaced by the default one first.
void ApplySatellitePositions(Workspace& workspace);

// Rebuilds `generated_providers`: one provider per antenna in list order, named by its label, or,
// divided, first the "Fta " providers of all antennas and then the plain ones. So the provider of
// the antenna at position p is at p, and its scrambled counterpart at p + number of antennas.
void BuildGeneratedProviders(Workspace& workspace);

// The generated provider that a service of `antenna` names: the antenna's own; when the providers
// are divided, the plain one for a scrambled service and the "Fta " one for any other. Nothing
// when the list holds no provider for that antenna.
Provider* GeneratedProviderOf(Workspace& workspace, const Antenna& antenna, bool scrambled);

}  // namespace vsm
