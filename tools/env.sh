# Shared set-up for tools/build, tools/run, tools/test, the ctest Wine emulator and e2e scripts.
# Source it from bash:  . "$(dirname "$0")/../tools/env.sh"
# TIV_WINDOWS (win32 or win64) picks the Windows build that Wine runs: build/win32, the i686
# Tiv.exe we ship, where this host runs 32-bit code, else its x86-64 twin build/win64.
# Functions (all idempotent):
#   tiv_ensure_packages  install what a fresh Debian 12 lacks (root), or say the apt command
#   tiv_build            configure and build build/native, build/win32 and build/win64, then
#                        check both linked Tiv.exe files (tiv_check_exes)
#   tiv_build_fuzz       configure and build build/fuzz (clang, libFuzzer), if clang is here
#   tiv_fuzz SECS T...   run fuzz targets on copies of their seed corpora (tools/fuzz, tools/test)
#   tiv_session_start    Xvfb if there is no DISPLAY (screen TIV_SCREEN, default 1280x1024x24),
#                        Wine prefix, persistent wineserver
#   tiv_session_stop     stop only what tiv_session_start started
#   tiv_wine ARGS...     run wine in Tiv's environment (locale 936, private prefix and HOME);
#                        tools/wine is the same as a program

TIV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TIV_BUILD=$TIV_ROOT/build
TIV_NATIVE_DIR=$TIV_BUILD/native
TIV_LOCALE_DIR=$TIV_BUILD/locale
TIV_WINE_HOME=$TIV_BUILD/home
# Every test's limit in seconds: a Windows test's is also its Wine run's (cmake/wine-emulator.sh).
TIV_NATIVE_LIMIT=60
TIV_WINDOWS_LIMIT=${TIV_WINE_TIMEOUT:-110}
TIV_LOG_DIR=$TIV_BUILD/logs

tiv_say() { printf 'tiv: %s\n' "$*" >&2; }

# Whether 32-bit x86 code runs here, found by running some: a static i386 ELF that makes the
# exit(0) system call. Names and packages say nothing; some kernels have 32-bit emulation off.
tiv_runs_32bit() {
  if [ -z "${TIV_RUNS_32BIT:-}" ]; then
    local probe=$TIV_BUILD/probe-i386.$$
    mkdir -p "$TIV_BUILD"
    # ELF header, one PT_LOAD header, then: mov eax,1; xor ebx,ebx; int 0x80
    { printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0'
      printf '\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10'
      printf '\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\61\333\315\200'
    } >"$probe"
    TIV_RUNS_32BIT=no
    chmod +x "$probe" && ("$probe") </dev/null >/dev/null 2>&1 && TIV_RUNS_32BIT=yes
    rm -f "$probe"
    export TIV_RUNS_32BIT
  fi
  [ "$TIV_RUNS_32BIT" = yes ]
}

# Which Windows build Wine runs, and why (for the one line tools/test and tools/run print).
if [ -n "${TIV_WINDOWS:-}" ]; then
  TIV_WINDOWS_WHY="chosen by TIV_WINDOWS"
elif tiv_runs_32bit; then
  TIV_WINDOWS=win32 TIV_WINDOWS_WHY="this host runs 32-bit code"
else
  TIV_WINDOWS=win64 TIV_WINDOWS_WHY="this host runs no 32-bit code"
fi
case $TIV_WINDOWS in
  win32) TIV_WINE_LOADER=wine TIV_WINESERVER=wineserver
    unset WINELOADER WINESERVER ;;
  # Debian's wine and wineserver scripts pick the 32-bit loader whenever it is installed.
  win64) TIV_WINE_LOADER=/usr/lib/wine/wine64 TIV_WINESERVER=/usr/lib/wine/wineserver64
    export WINELOADER=$TIV_WINE_LOADER WINESERVER=$TIV_WINESERVER ;;
  *) tiv_say "TIV_WINDOWS is win32 or win64, not '$TIV_WINDOWS'"; exit 2 ;;
esac
export TIV_WINDOWS
TIV_WIN_DIR=$TIV_BUILD/$TIV_WINDOWS
# A caller may name another Tiv.exe for the tests to start (tools/package: the unpacked one).
TIV_EXE_UNIX=${TIV_EXE_UNIX:-$TIV_WIN_DIR/Tiv.exe}

export WINEPREFIX=$TIV_BUILD/wineprefix-$TIV_WINDOWS
export WINEARCH=$TIV_WINDOWS
export WINEDEBUG=-all
# No sound drivers (none exist here), no Mono/Gecko install prompts, no menu entries in $HOME.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d;mscoree,mshtml=;winemenubuilder.exe=d"

