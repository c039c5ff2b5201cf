// Arbitrary text as a batch script driving load, merge, save and split, confined to a folder.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vsm::fuzz::FuzzFolder folder;
  vsm::fuzz::RunScriptInput(folder, {reinterpret_cast<const char*>(data), size});
  return 0;
}
