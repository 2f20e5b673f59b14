#!/usr/bin/env python3
"""varo-play from the outside: --info reports, playing lists of files, exit statuses,
volume and balance on the samples, gapless joints, --start, and a clean stop on SIGINT.

usage: varo_play_cli.py VARO_PLAY CORPUS_DIR
"""
import array
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

failures = Failures()
check = failures.check


def run(args, timeout=60):
    return subprocess.run([PLAY] + args, capture_output=True, text=True, timeout=timeout)


def samples(path):
    data = array.array("h")
    with open(path, "rb") as f:
        data.frombytes(f.read()[44:])
    return data


def scaled(sample, gain):
    value = abs(sample) * gain // 0xFFFF
    return value if sample >= 0 else -value


PLAY, CORPUS = sys.argv[1:3]
TAGGED = os.path.join(CORPUS, "tags/tag_id3v23_latin1.mp3")
LAYER2 = os.path.join(CORPUS, "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2")
TEXT = os.path.join(CORPUS, "damaged/dmg_text_file.mp3")
TAG_ONLY = os.path.join(CORPUS, "damaged/dmg_id3v2_only.mp3")

info = run(["--info", TAGGED])
check(info.returncode == 0, "--info on a tagged file failed")
for line in ("tags: ID3v2.3", "ID3v2: TIT2=Speech in English", "Title: Speech in English",
             "Artist: Corpus Voice", "audio start: 83", "audio length: 25076", "layer: 3",
             "version: MPEG-1", "sample rate: 44100", "channels: 2"):
    check("  " + line + "\n" in info.stdout, f"--info lacks '{line}'")

info = run(["--info", TAGGED, TAG_ONLY])
check(info.returncode == 1, "--info with a file without audio did not exit 1")
check("unknown MPEG Audio format." in info.stderr, "--info did not print the engine's error")
check("Title: Tag Without Audio" in info.stdout, "--info did not show the tag of a tag-only file")

played = run(["--audio", "null:50", LAYER2, TEXT, TAGGED])
check(played.returncode == 1, f"a failing file did not make the exit status 1 ({played.returncode})")
check("unknown MPEG Audio format." in played.stderr, "the failing file's error is not shown")
out = played.stdout
check(out.count("end: end of data") == 2, "not both playable files played to their end")
check(out.find("Title: l2_mpeg1_44k_stereo_128_speech_en.mp2") < out.find("Title: Speech in English"),
      "files not played in order")
check("status: playing" in out and "status: stopped" in out, "status changes not printed")

check(run(["--audio", "null:50", LAYER2]).returncode == 0, "a good file did not exit 0")
check(run(["--bogus", LAYER2]).returncode == 2, "an unknown option did not exit 2")
check(run(["--audio", "speaker", LAYER2]).returncode == 2, "a bad device did not exit 2")
check(run(["--volume", "101", LAYER2]).returncode == 2, "volume 101 was accepted")

with tempfile.TemporaryDirectory(prefix="varo-play-cli-") as tmp:
    full, quiet = os.path.join(tmp, "full.wav"), os.path.join(tmp, "quiet.wav")
    run(["--audio", "wav@100:" + full, LAYER2])
    run(["--audio", "wav@100:" + quiet, "--volume", "80", "--balance", "-50", LAYER2])
    a, b = samples(full), samples(quiet)
    check(len(a) == len(b) and len(a) > 0, "volume changed the length of the audio")
    base = 80 * 65535 // 100
    gains = (base, base * 50 // 100)
    check(all(b[i] == scaled(a[i], gains[i % 2]) for i in range(len(a))),
          "--volume 80 --balance -50 does not scale left by 0.8 and right by 0.4")

    # Gapless: two files play as exactly their two recordings one after the other; --start
    # leaves out what comes before; --no-gapless keeps the LAME tag's delay and padding.
    chord = os.path.join(CORPUS, "layer3/l3_mpeg1_44k_vbr_v5_joint_chord.mp3")
    sweep = os.path.join(CORPUS, "layer3/l3_mpeg1_44k_cbr320_joint_sweep.mp3")

    def recorded(*args):
        path = os.path.join(tmp, "rec.wav")
        done = run(["--audio", "wav@100:" + path, *args])
        check(done.returncode == 0, f"{args} failed: {done.stderr.strip()}")
        return samples(path)

    alone_chord, alone_sweep = recorded(chord), recorded(sweep)
    check(len(alone_chord) == 66150 * 2, f"the chord plays {len(alone_chord) // 2} samples, not 66150")
    joined = run(["--audio", "wav@100:" + os.path.join(tmp, "rec.wav"), chord, sweep])
    check(samples(os.path.join(tmp, "rec.wav")) == alone_chord + alone_sweep,
          "two gapless files are not their recordings joined without a gap")
    check(joined.stdout.count("end: ") == 1 and f"file 2/2: {sweep}" in joined.stdout,
          "the second file did not follow as a new file with one end at the last")
    check(recorded("--start", "0.5", chord) == alone_chord[22050 * 2:], "--start 0.5 is not 22050 samples in")
    check(len(recorded("--no-gapless", chord)) == 59 * 1152 * 2, "--no-gapless does not play every frame")
    check(run(["--start", "-1", chord]).returncode == 2, "--start -1 was accepted")

    # A recording that cannot grow past 0.8 s before the end: the failed write is an error.
    def limit_file_size():
        import resource
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (os.path.getsize(full) - 8 * 44100 * 4 // 10,
                                                   resource.getrlimit(resource.RLIMIT_FSIZE)[1]))
    short = subprocess.run([PLAY, "--audio", "wav@100:" + os.path.join(tmp, "short.wav"), LAYER2],
                           capture_output=True, text=True, timeout=60, preexec_fn=limit_file_size)
    check(short.returncode == 1, f"a recording cut short exited {short.returncode}, not 1")
    check("(TSoundOut.WaveWrite)" in short.stderr and "end: error" in short.stdout,
          "a recording cut short was not reported as a write error")

    # Ctrl-C: Stop, Close, exit 130.
    child = subprocess.Popen([PLAY, "--audio", "null:1", "--repeat", LAYER2],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.time() + 20
    line = ""
    while time.time() < deadline and "status: playing" not in line:
        line = child.stdout.readline()
    time.sleep(0.3)
    child.send_signal(signal.SIGINT)
    try:
        rest, _ = child.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        child.kill()
        rest = ""
        failures.append("varo-play did not end after SIGINT")
    check(child.returncode == 130, f"SIGINT gave exit status {child.returncode}, not 130")
    check("status: stopped" in rest, "SIGINT did not stop playback")

sys.exit(failures.report())
