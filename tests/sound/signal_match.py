"""Lining a recording up with a reference decode, in plain Python (16-bit sample arrays).

A lag L means recording[L + i] corresponds to reference[i]. Lags are found in two steps:
10 ms energy envelopes narrow the search, then the samples themselves decide, by an exact
match when the path was bit-exact and by cross-correlation otherwise.
"""
import array
import math
from operator import mul

BLOCK = 441  # envelope block, 10 ms at 44.1 kHz


def channel(samples, index, channels=2):
    return samples[index::channels]


def envelope(x, block=BLOCK):
    return [sum(map(abs, x[k:k + block])) for k in range(0, len(x) - block + 1, block)]


def _coarse_lag(rec, ref, lo, hi):
    """Block lag (in samples) with the best normalised envelope correlation."""
    er, ef = envelope(rec), envelope(ref)
    norm_f = math.sqrt(sum(v * v for v in ef)) or 1.0
    best, best_lag = -1.0, lo
    for k in range(max(0, lo // BLOCK - 1), min(len(er), hi // BLOCK + 2)):
        part = er[k:k + len(ef)]
        if not part:
            break
        dot = sum(map(mul, part, ef))
        norm_r = math.sqrt(sum(v * v for v in part)) or 1.0
        score = dot / (norm_r * norm_f)
        if score > best:
            best, best_lag = score, k * BLOCK
    return best_lag


def _loudest_window(ref, size):
    """Start of a size-sample window of ref with much energy (a distinctive piece)."""
    ef = envelope(ref)
    if not ef:
        return 0
    k = max(range(len(ef)), key=ef.__getitem__)
    return max(0, min(k * BLOCK, len(ref) - size))


def find_lag(rec, ref, lo, hi, window=1024, spread=3 * BLOCK):
    """The lag in [lo, hi] at which rec best matches ref; None when ref is silent."""
    if not any(ref):
        return None
    coarse = _coarse_lag(rec, ref, lo, hi)
    w0 = _loudest_window(ref, window)
    piece = ref[w0:w0 + window]
    first = max(lo, coarse - spread)
    last = min(hi, coarse + spread)
    # Exact copy first: a bit-exact path makes this a plain search.
    hay = rec[max(0, first + w0):max(0, last + w0) + window].tobytes()
    needle = piece.tobytes()
    at = hay.find(needle)
    while at >= 0 and at % 2:  # byte offsets inside a sample do not count
        at = hay.find(needle, at + 1)
    if at >= 0:
        return max(0, first + w0) + at // 2 - w0
    best, best_lag = -math.inf, None
    for lag in range(first, last + 1):
        start = lag + w0
        if start < 0 or start + window > len(rec):
            continue
        score = sum(map(mul, rec[start:start + window], piece))
        if score > best:
            best, best_lag = score, lag
    return best_lag


def pair(rec, ref, lag, start=0, end=None):
    """The overlapping samples of rec and ref for ref indexes [start, end)."""
    end = len(ref) if end is None else end
    start = max(start, -lag)
    end = min(end, len(rec) - lag)
    if end <= start:
        return array.array("h"), array.array("h")
    return rec[lag + start:lag + end], ref[start:end]


def rms(x):
    return math.sqrt(sum(v * v for v in x) / len(x)) if len(x) else 0.0


def rms_difference(a, b):
    return rms([p - q for p, q in zip(a, b)])


def first_mismatch(a, b, limit, block=BLOCK):
    """Index (in samples) of the first block whose RMS difference exceeds limit, or None."""
    for k in range(0, min(len(a), len(b)), block):
        if rms_difference(a[k:k + block], b[k:k + block]) > limit:
            return k
    return None


def gain(a, b):
    """Least-squares factor g with a ~ g * b."""
    den = sum(map(mul, b, b))
    return sum(map(mul, a, b)) / den if den else 0.0
