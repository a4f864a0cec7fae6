#!/usr/bin/env bash
# Regenerates the WebP, HEIF/AVIF, TIFF and JPEG XL test pictures in this folder (they are
# committed; the tests never run this). Needs what tools/setup.sh installs: ImageMagick 6,
# webp (cwebp, img2webp), libheif-examples (heif-enc), libavif-bin (avifenc), libtiff-tools,
# libjxl-tools (cjxl), and python3 for the files no tool writes: a HEIC turned by `irot`, a
# camera-like grid HEIC, a DNG whose first directory is a thumbnail, and a JPEG XL container
# whose codestream is split over `jxlp` boxes. Encoders change their bytes between versions;
# the sizes stay (README.md lists them).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
convert=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }

"$convert" -size 300x200 gradient:'#204060-#e0c080' "$work/g300x200.png"
"$convert" -size 301x199 gradient:'#602040-#80c0e0' "$work/g301x199.png"
"$convert" -size 123x45 gradient:red-blue "$work/g123x45.png"
"$convert" -size 97x61 gradient:'#ff000080-#0000ffff' "$work/a97x61.png"
"$convert" -size 512x512 gradient:'#406080-#a0c0e0' "$work/tile512.png"
"$convert" -size 512x256 gradient:red-blue "$work/g512x256.png"
"$convert" -size 640x480 gradient:'#203040-#c0a080' "$work/g640x480.png"

# WebP: lossy (VP8), lossless (VP8L), alpha and animation (VP8X).
quiet cwebp -q 30 "$work/g300x200.png" -o webp_lossy.webp
quiet cwebp -lossless "$work/g123x45.png" -o webp_lossless.webp
quiet cwebp -q 30 "$work/a97x61.png" -o webp_alpha.webp
"$convert" -size 64x48 xc:red "$work/f1.png"
"$convert" -size 64x48 xc:blue "$work/f2.png"
quiet img2webp -loop 0 "$work/f1.png" -lossy "$work/f2.png" -o webp_animated.webp

# HEIF: a plain HEIC, an odd size (libheif writes it as a 1x1 grid of a padded tile), one
# with a thumbnail item, and AVIFs: plain, turned (irot), cropped (clap), a 2x2 grid.
quiet heif-enc -q 20 "$work/g300x200.png" -o heic_plain.heic
quiet heif-enc -q 20 "$work/g301x199.png" -o heic_odd_size.heic
quiet heif-enc -q 20 -t 64 "$work/g640x480.png" -o heic_thumbnail.heic
quiet heif-enc -q 20 "$work/tile512.png" -o "$work/tile.heic"
quiet avifenc -s 10 --min 40 --max 50 "$work/g300x200.png" avif_plain.avif
quiet avifenc -s 10 --min 40 --max 50 --irot 1 "$work/g300x200.png" avif_irot90.avif
quiet avifenc -s 10 --min 40 --max 50 --crop 10,20,250,150 "$work/g300x200.png" avif_clap.avif
quiet avifenc -s 10 --min 40 --max 50 --grid 2x2 "$work/g512x256.png" avif_grid.avif

# TIFF: both byte orders, classic and BigTIFF, tiled, and two pages (the first counts).
"$convert" "$work/g123x45.png" -endian LSB -compress zip tiff_ii.tif
"$convert" "$work/g123x45.png" -endian MSB -compress zip tiff_mm.tiff
"$convert" "$work/g301x199.png" -endian LSB -compress zip TIFF64:tiff_bigtiff_ii.tif
"$convert" "$work/g301x199.png" -endian MSB -compress zip TIFF64:tiff_bigtiff_mm.tif
"$convert" "$work/g300x200.png" -compress zip -define tiff:tile-geometry=64x64 tiff_tiled.tif
"$convert" "$work/g123x45.png" "$work/g300x200.png" -compress zip tiff_two_pages.tif

# JPEG XL: bare codestreams (one of a size the header stores in eighths), a container with
# a jxlc box, a recompressed JPEG (jxlp boxes beside its reconstruction data) and
# orientation 6 (turned a quarter: 300x200 stored, 200x300 shown), bare and boxed.
quiet cjxl --container=0 -d 3 "$work/g300x200.png" jxl_codestream.jxl
quiet cjxl --container=0 -d 3 "$work/g512x256.png" jxl_div8.jxl
quiet cjxl --container=1 -d 3 "$work/g301x199.png" jxl_container.jxl
"$convert" "$work/g300x200.png" -quality 30 "$work/plain.jpg"
quiet cjxl "$work/plain.jpg" jxl_recompressed_jpeg.jxl

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]

