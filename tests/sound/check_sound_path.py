#!/usr/bin/env python3
"""varo-play on its default ALSA device, routed to a private PulseAudio server with a null
sink, while the sink's monitor is recorded. The recording must hold what varo-decode
decodes (lined up, small RMS difference); pause must hold the audio and resume continue it
without loss; volume 50 must halve it; balance 100 must silence the left channel; each end
of track must be reported only after its last samples reached the sink; and two files played
gaplessly must reach the sink as one sound, the second beginning at the sample after the
first one's last; a player held up near a track's end must still play its tail.

usage: check_sound_path.py VARO_PLAY VARO_DECODE CORPUS_DIR
Fails (never skips) when the sound server cannot be started.
"""
import array
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from played_run import PlayedRun  # noqa: E402
from signal_match import (channel, close_gaps, find_copy, find_lag, first_mismatch, gain,  # noqa: E402
                          pair, rms, rms_difference, without_lost)
from sound_server import MonitorRecording, SoundServer, SoundServerError, raise_priority  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures  # noqa: E402

RATE = 44100
MAX_RMS = 2.0          # 16-bit steps; a bit-exact path gives 0
# Margins come from the buffers, not from a quiet machine. The player's sound output holds
# four buffers of half a second; the recorder asks the null sink for 10 ms of latency, so
# the sink renders at most about that far ahead of the timeline read from the monitor.
BUFFER = 0.5           # s of audio in one of the player's buffers
QUEUED = 4 * BUFFER    # s the player may have handed to the device ahead of the sink
SINK_AHEAD = 0.03      # s the sink may render ahead of its timeline, with the monitor's jitter
# An end told when the last buffer was handed over would come a whole buffer or more early;
# one told after a further buffer (or more) had been waited for, a buffer late or more.
MAX_END_EARLY = SINK_AHEAD
# A process kept from a core may notice one end late; all of them late is the player's fault.
MAX_END_LATE = QUEUED
MAX_MEDIAN_END_LATE = BUFFER
# A device starved until it ran dry: the server fills in silence, and recovering the ALSA
# device may drop what it held (200 ms) and what the server's stream held (as much again).
# A loss without a silence, or of a whole player buffer, is the player's.
XRUN_LOSS = int(2 * 0.2 * RATE)  # frames
# Resuming a buffer away from where the pause was would slip by 0.5 s; the server rewinds
# what the sink rendered ahead, give or take its own few milliseconds.
MAX_PAUSE_SLIP = int(2 * SINK_AHEAD * RATE)  # frames
# The silence must last as long as the pause: a pause that lets the queued buffers play out
# (or a resume that waits for them) is shorter or longer by a buffer or more.
MAX_PAUSE_GAP_ERROR = BUFFER / 2
# The player is stopped with this much of a track left, for longer than the device holds.
HELD_TAILS = (0.25, 0.3, 0.35)  # s
HELD = 0.4  # s
PLAYED_IN_ORDER = [    # 44.1 kHz, so the server passes them on unresampled
    "layer3/l3_mpeg1_44k_cbr32_joint_speech_en.mp3",
    "layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3",
    "layer2/l2_mpeg1_44k_stereo_256_sweep.mp2",
    "tags/tag_id3v23_latin1.mp3",
    "layer3/l3_mpeg1_44k_cbr128_mono_sine1k_0dbfs.mp3",
]
OTHER_RATE = ("layer3/l3_mpeg1_48k_cbr192_joint_pink.mp3", 48000)
NOISE = "layer2/l2_mpeg1_44k_stereo_384_white.mp2"  # never silent: gaps are the player's

failures = Failures()
check = failures.check
figures = []


class Timeline:
    """Maps monotonic times to recorded frame indexes. The monitor runs without a break at
    the sink's rate, so frame n reached the sink at t0 + n / RATE; t0 is taken from the
    piece that arrived with the least delay."""

    def __init__(self, arrivals):
        self.t0 = min(t - n / RATE for t, n in arrivals)

    def frame(self, t):
        return int((t - self.t0) * RATE)

    def time(self, frame):
        return self.t0 + frame / RATE


def decode(decoder, path, out, extra=()):
    subprocess.run([decoder, "--raw", *extra, path, out], check=True, capture_output=True, timeout=120)
    data = array.array("h")
    with open(out, "rb") as f:
        data.frombytes(f.read())
    return data


