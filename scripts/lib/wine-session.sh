# Sourced by the scripts that run Windows programs: a private Xvfb display and a Wine
# prefix inside the build folder, with one wineserver kept alive for the session.
#   wine_session_start <build folder>   exports DISPLAY, WINEPREFIX, WINEDEBUG, ...
#   wine_session_stop                   stops the server and the display
# Set WINE_SESSION_USE_DISPLAY=1 to keep an existing DISPLAY instead of starting Xvfb.

wine_session_xvfb_pid=

wine_session_start() {
  local build=$1
  mkdir -p "$build"
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64

  if [ "${WINE_SESSION_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    local fdfile; fdfile=$(mktemp)
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -wr 7>"$fdfile" >/dev/null 2>&1 &
    wine_session_xvfb_pid=$!
    local i
    for i in $(seq 100); do
      [ -s "$fdfile" ] && break
      sleep 0.1
    done
    [ -s "$fdfile" ] || { echo "wine-session: Xvfb did not start" >&2; rm -f "$fdfile"; return 1; }
    export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
    rm -f "$fdfile"
  fi

  if [ ! -f "$WINEPREFIX/.initialised" ]; then
    echo "wine-session: creating the Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Without a window manager, Wine waits two seconds for one whenever a window it
    # counts as managed is hidden or destroyed; it draws every window itself instead.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
  wineserver -p
  # The first program of a session starts Wine's background services; start them
  # here with no terminal or pipe attached, so that they hold no test's output open.
  wine wineboot </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wine_session_xvfb_pid" ]; then
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wait "$wine_session_xvfb_pid" 2>/dev/null || true
    wine_session_xvfb_pid=
  fi
}