def boxes(data, start=0, end=None):
    end = len(data) if end is None else end
    pos = start
    while pos < end:
        size, kind = struct.unpack_from(">I4s", data, pos)
        head = 8
        if size == 1:
            size = struct.unpack_from(">Q", data, pos + 8)[0]; head = 16
        elif size == 0:
            size = end - pos
        yield kind, pos, pos + head, pos + size
        pos += size

def box(kind, payload):
    return struct.pack(">I4s", 8 + len(payload), kind) + payload

def full(kind, version, flags, payload):
    return box(kind, struct.pack(">I", version << 24 | flags) + payload)

def child(data, kind, start, end):
    for k, _, s, e in boxes(data, start, end):
        if k == kind:
            return s, e
    raise KeyError(kind)

# ---- a JPEG with EXIF orientation 6, for cjxl to carry into the codestream
jpeg = open(f"{work}/plain.jpg", "rb").read()
tiff = (b"MM\x00\x2a" + struct.pack(">IH", 8, 1) + struct.pack(">HHIHH", 0x0112, 3, 1, 6, 0)
        + struct.pack(">I", 0))
exif = b"Exif\x00\x00" + tiff
open(f"{work}/oriented.jpg", "wb").write(
    jpeg[:2] + b"\xff\xe1" + struct.pack(">H", 2 + len(exif)) + exif + jpeg[2:])

# ---- iloc as a list of items (id, construction method, [(offset, length)]), offsets
# absolute (the base offset folded in), and back (version 1, 4-byte fields).
def read_iloc(data, s):
    version = data[s]
    off_size, len_size = data[s + 4] >> 4, data[s + 4] & 15
    base_size = data[s + 5] >> 4
    index_size = data[s + 5] & 15 if version in (1, 2) else 0
    p = s + 6
    def get(n):
        nonlocal p
        p += n
        return int.from_bytes(data[p - n:p], "big")
    items = []
    for _ in range(get(2 if version < 2 else 4)):
        iid = get(2 if version < 2 else 4)
        method = get(2) & 15 if version in (1, 2) else 0
        get(2)
        base = get(base_size)
        extents = []
        for _ in range(get(2)):
            get(index_size)
            extents.append((base + get(off_size), get(len_size)))
        items.append((iid, method, extents))
    return items

def write_iloc(items):
    body = bytes([0x44, 0x00]) + struct.pack(">H", len(items))
    for iid, method, extents in items:
        body += struct.pack(">HHHH", iid, method, 0, len(extents))
        body += b"".join(struct.pack(">II", o, n) for o, n in extents)
    return full(b"iloc", 1, 0, body)

def moved(items, delta):
    return [(i, m, [(o + delta, n) for o, n in e] if m == 0 else e) for i, m, e in items]

# ---- HEIC turned by irot: heic_plain.heic with an irot (angle 1: 90 degrees anticlockwise)
# added to the container and to the primary item's associations. The meta box grows, so the
# file-based iloc offsets (into mdat behind it) move by as much.
def with_properties(data, new_props):
    _, m_pos, m_s, m_e = next(b for b in boxes(data) if b[0] == b"meta")
    ps, _ = child(data, b"pitm", m_s + 4, m_e)
    primary = int.from_bytes(data[ps + 4:ps + (6 if data[ps] == 0 else 8)], "big")
    parts = []
    for k, bp, bs, be in boxes(data, m_s + 4, m_e):
        if k == b"iloc":
            parts.append(("iloc", read_iloc(data, bs)))
        elif k == b"iprp":
            cs, ce = child(data, b"ipco", bs, be)
            existing = len(list(boxes(data, cs, ce)))
            ipco = box(b"ipco", data[cs:ce] + b"".join(new_props))
            ms, me = child(data, b"ipma", bs, be)
            version, flags = data[ms], int.from_bytes(data[ms + 1:ms + 4], "big")
            idn, ixn = (2 if version < 1 else 4), (2 if flags & 1 else 1)
            count = struct.unpack_from(">I", data, ms + 4)[0]
            p, entries = ms + 8, b""
            for _ in range(count):
                iid, n = int.from_bytes(data[p:p + idn], "big"), data[p + idn]
                assoc = data[p + idn + 1:p + idn + 1 + n * ixn]
                p += idn + 1 + n * ixn
                if iid == primary:
                    assoc += b"".join((existing + 1 + j).to_bytes(ixn, "big")
                                      for j in range(len(new_props)))
                    n += len(new_props)
                entries += iid.to_bytes(idn, "big") + bytes([n]) + assoc
            parts.append(("raw", box(b"iprp", ipco + full(b"ipma", version, flags,
                                                             struct.pack(">I", count) + entries))))
        else:
            parts.append(("raw", data[bp:be]))
    def meta_with(delta):
        return full(b"meta", 0, 0, b"".join(
            write_iloc(moved(v, delta)) if k == "iloc" else v for k, v in parts))
    delta = len(meta_with(0)) - (m_e - m_pos)
    return data[:m_pos] + meta_with(delta) + data[m_e:]

