#!/usr/bin/env bash
# The quick picker and the options sheet with real input: a click on the display opens the
# picker near the pointer, "30s" loads and starts a 30-second count; O opens the sheet on
# "定时器", the keys reach the finish text, a new text and Return (确定) save it to dTiv.dat.
# Leaves options_pick_{picker,counting,sheet}.png in build/e2e-shots/win32/ (or win64/).
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
rm -f "$shots"/options_pick_*.png


# A foreign header gives full defaults (the picker on a click) without questions.
printf 'NOTTIV00' >"$dir/dTiv.dat"
start_tiv
win=$(find_window Tiv) || fail "no Tiv window: $(tr -d '\r' <"$dir/wine.log" | tail -5)"
# On a busy machine the window may still be placed and painted after it first shows: click
# only once it has stood still, or the click can land beside the display.
last=
for _ in $(seq 20); do
  sleep 0.5; shoot
  now="$(geometry "$win") $(crop_sum "$(geometry "$win")")"
  [ "$now" = "$last" ] && break
  last=$now
done
read -r W H X Y < <(geometry "$win" | tr 'x+' '  ')
display="$((W - 16))x$((H - 80))+$((X + 8))+$((Y + 72))"

# A click on the display: the picker opens 50 px up and left of the pointer.
px=$((X + W / 2)) py=$((Y + H - 20))
xdo mousemove "$px" "$py" click 1
picker=$(find_window '') || { shoot; cp "$frame" "$shots/options_pick_failed.png"
  fail "no quick picker after a click at $px,$py on the display (window $W x $H at $X,$Y)"; }
sleep 0.5; shoot; cp "$frame" "$shots/options_pick_picker.png"
read -r PW PH PX PY < <(geometry "$picker" | tr 'x+' '  ')
echo "pointer $px,$py; picker ${PW}x$PH at $PX,$PY"
[ $((px - PX)) -ge 45 ] && [ $((px - PX)) -le 60 ] || fail "picker not about 50 px left of the pointer"
# "30s" is the first button, top-left.
xdo mousemove $((PX + PW / 6)) $((PY + 12)) click 1
sleep 1.2; shoot; first=$(crop_sum "$display")
sleep 1.5; shoot; second=$(crop_sum "$display")
cp "$frame" "$shots/options_pick_counting.png"
[ "$first" != "$second" ] || fail "the display does not count after the pick"

# O opens the sheet on "定时器" with the slot list focused; with the defaults' system sound and
# no repeat (their file button and interval greyed), nine tabs reach the finish text.
xdo windowactivate --sync "$win" 2>/dev/null
xdo key o
sheet=$(find_window 'Tiv 1\.4') || fail "O opened no options sheet"
sleep 1
xdo key --delay 60 Tab Tab Tab Tab Tab Tab Tab Tab Tab
xdo type --delay 60 'Tea time'
sleep 0.3; shoot; cp "$frame" "$shots/options_pick_sheet.png"
xdo key Return
wait_gone 'Tiv 1\.4' || fail "Return did not close the sheet"
# The sheet closes before the save; on a busy machine the old 8 bytes are still there.
for _ in $(seq 50); do
  [ "$(stat -c %s "$dir/dTiv.dat")" = 10008 ] && break
  sleep 0.1
done
text=$(od -An -c -j $((8 + 4632)) -N 9 "$dir/dTiv.dat" | tr -d ' \n')
[ "$text" = 'Teatime\0' ] || fail "dTiv.dat holds '$text' as slot 0's finish text, not 'Tea time'"
echo "screenshots: $shots/options_pick_picker.png $shots/options_pick_counting.png $shots/options_pick_sheet.png"
echo "PASS"
