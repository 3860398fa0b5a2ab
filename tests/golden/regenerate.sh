#!/usr/bin/env bash
# Rewrites the golden copies of the build's six files from the current code.
# A deliberate step: run it only when a change to the output is intended, then
# read `git diff --stat tests/golden` (and the changed bytes) before committing.
# No test ever rewrites these files.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset default >/dev/null
cmake --build --preset default -j2 >/dev/null

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cp build/bin/scenario_builder "$run/"
"$run/scenario_builder" 2>/dev/null

for name in Corvalle_Brinta_linea.dat Corvalle_Brinta_24817.sim Corvalle_Brinta_24817.dat \
            Corvalle_Brinta_24817_note.txt Corvalle_Brinta_24817_rallentamenti.txt \
            Corvalle_Brinta_24817_scheda_treno.txt; do
  cp "$run/$name" tests/golden/
done
echo "golden files rewritten; review: git diff --stat tests/golden"
