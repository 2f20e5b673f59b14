#!/usr/bin/env python3
"""Decodes the conformance streams with varo-decode in every processor form this machine has,
with --full-band and in the player's default mode, compares with the reference PCM and prints
a table: stream, mode, form, samples, RMS and largest difference (in 16-bit LSB), accuracy
class and verdict. Exits 1 when a verdict fails.

Accuracy classes (full scale 1.0, one LSB = 2^-15):
  full     RMS of the difference below 2^-15/sqrt(12) and no sample off by more than 2^-14
  limited  RMS below 2^-11/sqrt(12)
  none     worse

Streams are listed in STREAMS with what each must reach; add a stream by adding a line.
"""

import argparse
import array
import math
import pathlib
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "support"))
from check_support import read_pcm  # noqa: E402

FULL = "full"        # must reach full accuracy
LIMITED = "limited"  # must reach at least limited accuracy
SHOW = "show"        # measured and shown; no requirement
RUNS = "runs"        # damaged or unusual stream: must end without crashing or hanging

FORMS = ("plain", "sse2", "avx2")
TIMEOUT_SECONDS = 120
FULL_RMS = 1 / math.sqrt(12)    # in LSB
FULL_MAX = 2
LIMITED_RMS = 16 / math.sqrt(12)


@dataclass
class Stream:
    name: str              # NAME.bit and NAME.pcm in the conformance folder
    full_band: str         # expectation with --full-band
    default: str           # expectation in the player's mode
    note: str = ""
    args: list = field(default_factory=list)  # further varo-decode options
    extra: int = 0         # samples the output may have past the reference's end


STREAMS = [
    Stream("l1-fl1", FULL, LIMITED),
    Stream("l1-fl2", FULL, LIMITED),
    Stream("l1-fl3", FULL, LIMITED),
    Stream("l1-fl4", FULL, LIMITED),
    Stream("l1-fl5", FULL, LIMITED),
    Stream("l1-fl6", FULL, SHOW, "content in sub-band 31, which the player never reconstructs"),
    Stream("l1-fl8", FULL, LIMITED),
    Stream("l2-fl10", FULL, LIMITED),
    Stream("l2-fl11", FULL, LIMITED),
    Stream("l2-fl12", FULL, LIMITED),
    Stream("l2-fl13", FULL, LIMITED),
    Stream("l2-fl14", FULL, LIMITED),
    Stream("l2-fl15", FULL, LIMITED),
    Stream("l2-nonstandard-fl1_fl2_ff", RUNS, RUNS, "free-format Layer I, rate change, cut last frame"),
    Stream("l2-nonstandard-free_format", RUNS, RUNS, "free-format Layer II"),
    # Layer III. The ISO reference output of several streams stops one frame early (extra).
    Stream("l3-compl", FULL, LIMITED),
    Stream("l3-he_32khz", FULL, LIMITED, extra=1152),
    Stream("l3-he_44khz", FULL, LIMITED, extra=1152),
    Stream("l3-he_48khz", FULL, LIMITED, extra=1152),
    Stream("l3-he_free", FULL, LIMITED, "free format", extra=2304),
    Stream("l3-he_mode", SHOW, SHOW, "switches between one and two channels; the reference holds each frame in its "
           "own channel count while the output keeps the first frame's (one channel: channel 0 of the two-channel "
           "frames). The decoder tests compare it channel by channel.", extra=0),
    Stream("l3-hecommon", FULL, LIMITED, extra=2304),
    Stream("l3-si", FULL, LIMITED, extra=1152),
    Stream("l3-si_block", FULL, LIMITED, extra=1152),
    Stream("l3-si_huff", FULL, LIMITED, extra=1152),
    Stream("M2L3_bitrate_16_all", FULL, LIMITED),
    Stream("M2L3_bitrate_22_all", FULL, LIMITED, "content in the top scalefactor band, which the player leaves out"),
    Stream("M2L3_bitrate_24_all", FULL, LIMITED),
    Stream("l3-test46", FULL, SHOW, "MPEG-2 intensity stereo; much content in the top scalefactor band, which the "
           "player leaves out"),
] + [Stream(f"l3-nonstandard-{name}", FULL, LIMITED, "one frame beside tags, with a false sync inside it")
     for name in ("apetag", "id3v1-apetag", "id3v1", "id3v2")
] + [Stream(f"l3-nonstandard-{name}", RUNS, RUNS) for name in (
    "big-iscf", "compl-sideinfo-bigvalues", "compl-sideinfo-blocktype", "compl-sideinfo-size",
    "id3v2-only", "sideinfo-size", "small", "vbrtag-corrupted",
    "vbrtag-empty", "vbrtag-noframes", "vbrtag-only", "vbrtag-oob-read")]


