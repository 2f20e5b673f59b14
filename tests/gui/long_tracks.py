"""Tracks long enough to be driven by hand: a short Layer II stream of the corpus repeated
(Layer II frames stand alone, so the copies join into one valid stream) and an ID3v1 tag
with a title and an artist of our own, so each track shows a label of its own."""
import os

# Loud all the way through: a pause or stop is the only silence at the sink.
SOURCES = ("layer2/l2_mpeg1_44k_stereo_384_white.mp2",
           "layer2/l2_mpeg1_44k_joint_160_pink.mp2",
           "layer2/l2_mpeg1_44k_stereo_256_sweep.mp2")
SOURCE_SECONDS = 1.5


def id3v1(title, artist):
    def field(text, size):
        data = text.encode("utf-8")
        if len(data) > size:
            raise ValueError(f"{text!r} is longer than {size} bytes")
        return data.ljust(size, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field("", 30) + b"2024" +
            field("", 30) + bytes([255]))


def make_tracks(corpus, out_dir, titles, artist, seconds):
    """One file per title, each from the next source, lasting about seconds."""
    paths = []
    repeats = max(1, round(seconds / SOURCE_SECONDS))
    for n, title in enumerate(titles):
        with open(os.path.join(corpus, SOURCES[n % len(SOURCES)]), "rb") as f:
            frames = f.read()
        path = os.path.join(out_dir, f"track{n + 1}.mp3")
        with open(path, "wb") as f:
            f.write(frames * repeats + id3v1(title, artist))
        paths.append(path)
    return paths
