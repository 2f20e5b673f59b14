#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets from the conformance streams and the corpus.

Each seed is a stream file, cut to its first and last bytes when it is large (the tags sit at
both ends), followed by the control trailer its target reads (see the target's source).

The application's targets get skins (the layouts of the shipped skins over small bitmaps of
every depth), playlists, lyrics (the demo lyrics among them) and settings files.

usage: make_seeds.py DATA_DIR OUT_DIR
writes OUT_DIR/<target> for every fuzz target
"""
import pathlib
import shutil
import struct
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


def bmp(width, height, bpp, rle=False):
    """A small bitmap with a transparent (black) border and a coloured inside."""
    colours = [(0, 0, 0), (255, 255, 255), (0, 0, 255), (0, 200, 0)]
    def index(x, y):
        return 0 if x in (0, width - 1) or y in (0, height - 1) else 1 + (x + y) % 3
    rows = []
    for y in range(height):
        if bpp >= 24:
            row = b"".join(bytes(colours[index(x, y)]) + (b"\xff" if bpp == 32 else b"") for x in range(width))
        elif bpp == 8:
            row = bytes(index(x, y) for x in range(width))
        elif bpp == 4:
            row = bytes((index(x, y) << 4 | index(x + 1, y)) for x in range(0, width, 2))
        else:
            row = bytes(sum((index(x + i, y) & 1) << (7 - i) for i in range(8)) for x in range(0, width, 8))
        rows.append(row + b"\0" * (-len(row) % 4))
    if rle:  # RLE8: each row as one encoded run of pixels, then end of line; end of bitmap
        pixels = b"".join(bytes([width, index(0, y)]) + b"\0\0" for y in range(height)) + b"\0\1"
    else:
        pixels = b"".join(rows)
    palette = b"".join(bytes(c) + b"\0" for c in colours) * (4 if bpp == 8 else 1) if bpp <= 8 else b""
    palette = palette[:4 * (1 << bpp)] if bpp <= 8 else palette
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 1 if rle else 0, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def skin_layout(real, sizes):
    """The shipped layout's places and rectangles, with block counts and remainders for sizes."""
    lines = real.decode().split()
    for i, size in enumerate(sizes):
        blocks, remainder = (0, size) if size <= 2048 else (2 + (size - 1) // 2048, size - (size - 1) // 2048 * 2048)
        lines[38 + i], lines[57 + i] = str(blocks), str(remainder)
    return ("\r\n".join(lines) + "\r\n").encode()


def skin_seeds(data_dir):
    forms = [(24, False), (8, False), (4, False), (1, False), (32, False), (8, True)]
    for layout_file in sorted((data_dir / "skins").glob("*.txt")):
        real = layout_file.read_bytes()
        for n, (bpp, rle) in enumerate(forms):
            pieces = [bmp(6 + (i + n) % 5, 4 + i % 3, bpp, rle and i % 2 == 0) for i in range(19)]
            layout = skin_layout(real, [len(p) for p in pieces])
            pack = b"".join(pieces)
            name = f"{layout_file.stem}.{bpp}bit{'-rle' if rle else ''}"
            yield name, bytes([n & 1]) + struct.pack(">H", len(layout)) + layout + pack
        yield layout_file.stem + ".short-pack", b"\0" + struct.pack(">H", len(real)) + real + bmp(4, 4, 24)


def playlist_seeds():
    vrl = "/music/a.mp3\nTitle A\n/lyrics/a.txt\n5\n/music/b.mp3\n\n\n\nrelative.mp3\nC\n\n12\n"
    yield "utf8.vrl", vrl.encode() + b"\x00"
    yield "sjis-crlf.vrl", "/音楽/曲.mp3\r\n歌\r\n/歌詞.txt\r\n5\r\n\r\n".encode("cp932") + b"\x08"
    yield "latin1.vrl", "/m\xfasica/canci\xf3n.mp3\ncanci\xf3n\n\n\n".encode("latin-1") + b"\x04"
    m3u = "#EXTM3U\n#EXTINF:123,Title\n/music/a.mp3\nsub/b.mp3\n../c.mp3\nfile:///music/d%20e.mp3\n\nafter.mp3\n"
    yield "list.m3u", m3u.encode("cp932") + b"\x01"
    yield "list.m3u8", ("\ufeff" + m3u.replace("a.mp3", "あ.mp3")).encode() + b"\x06"
    yield "other.txt", b"/music/a.mp3\n\x03"


def lyrics_seeds(data_dir, corpus_dir):
    for path in sorted((data_dir / "demo").glob("*.txt")):
        text = path.read_bytes()
        yield path.name + ".plain", text + b"\x00\x07"
        yield path.name + ".drawn", text + b"\xe2\x07"
        yield path.name + ".sjis", text.decode().encode("cp932", "replace") + b"\xd3\x0b"
    scroll = "一行目の歌詞\r\n二行目\r\n\r\nthird line\nfourth\rfifth\n"
    yield "scroll.plain", scroll.encode() + b"\x00\x05"
    yield "scroll.drawn", scroll.encode() + b"\xe5\x02"
    yield "timed-headings", b"[ti:title]\n[00:01.00]one\n[ar:x]\n\n[00:02.50]two\n[99:59.99]last\n\xdb\x01"
    lrc = "\ufeff[ar:x]\n[offset:+250]\n[00:12.00][01:30.5]<00:12.00>two <00:12.50>tags\n[1:02]\n[00:03.250]early\n"
    yield "lrc-utf8", lrc.encode() + b"\xdb\x02"
    yield "lrc-utf16", lrc.encode("utf-16") + b"\x00\x03"
    # Tracks whose tags carry the lyrics: a few frames of corpus audio between the tags.
    with open(corpus_dir / "tags/tag_none_base.mp3", "rb") as f:
        audio = f.read(1200)
    sylt = b"\x00eng\x02\x01\x00" + b"one\x00\x00\x00\x03\xe8" + b"\ntwo\x00\x00\x00\x07\xd0"
    uslt = b"\x01eng\x00\x00" + "歌詞".encode("utf-16")
    lyrics3 = b"LYRICSBEGININD0000210LYR00015[00:01]one\r\ntwo"
    lyrics3 += b"%06d" % len(lyrics3) + b"LYRICS200"
    for name, version, frames in (("v23", 3, [(b"SYLT", sylt), (b"USLT", uslt)]), ("v22", 2, [(b"SLT", sylt)]),
                                  ("v24", 4, [(b"USLT", uslt)])):
        body = b""
        for fid, data in frames:
            size = len(data)
            if version == 2:
                body += fid + size.to_bytes(3, "big") + data
            else:
                sizes = bytes((size >> s) & 0x7F for s in (21, 14, 7, 0)) if version == 4 else size.to_bytes(4, "big")
                body += fid + sizes + b"\x00\x00" + data
        tag = b"ID3" + bytes((version, 0, 0)) + bytes((len(body) >> s) & 0x7F for s in (21, 14, 7, 0)) + body
        yield "track-" + name, tag + audio + lyrics3 + b"\x00\x48"
        yield "frame-sylt-" + name, sylt + b"\x00\x88"
    yield "track-lyrics3", audio + lyrics3 + b"\xdb\x48"


def settings_seeds():
    ini = ("[varo]\nskin=sakura\nwindow=1\nwindow_x=120\nwindow_y=-4\nrepeat=2\nmax=2\nlist1=/music/a.mp3\n"
           "list2=/music/b.mp3\nrank_count=1\nrank_list1=Title\nrank_pcnt1=3\nlistfilename=list.vrl\n"
           "kasi_back=200\nkasi_back_file=/pictures/back.bmp\nkasi_font_size=8\n")
    yield "plain", ini.encode() + b"\x00\x00"
    yield "crlf-bom-other-sections", ("\ufeff; comment\r\n[other]\r\nskin=x\r\n\r\n" + ini.replace("\n", "\r\n") +
                                      "\r\n[more]\r\nkey = value\r\n").encode() + b"\x11\x0a"
    yield "quoted-odd", ("[VARO]\n SKIN = \" a \" \nMax=+7\n#max=1\nnot a key\n=empty key\nlist3='q'\n").encode() + b"\x2a\x07"
    yield "no-section", b"skin=a\nrepeat=x\n\x04\x03"
    yield "empty", b"\x00\x05"


def main():
    data_dir, out_dir = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    files = sorted(data_dir.glob("conformance/*.bit"))
    files += sorted(p for p in data_dir.glob("corpus/**/*") if p.suffix in (".mp3", ".mp2"))
    files = [p for p in files if "bench" not in p.parts]
    targets = {"fuzz_frame_decoder": decoder_seeds, "fuzz_tag_reader": tag_seeds, "fuzz_stream_open": stream_seeds}
    targets.update({name + "_replay": make for name, make in targets.items()})
    repo_data = data_dir.parent.parent / "data"
    app_targets = {"fuzz_skin_load": skin_seeds(repo_data), "fuzz_playlist_load": playlist_seeds(),
                   "fuzz_lyrics_load": lyrics_seeds(repo_data, data_dir / "corpus"), "fuzz_settings_read": settings_seeds()}
    for target, make in targets.items():
        target_dir = out_dir / target
        shutil.rmtree(target_dir, ignore_errors=True)
        target_dir.mkdir(parents=True)
        for path in files:
            for seed_name, seed in make(path.name, path.read_bytes()):
                (target_dir / seed_name).write_bytes(seed)
    for target, seeds in app_targets.items():
        target_dir = out_dir / target
        shutil.rmtree(target_dir, ignore_errors=True)
        target_dir.mkdir(parents=True)
        for seed_name, seed in seeds:
            (target_dir / seed_name).write_bytes(seed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
