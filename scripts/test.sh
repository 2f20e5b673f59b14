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
configure() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$root/$dir" -G Ninja -DVARO_WERROR=ON -DVARO_BUILD_TESTS=ON "$@" >/dev/null
}

configure build/release -DCMAKE_BUILD_TYPE=Release -DVARO_BUILD_APP=ON -DVARO_BUILD_BENCH=ON
cmake --build build/release -j "$jobs"

configure build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_SANITIZE=address,undefined \
  -DVARO_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"

configure build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_SANITIZE=thread \
  -DVARO_BUILD_APP=OFF -DVARO_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target varo_engine_tests 2>/dev/null || \
  cmake --build build/tsan -j "$jobs"

(export CC=clang CXX=clang++
 configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_FUZZ=ON -DVARO_BUILD_APP=OFF \
   -DVARO_BUILD_BENCH=OFF)
fuzz_targets=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open)
fuzz_short_targets=(fuzz_skin_load fuzz_playlist_load fuzz_lyrics_load fuzz_settings_read
                    fuzz_frame_decoder_replay fuzz_tag_reader_replay fuzz_stream_open_replay)
cmake --build build/fuzz -j "$jobs" --target "${fuzz_targets[@]}" "${fuzz_short_targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

status=0
(cd build/release && ctest --output-on-failure --no-tests=error -j "$jobs" -L release) || status=1
(cd build/asan && ctest --output-on-failure --no-tests=error -j "$jobs" -LE release) || status=1
(cd build/tsan && ctest --output-on-failure --no-tests=error -j "$jobs" -L engine) || status=1
# A minute for each decoder, tag and stream target, half a minute for each of the others;
# any crash, hang, leak or undefined behaviour fails the run.
tests/fuzz/run_fuzzers.sh "$root/build/fuzz" 60 "$root/build/fuzz/corpus" "${fuzz_targets[@]}" || status=1
tests/fuzz/run_fuzzers.sh "$root/build/fuzz" 30 "$root/build/fuzz/corpus" "${fuzz_short_targets[@]}" || status=1

if [ $status -ne 0 ]; then
  echo "SOME TESTS FAILED"
  exit 1
fi
echo "ALL TESTS PASSED"
