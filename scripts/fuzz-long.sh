#!/usr/bin/env bash
# Fuzzes for hours: the time is shared out between the targets, which run one after the
# other (one fuzzing process at a time). The decoder, tag and stream targets get three
# shares each, the application's file readers one each, the replay builds (the slow
# comparisons) one each. The corpus grows in build/fuzz/corpus and is kept between runs;
# findings land in build/fuzz/fuzz-findings. Prints executions and coverage (cov/ft) per
# target at the end.
#
# usage: scripts/fuzz-long.sh HOURS      (fractions allowed, e.g. 0.5)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: $0 HOURS" >&2
  exit 2
fi
main=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open)
app=(fuzz_skin_load fuzz_playlist_load fuzz_lyrics_load fuzz_settings_read)
replay=(fuzz_frame_decoder_replay fuzz_tag_reader_replay fuzz_stream_open_replay)
share=$(python3 -c "print(max(1, int(float('$1') * 3600 / (3 * ${#main[@]} + ${#app[@]} + ${#replay[@]}))))")

build=$root/build/fuzz
(export CC=clang CXX=clang++
 cmake -S "$root" -B "$build" -G Ninja -DVARO_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_FUZZ=ON \
   -DVARO_BUILD_APP=OFF -DVARO_BUILD_BENCH=OFF >/dev/null)
cmake --build "$build" -j 2 --target "${main[@]}" "${app[@]}" "${replay[@]}"

run="$root/tests/fuzz/run_fuzzers.sh"
status=0
"$run" "$build" $((3 * share)) "$build/corpus" "${main[@]}" || status=1
"$run" "$build" "$share" "$build/corpus" "${app[@]}" "${replay[@]}" || status=1
exit $status
