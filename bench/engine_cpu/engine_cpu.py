#!/usr/bin/env python3
"""CPU load of playback: varo-play plays the 60-second corpus file through the null device at
real-time pace; its CPU time is reported as a share of one core and per second of audio,
beside mpg123 decoding the same file to its null output (unpaced, so compared per second of
audio). Then the heap allocations of each engine thread while playing.

usage: engine_cpu.py --player VARO_PLAY [--alloc VARO_ENGINE_ALLOC] --corpus CORPUS_DIR
                     [--speed N] [--runs N]
Target: under 1 % of one core for 44.1 kHz stereo Layer III; no allocation in the decode loop.
"""
import argparse
import csv
import os
import resource
import shutil
import subprocess
import sys
import time

BENCH_FILE = "bench/bench_60s_mpeg1_l3_cbr128_joint.mp3"


def audio_seconds(corpus):
    with open(os.path.join(corpus, "MANIFEST.tsv"), newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            if row["file"] == BENCH_FILE:
                return int(row["full_samples"]) / int(row["sample_rate"])
    raise SystemExit("bench file not in the manifest")


def measure(command):
    """CPU seconds (user + system) and wall seconds of one child run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, wall


def mpg123_null_output(path):
    """mpg123 decoding into the void: its null output module where it is built in, else its
    dummy module, else its test mode (-t); None without mpg123."""
    if not shutil.which("mpg123"):
        return None
    for options in (["-o", "null"], ["-o", "dummy"], ["-t"]):
        command = ["mpg123", "-q"] + options + [path]
        if subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            return command
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--player", required=True)
    parser.add_argument("--alloc")
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--speed", type=float, default=1.0,
                        help="null device speed; 1 = real time (the measured figure)")
    parser.add_argument("--runs", type=int, default=1)
    args = parser.parse_args()

    path = os.path.join(args.corpus, BENCH_FILE)
    seconds = audio_seconds(args.corpus)
    speed = ("%g" % args.speed)
    print(f"file: {BENCH_FILE} ({seconds:.1f} s of 44.1 kHz stereo Layer III)")

    varo = [measure([args.player, "--audio", "null:" + speed, path]) for _ in range(args.runs)]
    cpu, wall = min(varo)
    share = 100.0 * cpu / wall
    varo_per_second = 100.0 * cpu / seconds
    print(f"varo-play --audio null:{speed}: {cpu:.3f} s CPU in {wall:.1f} s: "
          f"{share:.2f} % of one core while playing, {varo_per_second:.3f} % per second of audio")

    reference = mpg123_null_output(path)
    if reference:
        ref = min(measure(reference) for _ in range(max(args.runs, 3)))
        ref_per_second = 100.0 * ref[0] / seconds
        print(f"{' '.join(reference[:-1])}: {ref[0]:.3f} s CPU (unpaced): "
              f"{ref_per_second:.3f} % per second of audio")
        if ref_per_second > 0:
            print(f"ratio varo / mpg123 (CPU per second of audio): {varo_per_second / ref_per_second:.2f}")
    else:
        print("mpg123 with a null output not found: no reference figure")
    if args.speed == 1.0:
        print(f"target: under 1 % of one core -> {'met' if share < 1.0 else 'NOT met'}")

    if args.alloc:
        print(subprocess.run([args.alloc, path, "20"], check=True, capture_output=True,
                             text=True).stdout, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main())
