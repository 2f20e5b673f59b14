"""How loud the sound server's sink is over the next moments, from a running recording of
its monitor (tests/sound/sound_server.py)."""
import math
import time
from dataclasses import dataclass


@dataclass
class Level:
    seconds: float
    rms: float
    peak: int

    def __str__(self):
        return f"RMS {self.rms:.0f}, peak {self.peak} over {self.seconds:.2f} s"


def measure(recording, seconds=1.0):
    """The level of what reaches the sink during the next seconds."""
    first = recording.frames()
    time.sleep(seconds)
    last = recording.frames()
    samples, _ = recording.snapshot()
    piece = samples[first * recording.server.channels:last * recording.server.channels]
    if not piece:
        return Level(0.0, 0.0, 0)
    rms = math.sqrt(sum(v * v for v in piece) / len(piece))
    return Level((last - first) / recording.server.rate, rms, max(map(abs, piece)))