plain = open("heic_plain.heic", "rb").read()
open("heic_irot90.heic", "wb").write(with_properties(plain, [box(b"irot", bytes([1]))]))

# ---- a camera-like HEIC: a grid of 8 x 6 tiles of 512 x 512 cut to 4032 x 3024, turned by
# irot 3 (270 degrees anticlockwise, as a phone held upright writes it): 3024 x 4032 shown.
# Every tile is the same coded picture (one extent in mdat serves all 48), so the file stays
# small; a 64 x 48 thumbnail item refers to the grid. 50 items, 50 association entries.
tile = open(f"{work}/tile.heic", "rb").read()
_, _, ms, me = next(b for b in boxes(tile) if b[0] == b"meta")
ps, pe = child(tile, b"iprp", ms + 4, me)
cs, ce = child(tile, b"ipco", ps, pe)
hvcc = next(tile[bp:be] for k, bp, bs, be in boxes(tile, cs, ce) if k == b"hvcC")
ls, _ = child(tile, b"iloc", ms + 4, me)
[(_, _, [(coded_at, coded_len)])] = read_iloc(tile, ls)
coded = tile[coded_at:coded_at + coded_len]

cols, rows, tiles = 8, 6, 48
grid_id, thumb_id = tiles + 1, tiles + 2
ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heicmiaf")
hdlr = full(b"hdlr", 0, 0, struct.pack(">I", 0) + b"pict" + bytes(12) + b"\x00")
pitm = full(b"pitm", 0, 0, struct.pack(">H", grid_id))
infes = b"".join(full(b"infe", 2, 1, struct.pack(">HH", i, 0) + b"hvc1\x00")
                 for i in range(1, tiles + 1))
infes += full(b"infe", 2, 0, struct.pack(">HH", grid_id, 0) + b"grid\x00")
infes += full(b"infe", 2, 0, struct.pack(">HH", thumb_id, 0) + b"hvc1\x00")
iinf = full(b"iinf", 0, 0, struct.pack(">H", tiles + 2) + infes)
iref = full(b"iref", 0, 0,
            box(b"dimg", struct.pack(">HH", grid_id, tiles)
                + b"".join(struct.pack(">H", i) for i in range(1, tiles + 1)))
            + box(b"thmb", struct.pack(">HHH", thumb_id, 1, grid_id)))
grid_data = bytes([0, 0, rows - 1, cols - 1]) + struct.pack(">HH", 4032, 3024)
ipco = box(b"ipco", hvcc
           + full(b"ispe", 0, 0, struct.pack(">II", 512, 512))
           + full(b"ispe", 0, 0, struct.pack(">II", 4032, 3024))
           + box(b"irot", bytes([3]))
           + full(b"ispe", 0, 0, struct.pack(">II", 64, 48)))
# Property indices: 1 hvcC, 2 tile ispe, 3 grid ispe, 4 irot, 5 thumbnail ispe; 0x80 marks
# an essential one.
entries = b"".join(struct.pack(">HBBB", i, 2, 0x81, 0x02) for i in range(1, tiles + 1))
entries += struct.pack(">HBBB", grid_id, 2, 0x03, 0x84)
entries += struct.pack(">HBBB", thumb_id, 2, 0x81, 0x05)
iprp = box(b"iprp", ipco + full(b"ipma", 0, 0, struct.pack(">I", tiles + 2) + entries))
def camera_grid(mdat_at):
    items = [(i, 0, [(mdat_at, len(coded))]) for i in list(range(1, tiles + 1)) + [thumb_id]]
    items.append((grid_id, 1, [(0, len(grid_data))]))
    meta = full(b"meta", 0, 0, hdlr + pitm + write_iloc(items) + iinf + iref
                + box(b"idat", grid_data) + iprp)
    return ftyp + meta + box(b"mdat", coded)
open("heic_camera_grid.heic", "wb").write(camera_grid(len(camera_grid(0)) - len(coded)))

# ---- DNG: IFD0 a 48 x 32 RGB thumbnail (NewSubfileType 1) naming two sub-directories, a
# 96 x 64 RGB preview (NewSubfileType 1) and the 192 x 128 CFA raw (NewSubfileType 0).
def ifd(entries, next_at=0):
    out = struct.pack("<H", len(entries))
    for tag, typ, count, value in sorted(entries):
        if isinstance(value, bytes):
            out += struct.pack("<HHI", tag, typ, count) + value.ljust(4, b"\0")
        elif typ == 3 and count == 1:
            out += struct.pack("<HHIHH", tag, typ, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, typ, count, value)
    return out + struct.pack("<I", next_at)

