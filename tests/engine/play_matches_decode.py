#!/usr/bin/env python3
"""Plays every corpus file with audio (damaged ones included) and every conformance stream
through varo-play into a WAV file and checks that it holds exactly the samples varo-decode
writes for the same file: both take their frames from the engine's frame walk.

A stream the player refuses must be one varo-decode refuses too, or a free-format one (only
varo-decode confirms free-format frame lengths); the corpus's free-format files must be
refused by the player.

usage: play_matches_decode.py VARO_PLAY VARO_DECODE DATA_DIR
"""
import csv
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

UNKNOWN_FORMAT = "unknown MPEG Audio format."


def inputs(data):
    """(name, path, free format?) of every file to compare; None when not known beforehand."""
    corpus = os.path.join(data, "corpus")
    with open(os.path.join(corpus, "MANIFEST.tsv"), newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            if not row["expect"].startswith("no_audio"):  # the player's own tests cover those
                yield "corpus/" + row["file"], os.path.join(corpus, row["file"]), row["bitrate_kind"] == "free"
    conformance = os.path.join(data, "conformance")
    for name in sorted(os.listdir(conformance)):
        if name.endswith(".bit"):
            yield "conformance/" + name, os.path.join(conformance, name), None


def run(command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def compare(play, decode, path, free, tmp):
    """None when the two programs agree on the file, else what differs."""
    wav = os.path.join(tmp, "played.wav")
    raw = os.path.join(tmp, "decoded.raw")
    for f in (wav, raw):
        if os.path.exists(f):
            os.remove(f)
    played = run([play, "--audio", "wav@200:" + wav, path])
    refused = played.returncode == 1 and UNKNOWN_FORMAT in played.stderr
    if free:
        return None if refused else f"free format was not refused ({played.returncode})"
    decoded = run([decode, "--raw", path, raw])
    if refused:
        if decoded.returncode == 1 and UNKNOWN_FORMAT in decoded.stderr:
            return None
        info = run([decode, "--info", path])
        return None if "free format)" in info.stdout else "refused by varo-play only"
    if played.returncode != 0:
        return f"varo-play failed: {played.stderr.strip()}"
    if decoded.returncode != 0:
        return f"varo-decode failed: {decoded.stderr.strip()}"
    with open(wav, "rb") as f:
        pcm = f.read()[44:]
    with open(raw, "rb") as f:
        reference = f.read()
    if pcm == reference:
        return None
    if len(pcm) == len(reference):
        return f"{len(pcm)} bytes played and decoded, contents differ"
    return f"{len(pcm)} bytes played, {len(reference)} decoded"


def main():
    play, decode, data = sys.argv[1:4]
    failures = Failures()
    checked = 0
    with tempfile.TemporaryDirectory(prefix="varo-play-match-") as tmp:
        for name, path, free in inputs(data):
            failure = compare(play, decode, path, free, tmp)
            if failure:
                failures.append(f"{name}: {failure}")
            checked += 1
    failures.check(checked > 0, "no file compared")
    return failures.report([f"{checked} files compared"])


if __name__ == "__main__":
    sys.exit(main())
