#!/usr/bin/env python3
"""Plays every playable corpus file through varo-play into a WAV file and checks that it
holds exactly the samples varo-decode writes for the same file.

usage: play_matches_decode.py VARO_PLAY VARO_DECODE CORPUS_DIR
"""
import csv
import os
import subprocess
import sys
import tempfile


def read_manifest(corpus):
    with open(os.path.join(corpus, "MANIFEST.tsv"), newline="", encoding="utf-8") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def first_frame_has_crc_info_tag(path):
    """A CRC-protected first frame carrying its Xing/Info tag where an unprotected frame
    would: the player passes over it, varo-decode may decode it as one frame of audio."""
    with open(path, "rb") as f:
        head = f.read(64)
    if len(head) < 40 or head[0] != 0xFF or head[1] & 0x01:
        return False
    mpeg1, mono = head[1] & 0x08, head[3] >> 6 == 3
    at = (21 if mono else 36) if mpeg1 else (13 if mono else 21)
    return head[at:at + 4] in (b"Xing", b"Info")


def main():
    play, decode, corpus = sys.argv[1:4]
    failures = []
    checked = 0
    with tempfile.TemporaryDirectory(prefix="varo-play-match-") as tmp:
        wav = os.path.join(tmp, "played.wav")
        raw = os.path.join(tmp, "decoded.raw")
        for row in read_manifest(corpus):
            name = row["file"]
            path = os.path.join(corpus, name)
            if row["expect"].startswith("no_audio") or name.startswith("damaged/"):
                continue  # the player's own tests cover these
            for f in (wav, raw):
                if os.path.exists(f):
                    os.remove(f)
            played = subprocess.run([play, "--audio", "wav@200:" + wav, path],
                                    capture_output=True, text=True, timeout=120)
            if row["bitrate_kind"] == "free":
                if played.returncode != 1 or "unknown MPEG Audio format." not in played.stderr:
                    failures.append(f"{name}: free format was not refused ({played.returncode})")
                continue
            if played.returncode != 0:
                failures.append(f"{name}: varo-play failed: {played.stderr.strip()}")
                continue
            decoded = subprocess.run([decode, "--raw", path, raw], capture_output=True,
                                     text=True, timeout=120)
            if decoded.returncode != 0:
                failures.append(f"{name}: varo-decode failed: {decoded.stderr.strip()}")
                continue
            with open(wav, "rb") as f:
                pcm = f.read()[44:]
            with open(raw, "rb") as f:
                reference = f.read()
            if first_frame_has_crc_info_tag(path):
                frame = len(reference) - len(pcm)
                if frame < 0 or reference[frame:] != pcm:
                    failures.append(f"{name}: differs beyond the information frame")
                checked += 1
                continue
            if pcm != reference:
                failures.append(f"{name}: {len(pcm)} bytes played, {len(reference)} decoded, "
                                "contents differ" if len(pcm) == len(reference) else
                                f"{name}: {len(pcm)} bytes played, {len(reference)} decoded")
            checked += 1
    print(f"{checked} files compared")
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
