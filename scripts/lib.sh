# Shared shell helpers for the build, run and test scripts. Source it.

# Starts Xvfb on a free display (1280x1024x24 unless a size is given) and
# exports DISPLAY; the server's pid is in TYVORN_XVFB_PID.
start_xvfb() {
  local size=${1:-1280x1024x24} fifo num
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -displayfd picks a free display number and writes it once the server is ready.
  Xvfb -displayfd 9 -screen 0 "$size" -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
  TYVORN_XVFB_PID=$!
  read -r -t 30 num <"$fifo" || num=
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$num"
}

stop_xvfb() {
  if [ -n "${TYVORN_XVFB_PID:-}" ]; then
    kill "$TYVORN_XVFB_PID" 2>/dev/null || true
    wait "$TYVORN_XVFB_PID" 2>/dev/null || true
    TYVORN_XVFB_PID=
  fi
}

# Environment under which every program of ours runs in Wine: a prefix in the
# build tree, no debug noise, a fixed locale (ANSI code page 1252) and zone.
wine_env() {
  local build=$1
  export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winealsa.drv=d}"
  export LANG="${TYVORN_LOCALE:-de_DE.UTF-8}" LC_ALL="${TYVORN_LOCALE:-de_DE.UTF-8}"
  export TZ="${TYVORN_TZ:-Europe/Berlin}"
  TYVORN_WINE=$(command -v wine64 || command -v wine)
}

# Creates the Wine prefix once; parallel callers wait for the first.
wine_prefix_ready() {
  [ -f "$WINEPREFIX/.tyvorn-ready2" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 8
    if [ ! -f "$WINEPREFIX/.tyvorn-ready2" ]; then
      "$TYVORN_WINE" wineboot -i >/dev/null 2>&1
      # Debian's Wine looks for its own fonts in the wrong place.
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
      # A crashing test must fail at once, not wait behind a dialog.
      "$TYVORN_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      # Without a window manager Wine waits 2 s for every managed window it
      # hides or destroys; unmanaged windows close at once.
      "$TYVORN_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.tyvorn-ready2"
    fi
  ) 8>"$WINEPREFIX.lock"
}
