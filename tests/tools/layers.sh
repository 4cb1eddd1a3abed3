#!/usr/bin/env bash
# Includes run one way, down the floors; the README's code layout shows the same map. The one
# pair that may call each other is app/ and dialogs/, and dialogs/ see of app/ only the state they
# edit. A run with a fault put in (an include up a floor) must fail: the last row checks that.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)

# folder: the folders its sources may include from, besides its own.
declare -A may=(
  [base]=""
  [resources]=""
  [platform]="base resources"
  [settings]="base platform resources"
  [sound]="base platform settings resources"
  [countdown]="base platform settings sound resources"
  [display]="base platform settings countdown resources"
  [dialogs]="base platform settings sound countdown display resources app"
  [app]="base platform settings sound countdown display resources dialogs"
)

# Prints one line per include that breaks the map; reads the tree under $1.
check() {
  local tree=$1 dir file target
  for dir in "${!may[@]}"; do
    [ -d "$tree/$dir" ] || continue
    for file in "$tree/$dir"/*.cpp "$tree/$dir"/*.h; do
      [ -e "$file" ] || continue
      while read -r target; do
        local to=${target%%/*}
        [ "$to" = "$dir" ] && continue
        [ -n "${may[$to]+x}" ] || continue   # a system or test header
        if [[ " ${may[$dir]} " != *" $to "* ]]; then
          echo "${file#"$tree"/} includes $target"
        elif [ "$dir" = dialogs ] && [ "$to" = app ] && [ "$target" != app/state.h ]; then
          echo "${file#"$tree"/} includes $target (dialogs see only app/state.h)"
        fi
      done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done
  done
}

faults=$(check "$root")
if [ -n "$faults" ]; then
  printf 'FAIL: includes up the floors:\n%s\n' "$faults"
  exit 1
fi

# The check itself finds a planted fault.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
mkdir -p "$copy/settings" "$copy/dialogs"
echo '#include "countdown/engine.h"' >"$copy/settings/planted.cpp"
echo '#include "app/window_win.h"' >"$copy/dialogs/planted.cpp"
planted=$(check "$copy" | wc -l)
if [ "$planted" -ne 2 ]; then
  echo "FAIL: the check found $planted of 2 planted faults"
  exit 1
fi
echo "includes run down the floors"
