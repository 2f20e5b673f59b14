#!/usr/bin/env python3
"""Decodes the Layer III files of the corpus (tests/data/corpus/MANIFEST.tsv) with varo-decode
--full-band in every processor form this machine has and compares them with the reference
decodes the manifest lists. Prints a table (file, form, samples, RMS and largest difference in
16-bit LSB, verdict) and exits 1 when a verdict fails.

Alignment: like the player, varo-decode passes over a Xing/Info frame first in the file and
trims the encoder delay and padding of a LAME tag (and the decoder's 529 samples), as the
reference decodes do, so its output lines up with the reference from the first sample. A file
passes when its length matches ref_samples exactly and the RMS difference is at most 1 LSB; the
same file decoded with --no-gapless must give full_samples. Rows without stored reference PCM
are checked for their length; damaged files that need not decode completely only have to end
cleanly.
"""

import argparse
import csv
import hashlib
import math
import pathlib
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "support"))
from check_support import read_pcm  # noqa: E402

FORMS = ("plain", "sse2", "avx2")
TIMEOUT_SECONDS = 120
MAX_RMS = 1.0
COMPARED = ("ok", "ok_resync")          # must decode completely and match
RUN_ONLY = ("may_end_early", "ok_partial_end", "ok_rate_change")  # must end cleanly


def decode(decoder, source, out, form, extra=()):
    command = [decoder, "--raw", "--full-band", "--cpu", form, *extra, str(source), str(out)]
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return None, "timed out"
    return done.returncode, done.stderr.strip()


def difference(ours, reference):
    n = min(len(ours), len(reference))
    if n == 0:
        return 0.0, 0
    squares = sum((a - b) * (a - b) for a, b in zip(ours[:n], reference[:n]))
    largest = max(abs(a - b) for a, b in zip(ours[:n], reference[:n]))
    return math.sqrt(squares / n), largest


def check(row, form, decoder, corpus, out):
    """One table row and whether its verdict holds."""
    cells = [row["file"], form]
    code, message = decode(decoder, corpus / row["file"], out, form)
    if code is None or code < 0 or code > 1:
        return cells + ["-", "-", "-", f"FAIL ({message or 'exit %s' % code})"], False
    if row["expect"] in RUN_ONLY:
        return cells + ["-", "-", "-", "ok (ends cleanly)" if code == 0 else f"ok (refused: {message})"], True
    if code != 0:
        return cells + ["-", "-", "-", f"FAIL ({message})"], False

    channels = int(row["channels"])
    ours = read_pcm(out)
    per_channel = len(ours) // channels
    expected = int(row["ref_samples"])
    if per_channel != expected:
        return cells + [str(per_channel), "-", "-", f"FAIL (length {per_channel}, expected {expected})"], False
    code, message = decode(decoder, corpus / row["file"], out, form, ("--no-gapless",))
    full = int(row["full_samples"])
    if code != 0 or len(read_pcm(out)) // channels != full:
        return cells + [str(per_channel), "-", "-", f"FAIL (--no-gapless does not give {full})"], False
    aligned = ours
    reference_samples = expected * channels
    if row["ref_pcm"] == "-":
        same = hashlib.sha256(aligned[:reference_samples].tobytes()).hexdigest() == row["ref_sha256"]
        enough = len(aligned) >= reference_samples
        verdict = "ok (length" + (", identical)" if same else ")") if enough else "FAIL (too short)"
        return cells + [str(per_channel), "-", "-", verdict], enough
    reference = read_pcm(corpus / row["ref_pcm"])[:reference_samples]
    rms, largest = difference(aligned, reference)
    passed = len(aligned) >= len(reference) and rms <= MAX_RMS
    verdict = "ok" if passed else ("FAIL (short)" if len(aligned) < len(reference) else "FAIL (RMS)")
    return cells + [str(per_channel), f"{rms:.4f}", str(largest), verdict], passed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--decoder", required=True, help="path of varo-decode")
    parser.add_argument("--data", required=True, help="the tests/data folder")
    args = parser.parse_args()

    corpus = pathlib.Path(args.data) / "corpus"
    with open(corpus / "MANIFEST.tsv", encoding="utf-8", newline="") as f:
        rows = [r for r in csv.DictReader(f, delimiter="\t")
                if r["layer"] == "3" and r["expect"] in COMPARED + RUN_ONLY and not r["file"].startswith("bench/")]

    rows_out = [["file", "form", "samples", "RMS", "max", "verdict"]]
    failed = 0
    forms = []
    with tempfile.TemporaryDirectory() as tmp:
        out = pathlib.Path(tmp) / "out.raw"
        for form in FORMS:
            code, _ = decode(args.decoder, corpus / rows[0]["file"], out, form)
            if code == 0:
                forms.append(form)
        if not forms:
            print("varo-decode does not run", file=sys.stderr)
            return 1
        for row in rows:
            for form in forms:
                cells, passed = check(row, form, args.decoder, corpus, out)
                rows_out.append(cells)
                failed += not passed

    widths = [max(len(r[i]) for r in rows_out) for i in range(len(rows_out[0]))]
    for r in rows_out:
        print("  ".join(cell.ljust(w) for cell, w in zip(r, widths)).rstrip())
    print(f"processor forms: {', '.join(forms)}; {len(rows_out) - 1} checks, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
