#!/usr/bin/env bash
# Builds the libFuzzer programs with clang, AddressSanitizer and UndefinedBehaviorSanitizer in a
# build folder of their own, makes seeds (fuzz/seeds and lists made with the generator and the
# converter), and runs each fuzzer for FUZZ_SECONDS (default 36) from its kept corpus
# (fuzz/corpus/<fuzzer>) and the seeds, with its dictionary (fuzz/dict). FUZZ_RUNS, when set,
# also ends a fuzzer after that many inputs. Fails on any finding; a finding's input is kept in
# $BUILD_FUZZ/findings.
#
# Usage: scripts/fuzz.sh [--corpus] [FUZZER...]
#   --corpus  after the runs, merges each fuzzer's kept corpus, what the run found and the seeds
#             with -merge=1 into a new minimised fuzz/corpus/<fuzzer> (files of at most
#             CORPUS_MAX_BYTES, default 8192); what the runs found stays in $BUILD_FUZZ/corpus
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS="${FUZZ_SECONDS:-36}"
FUZZ_RUNS="${FUZZ_RUNS:-}"
CORPUS_MAX_BYTES="${CORPUS_MAX_BYTES:-8192}"
BUILD_FUZZ="${BUILD_FUZZ:-build-fuzz}"
JOBS="${JOBS:-2}"
refresh_corpus=false
if [ "${1:-}" = "--corpus" ]; then
  refresh_corpus=true
  shift
fi
all_fuzzers=(pipeline_fuzzer script_fuzzer reader_fuzzer merge_fuzzer vrk_decode_fuzzer)
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=("${all_fuzzers[@]}")

dictionary_of() {
  case "$1" in
    script_fuzzer) echo fuzz/dict/script.dict ;;
    vrk_decode_fuzzer) echo fuzz/dict/vrk.dict ;;
    *) echo fuzz/dict/channel_list.dict ;;
  esac
}

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
bin="$BUILD_FUZZ/bin"

# Seeds. Lists: the hand-made ones of fuzz/seeds/lists (every section, line ends, odd orders and
# values) and generated ones. Merges: pairs of lists, among them generated lists that share
# antennas. .vrk files: every list converted. Scripts: fuzz/seeds/scripts (every kind of line).
seeds="$BUILD_FUZZ/seeds"
rm -rf "$seeds"
for fuzzer in "${all_fuzzers[@]}"; do mkdir -p "$seeds/$fuzzer"; done
lists="$seeds/lists"
mkdir -p "$lists"
cp fuzz/seeds/lists/* "$lists/"
for spec in "0 1 0 1" "3 1 0 2" "12 2 0 3" "10 3 1 4" "30 4 2 5" "40 32 0 6"; do
  read -r services antennas first seed <<<"$spec"
  "$bin/vrk-gen-list" --services "$services" --antennas "$antennas" --first-antenna "$first" \
    --seed "$seed" "$lists/generated-$services-$seed.txt"
done
for list in "$lists"/*.txt; do
  name=$(basename "$list" .txt)
  cp "$list" "$seeds/reader_fuzzer/"
  cp "$list" "$seeds/pipeline_fuzzer/"
  cp "$list" "$seeds/merge_fuzzer/$name-with-itself.txt"
  cat "$list" "$lists/generated-10-4.txt" >"$seeds/merge_fuzzer/$name-and-generated.txt"
  "$bin/mvt2vrk" "$list" "$seeds/vrk_decode_fuzzer/$name.vrk"
done
cat "$lists/generated-10-4.txt" "$lists/generated-12-3.txt" >"$seeds/merge_fuzzer/shared-antennas.txt"
cp fuzz/seeds/scripts/* "$seeds/script_fuzzer/"

# The pipeline's files go to memory: the tool flushes saved lists to disk, which would make each
# run slow on a real disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

run_limits=(-max_total_time="$FUZZ_SECONDS")
[ -n "$FUZZ_RUNS" ] && run_limits+=(-runs="$FUZZ_RUNS")
findings="$BUILD_FUZZ/findings"
mkdir -p "$findings"
failed=()
for fuzzer in "${fuzzers[@]}"; do
  found="$BUILD_FUZZ/corpus/$fuzzer"  # what this run adds; the kept corpus is only read
  kept="fuzz/corpus/$fuzzer"
  mkdir -p "$found" "$kept"
  echo "== $fuzzer: ${FUZZ_SECONDS}s${FUZZ_RUNS:+ or $FUZZ_RUNS inputs}," \
    "from $(find "$kept" -type f | wc -l) kept inputs"
  if ! "$bin/$fuzzer" "$found" "$kept" "$seeds/$fuzzer" "${run_limits[@]}" \
    -dict="$(dictionary_of "$fuzzer")" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/$fuzzer-" >"$BUILD_FUZZ/$fuzzer.log" 2>&1; then
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

$refresh_corpus || exit 0
for fuzzer in "${fuzzers[@]}"; do
  # Only small files are candidates; -merge=1 keeps those that add coverage, smallest first.
  # Without the hit counters (-use_counters=0) it keeps one input per new edge rather than per
  # new loop count, which makes the kept corpus a few hundred files instead of thousands; a run
  # finds the counts again in seconds from there. Inputs are named by their content's hash, so
  # one that is both kept and found again is copied once (-n).
  candidates="$BUILD_FUZZ/merge/$fuzzer-candidates"
  merged="$BUILD_FUZZ/merge/$fuzzer"
  rm -rf "$candidates" "$merged"
  mkdir -p "$candidates" "$merged"
  find "fuzz/corpus/$fuzzer" "$BUILD_FUZZ/corpus/$fuzzer" "$seeds/$fuzzer" -type f \
    -size -"$((CORPUS_MAX_BYTES + 1))"c -exec cp -n -t "$candidates" {} +
  "$bin/$fuzzer" -merge=1 -use_counters=0 "$merged" "$candidates" -max_len="$CORPUS_MAX_BYTES" \
    -timeout=20 -rss_limit_mb=2048 >"$BUILD_FUZZ/$fuzzer-merge.log" 2>&1
  rm -rf "fuzz/corpus/$fuzzer"
  mv "$merged" "fuzz/corpus/$fuzzer"
  find "fuzz/corpus/$fuzzer" -type f -printf '%s\n' |
    awk -v name="$fuzzer" '{ bytes += $1 } END { print "== " name ": kept corpus " NR " files, " bytes " bytes" }'
done
