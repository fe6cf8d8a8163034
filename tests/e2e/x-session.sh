# Sourced by the end-to-end tests: a private X server, with a real window manager where one
# matters, stopped again when the test ends.
#
#   start_x_server [SCREEN]   Xvfb on a free display (SCREEN as Xvfb's -screen 0, default
#                             1280x1024x24); exports DISPLAY; -noreset keeps what xrdb loads
#   start_window_manager      openbox on that display, ready when it has announced itself
#   stop_x_session            stops both (the tests call it from their EXIT trap)
#
# Both start functions return 1 when they cannot, having said why on standard error.

x_session_xvfb_pid=
x_session_wm_pid=
x_session_log=$(mktemp)

# Whether the display :N is served by our Xvfb: its socket is there and its lock holds our pid.
x_session_owns() {
  local n=${1#:}
  [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$x_session_xvfb_pid" ]
}

start_x_server() {
  local screen=${1:-1280x1024x24} n
  command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps installs it)" >&2; return 1; }
  for n in $(seq 70 139); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -nolisten tcp -screen 0 "$screen" >"$x_session_log" 2>&1 &
    x_session_xvfb_pid=$!
    # The display is ours once its lock names our server: another test's server started at the
    # same moment may hold it (and its socket) while ours has yet to notice and stop.
    for _ in $(seq 100); do
      x_session_owns ":$n" && break
      kill -0 "$x_session_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if x_session_owns ":$n" && kill -0 "$x_session_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      # A private X server has no session bus; SDL would otherwise start one and leave it.
      export DBUS_SESSION_BUS_ADDRESS=disabled:
      unset WAYLAND_DISPLAY
      return 0
    fi
    kill "$x_session_xvfb_pid" 2>/dev/null
    wait "$x_session_xvfb_pid" 2>/dev/null
    x_session_xvfb_pid=
  done
  echo "no X server could be started: $(cat "$x_session_log")" >&2
  return 1
}

start_window_manager() {
  command -v openbox >/dev/null || { echo "openbox is missing (scripts/install-deps installs it)" >&2; return 1; }
  openbox --sm-disable >>"$x_session_log" 2>&1 &
  x_session_wm_pid=$!
  # A standards-following manager names its check window on the root window once it manages.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$x_session_wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "openbox did not start: $(cat "$x_session_log")" >&2
  return 1
}

stop_x_session() {
  if [ -n "$x_session_wm_pid" ]; then
    kill "$x_session_wm_pid" 2>/dev/null
    wait "$x_session_wm_pid" 2>/dev/null
  fi
  if [ -n "$x_session_xvfb_pid" ]; then
    kill "$x_session_xvfb_pid" 2>/dev/null
    wait "$x_session_xvfb_pid" 2>/dev/null
  fi
  x_session_wm_pid=
  x_session_xvfb_pid=
  rm -f "$x_session_log"
}
