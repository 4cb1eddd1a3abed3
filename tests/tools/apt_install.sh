#!/usr/bin/env bash
# tiv_ensure_packages against stand-in apt-get, dpkg and dpkg-query: a mirror mid-sync fails one
# index at every update, and apt resolves the install only with the release as target.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
mkdir "$stub/bin"
failures=0

cat >"$stub/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STUB_DIR/calls"
case " $* " in
  *" update "*) [ "$STUB_UPDATE" = ok ] && exit 0
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    exit 100 ;;
esac
if [ "$STUB_INSTALL" = ok ] || { [ "$STUB_INSTALL" = release ] && [[ " $* " == *" -t bookworm "* ]]; }; then
  for a in "$@"; do [[ $a == -* || $a == install || $a == bookworm ]] || echo "$a" >>"$STUB_DIR/installed"; done
  exit 0
fi
echo "E: Unable to correct problems, you have held broken packages." >&2
exit 100
STUB
cat >"$stub/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
for a in "$@"; do
  [[ $a == -* ]] && continue
  grep -qx -- "$a" "$STUB_DIR/installed" 2>/dev/null && echo "$a installed"
done
exit 0
STUB
cat >"$stub/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
case $1 in --print-foreign-architectures) echo i386 ;; --print-architecture) echo amd64 ;; esac
STUB
printf '#!/bin/sh\necho 0\n' >"$stub/bin/id"
chmod +x "$stub/bin/"*
echo 'VERSION_CODENAME=bookworm' >"$stub/os-release"

# update, install: how the stand-ins answer; rc: tiv_ensure_packages' status; calls: what apt-get
# was asked, in order; said: a line the script must print.
cases=(
  "ok|ok|0|update;install|"
  "fail|release|0|update;update;update;install;install -t bookworm|trying again with the release 'bookworm'"
  "fail|never|1|update;update;update;install;install -t bookworm|try: apt-get update && apt-get install -y --no-install-recommends -t bookworm wine "
)
for row in "${cases[@]}"; do
  IFS='|' read -r update install want_rc want_calls want_said <<<"$row"
  rm -f "$stub/calls" "$stub/installed"
  out=$(PATH="$stub/bin:$PATH" STUB_DIR=$stub STUB_UPDATE=$update STUB_INSTALL=$install \
    TIV_OS_RELEASE=$stub/os-release TIV_APT_PAUSE=0 TIV_WINDOWS=win64 TIV_RUNS_32BIT=yes \
    bash -c '. "$1/tools/env.sh"; tiv_ensure_packages' _ "$root" 2>&1)
  rc=$?
  calls=$(sed -E 's/^apt-get //; s/ -y -q --no-install-recommends//; s/^(install( -t bookworm)?) .*/\1/; s/ -q$//' \
    "$stub/calls" 2>/dev/null | paste -sd';')
  left=$(PATH="$stub/bin:$PATH" STUB_DIR=$stub TIV_WINDOWS=win64 TIV_RUNS_32BIT=yes \
    bash -c '. "$1/tools/env.sh"; tiv_missing_packages' _ "$root")
  problem=
  [ "$rc" = "$want_rc" ] || problem+=" status $rc, expected $want_rc;"
  [ "$calls" = "$want_calls" ] || problem+=" apt-get calls '$calls', expected '$want_calls';"
  [ -z "$want_said" ] || grep -qF -- "$want_said" <<<"$out" || problem+=" output lacks '$want_said';"
  if [ "$want_rc" = 0 ]; then
    [ -z "$left" ] || problem+=" still missing: $left;"
  else
    grep -qF "could not install: $left" <<<"$out" || problem+=" does not name what is missing ($left);"
  fi
  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    printf 'FAIL update=%s install=%s:%s\n--- output:\n%s\n' "$update" "$install" "$problem" "$out"
  else
    printf 'ok   update=%s install=%s\n' "$update" "$install"
  fi
done
exit "$((failures > 0))"
