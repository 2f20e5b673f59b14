#!/usr/bin/env python3
"""Start-up and weight of the player beside a bare Qt window and, where installed, Audacious
and Qmmp, in one run on one private Xvfb display (no window manager) through one private
sound server. Per program: the time from spawn to its first window mapped (median of RUNS
fresh starts), then, while it plays a 60 s 128 kbit/s MP3, its resident memory and its CPU
share over a measured stretch (the player with its lyrics window open). A bare Qt window with a
line of Japanese text, measured the same way while it runs, shows the floor of any Qt window. Also the time a
second `varo FILE` takes to hand its file to the running player and end.

    bench/startup/compare.py --varo BUILD/app/varo --probe BUILD/bench/startup/varo_startup_probe
                             [--runs 7] [--seconds 20]
"""
import argparse
import ctypes
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
sys.path.insert(0, os.path.join(ROOT, "tests", "sound"))
from check_support import die_with_parent, end_process  # noqa: E402
from sound_server import SoundServer  # noqa: E402

TRACK = os.path.join(ROOT, "tests", "data", "corpus", "bench", "bench_60s_mpeg1_l3_cbr128_joint.mp3")
LYRICS = os.path.join(ROOT, "data", "demo", "varo-demo.txt")
# A bare Qt window showing a line of Japanese in the player's font, running (not playing): the
# floor of resident memory for any Qt window with this program's text.
TEXT_WINDOW = "Qt window, text"
MAP_NOTIFY, SUBSTRUCTURE_NOTIFY_MASK = 19, 1 << 19
TICKS = os.sysconf("SC_CLK_TCK")


