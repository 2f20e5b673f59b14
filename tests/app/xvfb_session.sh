# Sourced by the screenshot scripts: an Xvfb display of their own, ended by its process id.
#   begin_session VARO OUT DATA   the scripts' common start: sets varo, out, data and a work
#                        folder, starts Xvfb, points home and runtime folders into the work
#                        folder, and on exit ends the player (varo_pid) and Xvfb
#   fail MESSAGE         says why, shows the player's log ($work/varo.log) and exits
#   start_xvfb WORKDIR   starts Xvfb (white root, $xvfb_screen: 1024x768x24 unless set) and
#                        sets DISPLAY
#   stop_xvfb            ends that Xvfb
#   wait_for SECONDS CMD...   runs CMD every tenth of a second until it succeeds
xvfb_pid=""
varo_pid=""

begin_session() {
  varo=$1 out=$2 data=$3
  mkdir -p "$out"
  work=$(mktemp -d)
  trap end_session EXIT
  start_xvfb "$work" || fail "no display"
  export HOME="$work/user" XDG_CONFIG_HOME="$work/user/config" XDG_CACHE_HOME="$work/user/cache"
  export XDG_RUNTIME_DIR="$work/runtime" VARO_AUDIO=null QT_QPA_PLATFORM=xcb
  # No session bus: nothing reaches the user's session, and parallel tests share no bus.
  export DBUS_SESSION_BUS_ADDRESS=disabled: DBUS_SYSTEM_BUS_ADDRESS=disabled:
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

end_session() {
  [ -n "$varo_pid" ] && kill "$varo_pid" 2>/dev/null || true
  stop_xvfb
  rm -rf "$work"
}

fail() {
  echo "$1"
  [ -f "$work/varo.log" ] && cat "$work/varo.log"
  exit 1
}

start_xvfb() {
  local work=$1 number=""
  # Xvfb takes a free display itself (binding its socket is the claim) and writes the number
  # to the descriptor once it accepts clients, so parallel tests can never pick the same one.
  # -noreset: a server that resets when its last client leaves refuses the next one for a
  # moment, and each start of the player is such a next client.
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "${xvfb_screen:-1024x768x24}" -wr -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 300); do
    number=$(head -n 1 "$work/display")
    [ -n "$number" ] && [ "$(wc -l <"$work/display")" -ge 1 ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$number" ] || ! [ "$number" -ge 0 ] 2>/dev/null; then
    cat "$work/xvfb.log"
    echo "Xvfb named no display"
    stop_xvfb
    return 1
  fi
  export DISPLAY=":$number"
  xdpyinfo >/dev/null 2>&1 || { cat "$work/xvfb.log"; echo "Xvfb does not answer on $DISPLAY"; stop_xvfb; return 1; }
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

wait_for() {
  local seconds=$1 i
  shift
  for ((i = 0; i < seconds * 10; ++i)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}
