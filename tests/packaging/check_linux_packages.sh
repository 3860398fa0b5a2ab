#!/usr/bin/env bash
# The Linux release packages, made afresh from the build's install rules: the
# .tar.gz and the .deb each hold exactly both programs, stripped, and the
# documents (with any editor extension of the editors' folder), and the
# programs they hold run and tell the project's version.
#
# Environment, set by ctest: SCENARIO_BUILD_DIR, the configured and built
# tree; SCENARIO_VERSION; SCENARIO_EDITOR_PACKAGES_DIR.
set -euo pipefail

readonly BUILD_DIR=${SCENARIO_BUILD_DIR:?}
readonly VERSION=${SCENARIO_VERSION:?}
readonly EDITOR_PACKAGES_DIR=${SCENARIO_EDITOR_PACKAGES_DIR:?}
readonly OUT=$BUILD_DIR/packaging_check
readonly NAME=scenario-builder

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

command -v dpkg-deb >/dev/null || {
  echo "SKIPPED: the .deb is listed with dpkg-deb (Debian: dpkg)"
  exit 77
}

rm -rf "$OUT"
cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$OUT" >"$OUT.log" 2>&1 || fail "cpack failed: $(cat "$OUT.log")"

# What every package holds below its root, files only, sorted.
expected="bin/scenario_builder
bin/scenario_tool
share/doc/$NAME/README.md
share/doc/$NAME/source-format.md"
for vsix in "$EDITOR_PACKAGES_DIR"/*.vsix; do
  [[ -f $vsix ]] && expected+=$'\n'"share/doc/$NAME/$(basename "$vsix")"
done
expected=$(LC_ALL=C sort <<<"$expected")

readonly TGZ=$OUT/$NAME-$VERSION-linux-x86_64.tar.gz
DEB=$(find "$OUT" -maxdepth 1 -name "${NAME}_${VERSION}_*.deb")
readonly DEB
[[ -f $TGZ ]] || fail "no $(basename "$TGZ") among: $(ls "$OUT")"
[[ -n $DEB ]] || fail "no ${NAME}_${VERSION}_ARCH.deb among: $(ls "$OUT")"

# Lines of tar -tv or dpkg-deb -c: the files' names after `root`.
files_of() {
  local root=$1
  grep -v '^d' | awk '{print $NF}' | sed "s|^$root||" | LC_ALL=C sort
}

tgz_files=$(tar -tvzf "$TGZ" | files_of "$NAME-$VERSION-linux-x86_64/")
deb_files=$(dpkg-deb -c "$DEB" | files_of "./usr/")
echo "$(basename "$TGZ") ($(stat -c %s "$TGZ") bytes):"$'\n'"$tgz_files"
echo "$(basename "$DEB") ($(stat -c %s "$DEB") bytes):"$'\n'"$deb_files"
[[ $tgz_files == "$expected" ]] || fail "the .tar.gz holds"$'\n'"$tgz_files"$'\n'"instead of"$'\n'"$expected"
[[ $deb_files == "$expected" ]] || fail "the .deb holds"$'\n'"$deb_files"$'\n'"instead of"$'\n'"$expected"

[[ $(dpkg-deb -f "$DEB" Package) == "$NAME" ]] || fail "the .deb's package is not $NAME"
[[ $(dpkg-deb -f "$DEB" Version) == "$VERSION" ]] || fail "the .deb's version is not $VERSION"

# The programs as a user gets them: stripped, and running from anywhere.
mkdir -p "$OUT/deb"
dpkg-deb -x "$DEB" "$OUT/deb"
for program in scenario_builder scenario_tool; do
  sections=$(readelf -S --wide "$OUT/deb/usr/bin/$program")
  ! grep -Eq '\.(debug_info|symtab)\b' <<<"$sections" || fail "$program is not stripped"
done
[[ $("$OUT/deb/usr/bin/scenario_tool" --version) == "scenario_tool $VERSION" ]] || fail "the packaged tool's version"
(cd "$OUT/deb/usr/bin" && ./scenario_builder 2>/dev/null) || fail "the packaged program failed"
[[ -s $OUT/deb/usr/bin/Corvalle_Brinta_24817.sim ]] || fail "the packaged program wrote no scenario file"
echo "both programs stripped; the packaged tool is version $VERSION and the program builds"
