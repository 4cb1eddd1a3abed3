#!/usr/bin/env bash
# A 2-second count started with the key S: at zero the finish window opens and the time display
# flashes (colours swapped, normal, swapped) until Return closes the window; then it stays normal.
# A first run writes the settings file: defaults, the fields set to 2 s with /s=2 and the key R,
# saved by Alt+F4; the script then gives the window a larger placement.
# Leaves alarm_flash_{inverted,normal,after}.png in build/e2e-shots/win32/ (or win64/).
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
rm -f "$shots"/alarm_flash_*.png

# The X window of a visible Tiv window with this exact title, within 30 s.
find_window() {
  local w
  for _ in $(seq 150); do
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
      xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"tiv.exe"' && { echo "$w"; return 0; }
    done
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

keys_to() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null; timeout 5 xdotool key "${@:2}"; }

# Little-endian dword into the settings file at a record offset (the file has an 8-byte header).
put_dword() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($2 & 255)) $(($2 >> 8 & 255)) $(($2 >> 16 & 255)) $(($2 >> 24 & 255)))" |
    dd of="$dir/dTiv.dat" bs=1 seek=$((8 + $1)) conv=notrunc status=none
}
get_dword() { od -An -tu4 -j $((8 + $1)) -N 4 "$dir/dTiv.dat" | tr -d ' '; }

# --- First run: a file with a foreign header gives full defaults without questions.
printf 'NOTTIV00' >"$dir/dTiv.dat"
start_tiv /m=0 /s=2
win=$(find_window Tiv) || fail "no Tiv window: $(tr -d '\r' <"$dir/wine.log" | tail -5)"
sleep 0.5
keys_to "$win" r     # the shown slot takes the 2 s of the time fields
sleep 0.5
keys_to "$win" alt+F4
timeout 15 tail --pid="$pid" -f /dev/null || fail "Tiv did not end after Alt+F4"
pid=""
[ "$(stat -c %s "$dir/dTiv.dat")" = 10008 ] || fail "no 10008-byte settings file"
[ "$(get_dword 2140)" = 2000 ] || fail "slot 0 was not set to 2 s: durationMs $(get_dword 2140)"
# Normal placement at 40,40, 360 x 260: clear of the finish window in the middle of the desktop.
put_dword 1280 44; put_dword 1284 0; put_dword 1288 1
for o in 1292 1296 1300 1304; do put_dword $o 4294967295; done
put_dword 1308 40; put_dword 1312 40; put_dword 1316 400; put_dword 1320 300

# --- Second run: start with S and watch the display.
start_tiv
win=$(find_window Tiv) || fail "no Tiv window on the second run"
g=$(geometry "$win")
read -r W H X Y < <(tr 'x+' '  ' <<<"$g")
[ "$W" = 360 ] && [ "$H" = 260 ] || fail "placement not applied: $g"
# The bottom-left corner of the time display, clear of the digits.
patch="20x20+$((X + 10))+$((Y + H - 30))"
sleep 1

frame=$dir/frame.png
shoot() { import -window root -crop 1024x768+0+0 +repage "$frame" 2>/dev/null; }
# W: swapped colours (white background), B: normal (black), ?: anything else.
phase() {
  local mean
  mean=$(convert "$frame" -crop "$patch" +repage -colorspace Gray -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { print (m > 0.9) ? "W" : (m < 0.1) ? "B" : "?" }'
}
now_ms() { date +%s%3N; }

shoot
[ "$(phase)" = B ] || fail "the display is not black before the start"
keys_to "$win" s
started=$(now_ms)

seen="" inverted_at="" normal_at="" again_at=""
while [ $(($(now_ms) - started)) -lt 15000 ]; do
  shoot
  p=$(phase)
  t=$(now_ms)
  if [ -z "$inverted_at" ] && [ "$p" = W ]; then
    inverted_at=$t; cp "$frame" "$shots/alarm_flash_inverted.png"
    box=$(find_window 'Tiv 1.4') || fail "no finish window while the display flashes"
  elif [ -n "$inverted_at" ] && [ -z "$normal_at" ] && [ "$p" = B ]; then
    normal_at=$t; cp "$frame" "$shots/alarm_flash_normal.png"
  elif [ -n "$normal_at" ] && [ "$p" = W ]; then
    again_at=$t; break
  fi
  [ "${seen: -1}" != "$p" ] && seen+=$p
done
echo "phases seen: $seen; swapped at +$((inverted_at - started)) ms, normal at +$((normal_at - started)) ms, swapped again at +$((again_at - started)) ms"
[ -n "$inverted_at" ] || fail "the display never flashed"
[ -n "$normal_at" ] || fail "the display stayed swapped"
[ -n "$again_at" ] || fail "the display did not swap again"
[ $((inverted_at - started)) -ge 1800 ] || fail "flashing began before the count ended"
step=$((again_at - normal_at))
[ "$step" -ge 1000 ] && [ "$step" -le 2200 ] || fail "flash step of $step ms, not about 1500"
xdotool search --onlyvisible --name '^Tiv 1\.4$' >/dev/null || fail "the finish window closed by itself"

keys_to "$box" Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Tiv 1\.4$' >/dev/null || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Tiv 1\.4$' >/dev/null && fail "Return did not close the finish window"
after=""
for _ in $(seq 12); do
  sleep 0.25
  shoot
  after+=$(phase)
done
cp "$frame" "$shots/alarm_flash_after.png"
echo "after Return: $after"
[ "$after" = BBBBBBBBBBBB ] || fail "the display still flashes after Return"
echo "screenshots: $shots/alarm_flash_inverted.png $shots/alarm_flash_normal.png $shots/alarm_flash_after.png"
echo "PASS"