def compare(ours, reference):
    """(compared samples, RMS, largest difference) over the common length."""
    n = min(len(ours), len(reference))
    if n == 0:
        return 0, 0.0, 0
    squares = 0
    largest = 0
    for a, b in zip(ours[:n], reference[:n]):
        d = a - b
        squares += d * d
        if d > largest or -d > largest:
            largest = abs(d)
    return n, math.sqrt(squares / n), largest


def accuracy(rms, largest):
    if rms < FULL_RMS and largest <= FULL_MAX:
        return FULL
    if rms < LIMITED_RMS:
        return LIMITED
    return "none"


def run_decoder(decoder, stream_path, out_path, form, full_band, extra):
    command = [decoder, "--raw", "--cpu", form] + (["--full-band"] if full_band else []) + extra
    command += [str(stream_path), str(out_path)]
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return None, "timed out"
    return done.returncode, done.stderr.strip()


def available_forms(decoder, probe):
    forms = []
    with tempfile.TemporaryDirectory() as tmp:
        for form in FORMS:
            code, _ = run_decoder(decoder, probe, pathlib.Path(tmp) / "probe.raw", form, True, [])
            if code == 0:
                forms.append(form)
    return forms


def check(stream, mode, form, decoder, folder, tmp):
    """One table row and whether its verdict holds."""
    expectation = stream.full_band if mode == "full-band" else stream.default
    out = pathlib.Path(tmp) / f"{stream.name}.{mode}.{form}.raw"
    code, message = run_decoder(decoder, folder / f"{stream.name}.bit", out, form, mode == "full-band", stream.args)
    row = [stream.name, mode, form]
    if code is None or code < 0 or code > 1:
        return row + ["-", "-", "-", "-", f"FAIL ({message or 'exit %s' % code})"], False
    if expectation == RUNS and code != 0:
        return row + ["-", "-", "-", "-", "ok (refused cleanly)"], True
    if code != 0:
        return row + ["-", "-", "-", "-", f"FAIL ({message})"], False

    ours = read_pcm(out)
    reference_path = folder / f"{stream.name}.pcm"
    reference = read_pcm(reference_path) if reference_path.exists() else array.array("h")
    n, rms, largest = compare(ours, reference)
    measured = accuracy(rms, largest) if n else "-"
    row += [str(len(ours)), f"{rms:.4f}", str(largest), measured]
    if expectation == RUNS:
        return row + ["ok (runs)"], True
    # Every decoded sample must have a reference sample (the reference may go on further:
    # some reference files are longer than their streams).
    if n == 0 or len(ours) > len(reference) + stream.extra:
        return row + [f"FAIL (length {len(ours)}, reference {len(reference)})"], False
    if expectation == SHOW:
        return row + ["shown"], True
    passed = measured == FULL or (expectation == LIMITED and measured == LIMITED)
    return row + ["ok" if passed else f"FAIL (needs {expectation})"], passed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--decoder", required=True, help="path of varo-decode")
    parser.add_argument("--data", required=True, help="the tests/data folder")
    parser.add_argument("--only", nargs="*", default=None, help="stream names to check (default: all)")
    args = parser.parse_args()

    folder = pathlib.Path(args.data) / "conformance"
    streams = [s for s in STREAMS if args.only is None or s.name in args.only]
    forms = available_forms(args.decoder, folder / f"{streams[0].name}.bit")
    if not forms:
        print("varo-decode does not run", file=sys.stderr)
        return 1

    rows = [["stream", "mode", "form", "samples", "RMS", "max", "accuracy", "verdict"]]
    failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        for stream in streams:
            for mode in ("full-band", "default"):
                for form in forms:
                    row, passed = check(stream, mode, form, args.decoder, folder, tmp)
                    rows.append(row)
                    failed += not passed
                    for leftover in pathlib.Path(tmp).iterdir():
                        leftover.unlink()

    widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
    for r in rows:
        print("  ".join(cell.ljust(w) for cell, w in zip(r, widths)).rstrip())
    for stream in streams:
        if stream.note:
            print(f"note: {stream.name}: {stream.note}")
    print(f"processor forms: {', '.join(forms)}; {len(rows) - 1} checks, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
