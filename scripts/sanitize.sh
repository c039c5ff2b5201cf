#!/usr/bin/env bash
# Builds the tool, its converters and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding ends the program) in a build folder of their own, and runs
# the tests through ctest. The window is left out.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_SANITIZE="${BUILD_SANITIZE:-build-sanitize}"
JOBS="${JOBS:-2}"

scripts/install-deps.sh
# clang with its sanitizer runtimes.
scripts/install-deps.sh clang libclang-rt-dev

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
scripts/configure.sh "$BUILD_SANITIZE" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DVSM_BUILD_TESTS=ON -DVSM_BUILD_GUI=OFF
cmake --build "$BUILD_SANITIZE" -j "$JOBS"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$BUILD_SANITIZE"
ctest --output-on-failure -j "$JOBS"
