// Arbitrary bytes as two channel-list text forms, the second merged into the first, in memory.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "memory_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vsm::fuzz::RunMergeInput({reinterpret_cast<const char*>(data), size});
  return 0;
}
