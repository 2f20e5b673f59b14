#!/usr/bin/env python3
"""Decoding speed of varo-decode beside mpg123 and ffmpeg, in one run on the same files.

For every file in FILES a longer stream is made by repeating the file in a temporary folder.
Each decoder decodes it RUNS times; the best CPU time (user + system) counts, and its ratio to
mpg123 (`mpg123 -q -t`, decoding without output) and ffmpeg (`-f null`) is printed. The target
is a ratio to mpg123 of at most TARGET_RATIO. Then valgrind's callgrind counts the
instructions varo-decode (and mpg123) execute per output sample on a shorter stream.

    bench/decode_speed/decode_speed.py [--decoder PATH] [--runs N] [--no-callgrind] [--only TEXT]

Add a file by adding a line to FILES (label, path under tests/data/corpus, repeats).
"""

import argparse
import os
import pathlib
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
CORPUS = ROOT / "tests" / "data" / "corpus"
CONFORMANCE = ROOT / "tests" / "data" / "conformance"
TARGET_RATIO = 0.5  # varo-decode's CPU time over mpg123's
DEFAULT_DECODER = ROOT / "build" / "release" / "tools" / "varo-decode" / "varo-decode"

# The Layer I compliance streams at 44.1 kHz and 384 kbit/s (stereo and joint stereo, 1.3 s
# together): no encoder at hand writes Layer I.
LAYER1_STREAMS = tuple(CONFORMANCE / f"l1-fl{n}.bit" for n in (2, 6, 8))

FILES = [
    # label, file under tests/data/corpus (or a tuple of paths whose frames are joined), repeats
    # (half an hour or more of audio each, so that process start-up and timer resolution do not
    # count)
    ("Layer I, MPEG-1 44.1 kHz stereo 384 kbit/s", LAYER1_STREAMS, 1400),
    ("Layer II, MPEG-1 48 kHz stereo 256 kbit/s", "layer2/l2_mpeg1_48k_stereo_256_ffmpeg_speech_ja.mp2", 1500),
    ("Layer II, MPEG-1 44.1 kHz joint 192 kbit/s", "layer2/l2_mpeg1_44k_joint_192_white.mp2", 2000),
    ("Layer II, MPEG-2 24 kHz stereo 160 kbit/s", "layer2/l2_mpeg2_24k_stereo_160_sweep.mp2", 3000),
    ("Layer III, MPEG-1 44.1 kHz joint 128 kbit/s", "bench/bench_60s_mpeg1_l3_cbr128_joint.mp3", 30),
    ("Layer III, MPEG-1 44.1 kHz joint 320 kbit/s", "layer3/l3_mpeg1_44k_cbr320_joint_sweep.mp3", 1200),
    ("Layer III, MPEG-2 24 kHz stereo 160 kbit/s", "layer3/l3_mpeg2_24k_cbr160_stereo_pink.mp3", 1200),
    ("Layer III, MPEG-2 22.05 kHz joint 64 kbit/s", "layer3/l3_mpeg2_22k_cbr64_joint_clicks.mp3", 2000),
]


def decoders(varo, stream):
    return [
        ("varo-decode", [str(varo), "--raw", str(stream), os.devnull]),
        ("mpg123 -t", ["mpg123", "-q", "-t", str(stream)]),
        ("ffmpeg -f null", ["ffmpeg", "-v", "quiet", "-nostdin", "-i", str(stream), "-f", "null", "-"]),
    ]


