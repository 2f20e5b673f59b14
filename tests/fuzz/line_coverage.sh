#!/usr/bin/env bash
# Line and branch coverage of decoder/, engine/ and app/ reached by the fuzz corpus: builds the fuzz
# targets with clang's source-based coverage in BUILD_DIR/coverage, replays each target's
# corpus folder once and prints llvm-cov's per-file report.
#
# usage: line_coverage.sh BUILD_DIR CORPUS_DIR      (e.g. build/fuzz build/fuzz/corpus)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=$1 corpus=$2
cov="$build/coverage"
targets=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open fuzz_skin_load fuzz_playlist_load fuzz_lyrics_load
         fuzz_settings_read)

(export CC=clang CXX=clang++
 cmake -S "$root" -B "$cov" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_FUZZ=ON -DVARO_BUILD_APP=OFF \
   -DVARO_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=-fprofile-instr-generate -fcoverage-mapping" \
   "-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate" >/dev/null)
cmake --build "$cov" -j 2 --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS=detect_leaks=0 VARO_AUDIO=null QT_QPA_PLATFORM=offscreen
profiles="$cov/profiles"
rm -rf "$profiles"
mkdir -p "$profiles"
objects=()
for target in "${targets[@]}"; do
  [ -d "$corpus/$target" ] || continue
  LLVM_PROFILE_FILE="$profiles/$target.profraw" "$cov/tests/fuzz/$target" -runs=0 "$corpus/$target" \
    >/dev/null 2>&1
  objects+=(-object "$cov/tests/fuzz/$target")
done
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/all.profdata"
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/all.profdata" \
  "$root/decoder" "$root/engine" "$root/app"
