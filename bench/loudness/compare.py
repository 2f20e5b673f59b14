#!/usr/bin/env python3
"""varo-play --loudness beside loudgain, both on this machine in one run, and the background
scanner's cost.

1. The corpus's Layer III files as one album: integrated loudness, track and album gain and
   true peak of both tools, the largest differences (the goal: within 0.1 LU and 0.1 dB), and
   the CPU and wall time of each (best of RUNS). Also how far the LAME tags' own gains (the
   encoder's ReplayGain 1 reading) lie from the measured ReplayGain 2.0 gains.
2. One long file (the 60-second corpus file's frames twenty times): the time of each, where
   varo-play measures the file in pieces on both cores.
3. The scanner (varo_scanner_probe: one idle-priority thread, a cache) over the files of 1 and
   2: its CPU time per hour of audio and its peak memory beside loudgain's; then two processes
   counting as fast as they can for a few seconds, alone and with the scanner busy beside
   them: an idle-priority scanner takes nothing from them.

    bench/loudness/compare.py [--player PATH] [--probe PATH] [--runs N]
"""

import argparse
import glob
import math
import os
import pathlib
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "support"))
from check_support import die_with_parent, end_process  # noqa: E402
from loudness_reports import measure_loudgain, measure_varo  # noqa: E402

CORPUS = ROOT / "tests" / "data" / "corpus"
BENCH_FILE = CORPUS / "bench" / "bench_60s_mpeg1_l3_cbr128_joint.mp3"
BUILD = ROOT / "build" / "release"
COUNTER = "import sys, time\nend = time.monotonic() + float(sys.argv[1]); n = 0\n" \
          "while time.monotonic() < end:\n    n += 1\nprint(n)\n"


def timed(function):
    """CPU seconds (user + system of the children) and wall seconds of one call."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = function()
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return result, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), wall


def best_of(runs, function):
    best = None
    for _ in range(runs):
        result, cpu, wall = timed(function)
        best = (result, min(cpu, best[1]) if best else cpu, min(wall, best[2]) if best else wall)
    return best


def long_file(folder):
    """The 60-second file's frames twenty times over, without its Info frame (whose frame count
    would end the track after the first copy)."""
    data = BENCH_FILE.read_bytes()
    # MPEG-1 Layer III at 128 kbit/s and 44.1 kHz: the Info frame's length, with its padding slot.
    frame = 144 * 128000 // 44100 + ((data[2] >> 1) & 1)
    path = os.path.join(folder, "long_20min.mp3")
    with open(path, "wb") as f:
        for _ in range(20):
            f.write(data[frame:])
    return path


def lame_gains(player, files):
    """The LAME tag's track gain of each file that has one (varo-play --info)."""
    gains = {}
    for path in files:
        out = subprocess.run([player, "--info", path], capture_output=True, text=True).stdout
        m = re.search(r"^  ReplayGain LAME: track (-?[0-9.]+) dB", out, re.M)
        if m:
            gains[path] = float(m.group(1))
    return gains


def peak_memory_kb(command, folder):
    """The peak resident memory of one run of a command, as GNU time reads it (what Python's
    own fork held before the exec would count otherwise)."""
    report = os.path.join(folder, "time.txt")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, *command], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    with open(report) as f:
        return int(f.read().split()[-1])


