#!/usr/bin/env bash
# Checks of the Windows program, run by ctest (tests/CMakeLists.txt), one per
# call:
#
#   cross_build     cross-builds scenario_builder.exe, scenario_tool.exe and platform_probe.exe
#   imports         the program (desktop) and the tool (console) need no DLL beyond Windows' own
#   wine_prefix     prepares the Wine prefix that the checks below share
#   same_files      the .exe writes, next to itself, the Linux build's files, byte for byte
#   waiting_window  the window, its size and its painted label before the first file
#   errore          errore("1251"): the message box, exit status 1, nothing after the call
#   failure         a file that cannot be written: the message box, exit status 2
#   two_runs        two runs started at once in one folder: both end normally, and
#                   the folder holds the Linux build's files
#   tool            scenario_tool.exe in a folder named outside the ANSI code page:
#                   sources, compile (the Linux tool's bytes), check and dump
#   package         the Windows zip: both programs stripped, the documents, the
#                   licence, any editor extension; unzipped, the programs run
#   console         scenario_tool.exe on a console (a terminal) writes its letters
#                   whole, as it does redirected
#
# Environment, set by ctest: SCENARIO_SOURCE_DIR; SCENARIO_WINDOWS_DIR, where
# the cross-build, the Wine prefix, the runs and the screenshots go;
# SCENARIO_NATIVE_BUILD_DIR, SCENARIO_LINUX_EXE and SCENARIO_LINUX_TOOL, the
# native build, its program and its tool; SCENARIO_BUILD_TYPE.
#
# A check whose tools are missing prints why and exits 77: ctest reports it
# as skipped.
set -euo pipefail

readonly CHECK=${1:?usage: windows_checks.sh CHECK}
readonly SOURCE_DIR=${SCENARIO_SOURCE_DIR:?}
readonly WINDOWS_DIR=${SCENARIO_WINDOWS_DIR:?}
readonly CROSS_BUILD_DIR=$WINDOWS_DIR/build
readonly EXE=$CROSS_BUILD_DIR/bin/scenario_builder.exe
readonly TOOL=$CROSS_BUILD_DIR/bin/scenario_tool.exe
readonly PROBE=$CROSS_BUILD_DIR/bin/platform_probe.exe
readonly ARTIFACTS=$WINDOWS_DIR/artifacts
readonly RUNS=$WINDOWS_DIR/runs

readonly MINGW=x86_64-w64-mingw32
readonly BUILD_TOOLS=("$MINGW-g++-posix" "$MINGW-objdump")
readonly WINE_TOOLS=(wine wineboot wineserver xvfb-run xauth xdotool import convert)

# A folder name with a space and a letter outside ASCII: the program must
# find its own folder and name its files through wide-character paths.
readonly PROGRAM_FOLDER_NAME="Città di prova"
# The tool's folders hold letters that no ANSI code page has together: only
# wide-character arguments and paths reach them.
readonly TOOL_FOLDER_NAME="Città Ω ŝ"

export WINEPREFIX=$WINDOWS_DIR/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no installer dialog for .NET or Gecko
export LC_ALL=C.UTF-8

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

