#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets from the conformance streams and the corpus.

Each seed is a stream file, cut to its first and last bytes when it is large (the tags sit at
both ends), followed by the control trailer its target reads (see the target's source).

usage: make_seeds.py DATA_DIR OUT_DIR
writes OUT_DIR/fuzz_frame_decoder, OUT_DIR/fuzz_tag_reader, OUT_DIR/fuzz_stream_open
"""
import pathlib
import shutil
import sys

CUTOFF = 24000
# Bytes kept from the start and the end of a file. The decoder needs a few frames only (and
# runs faster on short inputs); the stream walk needs room for the junk limit (4096 bytes);
# the tags sit at both ends. Each target refuses inputs longer than these and their trailer.
DECODER_HEAD = 4 * 1024
STREAM_HEAD, STREAM_TAIL = 10 * 1024, 2 * 1024
TAGS_HEAD, TAGS_TAIL = 8 * 1024, 4 * 1024


def trimmed(data, head, tail):
    return data if len(data) <= head + tail else data[:head] + data[-tail:]


def first_header(data):
    """Bytes 1-3 of the first FF Fx / FF Ex pair, or None."""
    for i in range(len(data) - 3):
        if data[i] == 0xFF and data[i + 1] & 0xE0 == 0xE0:
            return data[i + 1:i + 4], i
    return None, 0


def decoder_trailer(flags, reopen=0, eq=(0, 0), header=b"\xfb\x90\x00", free_length=0):
    return bytes([flags, CUTOFF >> 8, CUTOFF & 0xFF, reopen, eq[0], eq[1]]) + bytes(header) + \
        bytes([free_length >> 8, free_length & 0xFF])


def decoder_seeds(name, data):
    body = data[:DECODER_HEAD]
    best, plain, sse2 = 0x10, 0x00, 0x08
    yield name + ".walk", body + decoder_trailer(best)
    yield name + ".walk-fullband-mix-twice", body + decoder_trailer(plain | 0x04 | 0x01, reopen=0x85)
    yield name + ".walk-right-eq", body + decoder_trailer(sse2 | 0x03 | 0x40 | 0x80, eq=(40, 3))
    header, at = first_header(data)
    if header is not None:
        # The frames of the file cut into slices behind its own header.
        yield name + ".synth", data[at + 4:at + 4 + DECODER_HEAD] + decoder_trailer(best | 0x20, header=header,
                                                                          free_length=417)


def tag_seeds(name, data):
    body = trimmed(data, TAGS_HEAD, TAGS_TAIL)
    yield name + ".seekable", body + bytes([0x01, 0x07])
    yield name + ".pipe", body + bytes([0x00 | (3 << 1) | 0x10, 0x1F])


def stream_seeds(name, data):
    body = trimmed(data, STREAM_HEAD, STREAM_TAIL)
    yield name + ".seekable-rewind", body + bytes([0x01 | (2 << 5), 0x01])
    yield name + ".pipe", body + bytes([0x00 | (4 << 1), 0x00])
    yield name + ".free", body + bytes([0x01 | 0x10, 0x00])


def main():
    data_dir, out_dir = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    files = sorted(data_dir.glob("conformance/*.bit"))
    files += sorted(p for p in data_dir.glob("corpus/**/*") if p.suffix in (".mp3", ".mp2"))
    files = [p for p in files if "bench" not in p.parts]
    targets = {"fuzz_frame_decoder": decoder_seeds, "fuzz_tag_reader": tag_seeds, "fuzz_stream_open": stream_seeds}
    targets.update({name + "_replay": make for name, make in targets.items()})
    for target, make in targets.items():
        target_dir = out_dir / target
        shutil.rmtree(target_dir, ignore_errors=True)
        target_dir.mkdir(parents=True)
        for path in files:
            for seed_name, seed in make(path.name, path.read_bytes()):
                (target_dir / seed_name).write_bytes(seed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