def process_cpu_seconds(pid):
    """User and system time of a running process (its threads included)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def counting(seconds, beside=None):
    """What two counting processes count in `seconds`, with a command running beside them, and
    the CPU seconds that command had meanwhile."""
    other = None
    if beside:
        other = subprocess.Popen(beside, stdout=subprocess.DEVNULL, preexec_fn=die_with_parent)
        time.sleep(0.2)
        cpu_before = process_cpu_seconds(other.pid)
    counters = [subprocess.Popen([sys.executable, "-c", COUNTER, str(seconds)], stdout=subprocess.PIPE, text=True,
                                 preexec_fn=die_with_parent) for _ in range(2)]
    total = sum(int(c.communicate()[0]) for c in counters)
    other_cpu = 0.0
    if other:
        other_cpu = process_cpu_seconds(other.pid) - cpu_before
        end_process(other)
    return total, other_cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--player", default=str(BUILD / "tools" / "varo-play" / "varo-play"))
    parser.add_argument("--probe", default=str(BUILD / "bench" / "loudness" / "varo_scanner_probe"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    if not shutil.which("loudgain"):
        sys.exit("loudgain is not installed (scripts/install-deps.sh test)")

    with tempfile.TemporaryDirectory(prefix="varo-bench-loudness-") as tmp:
        files = []
        for source in sorted(glob.glob(str(CORPUS / "layer3" / "*.mp3"))) + [str(BENCH_FILE)]:
            if "free640" in source:  # free format: neither loudgain (ffmpeg) nor the player reads it
                continue
            files.append(os.path.join(tmp, os.path.basename(source)))
            shutil.copyfile(source, files[-1])
        audio_hours = None

        print(f"1. the corpus's Layer III files as one album ({len(files)} files), best of {args.runs}")
        (varo, varo_album, _), v_cpu, v_wall = best_of(args.runs, lambda: measure_varo(args.player, files))
        (varo_tp, _, _), t_cpu, t_wall = best_of(args.runs, lambda: measure_varo(args.player, files, "--true-peak"))
        (ref, ref_album, _), r_cpu, r_wall = best_of(args.runs, lambda: measure_loudgain(files))
        worst = {"loudness (LU)": 0.0, "track gain (dB)": 0.0, "true peak": 0.0}
        compared = 0
        for path in files:
            v, tp, r = varo.get(path), varo_tp.get(path), ref.get(path)
            if not (v and r):
                print(f"   {os.path.basename(path)}: not measured by both")
                continue
            compared += 1
            if v["loudness"] != r["loudness"]:
                worst["loudness (LU)"] = max(worst["loudness (LU)"], abs(v["loudness"] - r["loudness"]))
            if v["gain"] is not None and r["gain"] is not None:
                worst["track gain (dB)"] = max(worst["track gain (dB)"], abs(v["gain"] - r["gain"]))
            worst["true peak"] = max(worst["true peak"], abs(tp["true peak"] - r["peak"]))
        album_diff = abs(varo_album["gain"] - ref_album["gain"])
        for what, value in worst.items():
            print(f"   largest difference, {what}: {value:.3f}")
        print(f"   album: {varo_album['loudness']:.2f} LUFS, gain {varo_album['gain']:.2f} dB; loudgain "
              f"{ref_album['loudness']:.2f} LUFS, {ref_album['gain']:.2f} dB (difference {album_diff:.3f})")
        within = worst["loudness (LU)"] <= 0.1 and worst["track gain (dB)"] <= 0.1 and album_diff <= 0.1
        print(f"   {compared} files compared: {'within' if within else 'NOT within'} 0.1 LU / 0.1 dB")
        sample_below = statistics.mean(20 * math.log10(varo_tp[p]["true peak"] / varo[p]["peak"])
                                       for p in files if varo.get(p, {}).get("peak", 0) > 0)
        print(f"   sample peak below the true peak by {sample_below:.3f} dB on average")
        print(f"   time: varo-play {v_cpu:.3f} s CPU {v_wall:.3f} s wall, with --true-peak {t_cpu:.3f} s CPU "
              f"{t_wall:.3f} s wall; loudgain {r_cpu:.3f} s CPU {r_wall:.3f} s wall")
        print(f"   ratio to loudgain: CPU {v_cpu / r_cpu:.3f} (--true-peak {t_cpu / r_cpu:.3f}), "
              f"wall {v_wall / r_wall:.3f} (--true-peak {t_wall / r_wall:.3f})")
        lame = lame_gains(args.player, files)
        offsets = [lame[p] - varo[p]["gain"] for p in lame if varo.get(p, {}).get("gain") is not None
                   and abs(varo[p]["gain"]) < 40]
        if offsets:
            print(f"   LAME tag gain minus measured gain over {len(offsets)} files: mean {statistics.mean(offsets):+.2f} "
                  f"dB, spread {min(offsets):+.2f} .. {max(offsets):+.2f} dB")

        print("2. one file of twenty minutes")
        long = long_file(tmp)
        (lv, _, _), l_cpu, l_wall = best_of(args.runs, lambda: measure_varo(args.player, [long]))
        (lr, _, _), lr_cpu, lr_wall = best_of(args.runs, lambda: measure_loudgain([long]))
        print(f"   varo-play {lv[long]['loudness']:.2f} LUFS, {l_cpu:.3f} s CPU {l_wall:.3f} s wall; loudgain "
              f"{lr[long]['loudness']:.2f} LUFS, {lr_cpu:.3f} s CPU {lr_wall:.3f} s wall")
        print(f"   ratio to loudgain: CPU {l_cpu / lr_cpu:.3f}, wall {l_wall / lr_wall:.3f}")

        print("3. the background scanner (one idle-priority thread) over the files of 1 and 2")
        scanned = files + [long]
        cache = os.path.join(tmp, "cache")
        probe = subprocess.run([args.probe, cache, *scanned], capture_output=True, text=True, check=True).stdout
        figures = {}
        for line in probe.splitlines():
            pass_name, _, rest = line.partition(": ")
            pairs = (rest or line).split()
            figures[pass_name if rest else "memory"] = dict(zip(pairs[::2], map(float, pairs[1::2])))
        measured = figures["measured"]
        audio_hours = measured["audio_s"] / 3600
        _, g_cpu, _ = timed(lambda: measure_loudgain(scanned))
        g_rss = peak_memory_kb(["loudgain", "-a", "-q", "-O", *scanned], tmp)
        print(f"   {int(measured['files'])} files, {measured['audio_s'] / 60:.1f} min of audio: {measured['cpu_s']:.3f} s "
              f"CPU ({measured['cpu_s'] / audio_hours:.2f} s per hour of audio), {measured['wall_s']:.3f} s wall; "
              f"again from the cache: {figures['from cache']['cpu_s']:.3f} s CPU")
        print(f"   loudgain over the same files: {g_cpu:.3f} s CPU ({g_cpu / audio_hours:.2f} s per hour); "
              f"ratio {measured['cpu_s'] / g_cpu:.3f}")
        memory = figures["memory"]
        print(f"   scanner memory: {memory['rss_before_kb'] / 1024:.1f} MiB before scanning, peak "
              f"{memory['peak_rss_kb'] / 1024:.1f} MiB; loudgain's peak {g_rss / 1024:.1f} MiB")
        links = []
        for n in range(30):  # distinct paths, so that the scanner stays busy throughout
            links.append(os.path.join(tmp, f"link{n}.mp3"))
            os.link(long, links[-1])
        # Alternated, so that what else the machine does falls on both alike.
        alone = beside = scanner_cpu = 0.0
        for _ in range(2):
            alone += counting(5)[0]
            count, cpu = counting(5, [args.probe, os.path.join(tmp, "cache2"), *links])
            beside, scanner_cpu = beside + count, scanner_cpu + cpu
            shutil.rmtree(os.path.join(tmp, "cache2"), ignore_errors=True)
        print(f"   two counting processes count {beside / alone:.3f} times as much with the scanner busy beside "
              f"them as alone (1.0: it takes nothing from them); the scanner had {scanner_cpu / 10 * 100:.1f} % "
              f"of one core meanwhile")


if __name__ == "__main__":
    main()
