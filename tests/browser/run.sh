#!/usr/bin/env bash
# The viewer page in a real browser: Debian's headless Chromium driven by
# puppeteer-core (tests/browser/node_modules, from `npm ci`). Reports itself
# skipped (status 77) when either is missing.
#
#   SCENARIO_TOOL=... SCENARIO_BENCH=... SCENARIO_ARTIFACTS=... bash run.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
chromium="${CHROMIUM:-/usr/bin/chromium}"
if ! command -v node >/dev/null; then
  echo "skipped: node is not installed (Debian: nodejs)"
  exit 77
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "skipped: puppeteer-core is not installed: run \"npm ci\" in $here"
  exit 77
fi
if [ ! -x "$chromium" ]; then
  echo "skipped: no browser at $chromium (Debian: chromium)"
  exit 77
fi
export CHROMIUM="$chromium"
cd "$here"
exec node --test --test-concurrency=1 viewer.test.mjs
