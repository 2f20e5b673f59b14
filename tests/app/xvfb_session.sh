# Sourced by the screenshot scripts: an Xvfb display of their own, ended by its process id.
#   start_xvfb WORKDIR   finds a free display, starts Xvfb on it (white root), sets DISPLAY
#   stop_xvfb            ends that Xvfb
xvfb_pid=""

start_xvfb() {
  local work=$1 display="" n
  for n in $(seq 71 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "no free display"; return 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -wr -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  cat "$work/xvfb.log"
  echo "Xvfb did not start"
  return 1
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
