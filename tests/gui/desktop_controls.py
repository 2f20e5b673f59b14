#!/usr/bin/env python3
"""The desktop's ways into a running player, through real clients on a private D-Bus started
here (it serves as the session bus and, for the stand-in logind, as the system bus):

- gdbus sees both MPRIS interfaces; playerctl plays, pauses, skips both ways, seeks and reads
  the status and the metadata;
- the sleep inhibitor is taken while playing and let go on pause;
- a second varo hands its files to the first and ends: --enqueue keeps a paused player
  paused, a plain start adds as a drop does (a paused player starts); Quit writes the grown
  queue; a lock and a socket left by a crash do not block the next start.

On a private X display (the launch's startup id reaches the raised window) with the null
sound device; fails, never skips, when a tool is missing.
"""
import argparse
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import Failures, die_with_parent, end_process, wait_until  # noqa: E402
from long_tracks import make_tracks  # noqa: E402
from x_session import XSession, XSessionError  # noqa: E402

TITLES = ("Alpha 一番目", "Bravo 二番目", "Charlie 三番目", "Delta 四番目")
ARTIST = "VARO テスト"
TOOLS = ("dbus-daemon", "playerctl", "gdbus", "xprop")
STARTUP_ID = "varo-desktop-test_TIME4242"
WAIT = 20  # s; the machine may be loaded


