// Arbitrary bytes as a .vrk file for vrk2mvt's decoder, in memory.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "memory_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vsm::fuzz::RunVrkInput({reinterpret_cast<const char*>(data), size});
  return 0;
}
