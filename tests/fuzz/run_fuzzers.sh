#!/usr/bin/env bash
# Runs each fuzz target for a while, one after the other (one fuzzing process at a time), on
# its corpus folder plus fresh seeds from the test data, and prints executions and coverage.
# Fails when any target finds a crash, a hang, a leak, undefined behaviour or runs out of
# memory; the input that did it is left in BUILD_DIR/fuzz-findings. A minute without an
# answer counts as a hang: the machine may be loaded, a few seconds' stall is none.
#
# usage: run_fuzzers.sh BUILD_DIR SECONDS_PER_TARGET CORPUS_DIR [TARGET...]
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build=$1 seconds=$2 corpus=$3
shift 3
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_frame_decoder fuzz_tag_reader fuzz_stream_open fuzz_skin_load
                                     fuzz_playlist_load fuzz_lyrics_load fuzz_settings_read)

seeds="$build/fuzz-seeds"
findings="$build/fuzz-findings"
logs="$build/fuzz-logs"
python3 "$here/make_seeds.py" "$here/../data" "$seeds" || exit 1
mkdir -p "$findings" "$logs"

# Leaks count as findings (third-party caches aside); sanitizer reports stop the run at the
# first one.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp
# The app targets write the files they load into a temporary folder of their own; in memory
# when there is room, since the settings file is synced to disk on every write.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
# No engine code may reach a sound card.
export VARO_AUDIO=null

status=0
summary=()
for target in "${targets[@]}"; do
  binary="$build/tests/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "missing fuzz target $binary" >&2
    status=1
    continue
  fi
  mkdir -p "$corpus/$target" "$findings/$target"
  log="$logs/$target.log"
  case $target in  # the largest input each target takes (its kMaxInput)
    fuzz_frame_decoder*) max_len=4107 ;;
    fuzz_stream_open* | fuzz_tag_reader*) max_len=12290 ;;
    fuzz_skin_load) max_len=16387 ;;
    fuzz_lyrics_load | fuzz_settings_read) max_len=4098 ;;
    *) max_len=8194 ;;
  esac
  echo "fuzzing $target for ${seconds}s"
  "$binary" "$corpus/$target" "$seeds/$target" \
    -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -max_len=$max_len \
    -print_final_stats=1 -artifact_prefix="$findings/$target/" >"$log" 2>&1
  rc=$?
  # The last status line holds the coverage; the final statistics the executions.
  stats=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$stats")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$stats")
  corp=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$stats")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  line="$target: ${execs:-?} executions (${rate:-?}/s), cov ${cov:-?}, ft ${ft:-?}, corpus ${corp:-?}"
  if [ $rc -ne 0 ]; then
    line="$line -- FINDING (exit $rc), see $log and $findings/$target/"
    grep -E 'ERROR: |SUMMARY: |fuzz check failed|runtime error' "$log" | head -5
    status=1
  fi
  summary+=("$line")
done

printf '%s\n' "${summary[@]}"
exit $status
