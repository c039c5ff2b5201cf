// Arbitrary bytes as a channel-list text form, read in memory by the three section passes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "memory_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vsm::fuzz::RunReaderInput({reinterpret_cast<const char*>(data), size});
  return 0;
}