def dng():
    tw, th, pw, ph, rw, rh = 48, 32, 96, 64, 192, 128
    thumb = bytes((x * 5 + y * 3) & 255 for y in range(th) for x in range(tw * 3))
    preview = bytes((x + y) & 255 for y in range(ph) for x in range(pw * 3))
    raw = bytes(((x ^ y) * 7) & 255 for y in range(rh) for x in range(rw))
    layout = {}
    pos = 8
    for name, size in (("ifd0", 2 + 15 * 12 + 4), ("sub", 8), ("model", 8), ("matrix", 72),
                       ("bits3", 6), ("ifd1", 2 + 10 * 12 + 4), ("ifd2", 2 + 14 * 12 + 4),
                       ("thumb", len(thumb)), ("preview", len(preview)), ("raw", len(raw))):
        layout[name] = pos
        pos += size + (size & 1)
    matrix = b"".join(struct.pack("<ii", v, 10000) for v in
                      (10000, 0, 0, 0, 10000, 0, 0, 0, 10000))
    ifd0 = ifd([(254, 4, 1, 1), (256, 3, 1, tw), (257, 3, 1, th), (258, 3, 3, layout["bits3"]),
                (259, 3, 1, 1), (262, 3, 1, 2), (271, 2, 4, b"Tes\0"),
                (272, 2, 8, layout["model"]), (273, 4, 1, layout["thumb"]), (277, 3, 1, 3),
                (278, 3, 1, th), (279, 4, 1, len(thumb)), (330, 4, 2, layout["sub"]),
                (50706, 1, 4, bytes([1, 4, 0, 0])), (50721, 10, 9, layout["matrix"])])
    ifd1 = ifd([(254, 4, 1, 1), (256, 3, 1, pw), (257, 3, 1, ph), (258, 3, 3, layout["bits3"]),
                (259, 3, 1, 1), (262, 3, 1, 2), (273, 4, 1, layout["preview"]), (277, 3, 1, 3),
                (278, 3, 1, ph), (279, 4, 1, len(preview))])
    ifd2 = ifd([(254, 4, 1, 0), (256, 3, 1, rw), (257, 3, 1, rh), (258, 3, 1, 8), (259, 3, 1, 1),
                (262, 3, 1, 32803), (273, 4, 1, layout["raw"]), (277, 3, 1, 1), (278, 3, 1, rh),
                (279, 4, 1, len(raw)), (33421, 3, 2, bytes([2, 0, 2, 0])),
                (33422, 1, 4, bytes([0, 1, 1, 2])), (50717, 3, 1, 255), (50714, 3, 1, 0)])
    parts = {"ifd0": ifd0, "sub": struct.pack("<II", layout["ifd1"], layout["ifd2"]),
             "model": b"Tessel\0\0", "matrix": matrix, "bits3": struct.pack("<HHH", 8, 8, 8),
             "ifd1": ifd1, "ifd2": ifd2, "thumb": thumb, "preview": preview, "raw": raw}
    out = bytearray(b"II*\0" + struct.pack("<I", layout["ifd0"]))
    for name, at in layout.items():
        out += bytes(at - len(out))
        out += parts[name]
    return bytes(out)

open("tiff_dng_thumbnail_first.dng", "wb").write(dng())
PY

quiet cjxl --container=0 -j 0 -d 3 "$work/oriented.jpg" jxl_orientation6.jxl
quiet cjxl --container=1 -j 0 -d 3 "$work/oriented.jpg" jxl_orientation6_container.jxl

# A container whose codestream is cut into three jxlp boxes: 5, 3 and the rest (the size
# header straddles the first two), with a box between them.
python3 - <<'PY'
import struct
cs = open("jxl_codestream.jxl", "rb").read()
def box(kind, payload):
    return struct.pack(">I4s", 8 + len(payload), kind) + payload
out = (b"\0\0\0\x0cJXL \r\n\x87\n" + box(b"ftyp", b"jxl \0\0\0\0jxl ")
       + box(b"jxll", b"\x05")
       + box(b"jxlp", struct.pack(">I", 0) + cs[:5]) + box(b"xml ", b"<x/>")
       + box(b"jxlp", struct.pack(">I", 1) + cs[5:8])
       + box(b"jxlp", struct.pack(">I", 0x80000002) + cs[8:]))
open("jxl_split_jxlp.jxl", "wb").write(out)
PY

ls -la webp_* heic_* avif_* tiff_* jxl_*