class Desktop:
    def __init__(self, args, work):
        self.args, self.work = args, work
        self.failures = Failures()
        self.check = self.failures.check
        self.home = os.path.join(work, "home")
        self.runtime = os.path.join(work, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("DBUS_", "XDG_", "VARO_", "WAYLAND", "DESKTOP_STARTUP"))}
        env.update(HOME=os.path.join(work, "user"), XDG_RUNTIME_DIR=self.runtime,
                   XDG_CONFIG_HOME=os.path.join(work, "user", "config"),
                   XDG_CACHE_HOME=os.path.join(work, "user", "cache"),
                   QT_QPA_PLATFORM="xcb", VARO_AUDIO="null", LANG="C.UTF-8", NO_AT_BRIDGE="1")
        self.env = env
        self.processes = []

    def spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                   preexec_fn=die_with_parent, **kwargs)
        self.processes.append(process)
        return process

    def start_bus(self):
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            raise RuntimeError("dbus-daemon gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        self.logind = self.spawn([self.args.logind], stdout=subprocess.PIPE, text=True)
        if self.logind.stdout.readline().strip() != "ready":
            raise RuntimeError("the stand-in logind did not start")
        os.set_blocking(self.logind.stdout.fileno(), False)
        self.logind_lines = []

    def logind_says(self):
        chunk = self.logind.stdout.read()
        if chunk:
            self.logind_lines += chunk.splitlines()
        return self.logind_lines

    def varo(self, *arguments):
        return [self.args.varo, "--home", self.home, *arguments]

    def start_player(self, *files):
        self.player = self.spawn(self.varo(*files), stdout=subprocess.DEVNULL,
                                 stderr=open(os.path.join(self.work, "varo.log"), "a"))

    def playerctl(self, *arguments):
        result = subprocess.run(["playerctl", "--player=varo", *arguments], env=self.env,
                                capture_output=True, text=True, timeout=WAIT)
        return result.stdout.strip() if result.returncode == 0 else None

    def wait_for(self, what, get, want):
        try:
            wait_until(lambda: get() == want, WAIT, what)
            return True
        except TimeoutError:
            return self.check(False, f"{what}: {get()!r}, expected {want!r}")

    def status(self):
        return self.playerctl("status")

    def title(self):
        return self.playerctl("metadata", "xesam:title")

    def queue_written(self):
        with open(os.path.join(self.home, "varo.ini"), encoding="utf-8") as f:
            text = f.read()
        return re.findall(r"(?im)^list\d+=(.*)$", text)

    def quit(self):
        # The root interface's Quit runs the exit sequence (playerctl has no command for it).
        subprocess.run(["gdbus", "call", "--session", "--dest", "org.mpris.MediaPlayer2.varo",
                        "--object-path", "/org/mpris/MediaPlayer2", "--method",
                        "org.mpris.MediaPlayer2.Quit"], env=self.env, capture_output=True, timeout=WAIT)
        try:
            self.check(self.player.wait(timeout=WAIT) == 0, "Quit ends the player with 0")
        except subprocess.TimeoutExpired:
            self.check(False, "Quit ended the player")
            end_process(self.player)

    def close(self):
        for process in reversed(self.processes):
            end_process(process)


def check_bus_interfaces(d):
    d.wait_for("status at start", d.status, "Playing")
    out = subprocess.run(["gdbus", "introspect", "--session", "--dest", "org.mpris.MediaPlayer2.varo",
                          "--object-path", "/org/mpris/MediaPlayer2"], env=d.env,
                         capture_output=True, text=True, timeout=WAIT).stdout
    for interface in ("org.mpris.MediaPlayer2", "org.mpris.MediaPlayer2.Player"):
        d.check(f"interface {interface} {{" in out, f"gdbus introspect shows {interface}")
    for member in ("Raise", "Quit", "PlayPause", "SetPosition", "OpenUri", "Seeked", "Metadata"):
        d.check(re.search(rf"\b{member}\b", out), f"introspection lists {member}")


def check_transport_and_inhibitor(d, tracks):
    monitor = d.spawn(["gdbus", "monitor", "--session", "--dest", "org.mpris.MediaPlayer2.varo",
                       "--object-path", "/org/mpris/MediaPlayer2"], stdout=subprocess.PIPE, text=True)
    time.sleep(0.5)  # subscribed before the first command
    meta = d.playerctl("metadata", "--format", "{{xesam:title}}|{{xesam:artist}}|{{xesam:url}}")
    d.check(meta == f"{TITLES[0]}|{ARTIST}|file://{tracks[0]}", f"metadata {meta!r}")
    inhibited = lambda: any(l.startswith("inhibit sleep:idle VARO") and l.endswith(" block")
                            for l in d.logind_says())
    d.check(wait_until(inhibited, WAIT, "inhibitor while playing"), "an idle-sleep lock while playing")

    d.playerctl("pause")
    d.wait_for("status after pause", d.status, "Paused")
    d.check(wait_until(lambda: "released" in d.logind_says(), WAIT, "lock let go"), "lock let go on pause")
    d.logind_lines.clear()
    d.playerctl("play")  # resumes the paused track
    d.wait_for("status after play", d.status, "Playing")
    d.check(wait_until(inhibited, WAIT, "inhibitor after resume"), "the lock taken again on resume")
    d.wait_for("title after resume", d.title, TITLES[0])

    d.playerctl("next")
    d.wait_for("title after next", d.title, TITLES[1])
    d.playerctl("previous")
    d.wait_for("title after previous", d.title, TITLES[0])

    # Seeking needs the track's length; a stream that reports none cannot seek.
    can_seek = d.playerctl("metadata", "mpris:length")
    if can_seek:
        d.playerctl("position", "20")
        position = float(d.playerctl("position") or 0)
        d.check(19.5 <= position < 40, f"position after seeking to 20 s: {position}")
        d.playerctl("position", "5-")
        position = float(d.playerctl("position") or 0)
        d.check(14.5 <= position < 35, f"position after seeking back 5 s: {position}")
    else:
        d.check(False, "mpris:length in the metadata (seeking needs the track's length)")
    time.sleep(0.5)  # the last signals reach the monitor
    end_process(monitor)
    signals = monitor.stdout.read()
    seeked = re.findall(r"Player\.Seeked \(int64 (\d+),\)", signals)
    d.check(len(seeked) == 2 and 19.5e6 <= int(seeked[0]) < 40e6, f"Seeked signals: {seeked}")
    states = re.findall(r"PropertiesChanged \('org\.mpris\.MediaPlayer2\.Player', \{[^\n]*'PlaybackStatus': <'(\w+)'>",
                        signals)
    d.check(states[:2] == ["Paused", "Playing"], f"PlaybackStatus announced: {states}")
    # A track's metadata may be announced again when its length becomes exact.
    announced = re.findall(r"'xesam:title': <'([^']*)'>", signals)
    titles = [t for n, t in enumerate(announced) if n == 0 or t != announced[n - 1]]
    d.check(titles[-2:] == [TITLES[1], TITLES[0]], f"titles announced: {titles}")


def check_hand_over(d, tracks):
    d.sockets = [f for f in os.listdir(d.runtime) if f.startswith("varo-") and f.endswith(".socket")]
    d.check(len(d.sockets) == 1, f"one socket in the runtime folder while running: {d.sockets}")
    d.playerctl("pause")
    d.wait_for("status before enqueue", d.status, "Paused")
    second = subprocess.run(d.varo("--enqueue", tracks[3]), env=d.env, timeout=WAIT)
    d.check(second.returncode == 0, f"--enqueue start ends with 0 (got {second.returncode})")
    time.sleep(1)  # nothing is to change; give a wrong change the time to show
    d.check(d.status() == "Paused", "--enqueue leaves a paused player paused")
    second = subprocess.run(d.varo(tracks[2]), env=dict(d.env, DESKTOP_STARTUP_ID=STARTUP_ID), timeout=WAIT)
    d.check(second.returncode == 0, f"second start ends with 0 (got {second.returncode})")
    d.wait_for("status after a second start with a file", d.status, "Playing")
    ids = [d.x.run(["xprop", "-id", str(w), "_NET_STARTUP_ID"], check=False)
           for w in d.x.visible_windows(pid=d.player.pid)]
    d.check(any(f'"{STARTUP_ID}"' in i for i in ids), f"the launch's startup id on the raised window: {ids}")
    d.check(d.player.poll() is None, "the first player runs on")
    d.quit()
    d.check(d.queue_written() == [tracks[0], tracks[1], tracks[3], tracks[2]],
            f"queue written at exit: {d.queue_written()}")


def check_stale_leftovers(d, tracks):
    # What a crashed player leaves: its lock naming a process that is gone, and its socket.
    sockets = [f for f in os.listdir(d.runtime) if f.endswith(".socket")]
    d.check(not sockets, f"the socket removed at exit: {sockets}")
    if len(d.sockets) != 1:
        return
    base = os.path.join(d.runtime, d.sockets[0][:-len(".socket")])
    gone = subprocess.Popen(["true"])
    gone.wait()
    with open(base + ".lock", "w") as f:
        f.write(f"{gone.pid}\nvaro\n{socket.gethostname()}\n")
    left = socket.socket(socket.AF_UNIX)
    left.bind(base + ".socket")
    left.close()
    d.start_player(tracks[0])
    d.wait_for("status after a start over stale leftovers", d.status, "Playing")
    third = subprocess.run(d.varo("--enqueue", tracks[1]), env=d.env, timeout=WAIT)
    d.check(third.returncode == 0 and d.player.poll() is None, "the new player takes hand-overs")
    d.quit()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("varo", "logind", "corpus"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print(f"FAIL not installed: {' '.join(missing)} (scripts/install-deps.sh test)")
        return 1
    work = tempfile.mkdtemp(prefix="varo-desktop-")
    d = Desktop(args, work)
    try:
        d.x = XSession(work, d.env).__enter__()
        d.env = d.x.env
        d.start_bus()
        tracks = make_tracks(args.corpus, work, TITLES, ARTIST, 120)
        d.start_player(tracks[0], tracks[1])
        check_bus_interfaces(d)
        check_transport_and_inhibitor(d, tracks)
        check_hand_over(d, tracks)
        check_stale_leftovers(d, tracks)
    except (TimeoutError, RuntimeError, XSessionError, subprocess.TimeoutExpired) as e:
        d.check(False, str(e))
    finally:
        d.close()
        if hasattr(d, "x"):
            d.x.__exit__(None, None, None)
        if d.failures:
            try:
                with open(os.path.join(work, "varo.log"), errors="replace") as f:
                    print(f.read()[-3000:])
            except OSError:
                pass
        shutil.rmtree(work, ignore_errors=True)
    return d.failures.report()


if __name__ == "__main__":
    sys.exit(main())
