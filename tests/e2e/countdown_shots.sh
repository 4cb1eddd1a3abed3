#!/usr/bin/env bash
# A user's countdown, with real input: answer the first run, type 1 minute 30 seconds, R, S, and
# watch it count; then four timers with the second one shown and counting. Screenshots go to
# build/e2e-shots/win32/ (or win64/): countdown_one.png and countdown_four.png; the checks read
# their pixels.
# Every Wine process writes to a file, never to this script's stdout: see tools/env.sh.
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
settings=$dir/dTiv.dat


# Root-relative geometry as "W H X Y".
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w) print w, h, x, y}'
}

# The visible X window of tiv.exe with this exact title (other than $2), larger than Wine's 1x1
# helpers.
wait_window() {
  local title=$1 other=${2:-} w g
  for _ in $(seq 100); do
    for w in $(xdo search --onlyvisible --classname '^tiv\.exe$' 2>/dev/null); do
      [ "$w" != "$other" ] && [ "$(xdo getwindowname "$w" 2>/dev/null)" = "$title" ] || continue
      g=$(geometry "$w")
      [ "${g%% *}" -gt 40 ] 2>/dev/null && { echo "$w"; return 0; }
    done
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

shoot() { import -window root "$1" || fail "import failed"; }

# Pixels of exactly colour #RRGGBB inside WxH+X+Y of a screenshot.
count_colour() {
  convert "$1" -crop "$2" +repage -format %c histogram:info:- |
    awk -v c="#$3" 'toupper($0) ~ (" " c "( |$)") { sub(":", "", $1); n += $1 } END { print n + 0 }'
}
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
same_area() {  # png png WxH+X+Y: no pixel differs there
  convert "$1" -crop "$3" +repage "$dir/a.png" && convert "$2" -crop "$3" +repage "$dir/b.png" &&
    [ "$(compare -metric AE "$dir/a.png" "$dir/b.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]
}

# The client area's origin. The display area is black from client y 60 to the bottom, with no text
# near its left edge: the topmost pixel of the last black run up a column just inside the frame is
# at client y 60, and the first black pixel along that row at client x 0.
client_origin() {
  local png=$1 w h x y row col
  read -r w h x y <<<"$2"
  row=$(convert "$png" -crop "1x${h}+$((x + 6))+${y}" +repage txt:- |
    awk -F'[,:]' '/^[0-9]/ { black = /#000000/; if (black && !run) top = $2; run = black } END { print top }')
  [ -n "$row" ] || return 1
  row=$((y + row))
  for ((col = x; col < x + 20; col++)); do
    [ "$(pixel "$png" "$col" "$row")" = 000000 ] && break
  done
  echo "$col $((row - 60))"
}

dword_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put_dword() {  # file offset value, little-endian
  local v=$3
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# ---- one timer: first run, typed time, R, S
start_tiv
box=$(wait_window "Tiv 1.4") || fail "no first-run question"
xdo windowfocus --sync "$box" && xdo key Escape   # 取消: no simple mode
hint=$(wait_window "Tiv 1.4" "$box") || fail "no hint after 取消"
xdo windowfocus --sync "$hint" && xdo key Return
win=$(wait_window Tiv) || fail "no main window: $(tr -d '\r' <"$dir/wine.log" | tail -3)"
sleep 1
read -r ww wh wx wy <<<"$(geometry "$win")"
shoot "$shots/countdown_start.png"
origin=$(client_origin "$shots/countdown_start.png" "$ww $wh $wx $wy") || fail "no black display area in the window"
read -r cx cy <<<"$origin"
echo "window ${ww}x${wh}+$wx+$wy, client origin $cx,$cy"

# The default window's client is 127 wide: edits 27 wide, minutes at 44, seconds at 85, all at y 30.
type_into() {  # client x, text
  xdo mousemove "$(($cx + $1))" "$((cy + 41))" click 1
  xdo key End BackSpace BackSpace BackSpace
  xdo type --delay 80 "$2"
}
type_into 52 1
type_into 93 30
xdo mousemove "$((wx + ww + 200))" "$((wy + wh + 200))"   # off the window: no tooltip over the display
xdo key r
sleep 0.5
xdo key s
sleep 1.6
shoot "$shots/countdown_one_a.png"
sleep 2
shoot "$shots/countdown_one.png"
display="$((ww - 2 * (cx - wx)))x$((wy + wh - cy - 60 - (cx - wx)))+$cx+$((cy + 60))"
white=$(count_colour "$shots/countdown_one.png" "$display" FFFFFF)
echo "display $display: $white white pixels"
[ "$white" -gt 20 ] || fail "no white text in the display area"
[ "$(pixel "$shots/countdown_one.png" "$((cx + 1))" "$((cy + 61))")" = 000000 ] || fail "the display's background is not black"
same_area "$shots/countdown_one_a.png" "$shots/countdown_one.png" "$display" && fail "the display did not count down in 2 s"

xdo key alt+F4
timeout 15 tail --pid="$pid" -f /dev/null || fail "Tiv did not close on Alt+F4"
pid=""
[ -f "$settings" ] || fail "no settings file saved"
[ "$(dword_at "$settings" $((8 + 636)))" = 1 ] || fail "minutes saved as $(dword_at "$settings" $((8 + 636))), typed 1"
[ "$(dword_at "$settings" $((8 + 640)))" = 30 ] || fail "seconds saved as $(dword_at "$settings" $((8 + 640))), typed 30"
[ "$(dword_at "$settings" $((8 + 2140)))" = 90000 ] || fail "timer 1 length $(dword_at "$settings" $((8 + 2140))), not 90000"

# ---- four timers in a 420x360 window, the second shown and counting
put_dword "$settings" $((8 + 2136)) 3      # timerCountIndex
put_dword "$settings" $((8 + 644)) 1       # rememberPosition
for v in 44 0 1 -1 -1 -1 -1 60 60 480 420; do printf '%s\n' "$v"; done | {
  off=$((8 + 1280))   # windowPlacement
  while read -r v; do put_dword "$settings" "$off" $((v & 0xFFFFFFFF)); off=$((off + 4)); done
}
start_tiv
win=$(wait_window Tiv) || fail "no main window on the second start"
sleep 1
read -r ww wh wx wy <<<"$(geometry "$win")"
[ "$ww" = 420 ] && [ "$wh" = 360 ] || fail "the saved placement was not applied: ${ww}x${wh}"
xdo mousemove "$((wx + 60))" "$((wy + 8))" click 1   # the caption: activate without a selection
xdo mousemove "$((wx + ww + 100))" "$((wy + 100))"
xdo key Right
sleep 0.3
xdo key s
sleep 1.6
shoot "$shots/countdown_four_a.png"
sleep 2
shoot "$shots/countdown_four.png"
origin=$(client_origin "$shots/countdown_four.png" "$ww $wh $wx $wy") || fail "no black display area"
read -r cx cy <<<"$origin"
dw=$((ww - 2 * (cx - wx))) dh=$((wy + wh - cy - 60 - (cx - wx)))
echo "window ${ww}x${wh}+$wx+$wy, display ${dw}x${dh} at $cx,$((cy + 60))"
hw=$((dw / 2)) hh=$((dh / 2))
colours=(FFFFFF 00FFFF FF00FF FFFF00)   # the slots' default text colours
for s in 0 1 2 3; do
  x=$((cx + (s % 2) * hw)) y=$((cy + 60 + (s / 2) * hh))
  quadrant="${hw}x${hh}+$x+$y" corner="20x20+$x+$y"
  n=$(count_colour "$shots/countdown_four.png" "$quadrant" "${colours[s]}")
  mark=$(count_colour "$shots/countdown_four.png" "$corner" 000000)
  echo "timer $((s + 1)): $n pixels of #${colours[s]}, corner $((400 - mark)) of 400 pixels marked"
  [ "$n" -gt 20 ] || fail "timer $((s + 1)) has no text in its colour"
  if [ "$s" = 1 ]; then
    [ "$mark" -lt 400 ] || fail "no asterisk on the shown timer 2"
    [ "$(count_colour "$shots/countdown_four.png" "$corner" "${colours[s]}")" -gt 0 ] || fail "the asterisk is not cyan"
    same_area "$shots/countdown_four_a.png" "$shots/countdown_four.png" "$quadrant" && fail "timer 2 did not count"
  else
    [ "$mark" = 400 ] || fail "an asterisk on timer $((s + 1)), which is not shown"
    same_area "$shots/countdown_four_a.png" "$shots/countdown_four.png" "$quadrant" || fail "timer $((s + 1)) changed"
  fi
done
rm -f "$shots"/countdown_*_a.png "$shots/countdown_start.png"
echo "screenshots: $shots/countdown_one.png $shots/countdown_four.png"
echo "PASS"