# Windows view of a unix path: drive Z: is the unix root.
tiv_winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
export TIV_EXE TIV_SRC
TIV_EXE=$(tiv_winpath "$TIV_EXE_UNIX")
TIV_SRC=$(tiv_winpath "$TIV_ROOT")

TIV_PACKAGES=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  xvfb xdotool x11-utils fonts-wqy-zenhei fonts-wine fonts-liberation imagemagick cmake googletest
  locales g++ make)
# Only the fuzz targets need these: without root their absence is reported, not fatal.
TIV_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
TIV_FUZZ_TARGETS=(settings_loader words_reader cmdline_reader time_format)
TIV_FUZZ_DIR=$TIV_BUILD/fuzz

tiv_missing_packages() {
  local have p pkgs=("${TIV_PACKAGES[@]}")
  # 32-bit Wine only where it can run; win64 needs none of it.
  tiv_runs_32bit && pkgs+=(wine32:i386)
  [ "$(id -u)" = 0 ] && pkgs+=("${TIV_FUZZ_PACKAGES[@]}")
  # Multi-Arch: same packages (libclang-rt-14-dev) are named with the native architecture.
  have=$(dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' "${pkgs[@]}" 2>/dev/null |
    awk -v native=":$(dpkg --print-architecture)" '$2 == "installed" { sub(native "$", "", $1); print $1 }')
  for p in "${pkgs[@]}"; do
    # dpkg-query names native packages without their architecture
    grep -qx -e "$p" -e "${p%:*}" <<<"$have" || printf '%s ' "$p"
  done
}

tiv_ensure_packages() {
  local missing multiarch=
  missing=$(tiv_missing_packages)
  [ -z "$missing" ] && return 0
  [[ $missing == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386 &&
    multiarch=1
  if [ "$(id -u)" != 0 ]; then
    tiv_say "missing packages: $missing"
    printf '%s\n' "sudo sh -c '${multiarch:+dpkg --add-architecture i386 && }apt-get update && apt-get install -y --no-install-recommends $missing'" >&2
    exit 1
  fi
  tiv_say "installing: $missing"
  if [ -n "$multiarch" ]; then dpkg --add-architecture i386 || return 1; fi
  tiv_apt_update
  # shellcheck disable=SC2086
  tiv_apt_install $missing
}

# A mirror being synced fails one index now and then; the other lists are still updated, so a
# failure here is only reported: the install says whether it mattered.
tiv_apt_update() {
  local i
  for i in 1 2 3; do
    apt-get update -q && return 0
    [ "$i" = 3 ] || { tiv_say "apt-get update failed (try $i of 3); again in ${TIV_APT_PAUSE:-15} s"; sleep "${TIV_APT_PAUSE:-15}"; }
  done
  tiv_say "apt-get update failed 3 times; installing from the package lists apt has"
}

# With one index missing (say the security archive's i386 list), amd64 libraries have newer
# candidates than their i386 twins and apt reports held broken packages; the release's own
# suite as target installs matching versions.
tiv_apt_install() {
  local release left
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" && return 0
  release=$(. "${TIV_OS_RELEASE:-/etc/os-release}" 2>/dev/null && printf '%s' "${VERSION_CODENAME:-}") || release=
  if [ -n "$release" ]; then
    tiv_say "install failed; trying again with the release '$release' as target"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t "$release" "$@" &&
      return 0
  fi
  left=$(tiv_missing_packages)
  tiv_say "could not install: ${left:-$*}"
  tiv_say "try: apt-get update && apt-get install -y --no-install-recommends${release:+ -t $release} ${left:-$*}"
  return 1
}

tiv_toolchain() {
  case $1 in
    win32) echo "$TIV_ROOT/cmake/mingw-i686.cmake" ;;
    win64) echo "$TIV_ROOT/cmake/mingw-x86_64.cmake" ;;
  esac
}

# Every tree on every host, so neither Windows build drifts; a failed tree does not stop the others.
tiv_build() {
  local jobs kind dir rc=0
  jobs=$(nproc)
  if [ ! -f "$TIV_NATIVE_DIR/CMakeCache.txt" ]; then
    cmake -S "$TIV_ROOT" -B "$TIV_NATIVE_DIR" -DCMAKE_BUILD_TYPE=Debug || return 1
  fi
  cmake --build "$TIV_NATIVE_DIR" -j"$jobs" || rc=1
  for kind in win32 win64; do
    dir=$TIV_BUILD/$kind
    if [ ! -f "$dir/CMakeCache.txt" ]; then
      cmake -S "$TIV_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(tiv_toolchain "$kind")" || { rc=1; continue; }
    fi
    cmake --build "$dir" -j"$jobs" || { rc=1; tiv_say "build/$kind failed"; }
  done
  tiv_check_exes || rc=1
  return "$rc"
}

