#!/usr/bin/env bash
# screenshots.sh: refreshes every picture in docs/ (the README's and the
# user's guide's) from the current program: Quillmate beside the running
# stand-in tool, its main window, the real-time question and the About box,
# all on a scratch copy of samples/Takumi. Runs on an Xvfb display of its own
# the size of Wine's desktop, in the Windows build's Wine prefix; it waits
# while the prefix's desktop is open on another display (its windows could
# not open there).
#
#   tests/e2e/screenshots.sh [BUILD_DIR]
#
# BUILD_DIR is the Windows build tree, build/windows (the preset's) by default.
set -euo pipefail

cd "$(dirname "$0")/../.."
root=$(pwd)
[ -n "${1:-}" ] || cmake --preset windows >/dev/null
build=$(realpath "${1:-$root/build/windows}")
prefix=$build/wineprefix
docs=$root/docs

cmake --build "$build" --target QLM standin qlm_drive wineprefix

work=$(mktemp -d)
programs=()
. scripts/display.sh
cleanup() {
  for pid in "${programs[@]}"; do stop "$pid"; done
  display_cleanup
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display of our own, so that nothing else is in the pictures.
start_xvfb 120 || { echo "screenshots: could not start Xvfb" >&2; exit 1; }
wait_for_desktop 30 || exit 1

# The sample installation with the stand-in as its tool; Quillmate beside it.
cp -r samples/Takumi "$work/Takumi"
rm -f "$work"/Takumi/*.placeholder
cp "$build/tools/standin/standin.exe" "$work/Takumi/Takumi.exe"
mkdir "$work/qlm"
cp "$build/src/QLM.exe" "$work/qlm/QLM.exe"

drive() { scripts/wine-run "$prefix" "$build/tests/e2e/qlm_drive.exe" "$@" </dev/null | tr -d '\r'; }
# shot FILE GEOMETRY: the part of the screen at GEOMETRY (WxH+X+Y), without
# time stamps, so that an unchanged picture stays byte for byte the same.
shot() {
  import -window root -crop "$2" +repage -strip -define png:exclude-chunks=date,time "$1"
  echo "screenshots: $1 ($2)"
}

scripts/wine-run "$prefix" "$work/Takumi/Takumi.exe" </dev/null >/dev/null 2>&1 &
programs+=($!)
tool=$(drive window QlmStandInMain)
read -r tw th tx ty <<<"$(tr 'x+' '  ' <<<"$tool")"
# Quillmate to the right of the stand-in, level with it, as scripts/run has it.
tool_folder="Z:$(tr / '\\' <<<"$work/Takumi")\\"
printf '[CONFIG]\r\nTTPath=%s\r\nPosTop=%d\r\nPosLeft=%d\r\n' "$tool_folder" "$ty" "$((tx + tw + 16))" \
  >"$work/qlm/QLM.INI"
scripts/wine-run "$prefix" "$work/qlm/QLM.exe" </dev/null >/dev/null 2>&1 &
programs+=($!)
main=$(drive window QuillmateMainForm)

# Wine's desktop window is the only window on this display, at its top left,
# so its coordinates are the screen's.
read -r mw mh mx my <<<"$(tr 'x+' '  ' <<<"$main")"
margin=8
left=$(( (tx < mx ? tx : mx) ))
top=$(( (ty < my ? ty : my) ))
right=$(( (tx + tw > mx + mw ? tx + tw : mx + mw) + margin ))
bottom=$(( (ty + th > my + mh ? ty + th : my + mh) + margin ))

mkdir -p "$docs"
shot "$docs/with-standin.png" "$((right - left))x$((bottom - top))+$left+$top"
shot "$docs/main-window.png" "$main"
question=$(drive click realtime)
shot "$docs/realtime-question.png" "$question"
drive answer no
about=$(drive click about)
shot "$docs/about-box.png" "$about"
