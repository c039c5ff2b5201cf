#pragma once

#include <cstdio>
#include <cstdlib>

namespace vsm::fuzz {

// Ends the fuzzing process on an input that breaks a promise of the tool; libFuzzer keeps the
// input as a finding.
[[noreturn]] inline void Broken(const char* promise) {
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace vsm::fuzz
