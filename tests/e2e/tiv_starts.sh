#!/usr/bin/env bash
# Tiv.exe, started under Wine from a fresh folder, puts up a window with drawn content.
# Run by ctest (build/win32 or build/win64) or directly; leaves its screenshot in
# build/e2e-shots/win32/ (or win64/).
# Every Wine process writes to a file, never to this script's stdout: see tools/env.sh.
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
start_tiv

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

import -window root "$shots/tiv_starts.png" || fail "import failed"
g=$(geometry "$win")
colours=$(convert "$shots/tiv_starts.png" -crop "$g" +repage -format %k info:)
echo "Tiv window $g, $colours colours; screenshot $shots/tiv_starts.png"
[ "$colours" -ge 3 ] || fail "the Tiv window looks blank ($colours colours)"
echo "PASS"
