"""A private PulseAudio server with one null sink, for tests that play through ALSA's
default device without sound hardware and without touching the user's session.

Everything lives in one temporary folder: the server's runtime, state and configuration,
the client configuration (no autospawn) and an ALSA configuration whose default PCM is the
pulse plugin pointed at this server's socket. The server and the recorder are ended by
their process ids.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_support import die_with_parent, end_process  # noqa: E402

SINK = "varo_test_sink"

# Variables that could lead a client to another server or session.
_FOREIGN = ("PULSE_SERVER", "PULSE_SINK", "PULSE_SOURCE", "PULSE_COOKIE", "DBUS_SESSION_BUS_ADDRESS",
            "DISPLAY", "WAYLAND_DISPLAY", "ALSA_CONFIG_PATH", "VARO_AUDIO", "PIPEWIRE_RUNTIME_DIR")


class SoundServerError(RuntimeError):
    pass


def raise_priority():
    """The priority a desktop gives its sound threads (through rtkit), so a compiler at the
    normal priority does not starve the 200 ms device buffer or the monitor's reader. Only
    where allowed (root, as CI runs); elsewhere the processes keep their own."""
    try:
        os.nice(-10)
    except OSError:
        pass


def audio_priority():
    """In the child before exec: raised priority, ended with its parent."""
    die_with_parent()
    raise_priority()


class SoundServer:
    """Use as a context manager; env() is the environment for the programs under test."""

    def __init__(self, rate=44100, channels=2):
        self.rate, self.channels = rate, channels
        self.dir = None
        self.server = None
        self._log = None
        self._env = None

    def __enter__(self):
        for tool in ("pulseaudio", "parec", "pactl"):
            if shutil.which(tool) is None:
                raise SoundServerError(f"{tool} is not installed (scripts/install-deps.sh test)")
        self.dir = tempfile.mkdtemp(prefix="varo-sound-")
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if self.server is not None:
            end_process(self.server)
            self.server = None
        if self._log is not None:
            self._log.close()
            self._log = None
        if self.dir is not None:
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None
        return False

    def env(self):
        return dict(self._env)

    def _start(self):
        d = self.dir
        paths = {name: os.path.join(d, name) for name in ("runtime", "home", "state", "config")}
        for name, path in paths.items():
            os.makedirs(path, mode=0o700)
        socket = os.path.join(paths["runtime"], "native")
        server = "unix:" + socket
        with open(os.path.join(d, "server.pa"), "w") as f:
            f.write(f"load-module module-null-sink sink_name={SINK} rate={self.rate} "
                    f"channels={self.channels} format=s16le\n"
                    f"load-module module-native-protocol-unix socket={socket} auth-anonymous=1\n"
                    f"set-default-sink {SINK}\n")
        client_conf = os.path.join(d, "client.conf")
        with open(client_conf, "w") as f:
            f.write("autospawn = no\nenable-shm = no\n")
        asound_conf = os.path.join(d, "asound.conf")
        with open(asound_conf, "w") as f:
            f.write("</usr/share/alsa/alsa.conf>\n"
                    f'pcm.!default {{ type pulse server "{server}" }}\n'
                    f'ctl.!default {{ type pulse server "{server}" }}\n')
        env = {k: v for k, v in os.environ.items() if k not in _FOREIGN}
        env.update(DBUS_SESSION_BUS_ADDRESS="disabled:",HOME=paths["home"], XDG_RUNTIME_DIR=paths["runtime"],
                   XDG_CONFIG_HOME=paths["config"], XDG_STATE_HOME=paths["state"],
                   PULSE_RUNTIME_PATH=paths["runtime"], PULSE_STATE_PATH=paths["state"],
                   PULSE_CONFIG_PATH=paths["config"], PULSE_CLIENTCONFIG=client_conf,
                   PULSE_SERVER=server, ALSA_CONFIG_PATH=asound_conf)
        self._env = env
        self._log = open(os.path.join(d, "server.log"), "w")
        # -n: no default script (which would look for sound cards); running as root needs
        # no --system here, the server only warns.
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "-F", os.path.join(d, "server.pa"), "--daemonize=no",
             "--system=false", "--use-pid-file=false", "--exit-idle-time=-1", "--disallow-exit",
             "--disable-shm=yes", "--realtime=no", "--high-priority=no", "--log-target=stderr",
             "--log-level=warning"],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=self._log, preexec_fn=audio_priority)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            if self.server.poll() is not None:
                raise SoundServerError("pulseaudio ended at start-up:\n" + self.log())
            probe = subprocess.run(["pactl", "info"], env=env, capture_output=True, text=True)
            if probe.returncode == 0 and f"Default Sink: {SINK}" in probe.stdout:
                return
            time.sleep(0.1)
        raise SoundServerError("pulseaudio did not answer within 15 s:\n" + self.log())

    def log(self):
        try:
            with open(os.path.join(self.dir, "server.log")) as f:
                return f.read()
        except OSError:
            return ""


class MonitorRecording:
    """Records the sink's monitor as raw s16le and notes, for every piece read, the
    monotonic time it arrived and how many sample frames had arrived by then."""

    def __init__(self, server):
        self.server = server
        self.data = bytearray()
        self.arrivals = []  # (time.monotonic(), frames received so far)
        self._lock = threading.Lock()
        self.process = None
        self._reader = None

    def __enter__(self):
        s = self.server
        self.process = subprocess.Popen(
            ["parec", f"--device={SINK}.monitor", "--format=s16le", f"--rate={s.rate}",
             f"--channels={s.channels}", "--raw", "--latency-msec=10"],
            env=s.env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.PIPE, preexec_fn=audio_priority)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        # Wait for the first samples: the stream is connected and the sink is running.
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.frames() == 0:
            if self.process.poll() is not None:
                raise SoundServerError("parec ended: " + self.process.stderr.read().decode())
            time.sleep(0.02)
        if self.frames() == 0:
            raise SoundServerError("the monitor delivered nothing within 10 s")
        return self

    def __exit__(self, *exc):
        if self.process is not None:
            end_process(self.process)
            self._reader.join(timeout=5)
            self.process = None
        return False

    def _read(self):
        frame_bytes = 2 * self.server.channels
        out = self.process.stdout
        while True:
            piece = os.read(out.fileno(), 65536)
            now = time.monotonic()
            if not piece:
                return
            with self._lock:
                self.data += piece
                self.arrivals.append((now, len(self.data) // frame_bytes))

    def frames(self):
        with self._lock:
            return len(self.data) // (2 * self.server.channels)

    def wait_past(self, moment, timeout=30):
        """Waits until the recorder has read a piece that arrived after moment (monotonic
        time): everything the sink rendered before then is in the recording."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with self._lock:
                if self.arrivals and self.arrivals[-1][0] > moment:
                    return
            time.sleep(0.02)
        raise SoundServerError(f"the monitor delivered nothing after the moment asked for within {timeout} s")

    def snapshot(self):
        """The samples so far (array of int16, interleaved) and the arrival notes."""
        import array
        with self._lock:
            usable = len(self.data) - len(self.data) % (2 * self.server.channels)
            samples = array.array("h")
            samples.frombytes(bytes(self.data[:usable]))
            return samples, list(self.arrivals)
