#!/usr/bin/env bash
# Starts the player on its own Xvfb display with a fresh home and photographs the screen twice:
#   varo-first-start.png  a first start: the demo track plays, the lyrics window is open
#   varo-with-file.png    a start with a file of Japanese tags: title, artist, playlist window
# Each time it checks that the main window is cut to its skin's outline and leaves through the
# exit button; the settings file left behind is kept as varo.ini.
#   screenshot_test.sh VARO_BINARY OUTPUT_DIR TEST_DATA_DIR
# Only processes started here are ended, each by its own process id.
set -euo pipefail
. "$(dirname "$0")/xvfb_session.sh"
begin_session "$@"
home="$work/home"

pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
is_white() { [ "$1" = "white" ] || [ "$1" = "srgb(255,255,255)" ]; }

# run_and_shoot SCREENSHOT [FILE...]: starts varo, photographs it, checks the outline, exits.
run_and_shoot() {
  local shot="$out/$1"
  shift
  "$varo" --home "$home" "$@" >"$work/varo.log" 2>&1 &
  varo_pid=$!
  main_window() { xdotool search --onlyvisible --name '^VARO$' >/dev/null 2>&1; }
  wait_for 30 main_window || fail "the main window did not appear"

  # From the skin's layout and its pieces' headers: the middle of the main background
  # (piece 1) and of the exit button (piece 9); the window sits at (100, 100).
  wait_for 30 test -s "$home/skin/default.bmp" || fail "no skin in the home"
  local mx my ex ey
  read -r mx my ex ey < <("$(dirname "$0")/skin_places.py" "$home/skin/default.txt" \
    "$home/skin/default.bmp" 100 1 centre:1 centre:9)
  # The skin is loaded after the window shows: photograph once its middle is painted.
  skin_shown() { import -window root "$shot" && ! is_white "$(pixel "$shot" "$mx" "$my")"; }
  wait_for 30 skin_shown || true
  sleep 1  # the first lyrics line, for the picture only
  import -window root "$shot"

  # The top left corner lies outside the outline and must show the white root; the middle
  # of the background is skin.
  local corner middle
  corner=$(pixel "$shot" 100 100)
  middle=$(pixel "$shot" "$mx" "$my")
  echo "$(basename "$shot"): corner $corner, middle $middle"
  is_white "$corner" || fail "the window is not cut to its outline"
  ! is_white "$middle" || fail "no skin in the window"

  xdotool mousemove "$ex" "$ey" click 1
  ended() { ! kill -0 "$varo_pid" 2>/dev/null; }
  wait_for 30 ended || fail "the exit button did not end the program"
  wait "$varo_pid" || fail "varo failed"
  varo_pid=""
}

run_and_shoot varo-first-start.png
cp "$home/varo.ini" "$out/varo-first-start.ini"
grep -q '^skin=default$' "$home/varo.ini"
grep -q '^window_x=100$' "$home/varo.ini"
grep -q '^max=1$' "$home/varo.ini"  # the demo track was queued
grep -q '^list1=.*varo-demo.mp3$' "$home/varo.ini"

japanese="$data/corpus/tags/tag_id3v23_utf16_bom.mp3"
run_and_shoot varo-with-file.png "$japanese"
cp "$home/varo.ini" "$out/varo.ini"
grep -q "^list1=.*/tag_id3v23_utf16_bom.mp3$" "$home/varo.ini"
grep -q '^max=1$' "$home/varo.ini"
cat "$out/varo.ini"
echo "screenshots and settings files in $out"