def cpu_seconds(command):
    """CPU time (user + system) and wall time of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), wall


BITRATES_KBPS = {  # (MPEG-1?, layer) -> bit rates by index
    (True, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (True, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (True, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (False, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (False, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
BITRATES_KBPS[(False, 3)] = BITRATES_KBPS[(False, 2)]
SAMPLING_RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def frame_length(header):
    """Length in bytes of the frame whose 4 header bytes are given (0 when not a frame)."""
    if len(header) < 4 or header[0] != 0xFF or header[1] & 0xE0 != 0xE0:
        return 0
    version, layer = (header[1] >> 3) & 3, 4 - ((header[1] >> 1) & 3)
    rate_index, bit_rate_index, padding = (header[2] >> 2) & 3, header[2] >> 4, (header[2] >> 1) & 1
    if version == 1 or layer == 4 or rate_index == 3 or bit_rate_index in (0, 15):
        return 0
    rate = SAMPLING_RATES[version][rate_index]
    bit_rate = BITRATES_KBPS[(version == 3, layer)][bit_rate_index] * 1000
    if layer == 1:
        return (12 * bit_rate // rate + padding) * 4
    per_frame = 144 if layer == 2 or version == 3 else 72
    return per_frame * bit_rate // rate + padding


def audio_frames(data):
    """The file's audio frames alone: no ID3v2 tag in front, no information frame, no ID3v1.

    A player takes an information frame's byte count as the length of the audio, so copies
    that keep theirs would stop every decoder that honours it after the first copy."""
    if data[:3] == b"ID3" and len(data) >= 10:
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        data = data[10 + size + (10 if data[5] & 0x10 else 0):]
    if len(data) >= 128 and data[-128:-125] == b"TAG":
        data = data[:-128]
    first = frame_length(data[:4])
    if first and any(mark in data[:min(first, 64)] for mark in (b"Xing", b"Info", b"VBRI")):
        data = data[first:]
    return data


def repeated(source, times, folder):
    """The file (or the frames of several joined) `times` over, in `folder`."""
    if isinstance(source, tuple):
        target = folder / "repeated.mp1"
        data = b"".join(audio_frames(part.read_bytes()) for part in source)
    else:
        target = folder / ("repeated" + source.suffix)
        data = audio_frames(source.read_bytes()) if times > 1 else source.read_bytes()
    with open(target, "wb") as out:
        for _ in range(times):
            out.write(data)
    return target


def callgrind_instructions(command, folder):
    out = folder / "callgrind.out"
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"] + command,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    match = re.search(r"^(?:summary|totals):\s+(\d+)", out.read_text(), re.MULTILINE)
    return int(match.group(1)) if match else None


def output_samples(varo, stream, folder):
    raw = folder / "out.raw"
    subprocess.run([str(varo), "--raw", str(stream), str(raw)], check=True, stderr=subprocess.DEVNULL)
    return raw.stat().st_size // 2


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--decoder", type=pathlib.Path, default=DEFAULT_DECODER, help="varo-decode to measure")
    parser.add_argument("--runs", type=int, default=5, help="runs per decoder; the best counts")
    parser.add_argument("--no-callgrind", action="store_true", help="skip the instruction counts")
    parser.add_argument("--only", default="", help="measure only the files whose label contains this text")
    args = parser.parse_args()
    if not args.decoder.exists():
        print(f"no varo-decode at {args.decoder}: build it or pass --decoder", file=sys.stderr)
        return 1
    for tool in ("mpg123", "ffmpeg") + (() if args.no_callgrind else ("valgrind",)):
        if not shutil.which(tool):
            print(f"{tool} is not installed (scripts/install-deps.sh test)", file=sys.stderr)
            return 1

    missed = 0
    with tempfile.TemporaryDirectory() as tmp:
        folder = pathlib.Path(tmp)
        for label, name, times in FILES:
            if args.only not in label:
                continue
            source = name if isinstance(name, tuple) else CORPUS / name
            stream = repeated(source, times, folder)
            samples = output_samples(args.decoder, stream, folder)
            shown = " + ".join(part.name for part in name) if isinstance(name, tuple) else name
            print(f"{label}: {shown} x {times} ({samples} output samples)")
            best = {}
            for tool, command in decoders(args.decoder, stream):
                runs = [cpu_seconds(command) for _ in range(args.runs)]
                best[tool] = min(cpu for cpu, _ in runs)
                wall = min(w for _, w in runs)
                print(f"  {tool:15s} cpu {best[tool]:7.3f} s   wall {wall:7.3f} s")
            to_mpg123 = best["varo-decode"] / best["mpg123 -t"]
            to_ffmpeg = best["varo-decode"] / best["ffmpeg -f null"]
            verdict = "target met" if to_mpg123 <= TARGET_RATIO else "TARGET MISSED"
            missed += to_mpg123 > TARGET_RATIO
            print(f"  ratio varo/mpg123 {to_mpg123:.2f} ({verdict}), varo/ffmpeg {to_ffmpeg:.2f}")
            if not args.no_callgrind:
                # A hundredth of the stream (at least the file once): long enough that the
                # programs' start-up does not count, short enough for callgrind.
                single = repeated(source, max(1, times // 100), folder)
                once = output_samples(args.decoder, single, folder)
                for tool, command in decoders(args.decoder, single)[:2]:
                    count = callgrind_instructions(command, folder)
                    if count:
                        print(f"  {tool:15s} {count / once:7.1f} instructions per output sample (callgrind)")
    print("all targets met" if not missed else f"{missed} file(s) above {TARGET_RATIO} of mpg123's time")
    return 0


if __name__ == "__main__":
    sys.exit(main())
