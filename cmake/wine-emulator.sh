#!/usr/bin/env bash
# CMAKE_CROSSCOMPILING_EMULATOR: runs a Windows program under Wine for ctest.
# Usage: wine-emulator.sh win32|win64 PROGRAM ARGS... (the build tree's kind, from its toolchain).
# Wine's output goes to a file, not to ctest's pipe: helper processes that Wine starts on the
# way (explorer.exe for the desktop, services.exe) inherit it and would hold the pipe open.
# CR is dropped so that gtest_discover_tests reads clean test names.
# TIV_WINE_TIMEOUT (seconds, default 110) bounds one run.
case ${1:-} in
  win32 | win64) export TIV_WINDOWS=$1; shift ;;
  *) echo "usage: $0 win32|win64 PROGRAM ARGS... (reconfigure the build tree)" >&2; exit 2 ;;
esac
. "$(dirname "${BASH_SOURCE[0]}")/../tools/env.sh"

if [ -z "${DISPLAY:-}" ]; then
  tiv_say "no DISPLAY: run the Windows tests through tools/test, or start an X server first"
  exit 1
fi
tiv_ensure_prefix || exit 1

out=$(mktemp "${TMPDIR:-/tmp}/tiv-wine-out.XXXXXX")
trap 'rm -f "$out"' EXIT
timeout -k 5 "${TIV_WINE_TIMEOUT:-110}" "$TIV_ROOT/tools/wine" "$@" </dev/null >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
[ "$rc" = 124 ] && tiv_say "timed out after ${TIV_WINE_TIMEOUT:-110} s: $*"
exit "$rc"
