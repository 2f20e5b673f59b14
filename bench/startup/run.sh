#!/usr/bin/env bash
# Time to the first painted main window and resident memory at that moment, for the player
# and for a bare Qt window of the same size, each the median of RUNS fresh processes.
#   bench/startup/run.sh [BUILD_DIR] [RUNS]     (default build/release, 11 runs)
# Runs headless (offscreen platform) with a temporary home and the null sound device.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
runs=${2:-11}
probe="$build/bench/startup/varo_startup_probe"
[ -x "$probe" ] || cmake --build "$build" --target varo_startup_probe >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen VARO_AUDIO=null HOME="$work/user" XDG_CACHE_HOME="$work/user/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# One start first, so both sides find the font cache warm and the home prepared.
"$probe" varo "$work/home" "$(python3 -c 'import time; print(time.monotonic_ns())')" >/dev/null 2>&1
"$probe" minimal "$(python3 -c 'import time; print(time.monotonic_ns())')" >/dev/null 2>&1
python3 - "$probe" "$work/home" "$runs" <<'PY'
import statistics, subprocess, sys, time
probe, home, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
def run(args):
    t0 = time.monotonic_ns()
    out = subprocess.run([probe, *args, str(t0)], capture_output=True, text=True, check=True).stdout
    f = out.split()
    return float(f[f.index('first_paint_ms') + 1]), int(f[f.index('rss_kb') + 1])
results = {}
for name, args in (('varo', ['varo', home]), ('bare Qt window', ['minimal'])):
    samples = [run(args) for _ in range(runs)]
    results[name] = (statistics.median(s[0] for s in samples), statistics.median(s[1] for s in samples))
    print(f"{name:15s} first paint {results[name][0]:8.1f} ms   resident {results[name][1] / 1024:7.1f} MiB")
v, q = results['varo'], results['bare Qt window']
print(f"{'player/bare':15s} first paint x{v[0] / q[0]:6.2f} (+{v[0] - q[0]:.1f} ms)   "
      f"resident x{v[1] / q[1]:5.2f} (+{(v[1] - q[1]) / 1024:.1f} MiB)")
PY
