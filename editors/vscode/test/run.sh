#!/usr/bin/env bash
# The editor extension's checks, with the npm modules of editors/vscode
# (`npm ci` there). Reports itself skipped (status 77) when node or the
# modules are missing.
#
#   SCENARIO_TOOL=... bash run.sh grammar
#       the grammars' scopes over both template files (as written by
#       "scenario_tool sources", plain and annotated) and over test/*.test
#   SCENARIO_TOOL=... SCENARIO_VSIX_DIR=... [SCENARIO_WINDOWS_TOOL=...] bash run.sh package
#       one .vsix per platform with its server, packaged by vsce:
#       SCENARIO_VSIX_DIR/scenario-sources-linux-x64-VERSION.vsix and, with
#       a scenario_tool.exe, .../windows/scenario-sources-win32-x64-VERSION.vsix;
#       their lists of files checked, the Linux server started from its package
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

# One package per platform, each with its server in server/: Linux x64 with
# SCENARIO_TOOL into SCENARIO_VSIX_DIR, and, when SCENARIO_WINDOWS_TOOL names
# a scenario_tool.exe (the mingw build), Windows x64 into
# SCENARIO_WINDOWS_VSIX_DIR (the folder the Windows zip takes its .vsix from;
# SCENARIO_VSIX_DIR/windows when unset). Each is listed, and the Linux one's
# server is started from the package and answers an editor. The servers are
# packaged stripped.
version="$(node -p "require('./package.json').version")"
node --check extension.js
mkdir -p "$SCENARIO_VSIX_DIR"
rm -f "$SCENARIO_VSIX_DIR"/scenario-sources-*.vsix
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

# package TARGET TOOL SERVER_NAME OUT
package() {
  local target="$1" tool="$2" server="$3" vsix="$4"
  rm -rf "$stage/extension"
  mkdir -p "$stage/extension"
  cp -r package.json package-lock.json extension.js language-configuration.json LICENSE.txt README.md \
    .vscodeignore syntaxes node_modules "$stage/extension/"
  mkdir -p "$stage/extension/server"
  cp "$tool" "$stage/extension/server/$server"
  chmod 755 "$stage/extension/server/$server"
  local strip_tool=strip
  [ "$target" = win32-x64 ] && strip_tool=x86_64-w64-mingw32-strip
  if command -v "$strip_tool" >/dev/null; then "$strip_tool" "$stage/extension/server/$server" || true; fi
  mkdir -p "$(dirname "$vsix")"
  rm -f "$vsix"
  (cd "$stage/extension" && node_modules/.bin/vsce package --target "$target" --allow-missing-repository --out "$vsix")
  local files missing=0
  files="$(unzip -Z1 "$vsix")"
  for file in extension/package.json extension/extension.js extension/language-configuration.json \
    extension/syntaxes/scenario-line.tmLanguage.json extension/syntaxes/scenario-train.tmLanguage.json \
    extension/LICENSE.txt extension/readme.md "extension/server/$server" \
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
}

frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }

linux="$SCENARIO_VSIX_DIR/scenario-sources-linux-x64-$version.vsix"
package linux-x64 "$SCENARIO_TOOL" scenario_tool "$linux"
# The server as the extension starts it, from the package.
rm -rf "$stage/unpacked"
mkdir -p "$stage/unpacked"
unzip -q "$linux" -d "$stage/unpacked"
answer="$({ frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
  frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}'; } | "$stage/unpacked/extension/server/scenario_tool" lsp)"
if ! grep -q '"completionProvider"' <<<"$answer"; then
  echo "the server in $linux did not answer initialize: $answer" >&2
  exit 1
fi
echo "the server in $linux answers"

if [ -n "${SCENARIO_WINDOWS_TOOL:-}" ] && [ -f "$SCENARIO_WINDOWS_TOOL" ]; then
  package win32-x64 "$SCENARIO_WINDOWS_TOOL" scenario_tool.exe \
    "${SCENARIO_WINDOWS_VSIX_DIR:-$SCENARIO_VSIX_DIR/windows}/scenario-sources-win32-x64-$version.vsix"
fi
