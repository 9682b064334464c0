#!/usr/bin/env bash
# End-to-end run of tarnavel.exe under Wine on a private virtual display.
#
#   tests/e2e/run.sh <path-to-tarnavel.exe> <path-to-tarnavel_e2e.exe> [driver arguments...]
#   tests/e2e/run.sh --exe <path-to-some-test.exe> [arguments...]
#
# The second form runs any other test program (such as the Windows layer's
# own tests) the same way; it too must end with "N passed, M failed". It is
# also CTest's wrapper for the cross build's tests: there the driver's
# "--app" and "--setup" come as Linux paths, which are given to the driver as
# Windows ones.
#
# Starts Xvfb on a free display, openbox on it and a fresh Wine prefix in a
# temporary folder, runs the driver (which prints one line per case and the
# line "N passed, M failed" last) and exits with the driver's exit code.
# Everything started here is ended on the way out, whatever happens.
#
# Environment:
#   E2E_SCREENSHOT  if set, the driver's start case leaves a screenshot of the
#                   screen with the main window on it at this path (PNG).
#   E2E_SCREENSHOT_OF  a window title pattern: the screenshot shows that window
#                   alone (the whole screen otherwise).
#   E2E_KEEP        if set to 1, the temporary folder (prefix, logs) is kept.
#   E2E_TIMEOUT     seconds the driver may take in all (600 unless set).
#   E2E_SWITCHES    switches the interval case waits for (5 unless set more).
#   E2E_SCREEN      the virtual screen's size (1600x1000 unless set).
#   E2E_DISPLAYS    2: two displays of 1024x768 side by side, the left one the
#                   primary (the X.Org server with the dummy driver and xrandr,
#                   since Xvfb's screens all lie at 0,0 and Wine sees one).
#   E2E_DPI         the display's scaling as dots per inch (96 = 100 %, 144 =
#                   150 %, 192 = 200 %); Wine's own 96 unless set.
#   E2E_PREFIX_TEMPLATE  a Wine prefix made once by wineboot: each run starts
#                   from a copy of it instead of booting one of its own.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 <tarnavel.exe> <tarnavel_e2e.exe> [driver arguments...]" >&2
  echo "       $0 --exe <test.exe> [arguments...]" >&2
  exit 2
fi
if [ "$1" = "--exe" ]; then
  APP_EXE=""
  DRIVER_EXE=$(readlink -f "$2")
else
  APP_EXE=$(readlink -f "$1")
  DRIVER_EXE=$(readlink -f "$2")
