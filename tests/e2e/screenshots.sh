#!/usr/bin/env bash
# screenshots.sh: refreshes the pictures in docs/: Quillmate's main window,
# its About box, and Quillmate beside the running stand-in tool, all on a
# scratch copy of samples/Takumi. Runs on an Xvfb display of its own, in the
# Windows build's Wine prefix; it waits while the prefix's desktop is open on
# another display (its windows could not open there).
#
#   cmake --preset windows && tests/e2e/screenshots.sh [BUILD_DIR]
#
# BUILD_DIR is the Windows build tree, build/windows by default.
set -euo pipefail

cd "$(dirname "$0")/../.."
root=$(pwd)
build=$(realpath "${1:-$root/build/windows}")
prefix=$build/wineprefix
docs=$root/docs

cmake --build "$build" --target QLM standin qlm_drive wineprefix

work=$(mktemp -d)
xvfb_pid=
programs=()

# stop PID: ends one process this script started, waiting at most 10 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 100); do
    ps -o stat= -p "$1" 2>/dev/null | grep -q '^[^Z]' || return 0
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null || true
}
cleanup() {
  for pid in "${programs[@]}"; do stop "$pid"; done
  if [ -n "$xvfb_pid" ]; then
    # Wine's desktop leaves the display a few seconds after the last program.
    WINEPREFIX="$prefix" timeout 10 wineserver -w >/dev/null 2>&1 || true
    stop "$xvfb_pid"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display of our own, so that nothing else is in the pictures.
ready="$work/xvfb-ready"
for n in $(seq 120 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  : >"$ready"
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 3>"$ready" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$ready" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -s "$ready" ]; then export DISPLAY=":$n"; break; fi
  stop "$xvfb_pid"
  xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "screenshots: could not start Xvfb" >&2; exit 1; }

# Wine keeps one desktop per prefix, on the display of the program that
# opened it; wait (up to 30 s) while it is open on another.
desktop_display() {
  local pid
  for pid in $(pgrep -x explorer.exe 2>/dev/null); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | sed -n 's/^DISPLAY=//p'
    return
  done
}
for _ in $(seq 60); do
  other=$(desktop_display)
  [ -n "$other" ] && [ "$other" != "$DISPLAY" ] || break
  sleep 0.5
done
if [ -n "$other" ] && [ "$other" != "$DISPLAY" ]; then
  echo "screenshots: Wine programs of $prefix are open on display $other; wait for them" \
       "or end them (WINEPREFIX=$prefix wineserver -k)" >&2
  exit 1
fi

# The sample installation with the stand-in as its tool; Quillmate beside it.
cp -r samples/Takumi "$work/Takumi"
rm -f "$work"/Takumi/*.placeholder
cp "$build/tools/standin/standin.exe" "$work/Takumi/Takumi.exe"
mkdir "$work/qlm"
cp "$build/src/QLM.exe" "$work/qlm/QLM.exe"
tool_folder="Z:$(tr / '\\' <<<"$work/Takumi")\\"
printf '[CONFIG]\r\nTTPath=%s\r\nPosTop=60\r\nPosLeft=660\r\n' "$tool_folder" >"$work/qlm/QLM.INI"

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
scripts/wine-run "$prefix" "$work/qlm/QLM.exe" </dev/null >/dev/null 2>&1 &
programs+=($!)
main=$(drive window QuillmateMainForm)

# Wine's desktop window is the only window on this display, at its top left,
# so its coordinates are the screen's.
read -r tw th tx ty <<<"$(tr 'x+' '  ' <<<"$tool")"
read -r mw mh mx my <<<"$(tr 'x+' '  ' <<<"$main")"
margin=8
left=$(( (tx < mx ? tx : mx) ))
top=$(( (ty < my ? ty : my) ))
right=$(( (tx + tw > mx + mw ? tx + tw : mx + mw) + margin ))
bottom=$(( (ty + th > my + mh ? ty + th : my + mh) + margin ))

mkdir -p "$docs"
shot "$docs/with-standin.png" "$((right - left))x$((bottom - top))+$left+$top"
shot "$docs/main-window.png" "$main"
about=$(drive about)
shot "$docs/about-box.png" "$about"