class MapWatch:
    """Top-level windows mapped on the display, with the moment each was seen."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XPending", "XConnectionNumber", "XFlush"):
            getattr(self.x, name).argtypes = [ctypes.c_void_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display}")
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy), SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.dpy)
        self.fd = self.x.XConnectionNumber(self.dpy)
        self.event = ctypes.create_string_buffer(192)

    def drain(self):
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, self.event)

    def first_map(self, timeout):
        """The monotonic time of the next top-level map (override-redirect windows too)."""
        deadline = time.monotonic() + timeout
        while True:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, self.event)
                if int.from_bytes(self.event.raw[0:4], "little") == MAP_NOTIFY:
                    return time.monotonic()
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.fd], [], [], left)


def start_xvfb(work, env):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,), env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            preexec_fn=die_with_parent)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        piece = os.read(read_end, 16)
        if not piece:
            raise RuntimeError("Xvfb gave no display number")
        number += piece
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


def tree(pid):
    """pid and its descendants."""
    pids, children = [pid], {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    ppid = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(ppid, []).append(int(entry))
            except (OSError, ValueError, IndexError):
                pass
    for p in pids:
        pids += children.get(p, [])
    return pids


def cpu_ticks(pids):
    total = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total


def rss_kib(pids):
    total = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/status") as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


class Bench:
    def __init__(self, args, work, env, watch):
        self.args, self.work, self.env, self.watch = args, work, env, watch
        self.count = 0

    def fresh_env(self, name):
        """A home of its own per program, kept across its runs (the first run sets it up)."""
        user = os.path.join(self.work, name)
        env = dict(self.env, HOME=user, XDG_CONFIG_HOME=os.path.join(user, "config"),
                   XDG_DATA_HOME=os.path.join(user, "data"), XDG_CACHE_HOME=os.path.join(user, "cache"))
        return env

    def spawn(self, argv, env):
        self.watch.drain()
        t0 = time.monotonic()
        process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        mapped = self.watch.first_map(30)
        return process, None if mapped is None else (mapped - t0) * 1000

    def start_ms(self, argv, env):
        samples = []
        for run in range(self.args.runs + 1):  # the first run warms caches and sets up the home
            process, ms = self.spawn(argv, env)
            time.sleep(0.5)
            end_process(process)
            if ms is not None and run > 0:
                samples.append(ms)
        return statistics.median(samples) if samples else None

    def playing(self, argv, env, settle=4):
        """Resident memory and CPU share while it plays; the process left running."""
        process, _ = self.spawn(argv, env)
        time.sleep(settle)
        pids = tree(process.pid)
        ticks, t = cpu_ticks(pids), time.monotonic()
        time.sleep(self.args.seconds)
        ticks, t = cpu_ticks(pids) - ticks, time.monotonic() - t
        return process, rss_kib(pids) / 1024, 100.0 * ticks / TICKS / t


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--varo", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--seconds", type=float, default=20)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="varo-startup-")
    rows, handover, spawn = [], None, None
    try:
        with SoundServer() as server:
            env = server.env()
            env.update(LANG="C.UTF-8", NO_AT_BRIDGE="1", DBUS_SESSION_BUS_ADDRESS="disabled:",
                       DBUS_SYSTEM_BUS_ADDRESS="disabled:",
                       QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
            os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
            for name in ("QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "VARO_HOME",
                         "WAYLAND_DISPLAY"):
                env.pop(name, None)
            xvfb, display = start_xvfb(work, env)
            try:
                env["DISPLAY"] = display
                bench = Bench(args, work, env, MapWatch(display))
                playlist = os.path.join(work, "bench.vrl")
                with open(playlist, "w", encoding="utf-8") as f:
                    f.write(f"{TRACK}\nbench\n{LYRICS}\n\n")
                programs = [("varo", [args.varo, "--home", os.path.join(work, "varo-home"), playlist]),
                            ("bare Qt window", [args.probe, "minimal", "0"]),
                            (TEXT_WINDOW, [args.probe, "text"])]
                for name, exe in (("Audacious", "audacious"), ("Qmmp", "qmmp")):
                    if shutil.which(exe):
                        programs.append((name, [exe, TRACK]))
                    else:
                        print(f"{name}: not installed, skipped")
                for name, argv in programs:
                    env_p = bench.fresh_env(name.split()[0].lower())
                    start = bench.start_ms(argv, env_p)
                    rss = cpu = None
                    if name != "bare Qt window":
                        process, rss, cpu = bench.playing(argv, env_p)
                        if name == "varo":
                            times = []
                            for _ in range(args.runs):
                                t0 = time.monotonic()
                                subprocess.run(argv[:3] + ["--enqueue", TRACK], env=env_p, timeout=30)
                                times.append((time.monotonic() - t0) * 1000)
                            handover = statistics.median(times)
                            times = []
                            for _ in range(args.runs):  # what any process start costs here
                                t0 = time.monotonic()
                                subprocess.run(["true"], env=env_p)
                                times.append((time.monotonic() - t0) * 1000)
                            spawn = statistics.median(times)
                        end_process(process)
                    rows.append((name, start, rss, cpu))
            finally:
                end_process(xvfb)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    def cell(value, unit, digits):
        return "-" if value is None else f"{value:.{digits}f} {unit}"
    print(f"{'program':16s} {'first window':>13s} {'resident playing':>17s} {'CPU playing':>12s}")
    for name, start, rss, cpu in rows:
        print(f"{name:16s} {cell(start, 'ms', 1):>13s} {cell(rss, 'MiB', 1):>17s} {cell(cpu, '%', 2):>12s}")
    by = {r[0]: r for r in rows}
    v = by.get("varo")
    for name in ("bare Qt window", TEXT_WINDOW, "Audacious", "Qmmp"):
        o = by.get(name)
        if v and o and v[1] and o[1]:
            extra = f", resident x{v[2] / o[2]:.2f}" if o[2] else ""
            extra += f", CPU x{v[3] / o[3]:.2f}" if o[3] else ""
            print(f"varo/{name}: first window x{v[1] / o[1]:.2f}{extra}")
    if handover is not None:
        print(f"second start handing over one file: {handover:.1f} ms (median of {args.runs}; "
              f"starting /bin/true: {spawn:.1f} ms)")


if __name__ == "__main__":
    sys.exit(main())
