#!/usr/bin/env bash
# The editor extension's checks, with the npm modules of editors/vscode
# (`npm ci` there). Reports itself skipped (status 77) when node or the
# modules are missing.
#
#   SCENARIO_TOOL=... bash run.sh grammar
#       the grammars' scopes over both template files (as written by
#       "scenario_tool sources", plain and annotated) and over test/*.test
#   SCENARIO_VSIX_DIR=... bash run.sh package
#       the .vsix, packaged by vsce into SCENARIO_VSIX_DIR as
#       scenario-sources-VERSION.vsix, and its list of files checked
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
check="${1:-}"
case "$check" in
  grammar) module=vscode-tmgrammar-test ;;
  package) module=@vscode/vsce ;;
  *) echo "usage: run.sh grammar|package" >&2; exit 64 ;;
esac
if ! command -v node >/dev/null; then
  echo "skipped: node is not installed (Debian: nodejs)"
  exit 77
fi
if [ ! -d "$here/node_modules/$module" ]; then
  echo "skipped: $module is not installed: run \"npm ci\" in $here"
  exit 77
fi
if [ "$check" = package ] && ! command -v unzip >/dev/null; then
  echo "skipped: unzip is not installed (Debian: unzip): the .vsix's files cannot be listed"
  exit 77
fi
cd "$here"

if [ "$check" = grammar ]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  for kind in plain annotated; do
    option=$([ "$kind" = annotated ] && echo --annotated || true)
    "$SCENARIO_TOOL" sources $option "$work/$kind" >/dev/null
    for source in "$work/$kind"/*_linea.txt; do
      node test/annotate.mjs "$source" source.scenario-line >"$work/$kind-line.test"
    done
    for source in "$work/$kind"/*-.txt; do
      node test/annotate.mjs "$source" source.scenario-train >"$work/$kind-train.test"
    done
  done
  exec node_modules/.bin/vscode-tmgrammar-test --compact "$work/*.test" "test/*.test"
fi

# The package, and what must and must not be in it.
version="$(node -p "require('./package.json').version")"
vsix="$SCENARIO_VSIX_DIR/scenario-sources-$version.vsix"
mkdir -p "$SCENARIO_VSIX_DIR"
rm -f "$vsix"
node --check extension.js
node_modules/.bin/vsce package --allow-missing-repository --out "$vsix"
files="$(unzip -Z1 "$vsix")"
missing=0
for file in extension/package.json extension/extension.js extension/language-configuration.json \
  extension/syntaxes/scenario-line.tmLanguage.json extension/syntaxes/scenario-train.tmLanguage.json \
  extension/LICENSE.txt extension/readme.md \
  extension/node_modules/vscode-languageclient/package.json extension/node_modules/vscode-languageclient/node.js \
  extension/node_modules/vscode-jsonrpc/package.json; do
  if ! grep -qxF "$file" <<<"$files"; then
    echo "missing from $vsix: $file" >&2
    missing=1
  fi
done
# Nothing of the packaging or test tools, nor the tests.
if grep -E '^extension/(test/|node_modules/(@vscode/vsce|vscode-tmgrammar-test)/)' <<<"$files" >&2; then
  echo "the files above do not belong in $vsix" >&2
  missing=1
fi
[ "$missing" = 0 ] || exit 1
echo "packaged $vsix ($(wc -l <<<"$files") files)"
