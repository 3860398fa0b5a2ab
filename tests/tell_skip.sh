#!/usr/bin/env bash
# Runs one test's command and, when it reports itself skipped (status 77),
# also tells the terminal why: ctest's summary names a skipped test but not
# its reason, which otherwise shows only under `ctest -V`.
#
#   bash tell_skip.sh TEST-NAME COMMAND [ARGUMENT]...
set -uo pipefail
name=${1:?usage: tell_skip.sh TEST-NAME COMMAND [ARGUMENT]...}
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if ((status == 77)); then
  reason=$(grep -i 'skipped' "$log" | tail -n 1)
  { echo "  ... $name ${reason:-skipped}" >/dev/tty; } 2>/dev/null || true
fi
exit "$status"
