// Arbitrary bytes as a channel-list text file through the whole pipeline, on files: loaded, merged,
// saved and split.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vsm::fuzz::FuzzFolder folder;
  vsm::fuzz::RunTextListInput(folder, {reinterpret_cast<const char*>(data), size});
  return 0;
}
