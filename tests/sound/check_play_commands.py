#!/usr/bin/env python3
"""varo-play --control on the null device: next, stop/play, seek, quit, wrong commands, and
the timestamps of its reports.

usage: check_play_commands.py VARO_PLAY CORPUS_DIR
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from played_run import PlayedRun  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

failures = Failures()
check = failures.check


def texts(run):
    return [line for _, line in run.lines]


def main():
    play, corpus = sys.argv[1:3]
    env = dict(os.environ, VARO_AUDIO="null")  # real time, and never a sound card
    a = os.path.join(corpus, "layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2")
    b = os.path.join(corpus, "layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3")

    # next: the first file ends as stopped, the second plays to its end.
    run = PlayedRun(play, [a, b], env)
    run.wait_for("status: playing")
    run.send("next")
    run.wait_for("status: playing", count=2)
    status, err = run.finish(timeout=30)
    lines = texts(run)
    check(status == 0, f"next: exit status {status} ({err.strip()})")
    check(lines.count("end: stopped") == 1 and lines.count("end: end of data") == 1,
          f"next: one stopped and one natural end expected, got {lines}")
    check(lines.index("end: stopped") < lines.index(f"file 2/2: {b}"),
          "next: the second file did not follow the stop")
    stamps = [t for t, _ in run.lines]
    check(None not in stamps and stamps == sorted(stamps), "reports without rising timestamps")

    # stop holds the player on its file; play starts it again from the beginning.
    run = PlayedRun(play, [a, b], env)
    run.wait_for("status: playing")
    run.send("stop")
    run.wait_for("end: stopped")
    time.sleep(0.5)
    check(f"file 2/2: {b}" not in texts(run), "stop moved on to the next file")
    run.send("louder")
    run.send("volume 101")
    run.send("seek 1.25")
    run.wait_for("position: 1.250")
    run.send("seek soon")
    run.send("play")
    run.wait_for("status: playing", count=2)
    run.send("quit")
    status, err = run.finish(timeout=30)
    lines = texts(run)
    check(status == 0, f"quit: exit status {status} ({err.strip()})")
    check(lines[-2:] == ["status: stopped", "end: stopped"] or lines[-1] == "status: stopped",
          f"quit did not stop playback: {lines[-3:]}")
    check(f"file 2/2: {b}" not in lines, "quit moved on to the next file")
    check("unknown command 'louder'" in err, "an unknown command is not reported")
    check("volume needs a number in 0..100" in err, "volume 101 was not refused")
    check("seek needs a number of seconds" in err, "seek soon was not refused")
    check(lines.count("command: play") == 1 and "command: louder" not in lines,
          "refused commands were echoed as carried out")

    return failures.report()


if __name__ == "__main__":
    sys.exit(main())