fi
shift 2
# The driver's "--app" given as a Linux path is the program under test; a
# "--setup" given so is made a Windows path below.
ARGS=()
SETUP_EXE=""
while [ $# -gt 0 ]; do
  case "$1" in
    --app) APP_EXE=$(readlink -f "${2:-}"); shift 2 ;;
    --setup) case "${2:-}" in /*) SETUP_EXE=$(readlink -f "$2") ;; *) ARGS+=("$1" "${2:-}") ;; esac; shift 2 ;;
    *) ARGS+=("$1"); shift ;;
  esac
done
set -- ${ARGS[@]+"${ARGS[@]}"}
for f in ${APP_EXE:+"$APP_EXE"} "$DRIVER_EXE"; do
  if [ ! -f "$f" ]; then
    echo "e2e: no such file: $f" >&2
    exit 2
  fi
done
X_SERVER=Xvfb
[ "${E2E_DISPLAYS:-1}" = "2" ] && X_SERVER="Xorg xrandr"
for tool in wine wineserver $X_SERVER openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "e2e: '$tool' is not installed" >&2
    exit 2
  fi
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarnavel-e2e.XXXXXX")
XVFB_PID=""
WM_PID=""
WATCHER_PID=""
XDOTOOL_PID=""

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ -n "$WATCHER_PID" ] && kill -0 "$WATCHER_PID" 2>/dev/null; then
    kill "$WATCHER_PID" 2>/dev/null
  fi
  if [ -n "$XDOTOOL_PID" ] && kill -0 "$XDOTOOL_PID" 2>/dev/null; then
    kill "$XDOTOOL_PID" 2>/dev/null
    wait "$XDOTOOL_PID" 2>/dev/null
  fi
  if [ -d "${WINEPREFIX:-}" ]; then
    WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1
    WINEPREFIX="$WINEPREFIX" timeout 20 wineserver -w >/dev/null 2>&1
  fi
  if [ -n "${TRAY_PID:-}" ]; then
    kill "$TRAY_PID" 2>/dev/null
    wait "$TRAY_PID" 2>/dev/null
  fi
  if [ -n "$WM_PID" ]; then
    kill "$WM_PID" 2>/dev/null
    wait "$WM_PID" 2>/dev/null
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  if [ "${E2E_KEEP:-0}" = "1" ]; then
    echo "e2e: kept $WORK" >&2
  else
    rm -rf "$WORK"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- virtual display on a free number ----------------------------------------
# The server picks the number itself and writes it to the descriptor given.
if [ "${E2E_DISPLAYS:-1}" = "2" ]; then
  cat >"$WORK/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2560 800
  EndSubSection
EndSection
CONF
  Xorg -noreset -nolisten tcp -config "$WORK/xorg.conf" -logfile "$WORK/xorg.log" \
    -displayfd 3 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
else
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1600x1000}x24" -nolisten tcp 3>"$WORK/display" \
    >"$WORK/xvfb.log" 2>&1 &
fi
XVFB_PID=$!
for _ in $(seq 1 100); do
  [ -s "$WORK/display" ] && break
  kill -0 "$XVFB_PID" 2>/dev/null || break
  sleep 0.1
done
DISPLAY_NUM=$(tr -dc '0-9' <"$WORK/display" 2>/dev/null)
if [ -z "$DISPLAY_NUM" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
  echo "e2e: could not start the X server; log follows" >&2
  tail -n 20 "$WORK/xvfb.log" >&2
  exit 3
fi
export DISPLAY=":$DISPLAY_NUM"
# The second display: the first output not connected gets a mode and goes
# to the right of the first.
if [ "${E2E_DISPLAYS:-1}" = "2" ]; then
  FIRST=$(xrandr -q | awk '$2 == "connected" { print $1; exit }')
  SECOND=$(xrandr -q | awk '$2 == "disconnected" { print $1; exit }')
  if [ -z "$FIRST" ] || [ -z "$SECOND" ] ||
    ! xrandr --output "$FIRST" --mode 1024x768 >"$WORK/xrandr.log" 2>&1 ||
    ! xrandr --addmode "$SECOND" 1024x768 >>"$WORK/xrandr.log" 2>&1 ||
    ! xrandr --output "$SECOND" --mode 1024x768 --right-of "$FIRST" >>"$WORK/xrandr.log" 2>&1; then
    echo "e2e: could not make the second display; xrandr says:" >&2
    { xrandr -q; cat "$WORK/xrandr.log"; } 2>&1 | head -n 20 >&2
    exit 3
  fi
  # A full query has the server probe its outputs again: before it, a client
  # that reads the current state (Wine) still sees the second one unplugged.
  xrandr -q >>"$WORK/xrandr.log" 2>&1
fi

openbox >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
# A notification area for the program's tray icon: Wine docks the icon into
# it as a small X window of its own, which xdotool can click.
TRAY_PID=""
if command -v trayer >/dev/null 2>&1; then
  trayer --edge top --align right --widthtype pixel --width 96 --height 24 \
    --SetDockType true --transparent false >"$WORK/trayer.log" 2>&1 &
  TRAY_PID=$!
fi

# --- a fresh Wine prefix -------------------------------------------------------
export WINEPREFIX="$WORK/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH
if [ -n "${E2E_PREFIX_TEMPLATE:-}" ] && [ -f "$E2E_PREFIX_TEMPLATE/system.reg" ]; then
  cp -a "$E2E_PREFIX_TEMPLATE" "$WINEPREFIX" || exit 3
elif ! timeout 120 wineboot -i >"$WORK/wineboot.log" 2>&1; then
  echo "e2e: wineboot failed; log follows" >&2
  tail -n 20 "$WORK/wineboot.log" >&2
  exit 3
fi
# Wine 8 takes the system DPI from the user's desktop settings, where Windows
# keeps it too; every process started from now on reads it.
if [ -n "${E2E_DPI:-}" ]; then
  if ! wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$E2E_DPI" /f \
    >"$WORK/dpi.log" 2>&1; then
    echo "e2e: could not set the DPI to $E2E_DPI; log follows" >&2
    tail -n 20 "$WORK/dpi.log" >&2
    exit 3
  fi
fi

# --- the driver ----------------------------------------------------------------
# Unix paths reach the Windows side through drive Z:, which a new prefix maps to /.
winpath() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }

DRIVER_ARGS=()
[ -n "$APP_EXE" ] && DRIVER_ARGS=(--app "$(winpath "$APP_EXE")")
[ -n "$SETUP_EXE" ] && DRIVER_ARGS+=(--setup "$(winpath "$SETUP_EXE")")
if [ -n "$APP_EXE" ] && [ -n "${E2E_SCREENSHOT:-}" ] && command -v import >/dev/null 2>&1; then
  # The driver asks for the screenshot with a file once the main window is up
  # and waits for the answer file; a watcher here takes it with ImageMagick.
  mkdir -p "$(dirname "$E2E_SCREENSHOT")"
  SHOT=$(readlink -f "$E2E_SCREENSHOT")
  SIGNAL="$WORK/screenshot"
  DRIVER_ARGS+=(--screenshot-signal "$(winpath "$WORK")\\screenshot")
  (
    for _ in $(seq 1 3000); do
      if [ -e "$SIGNAL.req" ]; then
        # E2E_SCREENSHOT_OF names a window to take alone, with its frame.
        window=root
        if [ -n "${E2E_SCREENSHOT_OF:-}" ] && command -v xdotool >/dev/null 2>&1; then
          window=$(xdotool search --onlyvisible --name "$E2E_SCREENSHOT_OF" 2>/dev/null | head -n 1)
          [ -n "$window" ] || window=root
        fi
        import -display "$DISPLAY" -frame -window "$window" "$SHOT" >/dev/null 2>&1
        touch "$SIGNAL.done"
        break
      fi
      sleep 0.1
    done
  ) &
  WATCHER_PID=$!
fi

# Keys typed on the X display, as a user's reach Wine: the driver cannot wait
# for a Linux program it starts itself (Wine gives it no handle to wait on),
# so it asks here. It writes the arguments of one xdotool call, one a line,
# into NAME.req; this helper runs xdotool with them and answers with
# NAME.done, which holds xdotool's exit code (its output is in NAME.log).
if [ -n "$APP_EXE" ] && command -v xdotool >/dev/null 2>&1; then
  XDO_DIR="$WORK/xdotool"
  mkdir -p "$XDO_DIR"
  DRIVER_ARGS+=(--xdotool-dir "$(winpath "$XDO_DIR")")
  (
    shopt -s nullglob
    while :; do
      for req in "$XDO_DIR"/*.req; do
        base=${req%.req}
        mapfile -t args < <(tr -d '\r' <"$req")
        rm -f "$req"
        xdotool "${args[@]}" >"$base.log" 2>&1
        echo "$?" >"$base.tmp"
        mv "$base.tmp" "$base.done"
      done
      sleep 0.02
    done
  ) &
  XDOTOOL_PID=$!
fi

# The driver prints one line per case and the summary line last. Should it
# die before the summary, one is made here from its case lines, so that the
# output always ends with "N passed, M failed".
# The output goes through a named pipe rather than a pipeline: a process
# the driver started and left running would hold a pipeline's write end open,
# and the run would wait for it for ever. Once the driver has ended, what is
# left of the prefix is ended too, and the copy gets a moment to drain.
mkfifo "$WORK/driver.pipe"
tee "$WORK/driver.out" <"$WORK/driver.pipe" &
TEE_PID=$!
timeout "${E2E_TIMEOUT:-600}" wine "$DRIVER_EXE" ${DRIVER_ARGS[@]+"${DRIVER_ARGS[@]}"} "$@" \
  >"$WORK/driver.pipe"
RC=$?
for _ in $(seq 1 50); do
  kill -0 "$TEE_PID" 2>/dev/null || break
  [ "$_" -eq 10 ] && wineserver -k >/dev/null 2>&1
  sleep 0.1
done
if kill -0 "$TEE_PID" 2>/dev/null; then
  echo "e2e: a process the driver started still holds its output; not waiting for it" >&2
  kill "$TEE_PID" 2>/dev/null
fi
wait "$TEE_PID" 2>/dev/null
# A program writing in text mode ends its lines with CR LF.
if ! tail -n 1 "$WORK/driver.out" | tr -d '\r' | grep -Eq '^[0-9]+ passed, [0-9]+ failed$'; then
  if [ "$RC" -eq 124 ]; then
    echo "e2e: the driver did not finish within ${E2E_TIMEOUT:-600} s" >&2
  else
    echo "e2e: the driver ended without its summary (exit code $RC)" >&2
  fi
  PASSED=$(grep -c '^PASS ' "$WORK/driver.out")
  FAILED=$(grep -c '^FAIL ' "$WORK/driver.out")
  echo "$PASSED passed, $((FAILED + 1)) failed"
  [ "$RC" -eq 0 ] && RC=1
fi
exit "$RC"
