#!/usr/bin/env bash
# The Linux release packages, made afresh from the build's install rules: the
# .tar.gz and the .deb each hold exactly both programs, stripped, their manual
# pages (current with their --help), the documents (with any editor extension
# of the editors' folder) and the licence; lintian finds nothing in the .deb
# but the overridden static linking; and the programs they hold run: the
# builder, installed from the .deb into a scratch root and run there as a
# user, writes its six files into that user's current folder.
#
# Environment, set by ctest: SCENARIO_BUILD_DIR, the configured and built
# tree; SCENARIO_SOURCE_DIR; SCENARIO_VERSION; SCENARIO_EDITOR_PACKAGES_DIR.
set -euo pipefail

readonly BUILD_DIR=${SCENARIO_BUILD_DIR:?}
readonly SOURCE_DIR=${SCENARIO_SOURCE_DIR:?}
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

# What every package holds below its root, files only, sorted; then what the
# .tar.gz and the .deb hold besides: the licence, as the archive's LICENSE or
# as Debian's copyright file with the changelog and lintian's override.
common="bin/scenario_builder
bin/scenario_tool
share/doc/$NAME/README.md
share/doc/$NAME/source-format.md
share/man/man1/scenario_builder.1.gz
share/man/man1/scenario_tool.1.gz"
for vsix in "$EDITOR_PACKAGES_DIR"/*.vsix; do
  [[ -f $vsix ]] && common+=$'\n'"share/doc/$NAME/$(basename "$vsix")"
done
expected_tgz=$(LC_ALL=C sort <<<"$common"$'\n'"LICENSE")
expected_deb=$(LC_ALL=C sort <<<"$common
share/doc/$NAME/changelog.gz
share/doc/$NAME/copyright
share/lintian/overrides/$NAME")

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
[[ $tgz_files == "$expected_tgz" ]] || fail "the .tar.gz holds"$'\n'"$tgz_files"$'\n'"instead of"$'\n'"$expected_tgz"
[[ $deb_files == "$expected_deb" ]] || fail "the .deb holds"$'\n'"$deb_files"$'\n'"instead of"$'\n'"$expected_deb"

[[ $(dpkg-deb -f "$DEB" Package) == "$NAME" ]] || fail "the .deb's package is not $NAME"
[[ $(dpkg-deb -f "$DEB" Version) == "$VERSION" ]] || fail "the .deb's version is not $VERSION"

# The programs as a user gets them: stripped, and running from anywhere.
mkdir -p "$OUT/deb" "$OUT/tgz"
dpkg-deb -x "$DEB" "$OUT/deb"
tar -xzf "$TGZ" -C "$OUT/tgz"
for program in scenario_builder scenario_tool; do
  sections=$(readelf -S --wide "$OUT/deb/usr/bin/$program")
  ! grep -Eq '\.(debug_info|symtab)\b' <<<"$sections" || fail "$program is not stripped"
done
[[ $("$OUT/deb/usr/bin/scenario_tool" --version) == "scenario_tool $VERSION" ]] || fail "the packaged tool's version"
[[ $("$OUT/deb/usr/bin/scenario_builder" --version) == "scenario_builder $VERSION" ]] ||
  fail "the packaged builder's version"

# The licence, word for word: the archive's LICENSE, the extension's, and the
# text of the .deb's copyright file (Debian's format: each line indented, an
# empty line as " .").
cmp -s "$SOURCE_DIR/LICENSE" "$OUT/tgz/$NAME-$VERSION-linux-x86_64/LICENSE" || fail "the .tar.gz's LICENSE differs"
cmp -s "$SOURCE_DIR/LICENSE" "$SOURCE_DIR/editors/vscode/LICENSE.txt" || fail "the extension's licence differs"
copyright=$OUT/deb/usr/share/doc/$NAME/copyright
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
  fail "the copyright file is not in the machine-readable format"
grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$SOURCE_DIR/LICENSE")" "$copyright" ||
  fail "the copyright file names another holder"
licence_text=$(sed '1,/^Copyright /d' "$SOURCE_DIR/LICENSE" | sed '/./,$!d')
copyright_text=$(sed '1,/^License: /d' "$copyright" | sed 's/^ \.$//; s/^ //')
[[ $licence_text == "$copyright_text" ]] || fail "the copyright file's licence differs from LICENSE"

# Each manual page holds its program's --help as it stands now.
for program in scenario_builder scenario_tool; do
  page=$(zcat "$OUT/deb/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g; s/\\e/\\/g; s/^\\&//')
  while IFS= read -r line; do
    grep -qxF -- "$line" <<<"$page" || fail "the manual page of $program lacks its --help's line: $line"
  done < <("$OUT/deb/usr/bin/$program" --help)
done

# lintian: nothing but the static linking, which the package overrides.
if command -v lintian >/dev/null; then
  findings=$(lintian --show-overrides "$DEB" 2>&1 | grep -v -e '^N: ' -e 'running with root privileges' || true)
  unexpected=$(grep -v "^O: $NAME: statically-linked-binary " <<<"$findings" || true)
  [[ -z $unexpected ]] || fail "lintian: $unexpected"
  grep -q '^O: ' <<<"$findings" || fail "lintian shows no override: $findings"
  echo "lintian: only the overridden static linking"
else
  echo "lintian not installed (Debian: lintian): the .deb is not linted"
fi

# The builder installed (here into a scratch root) and run as a user in a
# folder of theirs: the six files land in that folder, nothing next to the
# program. As root the run is made as nobody, to whom the root's usr/bin is
# not writable, as /usr/bin is not.
work=$OUT/author
mkdir -p "$work"
as_user=()
if [[ $(id -u) == 0 ]]; then
  chown nobody "$work"
  chmod 755 "$OUT" "$OUT/deb" "$OUT/deb/usr" "$OUT/deb/usr/bin"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
(cd "$work" && "${as_user[@]}" "$OUT/deb/usr/bin/scenario_builder" 2>"$OUT/author.log") ||
  fail "the installed program failed: $(cat "$OUT/author.log")"
for golden in "$SOURCE_DIR"/tests/golden/Corvalle_Brinta_*; do
  cmp -s "$golden" "$work/$(basename "$golden")" || fail "$(basename "$golden") is missing or differs in $work"
done
[[ $(ls "$work" | wc -l) == 6 ]] || fail "the folder holds more than the six files: $(ls "$work")"
[[ $(ls "$OUT/deb/usr/bin") == $'scenario_builder\nscenario_tool' ]] ||
  fail "the installed program wrote next to itself: $(ls "$OUT/deb/usr/bin")"
echo "both programs stripped, version $VERSION; the installed builder writes its six files into its user's folder"