# Reads both linked programs (tests/pecheck): runs on every host, including those that cannot
# start the i686 one, so a Tiv.exe that would crash at its first delay-loaded call never passes
# a build.
tiv_check_exes() {
  local kind machine out rc=0
  for kind in win32 win64; do
    machine=i386
    [ "$kind" = win64 ] && machine=amd64
    [ -f "$TIV_BUILD/$kind/Tiv.exe" ] || continue
    out=$("$TIV_NATIVE_DIR/tiv_pe_check" "$TIV_BUILD/$kind/Tiv.exe" "$machine" "$TIV_ROOT/cmake/delayed" 2>&1) ||
      { printf '%s\n' "$out" >&2; tiv_say "build/$kind/Tiv.exe fails its link check"; rc=1; }
  done
  return "$rc"
}

# A separate clang tree, so build/native stays gcc. Says why and fails when clang is missing.
tiv_build_fuzz() {
  local installed
  installed=$(dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' "${TIV_FUZZ_PACKAGES[@]}" 2>/dev/null |
    awk '$2 == "installed" { n++ } END { print n + 0 }')
  if [ "$installed" != "${#TIV_FUZZ_PACKAGES[@]}" ]; then
    tiv_say "fuzz: skipped, needs ${TIV_FUZZ_PACKAGES[*]} (as root: apt-get install -y ${TIV_FUZZ_PACKAGES[*]})"
    return 2
  fi
  local log=$TIV_LOG_DIR/build-fuzz.log
  mkdir -p "$TIV_LOG_DIR"
  : >"$log"
  if [ ! -f "$TIV_FUZZ_DIR/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$TIV_ROOT" -B "$TIV_FUZZ_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTIV_FUZZ=ON >>"$log" 2>&1 || { tiv_say "build/fuzz: configure failed; see $log"; return 1; }
  fi
  cmake --build "$TIV_FUZZ_DIR" -j"$(nproc)" >>"$log" 2>&1 || { tiv_say "build/fuzz failed; see $log"; return 1; }
}

# Runs each target SECS seconds on build/fuzz-corpus/TARGET (seeds copied in, never written back);
# crash inputs go to build/fuzz-crashes/TARGET/. Prints one line per target and a total line
# "fuzz: N targets, R runs, C crashes"; non-zero when a target crashed or did not run.
tiv_fuzz() {
  local secs=$1 t corpus crashes log rc=0 runs total=0 found=0 n=0 status
  shift
  [ $# -gt 0 ] || set -- "${TIV_FUZZ_TARGETS[@]}"
  mkdir -p "$TIV_LOG_DIR"
  for t in "$@"; do
    [ -x "$TIV_FUZZ_DIR/$t" ] || { tiv_say "fuzz: no target '$t'"; rc=1; continue; }
    corpus=$TIV_BUILD/fuzz-corpus/$t crashes=$TIV_BUILD/fuzz-crashes/$t log=$TIV_LOG_DIR/fuzz-$t.log
    mkdir -p "$corpus" "$crashes"
    cp "$TIV_ROOT/tests/fuzz/corpus/$t/"* "$corpus/"
    # The outer timeout bounds a run whose own limits fail, e.g. a hang inside one input.
    timeout -k 10 $((secs + 60)) "$TIV_FUZZ_DIR/$t" -max_total_time="$secs" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" </dev/null >"$log" 2>&1
    status=$?
    runs=$(awk '/^stat::number_of_executed_units:/ { n = $2 } END { print n + 0 }' "$log")
    total=$((total + runs)) n=$((n + 1))
    if [ "$status" = 0 ]; then
      printf 'fuzz %s: %d runs in %ss, no crash\n' "$t" "$runs" "$secs"
    else
      found=$((found + 1)) rc=1
      printf 'fuzz %s: CRASH (exit %s) after %d runs; input in %s, log %s\n' "$t" "$status" "$runs" \
        "$crashes" "$log"
      grep -m1 -E '^==[0-9]+==ERROR|check failed|runtime error|^SUMMARY' "$log"
    fi
  done
  printf 'fuzz: %d targets, %d runs, %d crashes\n' "$n" "$total" "$found"
  return "$rc"
}

# zh_CN.UTF-8 is rarely generated; without it Wine picks code page 1252.
tiv_ensure_locale() {
  [ -f "$TIV_LOCALE_DIR/zh_CN.UTF-8/LC_CTYPE" ] && return 0
  mkdir -p "$TIV_LOCALE_DIR"
  localedef -i zh_CN -f UTF-8 "$TIV_LOCALE_DIR/zh_CN.UTF-8" 2>/dev/null
  [ -f "$TIV_LOCALE_DIR/zh_CN.UTF-8/LC_CTYPE" ] || { tiv_say "localedef zh_CN.UTF-8 failed"; return 1; }
}

# Wine gets a HOME of its own: its shell folders link into HOME, and tests must not write there.
TIV_WINE_ENV=(HOME="$TIV_WINE_HOME" XDG_CONFIG_HOME="$TIV_WINE_HOME/.config"
  XDG_DATA_HOME="$TIV_WINE_HOME/.local/share" XDG_CACHE_HOME="$TIV_WINE_HOME/.cache"
  LOCPATH="$TIV_LOCALE_DIR" LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8)
tiv_wine() { mkdir -p "$TIV_WINE_HOME"; env "${TIV_WINE_ENV[@]}" "$TIV_WINE_LOADER" "$@"; }
tiv_wineserver() { env "${TIV_WINE_ENV[@]}" "$TIV_WINESERVER" "$@"; }

# Wine reads .reg files without a BOM in the ANSI code page, so write UTF-16 with a BOM.
tiv_hex() { od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g'; }  # stdin as regedit hex
tiv_utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; }

# LOGFONTW: height -12 (9 pt at 96 dpi), weight 400, GB2312_CHARSET, face 宋体 padded to 32 WCHARs.
tiv_logfont_hex() {
  { printf '\xf4\xff\xff\xff\0\0\0\0\0\0\0\0\0\0\0\0\x90\x01\0\0\0\0\0\x86\0\0\0\0'
    tiv_utf16 '宋体'
    head -c $((64 - 4)) /dev/zero
  } | tiv_hex
}

tiv_write_registry() {
  local link lf f
  link="hex(7):$({ tiv_utf16 'wqy-zenhei.ttc,WenQuanYi Zen Hei Sharp'; head -c 4 /dev/zero; } | tiv_hex)"
  lf=$(tiv_logfont_hex)
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in 宋体 SimSun 新宋体 NSimSun; do printf '"%s"="WenQuanYi Zen Hei Sharp"\r\n' "$f"; done
    # The default display font; without a stand-in Wine falls back to a sans face.
    printf '"Times New Roman"="Liberation Serif"\r\n'
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for f in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
      printf '"%s"=%s\r\n' "$f" "$link"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n'
    for f in CaptionFont SmCaptionFont MenuFont StatusFont MessageFont IconFont; do
      printf '"%s"=hex:%s\r\n' "$f" "$lf"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$1"
}

tiv_ensure_prefix() {
  local stamp=$WINEPREFIX/.tiv-prefix-v3 reg=$TIV_BUILD/tiv-prefix-$TIV_WINDOWS.reg log=$TIV_LOG_DIR/wineboot-$TIV_WINDOWS.log
  [ -f "$stamp" ] && return 0
  tiv_ensure_locale || return 1
  mkdir -p "$TIV_LOG_DIR"
  timeout 30 env "${TIV_WINE_ENV[@]}" "$TIV_WINESERVER" -k </dev/null >/dev/null 2>&1  # a half-made prefix's
  rm -rf "$WINEPREFIX"
  tiv_say "creating the Wine prefix $WINEPREFIX"
  # Output goes to a file, never a pipe: Wine's helper processes keep it open. A 64-bit prefix
  # warns that syswow64's rundll32 is missing: nothing here needs it.
  if ! timeout 300 "$TIV_ROOT/tools/wine" wineboot -i </dev/null >"$log" 2>&1; then
    tiv_say "wineboot failed; see $log"
    [ "$TIV_WINDOWS" = win32 ] && ! tiv_runs_32bit && tiv_say "this host runs no 32-bit code: use TIV_WINDOWS=win64"
    return 1
  fi
  # Debian's wineboot leaves C:\windows\Fonts empty; without Marlett, caption buttons show letters.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" || { tiv_say "no Wine fonts (fonts-wine)"; return 1; }
  tiv_write_registry "$reg"
  timeout 120 "$TIV_ROOT/tools/wine" regedit /S "$(tiv_winpath "$reg")" </dev/null >>"$log" 2>&1 || { tiv_say "regedit failed"; return 1; }
  # Let the registry reach disk before anything else uses the prefix.
  timeout 60 env "${TIV_WINE_ENV[@]}" "$TIV_WINESERVER" -w </dev/null >/dev/null 2>&1
  touch "$stamp"
}

tiv_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  mkdir -p "$TIV_LOG_DIR"
  local fdfile=$TIV_LOG_DIR/xvfb-$TIV_WINDOWS.display log=$TIV_LOG_DIR/xvfb-$TIV_WINDOWS.log i
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 "${TIV_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fdfile" </dev/null >"$log" 2>&1 &
  TIV_XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    [ -s "$fdfile" ] && break
    kill -0 "$TIV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    tiv_say "Xvfb did not start; see $log"
    kill "$TIV_XVFB_PID" 2>/dev/null; TIV_XVFB_PID=
    return 1
  fi
  DISPLAY=":$(tr -dc 0-9 <"$fdfile")"
  export DISPLAY
  tiv_say "no DISPLAY: started Xvfb on $DISPLAY (pid $TIV_XVFB_PID)"
}

# Start the persistent wineserver and one warm-up process with all output redirected and outside
# any pipe, so later Wine processes never hand their stdout to long-lived helper processes.
# TIV_WINESERVER_OURS says whether this shell started it (wineserver exits 2 if one is running).
tiv_start_wineserver() {
  tiv_wineserver -p </dev/null >/dev/null 2>&1 && TIV_WINESERVER_OURS=1
  timeout 120 "$TIV_ROOT/tools/wine" cmd /c exit </dev/null >/dev/null 2>&1
}

# One session per prefix: tests find windows by name and would see another run's Tiv. Each
# Windows build has its own prefix, wineserver and, without a DISPLAY, its own Xvfb. A lock
# directory holding the owner's pid (not flock: Wine's daemons would inherit the descriptor).
tiv_lock_session() {
  local lock=$TIV_BUILD/session-$TIV_WINDOWS.lock owner i
  mkdir -p "$TIV_BUILD"
  for ((i = 0; ; i++)); do
    if mkdir "$lock" 2>/dev/null; then
      echo $$ >"$lock/pid"
      TIV_LOCKED=1
      return 0
    fi
    [ -d "$lock" ] || { rm -f "$lock"; continue; }
    owner=$(cat "$lock/pid" 2>/dev/null)
    # An owner that died without cleaning up, or one that never got to write its pid.
    if { [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; } ||
      { [ -z "$owner" ] && [ -n "$(find "$lock" -maxdepth 0 -mmin +1)" ]; }; then
      rm -rf "$lock"
      continue
    fi
    [ "$i" = 0 ] && tiv_say "waiting for another tools/run or tools/test (pid ${owner:-?}) on $WINEPREFIX"
    [ "$i" -ge 2400 ] && { tiv_say "gave up waiting after 20 min"; return 1; }
    sleep 0.5
  done
}

# TIV_SESSION names the build whose session this process runs in.
tiv_session_start() {
  if [ "${TIV_SESSION:-}" = "$TIV_WINDOWS" ]; then return 0; fi
  tiv_lock_session || return 1
  tiv_start_display || return 1
  tiv_ensure_prefix || return 1
  tiv_start_wineserver
  TIV_SESSION_OWNER=1
  export TIV_SESSION=$TIV_WINDOWS
}

tiv_session_stop() {
  if [ -n "${TIV_SESSION_OWNER:-}" ]; then
    if [ -n "${TIV_WINESERVER_OURS:-}" ]; then
      timeout 30 env "${TIV_WINE_ENV[@]}" "$TIV_WINESERVER" -k </dev/null >/dev/null 2>&1
    fi
    TIV_SESSION_OWNER='' TIV_WINESERVER_OURS=
    unset TIV_SESSION
  fi
  if [ -n "${TIV_LOCKED:-}" ]; then
    rm -rf "$TIV_BUILD/session-$TIV_WINDOWS.lock"
    TIV_LOCKED=
  fi
  if [ -n "${TIV_XVFB_PID:-}" ]; then
    kill "$TIV_XVFB_PID" 2>/dev/null
    wait "$TIV_XVFB_PID" 2>/dev/null
    TIV_XVFB_PID=
    unset DISPLAY
  fi
  return 0
}
