#!/usr/bin/env bash
# One countdown's whole road with real input only: the options sheet's "快速设置" page turns the
# 5m preset into 3 seconds; a click on the display and one on that preset start the count; the
# finish window appears and "确定" returns the slot to idle at 3 s; the close box ends Tiv, and the
# next start shows the same 3 s. Checks read the screen's pixels and dTiv.dat.
# Leaves journey_{1_start,2_quick,3_counting,4_finish,5_idle,6_restarted}.png in
# build/e2e-shots/win32/ (or win64/).
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
rm -f "$shots"/journey_*.png

keep() { cp "$frame" "$shots/journey_$1.png"; }
# Mean brightness, 0 to 100, of an area of the last frame.
brightness() { convert "$frame" -crop "$1" +repage -colorspace Gray -format '%[fx:int(mean*100)]' info:; }
now_ms() { date +%s%3N; }
get_dword() { od -An -tu4 -j $((8 + $1)) -N 4 "$dir/dTiv.dat" | tr -d ' '; }
# Off every window, so no tooltip covers the display.
park_pointer() { xdo mousemove 1000 740; }

# The controls of the topmost visible window with this title or class, as the system sees them:
# id, class, visible, screen rectangle, text (UTF-8).
controls() {
  timeout 20 "$TIV_ROOT/tools/wine" "$TIV_WIN_DIR/tiv_windows.exe" "$1" </dev/null 2>/dev/null |
    tr -d '\r' | iconv -f GBK -t UTF-8
}
# "LEFT TOP RIGHT BOTTOM" on the screen of visible control $2 of window $1.
rect() {
  controls "$1" | awk -F '\t' -v id="$2" '$1 == id && $3 == 1 { print $4; found = 1; exit } END { exit !found }'
}
# Waits up to 10 s for visible control $2 of window $1 and prints its rectangle.
wait_control() {
  for _ in $(seq 20); do
    rect "$1" "$2" && return 0
    sleep 0.2
  done
  return 1
}
text_of() { controls "$1" | awk -F '\t' -v id="$2" '$1 == id { print $5; exit }'; }
click_at() { xdo mousemove "$1" "$2" click 1; }
click_control() {
  local l t r b
  read -r l t r b < <(wait_control "$1" "$2") ||
    fail "no visible control $2 in '$1'; it lists: $(controls "$1" | awk -F '\t' '$3 == 1 { printf "%s ", $1 }')"
  click_at $(((l + r) / 2)) $(((t + b) / 2))
}

# Tiv's main window and its time display: client y 60 down to the bottom of the client area. The
# client origin is 3 pixels up and left of the start/stop button.
main_window() {
  win=$(find_window Tiv) || fail "no Tiv window: $(tr -d '\r' <"$dir/wine.log" | tail -5)"
  read -r W H X Y < <(geometry "$win" | tr 'x+' '  ')
  local bx by edge
  read -r bx by < <(controls DovOdiz | awk -F '\t' '$1 == 1000 { split($4, r, " "); print r[1], r[2] }')
  [ -n "$bx" ] || fail "no start/stop button in Tiv's main window"
  edge=$((bx - 3 - X))
  DX=$((bx - 3)) DY=$((by - 3 + 60)) DW=$((W - 2 * edge))
  DH=$((Y + H - edge - DY))
  display=${DW}x$DH+$DX+$DY
  echo "main window ${W}x$H+$X+$Y, display $display"
}

# The start/stop caption and the hours, minutes and seconds fields.
button_and_fields() { controls DovOdiz | awk -F '\t' '$1 >= 1000 && $1 <= 1003 { printf "%s%s", s, $5; s = " " }'; }

# --- 1. A fresh folder; a foreign header gives full defaults without the first run's questions.
printf 'NOTTIV00' >"$dir/dTiv.dat"
start_tiv
main_window
park_pointer
sleep 1; shoot; keep 1_start
start_sum=$(crop_sum "$display")
colours=$(convert "$frame" -crop "$display" +repage -format %k info:)
[ "$(brightness "$display")" -lt 40 ] && [ "$colours" -ge 3 ] ||
  fail "the display does not show light text on black: $colours colours"

# --- 2. O opens the options sheet; its "快速设置" tab, row 4 (the 5m preset) to 3 秒, then 确定.
xdo windowactivate --sync "$win" 2>/dev/null
xdo key o
find_window 'Tiv 1\.4' >/dev/null || fail "O opened no options sheet"
wait_control 'Tiv 1.4' 12320 >/dev/null || fail "no tab control in the options sheet"
# The second tab sits about 85 pixels into the tab strip ("定时器" takes the first 57).
read -r tl tt < <(controls 'Tiv 1.4' | awk -F '\t' '$2 == "SysTabControl32" { split($4, r, " "); print r[1], r[2] }')
[ -n "$tl" ] || fail "no tab control in the options sheet"
click_at $((tl + 85)) $((tt + 10))
wait_control 'Tiv 1.4' 1067 >/dev/null || fail "no 快速设置 page after a click on its tab"
# Row 4's amount: click, clear, type 3.
click_control 'Tiv 1.4' 1067
xdo key End BackSpace BackSpace BackSpace BackSpace BackSpace
xdo type 3
# Its unit list drops down below it; "秒" is the first line.
click_control 'Tiv 1.4' 1068
sleep 0.5
read -r l _ _ b < <(wait_control 'Tiv 1.4' 1068) || fail "row 4's unit list went away"
click_at $((l + 20)) $((b + 8))
sleep 0.5; shoot; keep 2_quick
[ "$(text_of 'Tiv 1.4' 1067)" = 3 ] || fail "row 4's amount reads '$(text_of 'Tiv 1.4' 1067)', not 3"
[ "$(text_of 'Tiv 1.4' 1068)" = 秒 ] || fail "row 4's unit reads '$(text_of 'Tiv 1.4' 1068)', not 秒"
click_control 'Tiv 1.4' 1
wait_gone 'Tiv 1\.4' || fail "确定 did not close the options sheet"
# quickValue[3] and quickUnit[3]: 3 seconds, once the sheet's save has run.
for _ in $(seq 50); do
  [ "$(get_dword 2044) $(get_dword 2092)" = "3 0" ] && break
  sleep 0.1
