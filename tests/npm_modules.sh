#!/usr/bin/env bash
# Installs the npm modules of one folder from its committed lockfile, for the
# tests that use them: `npm ci`, unless the folder's modules are already those
# of the lockfile. Reports itself skipped (status 77) without npm.
#
#   bash npm_modules.sh FOLDER [NPM-CI-OPTION]...
set -euo pipefail
folder=${1:?usage: npm_modules.sh FOLDER [OPTION]...}
shift
if ! command -v npm >/dev/null; then
  echo "skipped: npm is not installed (Debian: nodejs npm), so the tests that need $folder/node_modules are skipped"
  exit 77
fi
cd "$folder"
if [[ -f node_modules/.package-lock.json && node_modules/.package-lock.json -nt package-lock.json ]]; then
  echo "the modules of $folder are those of its lockfile"
  exit 0
fi
echo "npm ci in $folder"
{ echo "  ... installing the npm modules of $folder from its lockfile (npm ci)" >/dev/tty; } 2>/dev/null || true
npm ci --no-audit --no-fund "$@"
