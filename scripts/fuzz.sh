#!/usr/bin/env bash
# Builds the libFuzzer programs with clang, AddressSanitizer and UndefinedBehaviorSanitizer in a
# build folder of their own, makes seed corpora with the list generator and the converter, and
# runs each fuzzer for FUZZ_SECONDS (default 60). Fails on any finding; a finding's input is kept
# in $BUILD_FUZZ/findings. Usage: scripts/fuzz.sh [FUZZER...]
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
BUILD_FUZZ="${BUILD_FUZZ:-build-fuzz}"
JOBS="${JOBS:-2}"
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=(reader_fuzzer vrk_decode_fuzzer script_fuzzer)

scripts/install-deps.sh
# clang with its sanitizer and libFuzzer runtimes.
scripts/install-deps.sh clang libclang-rt-dev

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
scripts/configure.sh "$BUILD_FUZZ" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DVSM_BUILD_FUZZ=ON -DVSM_BUILD_TESTS=OFF -DVSM_BUILD_GUI=OFF
cmake --build "$BUILD_FUZZ" -j "$JOBS" --target "${fuzzers[@]}" vrk-gen-list mvt2vrk

# Seeds: generated lists as text (reader) and as .vrk (decoder), and small scripts over the two
# lists that the script harness puts beside each script.
seeds="$BUILD_FUZZ/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/reader_fuzzer" "$seeds/vrk_decode_fuzzer" "$seeds/script_fuzzer"
bin="$BUILD_FUZZ/bin"
for spec in "0 1 1" "3 1 2" "12 2 3" "30 4 4" "40 33 5"; do
  read -r services antennas seed <<<"$spec"
  [ "$antennas" -gt 32 ] && antennas=32
  text="$seeds/reader_fuzzer/list-$services-$seed.txt"
  "$bin/vrk-gen-list" --services "$services" --antennas "$antennas" --seed "$seed" "$text"
  "$bin/mvt2vrk" "$text" "$seeds/vrk_decode_fuzzer/list-$services-$seed.vrk"
done
printf 'load a.txt\r\nmerge b.txt\r\nsave c.txt\r\nsplit\r\n' >"$seeds/script_fuzzer/split.txt"
printf 'merge a.txt\r\nmerge b.txt\r\nsplit_into_providers true\r\nuse_satellite_position\r\ndivide_fta_notfta true\r\nsplit\r\nload provider_list.txt\r\n' \
  >"$seeds/script_fuzzer/providers.txt"
printf 'load a.txt\r\nremove_radios true\r\nremove_favorites true\r\nkeep_pref_antennas true\r\nuse_antenna_names\r\nsave d\r\nload d.vrk\r\nmerge a.txt\r\n# note\r\nsave a.txt\r\n' \
  >"$seeds/script_fuzzer/options.txt"

# The inputs' files go to memory: the tool flushes saved lists to disk, which would make each run
# slow on a real disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

findings="$BUILD_FUZZ/findings"
mkdir -p "$findings"
failed=()
for fuzzer in "${fuzzers[@]}"; do
  corpus="$BUILD_FUZZ/corpus/$fuzzer"
  mkdir -p "$corpus"
  echo "== $fuzzer: ${FUZZ_SECONDS}s"
  if ! "$bin/$fuzzer" "$corpus" "$seeds/$fuzzer" -max_total_time="$FUZZ_SECONDS" -timeout=20 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$findings/$fuzzer-" >"$BUILD_FUZZ/$fuzzer.log" 2>&1; then
    tail -n 60 "$BUILD_FUZZ/$fuzzer.log"
    failed+=("$fuzzer")
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$BUILD_FUZZ/$fuzzer.log" || true
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in $findings)"
  exit 1
fi
echo "fuzz: ${#fuzzers[@]} fuzzers, ${FUZZ_SECONDS}s each, no finding"
