#!/usr/bin/env bash
# Installs what is missing, builds VARO and starts the player. Arguments are passed to varo
# (files to queue); the first start of a new home with none plays the bundled demo track and its lyrics.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build/player -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARO_BUILD_TESTS=OFF \
  -DVARO_BUILD_BENCH=OFF >/dev/null
cmake --build build/player -j "$(nproc)"
exec build/player/app/varo "$@"