done
[ "$(get_dword 2044) $(get_dword 2092)" = "3 0" ] ||
  fail "dTiv.dat holds preset 4 as $(get_dword 2044) of unit $(get_dword 2092), not 3 s"

# --- 3. A click on the display opens the quick picker at the pointer; the former 5m, now 3s,
# loads and starts a 3-second count.
click_at $((DX + DW / 2)) $((DY + DH / 2))
wait_control '#32770' 1204 >/dev/null || fail "no quick picker after a click on the display"
[ "$(text_of '#32770' 1204)" = 3s ] || fail "the picker's fourth button reads '$(text_of '#32770' 1204)', not 3s"
read -r l t r b < <(wait_control '#32770' 1204) || fail "the quick picker closed by itself"
xdo mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1 mousemove 1000 740
started=$(now_ms)
# Early frames, a second apart, so that both fall well inside the 3 s even on a busy host.
sleep 0.3; t1=$(now_ms); shoot; first=$(crop_sum "$display"); first_bright=$(brightness "$display")
sleep "$(awk -v ms=$((t1 + 1000 - $(now_ms))) 'BEGIN { print (ms > 0 ? ms : 0) / 1000 }')"
t2=$(now_ms); shoot; second=$(crop_sum "$display"); second_bright=$(brightness "$display")
keep 3_counting
echo "counting frames taken from +$((t1 - started)) and +$((t2 - started)) ms"
[ "$first" != "$second" ] || fail "the display does not count after the pick"
[ "$first" != "$start_sum" ] && [ "$second" != "$start_sum" ] || fail "the display still shows 5 minutes"
[ "$first_bright" -lt 40 ] && [ "$second_bright" -lt 40 ] || fail "the display flashed while counting"

# --- 4. At zero the finish window opens with the default finish text; the display flashes
# between swapped and normal colours, showing 0.
find_window 'Tiv 1\.4' >/dev/null || fail "no finish window after the count"
echo "finish window after $(($(now_ms) - started)) ms"
[ "$(text_of 'Tiv 1.4' 851)" = '这个Tiv 已完成' ] || fail "the finish window reads '$(text_of 'Tiv 1.4' 851)'"
shoot; keep 4_finish
# Until the display shows its normal colours (at most one 1.5 s flash step later): that is how
# an idle slot at 0 would look.
zero=""
for _ in $(seq 15); do
  [ "$(brightness "$display")" -lt 40 ] && { zero=$(crop_sum "$display"); break; }
  sleep 0.25; shoot
done
[ -n "$zero" ] || fail "the display never showed normal colours while the finish window was open"
click_control 'Tiv 1.4' 1
wait_gone 'Tiv 1\.4' || fail "a click on 确定 did not close the finish window"

# --- 5. Idle at the full 3 s: after the flashing's last step the display keeps still for 1.6 s (a
# count changes it at least every 1.5 s, at its half-second ticks), in normal colours, unlike 0
# and the later counting frame; the fields hold 3 s and the button reads 开始.
sleep 1.7; t1=$(now_ms); shoot; idle=$(crop_sum "$display"); bright=$(brightness "$display")
sleep "$(awk -v ms=$((t1 + 1600 - $(now_ms))) 'BEGIN { print (ms > 0 ? ms : 0) / 1000 }')"
shoot; keep 5_idle
[ "$(crop_sum "$display")" = "$idle" ] || fail "the display still changes after 确定"
[ "$bright" -lt 40 ] || fail "the display stays in swapped colours after 确定"
[ "$idle" != "$zero" ] || fail "the slot shows 0 after 确定, not its full length"
[ "$idle" != "$second" ] || fail "the slot shows a counting frame after 确定"
texts=$(button_and_fields)
[ "$texts" = "开始 0 0 3" ] || fail "button and fields read '$texts', not '开始 0 0 3'"

# --- 6. The close box in the caption ends Tiv, which saves 3 s; started again, it shows them.
# Wine draws the close box 15 pixels in from the frame's right edge, 12 down.
click_at $((X + W - 15)) $((Y + 12))
timeout 15 tail --pid="$pid" -f /dev/null || fail "Tiv did not end after a click on its close box"
pid=""
[ "$(get_dword 2140)" = 3000 ] || fail "dTiv.dat holds slot 0's length as $(get_dword 2140) ms, not 3000"
start_tiv
main_window
park_pointer
sleep 1; shoot; keep 6_restarted
[ "$(crop_sum "$display")" = "$idle" ] || fail "after the restart the display differs from the idle 3 s"
texts=$(button_and_fields)
[ "$texts" = "开始 0 0 3" ] || fail "after the restart button and fields read '$texts', not '开始 0 0 3'"
echo "screenshots: $shots/journey_*.png"
echo "PASS"
