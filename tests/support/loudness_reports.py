"""varo-play --loudness and loudgain side by side: their reports read into one form, and the
bytes behind a file's ID3v2 tag.

    measure_varo(varo_play, files, *options) -> (per file {path: {...}}, album {...}, process)
    measure_loudgain(files)                  -> (per file, album, process)
Each report holds "loudness" (LUFS, -inf when silent), "gain" (dB, None when silent) and
"peak" (linear; loudgain's is the true peak); varo-play's also "true peak" with --true-peak.
"""

import math
import os
import subprocess


def _number(text):
    return float(text.split()[0])


def measure_varo(varo_play, files, *options):
    run = subprocess.run([varo_play, "--loudness", *options, *files], capture_output=True, text=True, timeout=600)
    reports, current = {}, None
    for line in run.stdout.splitlines():
        if not line.startswith("  "):
            current = reports.setdefault(line.rstrip(":"), {})
            continue
        key, _, value = line.strip().partition(": ")
        if key == "loudness":
            current["loudness"] = -math.inf if value == "silent" else _number(value)
        elif key in ("track gain", "album gain"):
            current["gain"] = None if value.startswith("none") else _number(value)
        elif key in ("peak", "true peak"):
            current[key] = _number(value)
    album = reports.pop("album", {})
    return reports, album, run


def measure_loudgain(files):
    """loudgain -a on the files (it writes nothing without -s)."""
    run = subprocess.run(["loudgain", "-a", "-q", "-O", *files], capture_output=True, text=True, timeout=600)
    reports = {}
    lines = run.stdout.splitlines()
    for line in lines[1:]:
        fields = line.split("\t")
        if len(fields) < 9:
            continue
        loudness = fields[1].split()[0]
        reports[os.path.basename(fields[0])] = {
            "loudness": -math.inf if loudness == "-inf" else float(loudness),
            "peak": float(fields[3]),
            "gain": None if fields[8].startswith("inf") else _number(fields[8]),
        }
    album = reports.pop("Album", {})
    by_path = {}
    for path in files:
        name = os.path.basename(path)
        if name in reports:
            by_path[path] = reports[name]
    return by_path, album, run


def after_tag(path):
    """The bytes behind the file's ID3v2 tag (all of them when it has none)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:3] != b"ID3" or any(b & 0x80 for b in data[6:10]):
        return data
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    footer = 10 if data[3] == 4 and data[5] & 0x10 else 0
    return data[10 + size + footer:]
