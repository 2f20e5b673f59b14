"""varo-play run with --timestamps --control: its report lines as they arrive, commands
sent on its standard input."""
import re
import subprocess
import threading
import time

from sound_server import audio_priority

_LINE = re.compile(r"^\[(\d+\.\d+)\] (.*)$")


class PlayedRun:
    def __init__(self, play, args, env):
        self.lines = []  # (monotonic time, text)
        self._changed = threading.Condition()
        self.process = subprocess.Popen([play, "--timestamps", "--control"] + args, env=env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True,
                                        preexec_fn=audio_priority)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.process.stdout:
            m = _LINE.match(raw.rstrip("\n"))
            with self._changed:
                self.lines.append((float(m.group(1)), m.group(2)) if m else (None, raw.rstrip("\n")))
                self._changed.notify_all()

    def wait_for(self, text, count=1, timeout=30):
        """Time of the count-th line equal to text; raises on time-out."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                found = [t for t, line in self.lines if line == text]
                if len(found) >= count:
                    return found[count - 1]
                left = deadline - time.monotonic()
                if left <= 0 or (self.process.poll() is not None and not self._reader.is_alive()):
                    raise TimeoutError(f"varo-play never reported '{text}' ({count}x)")
                self._changed.wait(min(left, 0.1))

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def finish(self, timeout=60):
        """Closes the command input, waits for the end; returns (exit status, stderr)."""
        try:
            self.process.stdin.close()
        except BrokenPipeError:
            pass
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise TimeoutError("varo-play did not end")
        self._reader.join(timeout=5)
        return self.process.returncode, self.process.stderr.read()

    def times(self, text):
        return [t for t, line in self.lines if line == text]

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
