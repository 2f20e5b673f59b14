#!/usr/bin/env python3
"""varo-play --loudness beside loudgain on corpus files: integrated loudness within 0.1 LU,
track and album gain within 0.1 dB, true peaks alike. Then --write-tags on copies: the bytes
behind the tag unchanged, the gains read back by varo-play --info, by ffprobe and by loudgain
(which finds and deletes them); and the tags loudgain writes read by varo-play --info.

usage: loudness_vs_loudgain.py VARO_PLAY CORPUS_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402
from loudness_reports import after_tag, measure_loudgain, measure_varo  # noqa: E402

FILES = [
    "layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3",
    "layer3/l3_mpeg1_44k_cbr128_mono_sine1k_0dbfs.mp3",
    "layer3/l3_mpeg1_48k_cbr192_joint_pink.mp3",
    "layer3/l3_mpeg2_22k_cbr64_joint_clicks.mp3",
    "layer3/l3_mpeg25_11k_vbr_v6_mono_speech_ja.mp3",
    "tags/tag_id3v23_latin1.mp3",
    "bench/bench_60s_mpeg1_l3_cbr128_joint.mp3",
]
LAYER2 = "layer2/l2_mpeg1_44k_joint_192_white.mp2"  # on its own: loudgain keeps an album to one type

failures = Failures()
check = failures.check
PLAY, CORPUS = sys.argv[1:3]


def copies(folder, names=FILES):
    os.makedirs(folder)
    paths = []
    for name in names:
        paths.append(os.path.join(folder, os.path.basename(name)))
        shutil.copyfile(os.path.join(CORPUS, name), paths[-1])
    return paths


def info_gains(path):
    out = subprocess.run([PLAY, "--info", path], capture_output=True, text=True, timeout=60).stdout
    gains = {}
    for kind in ("track", "album"):
        m = re.search(rf"^  {kind} gain: (-?[0-9.]+) dB(?:, peak ([0-9.]+))? \((\w+)\)$", out, re.M)
        if m:
            gains[kind] = (float(m.group(1)), float(m.group(2) or -1), m.group(3))
    return gains


largest = {}


def near(a, b, limit, what=None):
    if a is None or b is None:
        return False
    if what and a != b:  # silence is -inf in both
        largest[what] = max(largest.get(what, 0), abs(a - b))
    elif what:
        largest.setdefault(what, 0.0)
    return abs(a - b) <= limit or a == b


with tempfile.TemporaryDirectory(prefix="varo-loudness-") as tmp:
    files = copies(os.path.join(tmp, "measured"))
    varo, varo_album, run = measure_varo(PLAY, files, "--true-peak")
    check(run.returncode == 0, f"varo-play --loudness failed: {run.stderr}")
    ref, ref_album, ref_run = measure_loudgain(files)
    check(len(ref) == len(files), f"loudgain did not report every file: {ref_run.stderr[-300:]}")
    layer2 = copies(os.path.join(tmp, "layer2"), [LAYER2])
    varo.update(measure_varo(PLAY, layer2, "--true-peak")[0])
    ref.update(measure_loudgain(layer2)[0])
    for path in files + layer2:
        v, r = varo.get(path, {}), ref.get(path)
        if not r:
            continue
        name = os.path.basename(path)
        check(near(v.get("loudness"), r["loudness"], 0.1, "loudness (LU)"), f"{name}: {v.get('loudness')} LUFS, loudgain {r['loudness']}")
        check(near(v.get("gain"), r["gain"], 0.1, "track gain (dB)"), f"{name}: gain {v.get('gain')} dB, loudgain {r['gain']}")
        check(near(v.get("true peak"), r["peak"], 0.002, "true peak"), f"{name}: true peak {v.get('true peak')}, loudgain {r['peak']}")
        check(v.get("peak", 2) <= v.get("true peak", 0) + 1e-6, f"{name}: a sample peak above the true peak")
    check(near(varo_album.get("loudness"), ref_album.get("loudness"), 0.1), f"album {varo_album} vs {ref_album}")
    check(near(varo_album.get("gain"), ref_album.get("gain"), 0.1, "album gain (dB)"), f"album gain {varo_album} vs {ref_album}")

    # Our tags, read back by us, ffprobe and loudgain; the audio and trailing tags untouched.
    tagged = copies(os.path.join(tmp, "tagged"))
    written = subprocess.run([PLAY, "--loudness", "--write-tags", *tagged], capture_output=True, text=True, timeout=600)
    check(written.returncode == 0, f"--write-tags failed: {written.stderr}")
    for path, name in zip(tagged, FILES):
        check(after_tag(path) == after_tag(os.path.join(CORPUS, name)), f"{name}: bytes behind the tag changed")
        gains = info_gains(path)
        v = varo.get(files[tagged.index(path)], {})
        check(gains.get("track", (None,))[0] == v.get("gain") and gains["track"][1] == v.get("peak")
              and gains["track"][2] == "TXXX", f"{name}: --info reads track {gains.get('track')}, wrote {v}")
        check(gains.get("album", (None,))[0] == varo_album.get("gain"), f"{name}: --info reads album {gains.get('album')}")
        probe = subprocess.run(["ffprobe", "-v", "quiet", "-show_entries", "format_tags", "-of", "default=nw=1", path],
                               capture_output=True, text=True, timeout=60).stdout
        check(f"REPLAYGAIN_TRACK_GAIN={v.get('gain'):.2f} dB" in probe, f"{name}: ffprobe reads {probe!r}")
    deleted = subprocess.run(["loudgain", "-q", "-s", "d", *tagged], capture_output=True, text=True, timeout=600)
    check(deleted.returncode == 0, f"loudgain -s d failed: {deleted.stderr[-300:]}")
    for path in tagged:
        check(info_gains(path).get("track", (0, 0, ""))[2] != "TXXX",
              f"{os.path.basename(path)}: loudgain did not find the gains to delete")

    # loudgain's own tags (ReplayGain 2.0, with its extra frames) read by varo-play --info.
    theirs = copies(os.path.join(tmp, "loudgain"))
    subprocess.run(["loudgain", "-a", "-q", "-s", "e", *theirs], capture_output=True, timeout=600, check=True)
    for path, measured in zip(theirs, files):
        gains, r = info_gains(path), ref.get(measured)
        if r:
            check(gains.get("track", (None,))[0] == r["gain"] and near(gains["track"][1], r["peak"], 1e-6),
                  f"{os.path.basename(path)}: --info reads {gains.get('track')} of loudgain's {r}")
            check(gains.get("album", (None,))[0] == ref_album.get("gain"), f"{os.path.basename(path)}: album {gains}")

sys.exit(failures.report([f"largest difference from loudgain, {k}: {v:.4f}" for k, v in sorted(largest.items())]))
