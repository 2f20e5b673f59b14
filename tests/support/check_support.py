"""What the Python checks share: failures collected and reported in one form, the processes a
check starts tied to it and ended by their id, raw PCM read, and waiting for a condition.

A check script finds this folder with
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
"""

import array
import ctypes
import signal
import subprocess
import sys
import time


class Failures(list):
    """The failures of one check run; report() prints them and gives the exit status."""

    def check(self, condition, what):
        if not condition:
            self.append(what)
        return condition

    def report(self, figures=()):
        for line in figures:
            print(line)
        for failure in self:
            print("FAIL", failure)
        print("ok" if not self else f"{len(self)} failures")
        return 1 if self else 0


def die_with_parent():
    """Run in a child before exec: if the test is killed outright, the child ends too."""
    pr_set_pdeathsig = 1
    ctypes.CDLL(None).prctl(pr_set_pdeathsig, signal.SIGTERM)


def end_process(process, timeout=5):
    """Ends a child started here, by its pid: politely first."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=timeout)


def wait_until(condition, timeout, what, interval=0.1):
    """Polls condition() until it returns something true; that value is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"{what}: not within {timeout} s")
        time.sleep(interval)


def read_pcm(path):
    """16-bit little-endian samples of a raw file, interleaved as written."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return samples
