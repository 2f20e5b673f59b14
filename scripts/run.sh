#!/usr/bin/env bash
# Installs what is missing, builds VARO and starts the player. Arguments are passed to varo
# (files to queue); the first start of a new home with none plays the bundled demo track and its lyrics.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset player >/dev/null
cmake --build --preset player -j "$(nproc)"
exec build/player/app/varo "$@"
