#!/usr/bin/env bash
# Installs the Debian packages VARO needs, skipping what is already there.
#   scripts/install-deps.sh run    what building and running the player needs
#   scripts/install-deps.sh test   that plus everything the tests and benchmarks use
set -euo pipefail

kind=${1:-run}
run_packages=(build-essential cmake ninja-build pkg-config python3
              qt6-base-dev qt6-wayland qt6-translations-l10n libxcb1-dev libasound2-dev libebur128-dev
              fonts-noto-cjk)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev valgrind mpg123 ffmpeg
               clang clang-format libclang-rt-14-dev llvm
               xvfb xauth x11-utils xdotool imagemagick openbox trayer
               pulseaudio pulseaudio-utils libasound2-plugins alsa-utils dbus
               desktop-file-utils shared-mime-info qemu-user playerctl loudgain time)

packages=("${run_packages[@]}")
[ "$kind" = test ] && packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
