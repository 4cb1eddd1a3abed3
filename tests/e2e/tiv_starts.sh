#!/usr/bin/env bash
# Tiv.exe, started under Wine from a fresh folder, puts up a window with drawn content.
# Run by ctest (build/win32) or directly; leaves its screenshot in build/e2e-shots/.
# Every Wine process writes to a file, never to this script's stdout: see tools/env.sh.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/env.sh"

fail() { echo "FAIL: $*"; exit 1; }

dir=""
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    timeout 10 tail --pid="$pid" -f /dev/null
    kill -9 "$pid" 2>/dev/null
  fi
  [ -n "$dir" ] && rm -rf "$dir"
  tiv_session_stop
}
trap cleanup EXIT

[ -f "$TIV_EXE_UNIX" ] || fail "no $TIV_EXE_UNIX; run tools/build"
tiv_session_start || fail "could not start Xvfb or Wine"

dir=$(mktemp -d "$TIV_BUILD/e2e.XXXXXX")
cp "$TIV_EXE_UNIX" "$dir/"
[ -f "$TIV_WIN32_DIR/ReadMe.htm" ] && cp "$TIV_WIN32_DIR/ReadMe.htm" "$dir/"
# tools/wine execs down to the Wine loader, so $pid is Tiv's own unix process.
(cd "$dir" && exec "$TIV_ROOT/tools/wine" Tiv.exe </dev/null >"$dir/wine.log" 2>&1) &
pid=$!

# Root-relative geometry as WxH+X+Y (xdotool's is off for children of Wine's desktop window).
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w) printf "%sx%s+%s+%s", w, h, x, y}'
}

# The first mapped X window of tiv.exe larger than Wine's 1x1 helper windows.
win=""
for _ in $(seq 150); do
  for w in $(xdotool search --onlyvisible --classname '^tiv\.exe$' 2>/dev/null); do
    g=$(geometry "$w")
    w_=${g%%x*}; h_=${g#*x}; h_=${h_%%+*}
    if [ "${w_:-0}" -gt 40 ] && [ "${h_:-0}" -gt 20 ]; then win=$w; break 2; fi
  done
  kill -0 "$pid" 2>/dev/null || fail "Tiv.exe exited early: $(tr -d '\r' <"$dir/wine.log" | tail -5)"
  sleep 0.2
done
[ -n "$win" ] || fail "no Tiv window within 30 s"
sleep 1  # let it finish painting

shots=$TIV_BUILD/e2e-shots
mkdir -p "$shots"
import -window root "$shots/tiv_starts.png" || fail "import failed"
g=$(geometry "$win")
colours=$(convert "$shots/tiv_starts.png" -crop "$g" +repage -format %k info:)
echo "Tiv window $g, $colours colours; screenshot $shots/tiv_starts.png"
[ "$colours" -ge 3 ] || fail "the Tiv window looks blank ($colours colours)"
echo "PASS"
