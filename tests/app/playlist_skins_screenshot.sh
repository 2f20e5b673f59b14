#!/usr/bin/env bash
# Photographs the playlist window in each bundled skin at scale 1 and 2 (QT_SCALE_FACTOR), on
# an Xvfb display of its own, with a list whose titles have underscores and descenders and
# whose third entry plays, and checks the grid against the skin's colours: its rows, header,
# text and the playing entry's mark.
#   playlist_skins_screenshot.sh VARO_BINARY OUTPUT_DIR TEST_DATA_DIR
# Writes playlist-SKIN-xSCALE.png into OUTPUT_DIR. Only processes started here are ended,
# each by its own process id.
set -euo pipefail
. "$(dirname "$0")/xvfb_session.sh"
xvfb_screen=2000x1100x24  # the main and playlist windows side by side at scale 2
begin_session "$@"
tags="$data/corpus/tags"
demo="$(cd "$(dirname "$0")/../../data/demo" && pwd)/varo-demo.mp3"
origin=20  # the main window's place, in the window system's pixels before scaling
mkdir -p "$work/lyrics_folder" "$work/歌詞"
printf '[00:00.00]la\r\n' >"$work/lyrics_folder/lrc_test.txt"
printf '[00:00.00]夜のしじまに\r\n' >"$work/歌詞/夜想曲.txt"

# Pixels within 12% of a colour (#rrggbb) in a rectangle of a picture.
count() {  # picture colour w h x y
  convert "$1" -crop "$3x$4+$5+$6" +repage -fuzz 12% -fill black +opaque "$2" \
    -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6 | tr 'A-F' 'a-f'; }

shoot() {
  local skin=$1 scale=$2 home="$work/home-$1-$2" shot="$out/playlist-$1-x$2.png"
  mkdir -p "$home"
  # The demo track (19 s) plays throughout; the short tagged files only fill rows.
  {
    printf '%s\n%s\n%s\n%s\n' "$tags/tag_id3v24_utf8.mp3" 'lrc_test' "$work/lyrics_folder/lrc_test.txt" 5
    printf '%s\n%s\n\n\n' "$tags/tag_id3v1_sjis.mp3" 'Quiet jumping yard (gjpqy)'
    printf '%s\n%s\n%s\n%s\n' "$demo" '夜想曲 第2番 — playing_now' "$work/歌詞/夜想曲.txt" 7
    printf '%s\n%s\n\n\n' "$tags/tag_id3v23_latin1_accents.mp3" 'Café Noël'
    printf '%s\n%s\n\n\n' "$tags/tag_id3v1_title30.mp3" 'A very long title that cannot fit into the title column at all'
    printf '%s\n%s\n\n\n' "$tags/tag_id3v22.mp3" 'ソナタ第一番 op_27'
  } >"$home/list.vrl"
  {
    printf '[varo]\nskin=%s\nlistfilename=list.vrl\nmax=6\n' "$skin"
    local i=1 file
    for file in tag_id3v24_utf8 tag_id3v1_sjis demo tag_id3v23_latin1_accents tag_id3v1_title30 tag_id3v22; do
      [ "$file" = demo ] && printf 'list%d=%s\n' $i "$demo" || printf 'list%d=%s\n' $i "$tags/$file.mp3"
      i=$((i + 1))
    done
    printf 'last_music_number=2\nwindow_x=%d\nwindow_y=%d\n' $origin $origin
  } >"$home/varo.ini"

  QT_SCALE_FACTOR=$scale "$varo" --home "$home" >"$work/varo.log" 2>&1 &
  varo_pid=$!
  shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
  wait_for 30 shown '^VARO$' || fail "the main window did not appear"
  wait_for 30 test -s "$home/skin/$skin.txt" || fail "no skin in the home"

  # From the skin: the main picture's width, the playlist and exit buttons' middles, the
  # grid's rectangle and colours (lines 106 on: rows, text, header; 113: playing).
  local main_w main_h list_x list_y exit_x exit_y gd_x gd_y gd_w gd_h rows text header playing
  read -r main_w main_h list_x list_y exit_x exit_y gd_x gd_y gd_w gd_h rows text header playing < <(
    "$(dirname "$0")/skin_places.py" "$home/skin/$skin.txt" "$home/skin/$skin.bmp" "$origin" "$scale" \
      size:1 centre:7 centre:9 rect:81 colour:106 colour:107 colour:108 colour:113)
  local px=$((scale * (origin + main_w))) py=$((scale * origin))  # the playlist window
  local gx=$((px + gd_x)) gy=$((py + gd_y))

  xdotool mousemove "$list_x" "$list_y" click 1
  wait_for 30 shown '^再生リスト$' || fail "the playlist window did not appear"
  # Wait for the skin's colours in the header and the playing mark in the rows.
  local header_now="" marked=0
  drawn() {
    import -window root "$shot"
    header_now=$(pixel "$shot" $((gx + 2 * scale)) $((gy + 3 * scale)))
    marked=$(count "$shot" "$playing" "$gd_w" "$gd_h" "$gx" "$gy")
    [ "#$header_now" = "$header" ] && [ "$marked" -gt $((20 * scale * scale)) ]
  }
  wait_for 30 drawn || fail "$skin x$scale: header #$header_now (skin $header), $marked playing pixels"
  sleep 0.3
  import -window root "$shot"
  convert "$shot" -crop "$((scale * 404))x$((scale * 438))+$px+$py" +repage "$shot"
  gx=$gd_x gy=$gd_y

  # Below the six rows the grid is empty: the skin's row colour there; text in its colour.
  local empty written
  empty=$(pixel "$shot" $((gx + gd_w / 2)) $((gy + gd_h - 8 * scale)))
  written=$(count "$shot" "$text" "$gd_w" "$gd_h" "$gx" "$gy")
  marked=$(count "$shot" "$playing" "$gd_w" "$gd_h" "$gx" "$gy")
  echo "$skin x$scale: rows #$empty (skin $rows), text pixels $written ($text), playing pixels $marked ($playing)"
  [ "#$empty" = "$rows" ] || fail "$skin x$scale: the grid's rows are #$empty, not the skin's $rows"
  [ "$written" -gt $((150 * scale * scale)) ] || fail "$skin x$scale: no text in the skin's text colour"

  xdotool mousemove "$exit_x" "$exit_y" click 1
  ended() { ! kill -0 "$varo_pid" 2>/dev/null; }
  wait_for 30 ended || fail "the exit button did not end the program"
  wait "$varo_pid" || fail "varo failed"
  varo_pid=""
}

for scale in 1 2; do
  for skin in default sakura; do
    shoot "$skin" "$scale"
  done
done
echo "screenshots in $out"
