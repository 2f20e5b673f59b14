#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test.
#   build/release   optimised build: tools, conformance and corpus checks
#   build/asan      AddressSanitizer + UndefinedBehaviorSanitizer: all unit tests
#   build/tsan      ThreadSanitizer: the engine tests
#   build/fuzz      clang with libFuzzer: the fuzz targets for about six and a half minutes
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh test

jobs=$(nproc)
# The configurations are CMakePresets.json's: the same build trees by hand with
# `cmake --preset NAME && cmake --build --preset NAME && ctest --preset NAME`.
for preset in release asan tsan fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
fuzz_targets=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open)
fuzz_short_targets=(fuzz_skin_load fuzz_playlist_load fuzz_lyrics_load fuzz_settings_read
                    fuzz_frame_decoder_replay fuzz_tag_reader_replay fuzz_stream_open_replay)

status=0
for preset in release asan tsan; do
  ctest --preset "$preset" -j "$jobs" || status=1
done
# A minute for each decoder, tag and stream target, half a minute for each of the others;
# any crash, hang, leak or undefined behaviour fails the run.
tests/fuzz/run_fuzzers.sh "$root/build/fuzz" 60 "$root/build/fuzz/corpus" "${fuzz_targets[@]}" || status=1
tests/fuzz/run_fuzzers.sh "$root/build/fuzz" 30 "$root/build/fuzz/corpus" "${fuzz_short_targets[@]}" || status=1

if [ $status -ne 0 ]; then
  echo "SOME TESTS FAILED"
  exit 1
fi
echo "ALL TESTS PASSED"
