#!/usr/bin/env bash
# Starts the player on its own Xvfb display with a fresh home, photographs the screen, checks
# that the main window is cut to its skin's outline, leaves through the exit button and keeps
# the screenshot and the settings file it wrote.
#   screenshot_test.sh VARO_BINARY OUTPUT_DIR
# Only processes started here are ended, each by its own process id.
set -euo pipefail
varo=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid=""
varo_pid=""
cleanup() {
  [ -n "$varo_pid" ] && kill "$varo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display nobody uses.
display=""
for n in $(seq 71 199); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free display"; exit 1; }
# A white root: outside the window's outline the screenshot must show it.
Xvfb ":$display" -screen 0 1024x768x24 -wr -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }

export HOME="$work/user" XDG_CONFIG_HOME="$work/user/config" XDG_CACHE_HOME="$work/user/cache"
export XDG_RUNTIME_DIR="$work/runtime" VARO_AUDIO=null QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
home="$work/home"
"$varo" --home "$home" >"$work/varo.log" 2>&1 &
varo_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^VARO$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not appear"; cat "$work/varo.log"; exit 1; }
sleep 1.5  # the deferred skin load and the first lyrics
import -window root "$out/varo-screen.png"

# Where things are, from the skin's layout and the sizes in its pieces' headers: the middle of
# the main background (piece 1) and of the exit button (piece 9); the window sits at (100, 100).
read -r mx my ex ey < <(python3 - "$home/skin/default.txt" "$home/skin/default.bmp" <<'EOF'
import struct, sys
v = open(sys.argv[1]).read().split('\n')
pack = open(sys.argv[2], 'rb').read()
off, centres = 0, []
for i in range(9):
    b, r = int(v[38 + i]), int(v[57 + i])
    w, h = struct.unpack('<ii', pack[off + 18:off + 26])
    centres.append((100 + int(v[2 * i]) + w // 2, 100 + int(v[2 * i + 1]) + abs(h) // 2))
    off += (b - 2) * 2048 + r if b > 2 else r
print(*centres[0], *centres[8])
EOF
)
# The top left corner lies outside the outline and must show the white root; the middle of the
# background is skin.
pixel() { convert "$out/varo-screen.png" -format "%[pixel:p{$1,$2}]" info:; }
is_white() { [ "$1" = "white" ] || [ "$1" = "srgb(255,255,255)" ]; }
corner=$(pixel 100 100)
middle=$(pixel "$mx" "$my")
echo "corner $corner, middle $middle"
is_white "$corner" || { echo "the window is not cut to its outline"; exit 1; }
! is_white "$middle" || { echo "no skin in the window"; exit 1; }

# Leave through the exit button.
xdotool mousemove "$ex" "$ey" click 1
for _ in $(seq 100); do kill -0 "$varo_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$varo_pid" 2>/dev/null; then echo "the exit button did not end the program"; exit 1; fi
wait "$varo_pid" || { echo "varo failed"; cat "$work/varo.log"; exit 1; }
varo_pid=""
cp "$home/varo.ini" "$out/varo.ini"
cat "$out/varo.ini"
grep -q '^skin=default$' "$out/varo.ini"
grep -q '^window_x=100$' "$out/varo.ini"
grep -q '^max=1$' "$out/varo.ini"  # the demo track was queued
grep -q '^list1=.*varo-demo.mp3$' "$out/varo.ini"
echo "screenshot and settings file in $out"
