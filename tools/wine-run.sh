#!/usr/bin/env bash
# Runs a Windows program of the win64 build under wine64, as the tests and the screenshots
# need it: a private prefix, code page 932 (LANG=ja_JP.UTF-8) unless asked for another
# locale, no Wine debug noise, and a display. The exit code is the program's.
#
#   tools/wine-run.sh build/win64/bin/files_tests.exe [args...]
#   tools/wine-run.sh --display     print the display the programs use (for screenshots)
#   tools/wine-run.sh --stop        stop the session's wineserver and Xvfb
#
# A session (wineserver, Wine's helper processes, and an Xvfb when no DISPLAY was given)
# is started once and reused; each program then starts in well under a second. The session
# is started detached from our output: Wine's helpers inherit the stdout of the process
# that starts them and keep it open, so ctest, reading a test's pipe, would otherwise wait
# for them to end. ctest stops the session after the last test.
#
# Environment: TESSEL_WINEPREFIX (default build/wineprefix); TESSEL_WINE_LANG, the locale of
# the program (default ja_JP.UTF-8; en_US.UTF-8 gives it code page 1252). Wine takes the ANSI
# code page from each process's own LANG, so programs of both locales share one prefix and
# one session. TESSEL_WINE_DPI, the screen's DPI (default 96): Wine reads it once per
# session, so each other DPI has a prefix and a session of its own (default
# build/wineprefix-<dpi>dpi).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
if [ ! -x "$wine" ]; then
  echo "wine-run: wine64 is missing; run tools/setup.sh" >&2
  exit 127
fi

dpi=${TESSEL_WINE_DPI:-96}
if [ "$dpi" = 96 ]; then
  export WINEPREFIX=${TESSEL_WINEPREFIX:-$root/build/wineprefix}
else
  export WINEPREFIX=${TESSEL_WINEPREFIX:-$root/build/wineprefix-${dpi}dpi}
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=${TESSEL_WINE_LANG:-ja_JP.UTF-8}
export LC_ALL=$LANG
mkdir -p "$WINEPREFIX"   # wineserver -p below must be able to enter it
session=$WINEPREFIX.session   # "xvfb-pid display"; xvfb-pid is - when DISPLAY was given

alive() { [ "$1" = "-" ] || kill -0 "$1" 2>/dev/null; }

stop_session() {
  "$wineserver" -k 9>&- </dev/null >/dev/null 2>&1 || true
  if [ -f "$session" ]; then
    read -r pid _ <"$session" || true
    if [ -n "${pid:-}" ] && [ "$pid" != "-" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -f "$session"
  fi
}

start_session() {
  local pid=- display=${DISPLAY:-}
  if [ -z "$display" ]; then
    # -displayfd writes the number of a free display once the server listens.
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # A finer screen has more pixels: 1280 x 1024 at 96 DPI, twice each way at 192.
    setsid Xvfb -displayfd 3 -screen 0 "$((1280 * dpi / 96))x$((1024 * dpi / 96))x24" -nolisten tcp 3>"$fifo" 9>&- </dev/null >/dev/null 2>&1 &
    pid=$!
    if ! read -r -t 30 number <"$fifo"; then
      rm -f "$fifo"
      echo "wine-run: Xvfb did not start" >&2
      exit 1
    fi
    rm -f "$fifo"
    display=":$number"
  fi
  export DISPLAY=$display
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  # The lock's descriptor 9 must not live on in the daemons, or the lock is never freed.
  "$wineserver" -p 9>&- </dev/null >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/.tessel-ready" ]; then
    "$wine" wineboot --init 9>&- </dev/null >/dev/null 2>&1 || true
    # Without a window manager every window close stalls ~2 s unless Wine manages none.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&- </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tessel-ready"
  else
    "$wine" wineboot 9>&- </dev/null >/dev/null 2>&1 || true
  fi
  if [ ! -f "$WINEPREFIX/.tessel-fonts" ]; then
    # Debian's Wine does not load its own fonts (package fonts-wine) by itself: without
    # Marlett the caption buttons read "0 1 r". And "ＭＳ Ｐゴシック" is proportional:
    # left to fontconfig it becomes the fixed-pitch IPAGothic, so name its twin.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f \
      9>&- </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tessel-fonts"
  fi
  if [ ! -f "$WINEPREFIX/.tessel-font-links" ]; then
    # The window shows names of any script now, and IPAPGothic has no Hangul and no emoji:
    # link it to NanumGothic and Symbola (fonts-nanum, fonts-symbola), as Windows links its
    # own fonts, so that a name like "사진 😀" is drawn, not boxes. Wine finds the files
    # through fontconfig.
    for face in IPAPGothic IPAGothic 'ＭＳ Ｐゴシック'; do
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic\0Symbola_hint.ttf,Symbola' /f \
        9>&- </dev/null >/dev/null 2>&1 || true
    done
    touch "$WINEPREFIX/.tessel-font-links"
  fi
  # The prefix's DPI, written when it differs from the one asked (a prefix named for its DPI
  # is only ever asked for that one; a prefix without the mark has Wine's own 96).
  local marked=96
  [ ! -f "$WINEPREFIX/.tessel-dpi" ] || marked=$(cat "$WINEPREFIX/.tessel-dpi")
  if [ "$dpi" != "$marked" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      9>&- </dev/null >/dev/null 2>&1 || true
    echo "$dpi" >"$WINEPREFIX/.tessel-dpi"
  fi
  echo "$pid $display" >"$session"
}

ensure_session() {
  (
    flock 9
    local pid=- display=
    if [ -f "$session" ]; then read -r pid display <"$session" || true; fi
    if [ -z "$display" ] || ! alive "$pid" || ! pgrep -x wineserver64 >/dev/null; then
      stop_session
      start_session
    fi
  ) 9>"$WINEPREFIX.lock"
  read -r _ DISPLAY <"$session"
  export DISPLAY
}

case "${1:-}" in
  --stop) (flock 9; stop_session) 9>"$WINEPREFIX.lock"; exit 0 ;;
  --display) ensure_session; echo "$DISPLAY"; exit 0 ;;
  "") echo "usage: $0 program.exe [args...] | --display | --stop" >&2; exit 2 ;;
esac

ensure_session
set +e
"$wine" "$@"
status=$?
set -e
exit $status
