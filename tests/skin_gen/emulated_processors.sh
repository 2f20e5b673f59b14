#!/usr/bin/env bash
# The art generator run on emulated older processors (qemu-user): Nehalem (SSE4.2, no AVX or
# FMA) and the plain x86-64 model (SSE2 and SSE3) take other vector code in Qt and other
# forms of glibc's maths than a current processor; the files must still be the committed ones.
#   emulated_processors.sh VARO_SKIN_GEN DATA_DIR
set -euo pipefail
gen=$1
data=$2
command -v qemu-x86_64 >/dev/null || { echo "qemu-x86_64 is not installed (scripts/install-deps.sh test)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for cpu in Nehalem qemu64; do
  # The generator restarts itself to mask glibc's FMA and AVX maths, and a restarted program
  # leaves the emulator; these models have neither, so the restart is skipped.
  if ! VARO_SKIN_GEN_PLAIN_MATHS=1 qemu-x86_64 -cpu "$cpu" "$gen" "$work/$cpu" 2>"$work/$cpu.log"; then
    cat "$work/$cpu.log"
    echo "FAIL $cpu: the generator failed"
    status=1
    continue
  fi
  for sub in skins pictures; do
    diff -rq "$data/$sub" "$work/$cpu/$sub" || { echo "FAIL $cpu: $sub differ from the committed art"; status=1; }
  done
  [ $status -ne 0 ] || echo "$cpu: the same bytes as data/"
done
exit $status
