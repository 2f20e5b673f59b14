# Sourced by the screenshot scripts: an Xvfb display of their own, ended by its process id.
#   start_xvfb WORKDIR   starts Xvfb (white root) on a free display and sets DISPLAY
#   stop_xvfb            ends that Xvfb
xvfb_pid=""

start_xvfb() {
  local work=$1 n
  # From 121 up, clear of other scripts' displays; a display taken meanwhile by another
  # test makes Xvfb end at once, and the next number is tried.
  for n in $(seq 121 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -wr -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    stop_xvfb
  done
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