def stereo(samples, channels):
    """Interleaved stereo; a mono reference is heard on both sides."""
    if channels == 2:
        return samples
    both = array.array("h", bytes(4 * len(samples)))
    both[0::2] = samples
    both[1::2] = samples
    return both


def channels_of(path):
    return 1 if "_mono_" in path else 2


def recording(rec, after):
    """The recording once it holds what the sink rendered up to the moment after, however
    long the recorder waited for a core."""
    rec.wait_past(after + SINK_AHEAD)
    samples, arrivals = rec.snapshot()
    return samples, Timeline(arrivals)


def locate(rec_ch, ref_ch, timeline, started, slack=0.1, search=QUEUED + 1.0):
    """Where the reference begins in the recording: after the start report, within the time
    a loaded machine may take to pass the first buffers on."""
    lo = timeline.frame(started) - int(slack * RATE)
    return find_lag(rec_ch, ref_ch, lo, lo + int(search * RATE))


def mismatch_note(got, want):
    at = first_mismatch(got, want, 8 * MAX_RMS)
    return "" if at is None else f" (from {at / 2 / RATE:.3f} s into the compared part)"


def check_files_in_order(ctx):
    """The files one after another, each on its own: samples, completeness, and when the ends
    are told."""
    run = PlayedRun(ctx.play, ["--no-gapless"] + [os.path.join(ctx.corpus, f) for f in PLAYED_IN_ORDER],
                    ctx.env)
    status, err = run.finish(timeout=60)
    check(status == 0, f"playing the list: exit status {status} ({err.strip()})")
    started, ended = run.times("status: playing"), run.times("end: end of data")
    if not check(len(started) == len(PLAYED_IN_ORDER) == len(ended),
                 f"{len(started)} starts and {len(ended)} ends for {len(PLAYED_IN_ORDER)} files"):
        return
    samples, timeline = recording(ctx.rec, ended[-1])
    lates = []
    for name, t_start, t_end in zip(PLAYED_IN_ORDER, started, ended):
        ref = stereo(ctx.reference(name, gapless=False), channels_of(name))
        lag = locate(channel(samples, 0), channel(ref, 0), timeline, t_start)
        if not check(lag is not None, f"{name}: not found in the recording"):
            continue
        # A starved device lets the server fill in silence; the player lost nothing by it.
        gapless, gaps, followed = close_gaps(samples, ref, lag, slip=XRUN_LOSS)
        if gaps:
            figures.append(f"{name}: {len(gaps)} silences inserted by the server taken out "
                           f"({1000 * sum(g[1] for g in gaps) / RATE:.0f} ms, "
                           f"{sum(g[2] for g in gaps)} frames lost at them)")
        got, want = pair(gapless, without_lost(ref, gaps), 0)
        complete = len(want) == len(ref)
        check(complete, f"{name}: only {len(want) // 2} of {len(ref) // 2} frames recorded")
        diff = rms_difference(got, want)
        figures.append(f"{name}: RMS difference {diff:.3f} over {len(want) // 2} frames "
                       f"(signal RMS {rms(want):.0f})")
        check(diff <= MAX_RMS, f"{name}: RMS difference {diff:.2f} above {MAX_RMS}"
                               f"{mismatch_note(got, want)}")
        last_at_sink = timeline.time(lag + sum(silent - lost for _, silent, lost in gaps)
                                     + len(ref) // 2)
        early, late = last_at_sink - t_end, t_end - last_at_sink
        lates.append(late)
        figures.append(f"{name}: end reported {1000 * late:+.1f} ms after the last sample "
                       "reached the sink")
        check(early <= MAX_END_EARLY, f"{name}: end reported {1000 * early:.1f} ms before the "
                                      "last sample reached the sink")
        check(late <= MAX_END_LATE, f"{name}: end reported {late:.2f} s after the last sample")
    if len(lates) == len(PLAYED_IN_ORDER):
        median = sorted(lates)[len(lates) // 2]
        check(median <= MAX_MEDIAN_END_LATE,
              f"ends reported {median:.2f} s (median) after the last sample reached the sink")


def check_gapless_joint(ctx):
    """Two files in a row, the second opened ahead: the sink gets the two decodes as one
    unbroken sound (white noise, so a dropped or doubled sample or an inserted silence at the
    joint cannot pass), with one start and one end reported."""
    ref = ctx.reference(NOISE)
    both = ref + ref
    run = PlayedRun(ctx.play, [os.path.join(ctx.corpus, NOISE)] * 2, ctx.env)
    t_start = run.wait_for("status: playing")
    status, err = run.finish(timeout=30)
    check(status == 0, f"gapless joint: exit status {status} ({err.strip()})")
    lines = [line for _, line in run.lines]
    check(lines.count("status: playing") == 1 and lines.count("end: end of data") == 1,
          f"gapless joint: one start and one end expected, got {lines}")
    samples, timeline = recording(ctx.rec, run.wait_for("end: end of data"))
    # Located as the pair: white noise has a flat envelope, so one copy matches the second
    # file about as well as the first, and the search window holds both.
    lag = locate(channel(samples, 0), channel(both, 0), timeline, t_start)
    if not check(lag is not None, "gapless joint: the two files are not in the recording"):
        return
    gapless, gaps, followed = close_gaps(samples, both, lag, slip=XRUN_LOSS)
    joint = len(ref) // 2
    near = [g for g in gaps if abs(g[0] - joint) < RATE // 10]
    figures.append(f"gapless joint: {len(gaps)} silences inserted by the server elsewhere"
                   if not near else f"gapless joint: silence of {near[0][1]} frames at the joint")
    check(not near, f"gapless joint: the sound breaks at the joint ({near})")
    got, want = pair(gapless, without_lost(both, gaps), 0)
    check(len(want) == len(both), f"gapless joint: only {len(want) // 2} of {len(both) // 2} frames heard")
    diff = rms_difference(got, want)
    figures.append(f"gapless joint: RMS difference {diff:.3f} over both files")
    check(diff <= MAX_RMS, f"gapless joint: RMS difference {diff:.2f}{mismatch_note(got, want)}")


def loud_span(x, threshold=64):
    """Frames from the first to the last sample louder than threshold."""
    loud = [i for i in range(len(x)) if abs(x[i]) > threshold]
    return loud[-1] - loud[0] + 1 if loud else 0


def check_other_rate(ctx):
    """A 48 kHz file on the 44.1 kHz sink is converted by the server; its length holds."""
    name, rate = OTHER_RATE
    run = PlayedRun(ctx.play, [os.path.join(ctx.corpus, name)], ctx.env)
    status, err = run.finish(timeout=30)
    check(status == 0, f"{name}: exit status {status} ({err.strip()})")
    t_start, t_end = run.times("status: playing")[0], run.times("end: end of data")[0]
    samples, timeline = recording(ctx.rec, t_end + BUFFER)
    left = channel(samples, 0)[timeline.frame(t_start) - RATE // 10:timeline.frame(t_end)]
    expected = loud_span(channel(ctx.reference(name), 0)) / rate
    heard = loud_span(left) / RATE
    figures.append(f"{name}: heard {heard:.3f} s of {expected:.3f} s")
    check(abs(heard - expected) < 0.03, f"{name}: heard {heard:.3f} s, the file holds {expected:.3f} s")


def check_pause_resume(ctx):
    ref = ctx.reference(NOISE)
    ref_l = channel(ref, 0)
    run = PlayedRun(ctx.play, [os.path.join(ctx.corpus, NOISE)], ctx.env)
    t_start = run.wait_for("status: playing")
    time.sleep(0.6)
    run.send("pause")
    t_pause = run.wait_for("status: paused")
    time.sleep(0.8)
    run.send("resume")
    t_resume = run.wait_for("status: playing", count=2)
    status, err = run.finish(timeout=30)
    check(status == 0, f"pause/resume: exit status {status} ({err.strip()})")
    samples, timeline = recording(ctx.rec, run.wait_for("end: end of data"))
    rec_l = channel(samples, 0)
    # From 100 ms in: the server swallows a few ms of a new stream.
    skip = RATE // 10
    ref = ref[2 * skip:]
    ref_l = channel(ref, 0)
    # White noise: its first 2048 frames occur once, and an exact copy is found however late.
    lo = timeline.frame(t_start) - RATE // 10
    first = find_copy(rec_l, ref_l[:2048], lo, lo + int((QUEUED + 1) * RATE))
    if not check(first is not None, "pause/resume: the start is not in the recording"):
        return
    # The pause is the longest silence in the recording where the track is not silent; any
    # others are the server filling in for a starved device.
    gapless, gaps, followed = close_gaps(samples, ref, first, slip=max(MAX_PAUSE_SLIP, XRUN_LOSS))
    cleared = without_lost(ref, gaps)
    if not check(gaps, "pause/resume: no pause in the sound, or the sound after it is not "
                       f"the track's continuation (followed to {followed / RATE:.3f} s)"):
        return
    resumed, silent, lost = max(gaps, key=lambda g: g[1])
    gap = silent / RATE
    figures.append(f"pause/resume: silent {gap:.3f} s for commands {t_resume - t_pause:.3f} s "
                   f"apart; the sound went on {lost:+d} frames from where it paused"
                   + (f"; {len(gaps) - 1} other silences inserted by the server" if len(gaps) > 1
                      else ""))
    # The server's monitor shows what its null sink rendered ahead before the pause was
    # rewound; a few ms either way are the server's, a lost device buffer would be 0.5 s.
    check(abs(lost) <= MAX_PAUSE_SLIP,
          f"pause/resume: resumed {lost:+d} frames away from where it paused")
    check(abs(gap - (t_resume - t_pause)) < MAX_PAUSE_GAP_ERROR,
          f"pause/resume: silent {gap:.3f} s, the commands were {t_resume - t_pause:.3f} s apart")
    stopped = resumed - lost
    before = rms_difference(*pair(gapless, cleared, 0, 0, 2 * min(stopped, resumed)))
    after_pair = pair(gapless, cleared, 0, 2 * resumed)
    after = rms_difference(*after_pair)
    figures.append(f"pause/resume: RMS difference {before:.3f} before, {after:.3f} after")
    check(max(before, after) <= MAX_RMS, f"pause/resume: RMS difference {before:.2f}/{after:.2f}"
                                         f"{mismatch_note(*after_pair)}")
    check(len(after_pair[1]) == len(ref) - 2 * resumed, "pause/resume: the track was not heard to its end")
    dropped = sum(silent_at - lost_at for _, silent_at, lost_at in gaps)
    tail_done = timeline.time(first + len(ref_l) + dropped)
    ends = run.times("end: end of data")
    check(ends and ends[0] >= tail_done - MAX_END_EARLY,
          "pause/resume: end reported before the last sample reached the sink"
          + (f" ({1000 * (tail_done - ends[0]):.1f} ms)" if ends else ""))


def check_volume_change(ctx):
    """volume 50 while playing: the second part at half the amplitude of the first."""
    ref = ctx.reference(NOISE)
    run = PlayedRun(ctx.play, [os.path.join(ctx.corpus, NOISE)], ctx.env)
    t_start = run.wait_for("status: playing")
    time.sleep(0.7)
    run.send("volume 50")
    run.wait_for("command: volume 50")
    status, err = run.finish(timeout=30)
    check(status == 0, f"volume: exit status {status} ({err.strip()})")
    samples, timeline = recording(ctx.rec, run.wait_for("end: end of data"))
    # The first and the last 0.4 s are found on their own: a silence the server inserted
    # between them moves the last part later.
    span = int(0.4 * RATE)
    rec_l, ref_l = channel(samples, 0), channel(ref, 0)
    lag = locate(rec_l, ref_l[:span], timeline, t_start)
    if not check(lag is not None, "volume: the track is not in the recording"):
        return
    tail_at = lag + len(ref_l) - span
    tail_lag = find_lag(rec_l, ref_l[-span:], tail_at, min(len(rec_l), tail_at + int(QUEUED * RATE)))
    if not check(tail_lag is not None, "volume: the end of the track is not in the recording"):
        return
    full = gain(rec_l[lag:lag + span], ref_l[:span])
    half = gain(rec_l[tail_lag:tail_lag + span], ref_l[-span:])
    figures.append(f"volume: gain {full:.4f} before 'volume 50', {half:.4f} after")
    check(abs(full - 1.0) < 0.01, f"volume: gain {full:.4f} at volume 100")
    check(abs(half - 0.5) < 0.01, f"volume: gain {half:.4f} at volume 50")


def check_tail_after_held_player(ctx):
    """The player stopped (SIGSTOP) while the device holds a track's last part, long enough
    for the server to run dry and fill in silence: once let go it writes the rest, and the
    end must wait until that has been played, not close the device over it."""
    ref = ctx.reference(NOISE)
    for tail in HELD_TAILS:
        run = PlayedRun(ctx.play, [os.path.join(ctx.corpus, NOISE)], ctx.env)
        # Playing is reported as the first samples reach the sink.
        t_start = run.wait_for("status: playing")
        time.sleep(max(0.0, t_start + len(ref) / 2 / RATE - tail - time.monotonic()))
        os.kill(run.process.pid, signal.SIGSTOP)
        try:
            time.sleep(HELD)
        finally:
            os.kill(run.process.pid, signal.SIGCONT)
        status, err = run.finish(timeout=30)
        check(status == 0, f"held player: exit status {status} ({err.strip()})")
        t_end = run.wait_for("end: end of data")
        samples, timeline = recording(ctx.rec, t_end)
        lag = locate(channel(samples, 0), channel(ref, 0), timeline, t_start)
        if not check(lag is not None, f"held player ({tail} s left): the track is not in the recording"):
            continue
        gapless, gaps, _ = close_gaps(samples, ref, lag, slip=XRUN_LOSS)
        got, want = pair(gapless, without_lost(ref, gaps), 0)
        check(len(want) == len(ref), f"held player ({tail} s left): only {len(want) // 2} of "
                                     f"{len(ref) // 2} frames recorded")
        last_at_sink = timeline.time(lag + sum(silent - lost for _, silent, lost in gaps) + len(ref) // 2)
        check(t_end >= last_at_sink - MAX_END_EARLY, f"held player ({tail} s left): end reported "
                                                     f"{1000 * (last_at_sink - t_end):.1f} ms before the last sample")


def check_balance(ctx):
    ref = ctx.reference(NOISE)
    run = PlayedRun(ctx.play, ["--balance", "100", os.path.join(ctx.corpus, NOISE)], ctx.env)
    t_start = run.wait_for("status: playing")
    status, err = run.finish(timeout=30)
    check(status == 0, f"balance: exit status {status} ({err.strip()})")
    samples, timeline = recording(ctx.rec, run.wait_for("end: end of data"))
    lag = locate(channel(samples, 1), channel(ref, 1), timeline, t_start)
    if not check(lag is not None, "balance: the right channel is not in the recording"):
        return
    gapless, gaps, followed = close_gaps(samples, ref, lag, channel_index=1, slip=XRUN_LOSS)
    if gaps:
        figures.append(f"balance 100: {len(gaps)} silences inserted by the server taken out")
    got, want = pair(gapless, without_lost(ref, gaps), 0)
    left_peak = max(map(abs, channel(got, 0)))
    right_gain = gain(channel(got, 1), channel(want, 1))
    figures.append(f"balance 100: left peak {left_peak}, right gain {right_gain:.4f}")
    check(left_peak == 0, f"balance 100: the left channel peaks at {left_peak}")
    check(abs(right_gain - 1.0) < 0.01, f"balance 100: right gain {right_gain:.4f}")


class Context:
    def __init__(self, play, decoder, corpus, tmp, server, rec):
        self.play, self.decoder, self.corpus, self.tmp = play, decoder, corpus, tmp
        self.env, self.rec = server.env(), rec
        self._refs = {}

    def reference(self, name, gapless=True):
        key = (name, gapless)
        if key not in self._refs:
            out = os.path.join(self.tmp, os.path.basename(name) + ".raw")
            self._refs[key] = decode(self.decoder, os.path.join(self.corpus, name), out,
                                     [] if gapless else ["--no-gapless"])
        return self._refs[key]


def run_step(step, ctx):
    try:
        step(ctx)
    except (TimeoutError, subprocess.SubprocessError, OSError) as e:
        failures.append(f"{step.__name__}: {e}")


def main():
    play, decoder, corpus = sys.argv[1:4]
    # ctest ends a test that runs too long with SIGTERM: leave through the clean-up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    raise_priority()  # the monitor's reader too
    try:
        with tempfile.TemporaryDirectory(prefix="varo-sound-ref-") as tmp, \
                SoundServer(rate=RATE) as server, MonitorRecording(server) as rec:
            ctx = Context(play, decoder, corpus, tmp, server, rec)
            for step in (check_files_in_order, check_gapless_joint, check_other_rate,
                         check_pause_resume, check_volume_change, check_balance,
                         check_tail_after_held_player):
                run_step(step, ctx)
    except SoundServerError as e:
        print(f"FAIL the private sound server could not run: {e}")
        return 1
    return failures.report(figures)


if __name__ == "__main__":
    sys.exit(main())
