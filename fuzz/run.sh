#!/usr/bin/env bash
# Builds the fuzz targets with the "fuzz" preset and fuzzes the compile step.
#
#   fuzz/run.sh [SECONDS] [libFuzzer options...]
#
# The target is compile_fuzzer, or the one FUZZ_TARGET names (check_fuzzer:
# the checker on the same inputs; round_trip_fuzzer: the decompiler's round
# trip on those that compile clean; compiled_fuzzer: the readers of compiled
# files, view model and plot); each keeps its corpus in
# build-fuzz/corpus/ (compile_fuzzer) or build-fuzz/corpus-TARGET/.
#
# SECONDS (default 120) bounds the run. The seeds are the built-in scenario, as
# the program writes its source files, and the small inputs in fuzz/corpus/;
# what the fuzzer learns goes to build-fuzz/corpus/ and is kept for the next
# run. A finding stops the run with a non-zero status and leaves the input
# that caused it in build-fuzz/artifacts/; replay it with
#   build-fuzz/bin/compile_fuzzer build-fuzz/artifacts/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

build=build-fuzz
target=${FUZZ_TARGET:-compile_fuzzer}
corpus=$build/corpus
[[ $target == compile_fuzzer ]] || corpus=$build/corpus-$target
rm -rf "$build/seeds"
mkdir -p "$build/seeds" "$corpus" "$build/artifacts"
"$build/bin/make_seeds" "$build/seeds"
cp fuzz/corpus/* "$build/seeds/"

# One process: the machine's two cores are shared. -seed=1 makes a run from
# the same corpus repeatable; -timeout turns a hang into a finding.
"$build/bin/$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -dict=fuzz/scenario.dict -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$@" \
  "$corpus" "$build/seeds"
