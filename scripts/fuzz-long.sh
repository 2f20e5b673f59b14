#!/usr/bin/env bash
# Fuzzes the frame decoder, the tag reader and the stream opening for hours: the time is
# shared out between the three targets, which run one after the other (one fuzzing process
# at a time). The corpus grows in build/fuzz/corpus and is kept between runs; findings land
# in build/fuzz/fuzz-findings. Prints executions and coverage (cov/ft) per target at the end.
#
# usage: scripts/fuzz-long.sh HOURS      (fractions allowed, e.g. 0.5)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: $0 HOURS" >&2
  exit 2
fi
targets=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open)
seconds=$(python3 -c "print(max(1, int(float('$1') * 3600 / ${#targets[@]})))")

build=$root/build/fuzz
(export CC=clang CXX=clang++
 cmake -S "$root" -B "$build" -G Ninja -DVARO_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_FUZZ=ON \
   -DVARO_BUILD_APP=OFF -DVARO_BUILD_BENCH=OFF >/dev/null)
cmake --build "$build" -j 2 --target "${targets[@]}"

exec "$root/tests/fuzz/run_fuzzers.sh" "$build" "$seconds" "$build/corpus" "${targets[@]}"
