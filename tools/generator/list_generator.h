#pragma once

#include <cstdint>
#include <string>

namespace vsm {

struct ListGeneratorOptions {
  int services = 100;  // TV and radio services together
  int antennas = 4;    // distinct antennas, named after satellites of the default table; at most 32
  int first_antenna = 0;  // index into that name table where this list's antennas start; two
                          // lists with overlapping ranges share antennas
  std::uint32_t seed = 1;
};

// A made-up channel list in the writer's text form, the same for the same options. An antenna
// and its transponders depend only on the antenna's name, so lists that share an antenna agree
// on it.
std::string GenerateChannelListText(const ListGeneratorOptions& options);

}  // namespace vsm
