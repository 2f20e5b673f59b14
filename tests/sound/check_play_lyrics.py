#!/usr/bin/env python3
"""varo-play --lyrics on the null device: the lines of each source (NAME.lrc, NAME.txt, SYLT,
USLT, Lyrics3 LYR) in order and on time, nothing for a track without lyrics, and a pause that
holds the next line back.

usage: check_play_lyrics.py VARO_PLAY CORPUS_DIR
"""
import os
import struct
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from played_run import PlayedRun  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

failures = Failures()
check = failures.check


def id3v23(frames):
    body = b"".join(fid.encode() + struct.pack(">I", len(data)) + b"\0\0" + data for fid, data in frames)
    size = len(body)
    return b"ID3\x03\0\0" + bytes((size >> s) & 0x7F for s in (21, 14, 7, 0)) + body


def sylt(pieces):
    return b"\0eng\x02\x01\0" + b"".join(t.encode() + b"\0" + struct.pack(">I", ms) for t, ms in pieces)


def uslt(text):
    return b"\0eng\0" + text.encode()


def lyrics3(lyr):
    block = b"LYRICSBEGIN" + b"LYR" + b"%05d" % len(lyr) + lyr.encode()
    return block + b"%06d" % len(block) + b"LYRICS200"


def main():
    play, corpus = sys.argv[1:3]
    env = dict(os.environ, VARO_AUDIO="null")  # real time, and never a sound card
    with open(os.path.join(corpus, "tags/tag_none_base.mp3"), "rb") as f:
        audio = f.read()
    with tempfile.TemporaryDirectory() as folder:
        def track(name, front=b"", back=b"", beside=()):
            path = os.path.join(folder, name + ".mp3")
            with open(path, "wb") as f:
                f.write(front + audio + back)
            for file_name, text in beside:
                with open(os.path.join(folder, file_name), "w", encoding="utf-8") as f:
                    f.write(text)
            return path

        tracks = [
            track("lrc", beside=[("LRC.Lrc", "[ti:x]\n[00:00.80]lrc one\n[00:00.00]lrc zero\n"),
                                 ("lrc.txt", "never\n")]),
            track("txt", front=id3v23([("USLT", uslt("never"))]),
                  beside=[("txt.TXT", "txt first\ntxt second\n")]),
            track("sylt", front=id3v23([("USLT", uslt("never")), ("SYLT", sylt([("sylt b", 700), ("sylt a", 0)]))]),
                  back=lyrics3("[00:00]never")),
            track("none"),
            track("uslt", front=id3v23([("USLT", uslt("uslt 1\nuslt 2"))]), back=lyrics3("[00:00]never")),
            track("lyr", back=lyrics3("[00:00]lyr a\r\n[00:01]lyr b\r\n")),
        ]
        run = PlayedRun(play, ["--lyrics"] + tracks, env)
        status, err = run.finish(timeout=60)
        lines = [line for _, line in run.lines]
        check(status == 0, f"exit status {status} ({err.strip()})")
        check(lines == ["lrc zero", "lrc one", "txt first", "txt second", "sylt a", "sylt b", "uslt 1", "uslt 2",
                        "lyr a", "lyr b"], f"lines of the sources: {lines}")
        stamps = dict((line, t) for t, line in run.lines)
        for first, second, apart in (("lrc zero", "lrc one", 0.8), ("sylt a", "sylt b", 0.7), ("lyr a", "lyr b", 1.0)):
            if first in stamps and second in stamps:
                gap = stamps[second] - stamps[first]
                check(abs(gap - apart) < 0.35, f"{first} -> {second}: {gap:.2f} s, {apart} s expected")

        # Paused for a second right after the first line: the second comes that much later.
        run = PlayedRun(play, ["--lyrics", tracks[0]], env)
        zero = run.wait_for("lrc zero")
        run.send("pause")
        time.sleep(1.0)
        run.send("resume")
        one = run.wait_for("lrc one")
        status, err = run.finish(timeout=30)
        check(status == 0, f"pause: exit status {status} ({err.strip()})")
        check(one - zero > 1.6, f"the line after a pause of 1 s came {one - zero:.2f} s after the first")
        check("command: pause" not in [line for _, line in run.lines], "reports were printed with --lyrics")
    return failures.report()


if __name__ == "__main__":
    sys.exit(main())
