#!/usr/bin/env bash
# Prints, as Markdown, the sizes the README gives: each program before
# stripping (the build's) and in its package, and each package's size. Reads
# a native build with its packages (cpack --preset default) and, when there,
# the Windows build and zip (build-mingw/, cpack --preset mingw).
#
#   bash scripts/package_figures.sh [BUILD_DIR] [MINGW_BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mingw=${2:-build-mingw}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

megabytes() { awk -v bytes="$(stat -c %s "$1")" 'BEGIN { printf "%.1f MB", bytes / 1000000 }'; }

echo "| program | before stripping | in the package |"
echo "|---|---|---|"
zip=$(find "$mingw/packages" -maxdepth 1 -name '*.zip' 2>/dev/null | head -n 1 || true)
if [[ -z $zip ]]; then
  # The suite's Windows checks build and pack in build/windows/ too.
  mingw=$build/windows/build
  zip=$(find "$build/windows/packages" -maxdepth 1 -name '*.zip' 2>/dev/null | head -n 1 || true)
fi
if [[ -n $zip ]]; then
  (cd "$scratch" && cmake -E tar xf "$OLDPWD/$zip")
  for program in scenario_builder.exe scenario_tool.exe; do
    echo "| \`$program\` | $(megabytes "$mingw/bin/$program") | $(megabytes "$(find "$scratch" -name "$program")") |"
  done
fi
deb=$(find "$build/packages" -maxdepth 1 -name '*.deb' | head -n 1)
[[ -n $deb ]] || { echo "no .deb in $build/packages: run cpack --preset default" >&2; exit 1; }
dpkg-deb -x "$deb" "$scratch/deb"
for program in scenario_builder scenario_tool; do
  echo "| \`$program\` (Linux) | $(megabytes "$build/bin/$program") | $(megabytes "$scratch/deb/usr/bin/$program") |"
done
echo
echo "| package | size |"
echo "|---|---|"
for package in "$build"/packages/*.tar.gz "$deb" ${zip:+"$zip"}; do
  echo "| \`$(basename "$package")\` | $(megabytes "$package") |"
done
