# display.sh: shell functions for the scripts that show Quillmate on an X
# display of their own (scripts/run, tests/e2e/screenshots.sh). Sourced, not
# run. The caller sets `prefix` (the Wine prefix) and calls display_cleanup
# from its exit trap.

xvfb_pid=

# stop PID: ends one process this script started, waiting at most 10 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 100); do
    # Gone, or a zombie that the shell reaps on exit.
    ps -o stat= -p "$1" 2>/dev/null | grep -q '^[^Z]' || return 0
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null || true
}

# The size of Wine's virtual desktop (scripts/prefix.reg), e.g. 1024x768.
desktop_size() {
  sed -n 's/^"Default"="\([0-9]*x[0-9]*\)".*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/prefix.reg"
}

# start_xvfb FIRST: starts Xvfb on the first free display from FIRST on, of
# exactly the size of Wine's desktop (so that a picture of the screen is one
# of the desktop), and exports DISPLAY. Returns 1 when none starts.
start_xvfb() {
  local n ready
  ready=$(mktemp)
  for n in $(seq "$1" 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    : >"$ready"
    # -displayfd: Xvfb writes the display number there once it accepts clients.
    setsid Xvfb ":$n" -screen 0 "$(desktop_size)x24" -nolisten tcp -displayfd 3 \
      3>"$ready" >/dev/null 2>&1 </dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [ -s "$ready" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -s "$ready" ]; then
      rm -f "$ready"
      export DISPLAY=":$n"
      return 0
    fi
    stop "$xvfb_pid"
    xvfb_pid=
  done
  rm -f "$ready"
  return 1
}

# The display that Wine's desktop for the prefix is on, if a program of the
# prefix (the tests, an earlier run) has it open; empty otherwise. A process
# may end between being listed and being read: its environment then reads as
# empty.
desktop_display() {
  local pid environment
  for pid in $(pgrep -x explorer.exe 2>/dev/null); do
    environment=$( { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null) || continue
    grep -qxF "WINEPREFIX=$prefix" <<<"$environment" || continue
    sed -n 's/^DISPLAY=//p' <<<"$environment"
    return
  done
}

# wait_for_desktop SECONDS: Wine keeps one desktop per prefix, on the display
# of the program that opened it, and programs on another display cannot open
# windows there; it lingers a few seconds after its last program. Waits while
# it is open on another display; returns 1 (with a message) if it stays.
wait_for_desktop() {
  local other=
  for _ in $(seq $(($1 * 2))); do
    other=$(desktop_display)
    [ -n "$other" ] && [ "$other" != "$DISPLAY" ] || return 0
    sleep 0.5
  done
  echo "Wine programs of $prefix are open on display $other (the tests?);" \
       "wait for them, or end them: WINEPREFIX=$prefix wineserver -k" >&2
  return 1
}

# Ends the Xvfb started here, once Wine's desktop has left it (a few seconds
# after the last program, with the wineserver).
display_cleanup() {
  if [ -n "$xvfb_pid" ]; then
    WINEPREFIX="$prefix" timeout 10 wineserver -w >/dev/null 2>&1 || true
    stop "$xvfb_pid"
    xvfb_pid=
  fi
}
