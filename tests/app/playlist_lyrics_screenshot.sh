#!/usr/bin/env bash
# Photographs the playlist window with a loaded list and the lyrics window showing timed
# lyrics, on an Xvfb display of its own with a fresh home, and checks what they show.
#   playlist_lyrics_screenshot.sh VARO_BINARY OUTPUT_DIR TEST_DATA_DIR
# Only processes started here are ended, each by its own process id.
set -euo pipefail
. "$(dirname "$0")/xvfb_session.sh"
begin_session "$@"

# A home whose stored list is a .vrl of four files: the first, the demo track (long enough to
# watch), has timed lyrics; the others are short tagged files.
home="$work/home"
mkdir -p "$home"
tags="$data/corpus/tags"
demo="$(cd "$(dirname "$0")/../../data/demo" && pwd)/varo-demo.mp3"
lyrics="$work/夜想曲.txt"
printf '%s\r\n' '[00:00.00]夜のしじまに' '[00:01.00]ひとつの灯り' '[00:02.00]静かに揺れて' \
  '[00:03.00]朝を待つ' '[00:30.00](まだ)' >"$lyrics"
{
  printf '%s\n%s\n%s\n%s\n' "$demo" '夜想曲 第2番' "$lyrics" 5
  printf '%s\n%s\n\n\n' "$tags/tag_id3v24_utf8.mp3" '春のテスト曲'
  printf '%s\n%s\n\n\n' "$tags/tag_id3v1_sjis.mp3" 'ソナタ第一番'
  printf '%s\n%s\n\n7\n' "$tags/tag_id3v23_latin1_accents.mp3" 'Café Noël'
} >"$home/お気に入り.vrl"
printf '[varo]\nlistfilename=お気に入り.vrl\nmax=1\nlist1=%s\nlast_music_number=0\n' \
  "$tags/tag_id3v23_utf16_bom.mp3" >"$home/varo.ini"

"$varo" --home "$home" >"$work/varo.log" 2>&1 &
varo_pid=$!
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_for 30 shown '^VARO$' || fail "the main window did not appear"
wait_for 30 test -s "$home/skin/default.bmp" || fail "no skin in the home"
sleep 0.5  # the deferred skin load; the clicks below are checked by what they open

# Places from the skin (the home got the installed skins): the main window sits at (100, 100).
read -r main_w main_h play_x play_y exit_x exit_y gd_x gd_y gd_w gd_h pb_x pb_y pb_w pb_h text < <(
  "$(dirname "$0")/skin_places.py" "$home/skin/default.txt" "$home/skin/default.bmp" 100 1 \
    size:1 centre:7 centre:9 rect:81 rect:85 colour:107)
list_x=$((100 + main_w)) list_y=100

# Open the playlist window (its first showing loads the stored list), then start the first
# entry by a double click on its title: it carries the lyrics.
xdotool mousemove "$play_x" "$play_y" click 1
wait_for 30 shown '^再生リスト$' || fail "the playlist window did not appear"
# Pixels of a colour (within 25%) inside a rectangle of the screenshot.
count() {  # colour w h x y
  convert "$out/varo-windows.png" -crop "$2x$3+$4+$5" +repage -fuzz 25% -fill black +opaque "$1" \
    -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}
written=0 white=0
list_shown() {
  import -window root "$out/varo-windows.png"
  written=$(count "$text" "$gd_w" "$gd_h" $((list_x + gd_x)) $((list_y + gd_y)))
  [ "$written" -gt 300 ]
}
wait_for 30 list_shown || fail "the grid shows no list ($written text pixels)"
xdotool mousemove $((list_x + gd_x + 40)) $((list_y + gd_y + 30)) click --repeat 2 --delay 80 1
wait_for 30 shown '^歌詞$' || fail "the lyrics window did not appear"
# White text over the picture: some white, but far from all of it (that would be the root).
lyrics_shown() {
  import -window root "$out/varo-windows.png"
  white=$(count white "$pb_w" "$pb_h" $((100 + pb_x)) $((100 + main_h + pb_y)))
  [ "$white" -gt 300 ] && [ "$white" -lt $((pb_w * pb_h / 3)) ]
}
wait_for 30 lyrics_shown || fail "the lyrics show no text ($white of $((pb_w * pb_h)) pixels white)"
sleep 3  # the lines tagged up to 3 seconds, for the picture only
import -window root "$out/varo-windows.png"
convert "$out/varo-windows.png" -crop "404x438+$list_x+$list_y" +repage "$out/varo-playlist-window.png"
convert "$out/varo-windows.png" -crop "411x396+100+$((100 + main_h))" +repage "$out/varo-lyrics-window.png"
echo "grid text pixels: $written, lyrics text pixels: $white of $((pb_w * pb_h))"

xdotool mousemove "$exit_x" "$exit_y" click 1
ended() { ! kill -0 "$varo_pid" 2>/dev/null; }
wait_for 30 ended || fail "the exit button did not end the program"
wait "$varo_pid" || fail "varo failed"
varo_pid=""
grep -q '^max=4$' "$home/varo.ini" || fail "the loaded list was not kept at exit"
grep -q '^rank_list1=夜想曲 第2番$' "$home/varo.ini" || fail "the start was not counted"
echo "screenshots in $out"
