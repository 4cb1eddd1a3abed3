# Shared by the e2e scripts: environment, clean-up and the fresh folder Tiv runs in.
# TIV_WINDOWS, set by the build tree that registered the script, picks build/win32 or build/win64;
# run directly, a script makes the same choice as tools/test.
# Every Wine process writes to a file, never to a script's stdout: see tools/env.sh.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/env.sh"

fail() { echo "FAIL: $*"; exit 1; }

dir=""
pid=""
frame=""
shots=$TIV_BUILD/e2e-shots/$TIV_WINDOWS

# Stops the Tiv this script started, if it still runs.
stop_tiv() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    timeout 10 tail --pid="$pid" -f /dev/null
    kill -9 "$pid" 2>/dev/null
  fi
  pid=""
}

e2e_cleanup() {
  stop_tiv
  [ -n "$dir" ] && rm -rf "$dir"
  tiv_session_stop
}

# Session, a fresh folder holding Tiv.exe, ReadMe.htm and dWords.txt as shipped, and the
# screenshot folder.
e2e_begin() {
  trap e2e_cleanup EXIT
  [ -f "$TIV_EXE_UNIX" ] || fail "no $TIV_EXE_UNIX; run tools/build"
  command -v xdotool >/dev/null || fail "no xdotool"
  tiv_session_start || fail "could not start Xvfb or Wine"
  dir=$(mktemp -d "$TIV_BUILD/e2e.XXXXXX")
  cp "$TIV_EXE_UNIX" "$dir/"
  local beside
  for beside in ReadMe.htm dWords.txt; do
    [ -f "$TIV_WIN_DIR/$beside" ] && cp "$TIV_WIN_DIR/$beside" "$dir/"
  done
  mkdir -p "$shots"
  frame=$dir/frame.png
}

xdo() { timeout 10 xdotool "$@"; }
# The whole screen into $frame; crop_sum GEOMETRY hashes a part of it.
shoot() { import -window root "$frame" 2>/dev/null || fail "import failed"; }
crop_sum() { convert "$frame" -crop "$1" +repage -depth 8 rgb:- | md5sum | cut -c1-32; }
# Within 5 s no visible window is titled $1 (a regex).
wait_gone() {
  for _ in $(seq 50); do
    xdo search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Starts Tiv.exe in $dir with the given arguments. tools/wine execs down to the Wine loader
# (wine64 itself for win64), so $pid is Tiv's own unix process.
start_tiv() {
  (cd "$dir" && exec "$TIV_ROOT/tools/wine" Tiv.exe "$@" </dev/null >>"$dir/wine.log" 2>&1) &
  pid=$!
}

# Root-relative geometry as WxH+X+Y (xdotool's is off for children of Wine's desktop window).
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w) printf "%sx%s+%s+%s", w, h, x, y}'
}

# The visible X window whose title matches the regex $1 (whole title) and whose Wine class is
# $2 (tiv.exe by default), larger than Wine's 1x1 helpers, within 30 s.
find_window() {
  local w cls=${2:-tiv.exe}
  for _ in $(seq 150); do
    for w in $(timeout 10 xdotool search --onlyvisible --classname "^${cls//./\\.}\$" 2>/dev/null); do
      [[ "$(timeout 10 xdotool getwindowname "$w" 2>/dev/null)" =~ ^$1$ ]] || continue
      [ "$(geometry "$w" | cut -dx -f1)" -gt 40 ] 2>/dev/null && { echo "$w"; return 0; }
    done
    sleep 0.2
  done
  return 1
}
