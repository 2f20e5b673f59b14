"""A private X display for driving a program as a person would: Xvfb on a display it picks
itself (-displayfd), the openbox window manager and the trayer system-tray host, each
started here and ended by its own process id. Helpers around xdotool, xwininfo and import.
"""
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import die_with_parent, end_process, wait_until  # noqa: E402,F401

SCREEN = (1024, 768)
TOOLS = ("Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xprop", "import", "xdpyinfo")


class XSessionError(RuntimeError):
    pass


class XSession:
    """Use as a context manager. env is the environment for X clients of this display."""

    def __init__(self, workdir, base_env):
        self.workdir = workdir
        self.env = dict(base_env)
        self.display = None
        self._processes = []  # (name, Popen), ended in reverse order

    def __enter__(self):
        missing = [t for t in TOOLS if shutil.which(t) is None]
        if missing:
            raise XSessionError(f"not installed: {' '.join(missing)} (scripts/install-deps.sh test)")
        try:
            self._start_xvfb()
            self._start_window_manager()
            self._start_tray_host()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        while self._processes:
            _, process = self._processes.pop()
            end_process(process)
        return False

    # --- the three servers -------------------------------------------------------------

    def _spawn(self, name, argv, **kwargs):
        log = open(os.path.join(self.workdir, f"{name}.log"), "w")
        process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, preexec_fn=die_with_parent,
                                   **kwargs)
        self._processes.append((name, process))
        return process

    def log(self, name):
        try:
            with open(os.path.join(self.workdir, f"{name}.log"), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        try:
            xvfb = self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                        f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset",
                                        "-wr"], pass_fds=(write_end,))
            os.close(write_end)
            write_end = -1
            number = b""
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                piece = os.read(read_end, 16)
                if not piece:
                    break
                number += piece
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)
        if not number.strip().isdigit():
            raise XSessionError("Xvfb named no display:\n" + self.log("xvfb"))
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        wait_until(lambda: xvfb.poll() is not None or self.run_ok(["xdpyinfo"]), 20,
                   "Xvfb answering")
        if xvfb.poll() is not None:
            raise XSessionError("Xvfb ended:\n" + self.log("xvfb"))

    def _start_window_manager(self):
        wm = self._spawn("openbox", ["openbox", "--sm-disable"])

        def managed():
            if wm.poll() is not None:
                raise XSessionError("openbox ended:\n" + self.log("openbox"))
            out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
            return "window id" in out

        wait_until(managed, 20, "openbox managing the screen")

    def _start_tray_host(self):
        self.tray_host = self._spawn(
            "trayer", ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                       "--width", "96", "--height", "32", "--SetDockType", "true",
                       "--transparent", "false", "--tint", "0x404040", "--expand", "false"])

        def shown():
            if self.tray_host.poll() is not None:
                raise XSessionError("trayer ended:\n" + self.log("trayer"))
            return self.visible_windows(pid=self.tray_host.pid)

        self.tray_windows = wait_until(shown, 20, "the tray host's panel")

    # --- commands ----------------------------------------------------------------------

    def run(self, argv, check=True, timeout=20):
        done = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)
        if check and done.returncode != 0:
            raise XSessionError(f"{' '.join(argv)}: exit {done.returncode}: {done.stderr.strip()}")
        return done.stdout

    def run_ok(self, argv):
        return subprocess.run(argv, env=self.env, capture_output=True,
                              timeout=20).returncode == 0

    def xdotool(self, *args):
        return self.run(["xdotool", *map(str, args)])

    def visible_windows(self, pid=None, name=None):
        """Ids of the mapped windows of a process and/or with a title matching name."""
        args = ["xdotool", "search", "--onlyvisible"]
        if pid is not None:
            args += ["--pid", str(pid)]
        if name is not None:
            args += ["--name", name]
        if pid is not None and name is not None:
            args.insert(2, "--all")
        return [int(w) for w in self.run(args, check=False).split()]

    def geometry(self, window):
        """Absolute (x, y, width, height) and map state of a window."""
        out = self.run(["xwininfo", "-id", str(window)])
        field = lambda label: re.search(label + r":\s+(-?\d+)", out).group(1)  # noqa: E731
        state = re.search(r"Map State:\s+(\w+)", out).group(1)
        return (int(field("Absolute upper-left X")), int(field("Absolute upper-left Y")),
                int(field("Width")), int(field("Height")), state)

    def is_viewable(self, window):
        try:
            return self.geometry(window)[4] == "IsViewable"
        except XSessionError:
            return False  # destroyed

    def children(self, window):
        """Ids of the direct children of a window."""
        out = self.run(["xwininfo", "-children", "-id", str(window)])
        return [int(m, 16) for m in re.findall(r"^\s+(0x[0-9a-f]+)\s", out, re.M)]

    def pointer(self):
        out = self.xdotool("getmouselocation")
        return int(re.search(r"x:(-?\d+)", out).group(1)), int(re.search(r"y:(-?\d+)", out).group(1))

    def move(self, x, y):
        # --sync waits for the pointer to move, which it never does when it is already there.
        if self.pointer() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1, repeat=1):
        self.move(x, y)
        time.sleep(0.05)
        self.xdotool("click", "--repeat", repeat, "--delay", 120, button)

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", "--delay", 60, k)
            time.sleep(0.25)

    def drag(self, start, end, steps=12):
        """Press the left button at start, move there in steps, release: a real drag."""
        self.move(*start)
        self.xdotool("mousedown", 1)
        time.sleep(0.3)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.xdotool("mousemove", x, y)
            time.sleep(0.08)
        time.sleep(0.4)
        self.xdotool("mouseup", 1)

    def screenshot(self, path):
        self.run(["import", "-window", "root", path])
        return path