require() {
  local missing=()
  for tool in "$@"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
  if ((${#missing[@]})); then
    echo "SKIPPED: the Windows checks need ${missing[*]} (Debian: g++-mingw-w64-x86-64-posix wine wine64" \
      "xvfb xauth xdotool imagemagick; .ci/run installs them)"
    exit 77
  fi
}

require_cross_build() {
  [[ -f $EXE && -f $TOOL && -f $PROBE ]] || fail "no cross-build in $CROSS_BUILD_DIR (run the cross_build check first)"
}

# Wine runs on a virtual X display of its own: the checks never touch the
# desktop they were started from, and any Wine process they leave is ended.
on_virtual_display() {
  if [[ -z ${SCENARIO_ON_XVFB:-} ]]; then
    SCENARIO_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
  fi
  trap 'wineserver -k 2>/dev/null || true' EXIT
}

# A Unix path as Wine's Z: drive sees it.
windows_path() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}

wait_for_file() {
  local file=$1 what=$2
  for _ in $(seq 300); do
    [[ -f $file ]] && return 0
    sleep 0.2
  done
  fail "$what did not appear within 60 s"
}

expect_line() {
  local report=$1 line=$2
  grep -Fxq -- "$line" "$report" || fail "expected the line '$line' in $report:"$'\n'"$(cat "$report")"
}

# Twips (or points, with 72 to the inch) to pixels at `dpi`, halves to even.
to_pixels() {
  local amount=$1 dpi=$2 per_inch=${3:-1440}
  local product=$((amount * dpi))
  local pixels=$((product / per_inch)) twice_rest=$((2 * (product % per_inch)))
  if ((twice_rest > per_inch || (twice_rest == per_inch && pixels % 2 == 1))); then
    pixels=$((pixels + 1))
  fi
  echo "$pixels"
}

# The share of dark pixels in a rectangle of a screenshot, 0 to 1.
dark_share() {
  local shot=$1 geometry=$2
  convert "$shot" -crop "$geometry" +repage -colorspace Gray -threshold 50% -format '%[fx:1-mean]' info:
}

# Saves the part of a screenshot covered by an X window as an artifact.
save_window_shot() {
  local shot=$1 window=$2 artifact=$3
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  mkdir -p "$ARTIFACTS"
  convert "$shot" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$ARTIFACTS/$artifact"
  echo "screenshot: $ARTIFACTS/$artifact"
}

# The names in a program's folder, the program itself left out.
files_beside() {
  local folder=$1 program=$2
  find "$folder" -mindepth 1 -maxdepth 1 ! -name "$program" -printf '%f\n' | LC_ALL=C sort
}

# A line of progress for a long step: ctest keeps a test's output until it
# ends, so it also goes straight to the terminal, when there is one.
progress() {
  echo "$*"
  { echo "  ... $*" >/dev/tty; } 2>/dev/null || true
}

set_wine_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
}

check_cross_build() {
  require "${BUILD_TOOLS[@]}"
  # The Linux program that same_files compares with comes from the same sources.
  cmake --build "${SCENARIO_NATIVE_BUILD_DIR:?}" --target scenario_builder scenario_tool -j2
  [[ -f $EXE ]] || progress "cross-building the Windows programs into $CROSS_BUILD_DIR (about 2 minutes the first time)"
  cmake -S "$SOURCE_DIR" -B "$CROSS_BUILD_DIR" --toolchain "$SOURCE_DIR/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${SCENARIO_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
  cmake --build "$CROSS_BUILD_DIR" -j2
  require_cross_build
}

# `program` needs no DLL beyond Windows' own and is of `subsystem` (2 a
# desktop program, 3 a console program).
check_imports_of() {
  local program=$1 subsystem=$2
  local name headers
  name=$(basename "$program")
  headers=$("$MINGW-objdump" -p "$program")
  grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers" || fail "$name is not of subsystem $subsystem"
  # DLLs that every Windows has; anything else (the compiler's C++, GCC or
  # thread runtime) would have to be shipped beside the .exe.
  local windows_own=" kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll shell32.dll ole32.dll ntdll.dll ws2_32.dll "
  local dll
  while read -r dll; do
    [[ $windows_own == *" ${dll,,} "* ]] || fail "$name needs $dll, which Windows does not have"
    echo "$name imports $dll"
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
}

check_imports() {
  require "${BUILD_TOOLS[@]}"
  require_cross_build
  check_imports_of "$EXE" 2
  check_imports_of "$TOOL" 3
}

check_wine_prefix() {
  require "${WINE_TOOLS[@]}"
  on_virtual_display "$@"
  [[ -f $WINEPREFIX/.prepared ]] && return 0
  progress "creating the Wine prefix in $WINEPREFIX (about 20 s, once)"
  rm -rf "$WINEPREFIX"
  wineboot --init
  wineserver -w
  # No window manager runs on the virtual display: Wine draws the title bars
  # itself, so the screenshots show them.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
  # Wine's MS Sans Serif is a bitmap font without the 24-point size, which it
  # would stretch thin; a scalable sans-serif face draws the label instead.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Sans Serif' /t REG_SZ /d 'Liberation Sans' /f >/dev/null
  # Wine's own scalable fonts (caption buttons, title bars), where Debian has
  # put them outside the folder this Wine searches.
  if [[ -d /usr/share/wine/fonts ]]; then
    ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  wineserver -w
  touch "$WINEPREFIX/.prepared"
}

require_wine() {
  require "${WINE_TOOLS[@]}"
  require_cross_build
  [[ -f $WINEPREFIX/.prepared ]] || fail "no Wine prefix in $WINEPREFIX (run the wine_prefix check first)"
  on_virtual_display "$@"
}

check_same_files() {
  require_wine "$@"
  local run=$RUNS/same_files
  rm -rf "$run"
  mkdir -p "$run/linux" "$run/windows/$PROGRAM_FOLDER_NAME"
  local linux=$run/linux windows=$run/windows/$PROGRAM_FOLDER_NAME

  cp "${SCENARIO_LINUX_EXE:?}" "$linux/"
  (cd "$run" && "$linux/$(basename "$SCENARIO_LINUX_EXE")" 2>/dev/null) || fail "the Linux build failed"
  cp "$EXE" "$windows/"
  local status=0
  (cd "$run" && timeout 300 wine "$windows/scenario_builder.exe") || status=$?
  ((status == 0)) || fail "scenario_builder.exe ended with status $status"

  local expected actual
  expected=$(files_beside "$linux" "$(basename "$SCENARIO_LINUX_EXE")")
  actual=$(files_beside "$windows" scenario_builder.exe)
  [[ -n $expected ]] || fail "the Linux build wrote no file"
  [[ $actual == "$expected" ]] || fail "the .exe left"$'\n'"$actual"$'\n'"where the Linux build left"$'\n'"$expected"
  local name
  while read -r name; do
    cmp "$linux/$name" "$windows/$name" || fail "$name differs from the Linux build's"
    echo "same bytes: $name ($(stat -c %s "$windows/$name") bytes)"
  done <<<"$expected"
}

# Runs the whole build in the probe with the screen at `dpi` and checks the
# window while the probe holds it just before the first file is written.
check_waiting_window_at() {
  local dpi=$1
  local run=$RUNS/waiting_window_$dpi
  rm -rf "$run"
  mkdir -p "$run/program"
  cp "$PROBE" "$run/program/"
  set_wine_dpi "$dpi"

  local report=$run/report.txt release=$run/release
  wine "$run/program/platform_probe.exe" waiting "$(windows_path "$report")" "$(windows_path "$release")" &
  local probe=$!
  wait_for_file "$report" "the waiting window"
  sleep 1  # let the X server take the last drawing
  local shot=$run/screen.png
  import -window root "$shot"

  # What the window is, from inside the process.
  local label_font_height
  label_font_height=$(to_pixels 24 "$dpi" 72)
  expect_line "$report" "windows=1"
  expect_line "$report" "dpi=${dpi}x${dpi}"
  expect_line "$report" "title=B"
  expect_line "$report" "sizable=1"
  expect_line "$report" "client=$(to_pixels 4200 "$dpi")x$(to_pixels 2688 "$dpi")"
  local label_left label_top label_width label_height
  label_left=$(to_pixels 960 "$dpi")
  label_top=$(to_pixels 960 "$dpi")
  label_width=$(to_pixels 2652 "$dpi")
  label_height=$(to_pixels 792 "$dpi")
  expect_line "$report" "child=Static|Attendere|$label_left,$label_top,$label_width,$label_height"
  expect_line "$report" "font=MS Sans Serif|-$label_font_height|700|italic=0|underline=0|charset=0"
  expect_line "$report" "files="  # nothing written yet
  [[ $(grep -c '^child=' "$report") == 1 ]] || fail "the window holds more than its label:"$'\n'"$(cat "$report")"

  # What the screen shows: the window by its title, the painted background
  # and the label's text, all without a single message processed since.
  local window
  window=$(xdotool search --name '^B$' | head -n 1) || true
  [[ -n $window ]] || fail "no window titled B on the screen"
  save_window_shot "$shot" "$window" "waiting_window_${dpi}dpi.png"
  local origin client_x client_y
  origin=$(sed -n 's/^client_origin=//p' "$report")
  client_x=${origin%,*}
  client_y=${origin#*,}
  local background label
  background=$(dark_share "$shot" "8x8+$((client_x + 4))+$((client_y + 4))")
  label=$(dark_share "$shot" "${label_width}x${label_height}+$((client_x + label_left))+$((client_y + label_top))")
  awk -v b="$background" 'BEGIN { exit !(b < 0.01) }' || fail "the window's background is not painted"
  awk -v l="$label" 'BEGIN { exit !(l > 0.03 && l < 0.6) }' || fail "the label's text is not painted (dark share $label)"
  echo "dpi $dpi: window and label as expected; dark share in the label $label"

  touch "$release"
  local status=0
  wait "$probe" || status=$?
  ((status == 0)) || fail "the build after the window ended with status $status"
}

check_waiting_window() {
  require_wine "$@"
  # 96 is the usual screen; at 144 a size that ignored the DPI would show.
  check_waiting_window_at 144
  check_waiting_window_at 96
}

# Starts the probe in `mode` in `folder`, waits for its message box and
# checks it; then clicks OK as a user would and prints the exit status.
run_message_box() {
  local mode=$1 folder=$2 report=$3 artifact=$4
  wine "$folder/platform_probe.exe" "$mode" "$(windows_path "$report")" >&2 &
  local probe=$!
  wait_for_file "$report" "the message box"
  local shot=${report%.txt}.png
  import -window root "$shot"
  local box
  box=$(xdotool search --name '^scenario_builder$' | tail -n 1) || true
  [[ -n $box ]] || fail "no window titled scenario_builder on the screen"
  save_window_shot "$shot" "$box" "$artifact" >&2
  expect_line "$report" "title=scenario_builder"
  expect_line "$report" "title_room=fits"
  expect_line "$report" "child=button|OK"
  [[ $(grep -c '^child=button' "$report") == 1 ]] || fail "the box has more than OK:"$'\n'"$(cat "$report")"

  local centre
  centre=$(sed -n 's/^button_centre=//p' "$report")
  xdotool mousemove "${centre%,*}" "${centre#*,}" click 1
  local status=0
  wait "$probe" || status=$?
  echo "$status"
}

check_errore() {
  require_wine "$@"
  local run=$RUNS/errore
  rm -rf "$run"
  mkdir -p "$run/program"
  cp "$PROBE" "$run/program/"
  set_wine_dpi 96

  local report=$run/box.txt status
  status=$(run_message_box errore "$run/program" "$report" errore_box.png)
  expect_line "$report" "child=text| Errore n. 1251"
  [[ $(grep -c '^child=' "$report") == 2 ]] || fail "the box has more than its text and OK:"$'\n'"$(cat "$report")"
  ((status == 1)) || fail "the program ended with status $status after errore, not 1"
  [[ ! -e $report.after ]] || fail "the code after errore ran"
}

check_failure() {
  require_wine "$@"
  local run=$RUNS/failure
  rm -rf "$run"
  local program=$run/$PROGRAM_FOLDER_NAME
  mkdir -p "$program/Corvalle_Brinta_24817.sim"  # a folder where the file goes
  cp "$PROBE" "$program/"
  set_wine_dpi 96

  local report=$run/box.txt status
  status=$(run_message_box failure "$program" "$report" failure_box.png)
  local text
  text=$(sed -n 's/^child=text|//p' "$report")
  [[ $text == *"$PROGRAM_FOLDER_NAME\\Corvalle_Brinta_24817.sim"* ]] || fail "the message does not name the file: $text"
  [[ ${text,,} == *denied* ]] || fail "the message does not give the system's reason: $text"
  ((status == 2)) || fail "the program ended with status $status after the failure, not 2"
  [[ -d $program/Corvalle_Brinta_24817.sim ]] || fail "the folder in the file's place was touched"
  local left
  left=$(files_beside "$program" platform_probe.exe | grep '\.tmp$') || true
  [[ -z $left ]] || fail "a temporary file was left: $left"
}

# A double double-click: the second run waits for the first one's folder.
check_two_runs() {
  require_wine "$@"
  local run=$RUNS/two_runs
  rm -rf "$run"
  mkdir -p "$run/linux" "$run/$PROGRAM_FOLDER_NAME"
  local program=$run/$PROGRAM_FOLDER_NAME
  cp "${SCENARIO_LINUX_EXE:?}" "$run/linux/"
  (cd "$run" && "$run/linux/$(basename "$SCENARIO_LINUX_EXE")" 2>/dev/null) || fail "the Linux build failed"
  cp "$EXE" "$program/"
  local first second status
  timeout 300 wine "$program/scenario_builder.exe" &
  first=$!
  timeout 300 wine "$program/scenario_builder.exe" &
  second=$!
  for pid in "$first" "$second"; do
    status=0
    wait "$pid" || status=$?
    ((status == 0)) || fail "a run ended with status $status"
  done
  local expected name
  expected=$(files_beside "$run/linux" "$(basename "$SCENARIO_LINUX_EXE")")
  [[ $(files_beside "$program" scenario_builder.exe) == "$expected" ]] ||
    fail "the folder holds"$'\n'"$(files_beside "$program" scenario_builder.exe)"
  while read -r name; do
    cmp "$run/linux/$name" "$program/$name" || fail "$name differs from the Linux build's"
  done <<<"$expected"
  echo "both runs ended normally; the folder holds the six files"
}

# The tool's output with Windows' line ends made Unix ones.
unix_lines() { tr -d '\r'; }

check_tool() {
  require_wine "$@"
  local run=$RUNS/tool
  rm -rf "$run"
  local work=$run/$TOOL_FOLDER_NAME
  mkdir -p "$work" "$run/linux"
  local line=Corvalle_Brinta_linea.txt train=Corvalle_Brinta_24817-.txt
  local sources="sources $TOOL_FOLDER_NAME" out="out $TOOL_FOLDER_NAME"

  # Relative paths with the letters, from inside a folder with them too.
  (cd "$work" && timeout 120 wine "$TOOL" sources "$sources") || fail "sources failed"
  [[ -f $work/$sources/$line && -f $work/$sources/$train ]] || fail "sources did not write both files"
  (cd "$work" && timeout 120 wine "$TOOL" compile "$sources/$line" "$sources/$train" "$out" >compile.txt) ||
    fail "compile failed: $(cat "$work/compile.txt")"
  [[ $(unix_lines <"$work/compile.txt" | tail -n 1) == "codice_errore 0" ]] || fail "compile: $(cat "$work/compile.txt")"

  # The Linux tool from the same sources; an absolute path to the .exe's.
  local linux_tool=${SCENARIO_LINUX_TOOL:?}
  "$linux_tool" sources "$run/linux/sources" >/dev/null
  cmp "$run/linux/sources/$line" "$work/$sources/$line" || fail "the line source differs from the Linux tool's"
  cmp "$run/linux/sources/$train" "$work/$sources/$train" || fail "the train source differs from the Linux tool's"
  "$linux_tool" compile "$run/linux/sources/$line" "$run/linux/sources/$train" "$run/linux/out" >/dev/null
  local name
  for name in Corvalle_Brinta_linea.dat Corvalle_Brinta_24817.sim Corvalle_Brinta_24817.dat; do
    cmp "$run/linux/out/$name" "$work/$out/$name" || fail "$name differs from the Linux tool's"
    echo "same bytes: $name ($(stat -c %s "$work/$out/$name") bytes)"
  done

  # check and dump say what the Linux tool says, given Windows paths.
  local status=0 expected actual
  expected=$("$linux_tool" check "$run/linux/sources/$line" "$run/linux/sources/$train" 2>&1 | tail -n 1) || true
  actual=$(timeout 120 wine "$TOOL" check "$(windows_path "$work/$sources/$line")" \
    "$(windows_path "$work/$sources/$train")" 2>&1 | unix_lines | tail -n 1) || status=$?
  ((status == 0)) || fail "check ended with status $status"
  [[ $actual == "$expected" ]] || fail "check said"$'\n'"$actual"$'\n'"where the Linux tool said"$'\n'"$expected"
  for name in Corvalle_Brinta_linea.dat Corvalle_Brinta_24817.sim Corvalle_Brinta_24817.dat; do
    expected=$("$linux_tool" dump --json "$run/linux/out/$name")
    actual=$(timeout 120 wine "$TOOL" dump --json "$(windows_path "$work/$out/$name")" | unix_lines) ||
      fail "dump $name failed"
    [[ $actual == "$expected" ]] || fail "dump --json $name differs from the Linux tool's"
    echo "same dump: $name"
  done
}

# The Windows zip, made afresh from the cross-build's install rules.
check_package() {
  require_wine "$@"
  local out=$WINDOWS_DIR/packages
  rm -rf "$out"
  cpack --config "$CROSS_BUILD_DIR/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || fail "cpack failed: $(cat "$out.log")"
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$CROSS_BUILD_DIR/CMakeCache.txt")
  local top=scenario-builder-$version-windows-x86_64
  local zip=$out/$top.zip
  [[ -f $zip ]] || fail "no $(basename "$zip") among: $(ls "$out")"

  # One folder with both programs, the documents and the licence side by side.
  local expected="LICENSE
README.md
scenario_builder.exe
scenario_tool.exe
source-format.md" vsix
  local editors
  editors=$(sed -n 's/^SCENARIO_EDITOR_PACKAGES_DIR:PATH=//p' "$CROSS_BUILD_DIR/CMakeCache.txt")
  for vsix in "$editors"/*.vsix; do
    [[ -f $vsix ]] && expected+=$'\n'"$(basename "$vsix")"
  done
  expected=$(LC_ALL=C sort <<<"$expected")
  local held
  held=$(cmake -E tar tf "$zip" | grep -v '/$' | sed "s|^$top/||" | LC_ALL=C sort)
  echo "$(basename "$zip") ($(stat -c %s "$zip") bytes):"$'\n'"$held"
  [[ $held == "$expected" ]] || fail "the zip holds"$'\n'"$held"$'\n'"instead of"$'\n'"$expected"

  # Unzipped as a user would: stripped programs that run.
  mkdir -p "$out/unzipped"
  (cd "$out/unzipped" && cmake -E tar xf "$zip")
  local program
  for program in scenario_builder.exe scenario_tool.exe; do
    ! "$MINGW-objdump" -h "$out/unzipped/$top/$program" | grep -q '\.debug_info' || fail "$program is not stripped"
    echo "$program: $(stat -c %s "$out/unzipped/$top/$program") bytes, $(stat -c %s "$CROSS_BUILD_DIR/bin/$program") before stripping"
  done
  local said
  said=$(timeout 120 wine "$out/unzipped/$top/scenario_tool.exe" --version | unix_lines)
  [[ $said == "scenario_tool $version" ]] || fail "the zipped tool says '$said', not 'scenario_tool $version'"
  timeout 300 wine "$out/unzipped/$top/scenario_builder.exe" || fail "the zipped program failed"
  [[ -s $out/unzipped/$top/Corvalle_Brinta_24817.sim ]] || fail "the zipped program wrote no scenario file"
}

# On a terminal Wine gives the tool a console: the tool's message, which names
# a path with letters outside ASCII, must show them whole there (written
# through the console's wide-character interface), as it does redirected.
check_console() {
  require_wine "$@"
  require script
  local run=$RUNS/console
  rm -rf "$run"
  mkdir -p "$run/$TOOL_FOLDER_NAME"
  local line="$TOOL_FOLDER_NAME/CITTÀ_linea.txt" train="$TOOL_FOLDER_NAME/CITTÀ_1-.txt"
  # `script` runs the tool on a terminal of its own and keeps what it shows.
  (cd "$run" && TERM=dumb timeout 120 script -qec "wine '$TOOL' check '$line' '$train'" /dev/null >console.txt) || true
  (cd "$run" && timeout 120 wine "$TOOL" check "$line" "$train" >redirected.txt 2>&1) || true
  grep -qF "CITTÀ_linea.txt" "$run/redirected.txt" || fail "redirected, the tool said: $(cat "$run/redirected.txt")"
  grep -qF "$TOOL_FOLDER_NAME/CITTÀ_linea.txt" "$run/console.txt" ||
    grep -qF "${TOOL_FOLDER_NAME}\\CITTÀ_linea.txt" "$run/console.txt" ||
    fail "on a console, the tool said: $(cat "$run/console.txt")"
  echo "on a console: $(grep -F 'CITTÀ' "$run/console.txt" | head -n 1)"
}

case $CHECK in
  cross_build | imports | wine_prefix | same_files | waiting_window | errore | failure | two_runs | tool | package | console) "check_$CHECK" "$@" ;;
  *) fail "unknown check $CHECK" ;;
esac
