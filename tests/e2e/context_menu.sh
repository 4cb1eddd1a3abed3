#!/usr/bin/env bash
# The context menu with real input: a right click on the display opens it, the keys walk to
# "最上面" and another program's window can no longer cover Tiv; then "文本" gives slot 0 the
# first finish text of the shipped words file, and the next alarm's finish window shows it.
# Leaves context_menu_{open,ontop,finish}.png in build/e2e-shots/win32/ (or win64/).
. "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
e2e_begin
rm -f "$shots"/context_menu_*.png
other=""
stop_other() { [ -n "$other" ] && kill "$other" 2>/dev/null; other=""; }
trap 'stop_other; e2e_cleanup' EXIT

get_bytes() { od -An -c -j $((8 + $1)) -N "$2" "$dir/dTiv.dat" | tr -d ' \n'; }
# "DovOdiz" when Tiv's main window is above notepad's in the system's z-order and carries
# WS_EX_TOPMOST; Xvfb shows Wine's windows stacked as mapped, so the screen cannot tell.
above_notepad() {
  "$TIV_ROOT/tools/wine" "$TIV_WIN_DIR/tiv_windows.exe" </dev/null 2>/dev/null | tr -d '\r' |
    awk -F '\t' '$1 == "DovOdiz" || $1 == "Notepad" {
      print $1, (substr($2, 8, 1) ~ /[89a-f]/ ? "topmost" : "normal"); exit }'
}
# The finish window's text band, as a checksum of its pixels.
finish_text() {
  local g
  g=$(geometry "$1"); read -r W H X Y < <(tr 'x+' '  ' <<<"$g")
  convert "$frame" -crop "$((W - 70))x40+$((X + 60))+$((Y + 40))" +repage -depth 8 rgb:- | md5sum | cut -c1-32
}

# A foreign header gives full defaults without questions; /s=2 and R make slot 0 two seconds.
printf 'NOTTIV00' >"$dir/dTiv.dat"
start_tiv /m=0 /s=2
win=$(find_window Tiv) || fail "no Tiv window: $(tr -d '\r' <"$dir/wine.log" | tail -5)"
sleep 0.5
xdo windowactivate --sync "$win" 2>/dev/null; xdo key r
read -r W H X Y < <(geometry "$win" | tr 'x+' '  ')
sleep 0.5

# The default finish text first, to tell the chosen one from it.
xdo key s
box=$(find_window 'Tiv 1\.4') || fail "no finish window for the first alarm"
sleep 0.5; shoot
default_text=$(finish_text "$box")
xdo windowactivate --sync "$box" 2>/dev/null; xdo key Return
wait_gone 'Tiv 1\.4' || fail "Return did not close the finish window"

# Another program's window opened over Tiv hides it while Tiv is not on top.
cover() {
  (exec "$TIV_ROOT/tools/wine" notepad </dev/null >>"$dir/wine.log" 2>&1) &
  other=$!
  pad=$(find_window '.*' notepad.exe) || fail "notepad did not open"
  xdo windowmove --sync "$pad" $((X - 20)) $((Y - 20)) 2>/dev/null
  xdo windowsize --sync "$pad" $((W + 200)) $((H + 150)) 2>/dev/null
  sleep 0.7; shoot
}
cover
[ "$(above_notepad)" = "Notepad normal" ] || fail "before 最上面: $(above_notepad), not notepad on top"
stop_other
sleep 0.7

# Right click on the display opens the menu at the pointer; Down x3 is "最上面".
xdo mousemove $((X + W / 2)) $((Y + H - 20)) click 3
sleep 0.7; shoot; cp "$frame" "$shots/context_menu_open.png"
xdo key Down Down Down Return
sleep 0.5
cover
cp "$frame" "$shots/context_menu_ontop.png"
[ "$(above_notepad)" = "DovOdiz topmost" ] || fail "after 最上面: $(above_notepad), not Tiv on top"
stop_other
sleep 0.7

# "文本" is the twelfth item; Right opens it on its first text.
xdo mousemove $((X + W / 2)) $((Y + H - 20)) click 3
sleep 0.7
xdo key Down Down Down Down Down Down Down Down Down Down Down Down Right Return
sleep 0.5
xdo windowactivate --sync "$win" 2>/dev/null; xdo key s
box=$(find_window 'Tiv 1\.4') || fail "no finish window for the second alarm"
sleep 0.5; shoot; cp "$frame" "$shots/context_menu_finish.png"
[ "$(finish_text "$box")" != "$default_text" ] || fail "the finish window still shows the default text"
xdo windowactivate --sync "$box" 2>/dev/null; xdo key Return
wait_gone 'Tiv 1\.4' || fail "Return did not close the second finish window"

xdo windowactivate --sync "$win" 2>/dev/null; xdo key alt+F4
timeout 15 tail --pid="$pid" -f /dev/null || fail "Tiv did not end after Alt+F4"
pid=""
[ "$(od -An -tu4 -j $((8 + 16)) -N 4 "$dir/dTiv.dat" | tr -d ' ')" = 1 ] || fail "topmost was not saved as 1"
# 时间到了! in GBK, the shipped file's first text.
want=$(printf '时间到了!' | iconv -f UTF-8 -t GBK | od -An -c | tr -d ' \n')
[ "$(get_bytes 4632 9)" = "$want" ] || fail "slot 0's finish text is not the chosen one: $(get_bytes 4632 9)"
echo "screenshots: $shots/context_menu_open.png $shots/context_menu_ontop.png $shots/context_menu_finish.png"
echo "PASS"
