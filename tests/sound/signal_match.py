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


def _coarse_lags(rec, ref, lo, hi):
    """Block lags (in samples), the best normalised envelope correlation first."""
    er, ef = envelope(rec), envelope(ref)
    norm_f = math.sqrt(sum(v * v for v in ef)) or 1.0
    scored = []
    for k in range(max(0, lo // BLOCK - 1), min(len(er), hi // BLOCK + 2)):
        part = er[k:k + len(ef)]
        if not part:
            break
        dot = sum(map(mul, part, ef))
        norm_r = math.sqrt(sum(v * v for v in part)) or 1.0
        scored.append((dot / (norm_r * norm_f), k * BLOCK))
    scored.sort(key=lambda s: -s[0])
    return [lag for _, lag in scored] or [lo]


def _loudest_window(ref, size):
    """Start of a size-sample window of ref with much energy (a distinctive piece)."""
    ef = envelope(ref)
    if not ef:
        return 0
    k = max(range(len(ef)), key=ef.__getitem__)
    return max(0, min(k * BLOCK, len(ref) - size))


def find_lag(rec, ref, lo, hi, window=1024, spread=3 * BLOCK, candidates=8):
    """The lag in [lo, hi] at which rec best matches ref; None when ref is silent. ref must
    occur once in that range: the envelope cannot tell copies of a steady sound apart."""
    if not any(ref):
        return None
    w0 = _loudest_window(ref, window)
    piece = ref[w0:w0 + window]
    needle = piece.tobytes()
    # A steady sound (noise, a sweep) has a flat envelope that fits another steady sound
    # nearly as well as its own place: the samples decide between the best few places.
    tried = []
    for coarse in _coarse_lags(rec, ref, lo, hi):
        if len(tried) == candidates:
            break
        if any(abs(coarse - t) <= 2 * spread for t in tried):
            continue
        tried.append(coarse)
        first = max(lo, coarse - spread)
        last = min(hi, coarse + spread)
        # Exact copy first: a bit-exact path makes this a plain search.
        hay = rec[max(0, first + w0):max(0, last + w0) + window].tobytes()
        at = hay.find(needle)
        while at >= 0 and at % 2:  # byte offsets inside a sample do not count
            at = hay.find(needle, at + 1)
        if at >= 0:
            return max(0, first + w0) + at // 2 - w0
    first = max(lo, tried[0] - spread)
    last = min(hi, tried[0] + spread)
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


def close_gaps(rec, ref, lag, channel_index=0, channels=2, tolerance=16, slip=0, probe=256):
    """The recording from frame lag on, with its silences taken out: where the recording turns
    to exact silence while the reference does not (a pause, or a starved device the server
    filled in), the silence is dropped, and the sound after it must go on where it stopped,
    give or take slip frames: a piece lost or repeated beyond that is not taken for a gap.
    Compares one channel. Returns (interleaved samples lined up with ref from its start,
    gaps, reference frames followed), each gap (reference frame it resumed at, frames of
    silence, frames lost: negative when heard twice)."""
    r = rec[channel_index::channels]
    f = ref[channel_index::channels]
    pieces, gaps = [], []
    i, j, start = 0, lag, lag
    while i < len(f) and j < len(r):
        if abs(r[j] - f[i]) <= tolerance:
            i, j = i + 1, j + 1
            continue
        quiet = j  # where the silence began: its first frames may have matched quiet samples
        while quiet > start and r[quiet - 1] == 0 and j - (quiet - 1) <= i:
            quiet -= 1
        end = j
        while end < len(r) and r[end] == 0:
            end += 1
        if end == j or end == len(r):
            break  # other samples, or the recording ends: left to the caller's checks
        stopped = i - (j - quiet)  # the reference frame the silence began at
        resumed = None
        for k in sorted(range(max(0, stopped - slip), min(len(f), i + slip + 1)),
                        key=lambda k: (abs(k - stopped) if k < stopped or k > i else 0, k)):
            if all(abs(r[end + m] - f[k + m]) <= tolerance
                   for m in range(min(probe, len(f) - k, len(r) - end))):
                resumed = k
                break
        if resumed is None:
            break
        until = j - (i - resumed)  # the recording frame that would have held f[resumed]
        pieces.append(rec[channels * start:channels * until])
        gaps.append((resumed, end - quiet, resumed - stopped if resumed < stopped or resumed > i else 0))
        i, j, start = resumed, end, end
    pieces.append(rec[channels * start:])
    joined = array.array("h")
    for piece in pieces:
        joined.extend(piece)
    return joined, gaps, i


def without_lost(ref, gaps, channels=2):
    """A copy of ref with the frames lost at the gaps silenced, as the recording holds them."""
    out = array.array("h", ref)
    for resumed, _, lost in gaps:
        if lost > 0:
            out[channels * (resumed - lost):channels * resumed] = array.array("h", bytes(2 * channels * lost))
    return out


def find_copy(rec, piece, lo, hi):
    """The first lag in [lo, hi] where rec holds piece sample for sample, or None. Only for
    pieces that occur once (noise): a periodic piece matches a period early too."""
    lo = max(0, lo)
    hay = rec[lo:hi + len(piece)].tobytes()
    at = hay.find(piece.tobytes())
    while at >= 0 and at % 2:
        at = hay.find(piece.tobytes(), at + 1)
    return None if at < 0 else lo + at // 2
