#!/usr/bin/env bash
# Regenerates the test images in this folder (they are committed; the tests never run
# this). Needs ImageMagick 6 (/usr/bin/convert) and python3 for the edits ImageMagick
# cannot make: the EXIF block with a thumbnail, the stray bytes, the V4 header and the
# top-down bitmap.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
convert=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# JPEG
"$convert" -size 640x480 xc:'#3070a0' -quality 40 -strip baseline.jpg
"$convert" -size 800x600 gradient:'#203040-#a0c0e0' -quality 30 -interlace Plane -strip progressive.jpg
"$convert" -size 51x37 gradient:yellow-navy -colorspace CMYK -quality 60 -strip cmyk.jpg
"$convert" -size 320x240 xc:'#806040' -quality 40 -strip "$work/main.jpg"
"$convert" -size 160x120 xc:'#408060' -quality 40 -strip "$work/thumb.jpg"
"$convert" -size 320x240 gradient:'#604020-#c0e0a0' -quality 40 -strip "$work/clean.jpg"

# GIF
"$convert" -size 33x21 gradient:red-green GIF87:gif87a.gif
"$convert" -size 100x100 gradient:white-black gif89a.gif
"$convert" -size 1x1 xc:white one_by_one.gif

# PNG
"$convert" -size 300x7 gradient:blue-white png.png

# BMP: ImageMagick writes the core (12), info (40) and V5 (124) headers itself.
"$convert" -size 17x9 gradient:red-blue BMP2:core12.bmp
"$convert" -size 23x11 gradient:red-blue BMP3:info40.bmp
"$convert" -size 29x13 gradient:red-blue BMP:v5_124.bmp
"$convert" -size 31x15 gradient:red-blue BMP:"$work/v5.bmp"

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]

# EXIF APP1 right after SOI: IFD0 with one entry, IFD1 naming a 160x120 thumbnail JPEG
# stored inside the block. The picture itself is 320x240.
main = open(f"{work}/main.jpg", "rb").read()
thumb = open(f"{work}/thumb.jpg", "rb").read()
def entry(tag, typ, count, value):
    if typ == 3:
        return struct.pack(">HHIHH", tag, typ, count, value, 0)
    return struct.pack(">HHII", tag, typ, count, value)
ifd0 = struct.pack(">H", 1) + entry(0x0112, 3, 1, 1) + struct.pack(">I", 26)
thumb_at = 26 + 2 + 3 * 12 + 4
ifd1 = (struct.pack(">H", 3) + entry(0x0103, 3, 1, 6) + entry(0x0201, 4, 1, thumb_at)
        + entry(0x0202, 4, 1, len(thumb)) + struct.pack(">I", 0))
tiff = b"MM\x00\x2a" + struct.pack(">I", 8) + ifd0 + ifd1
assert len(tiff) == thumb_at
payload = b"Exif\x00\x00" + tiff + thumb
app1 = b"\xff\xe1" + struct.pack(">H", 2 + len(payload)) + payload
open("exif_thumbnail.jpg", "wb").write(main[:2] + app1 + main[2:])

# Seven stray bytes, a stuffed FF 00 among them, between the JFIF segment and the next
# marker: decoders skip them ("Corrupt JPEG data: 7 extraneous bytes before marker 0xdb").
clean = open(f"{work}/clean.jpg", "rb").read()
assert clean[2] == 0xFF
first_end = 4 + struct.unpack_from(">H", clean, 4)[0]
stray = b"\x00\x12\xd9\xff\x00\x7f\x20"
open("stray_bytes.jpg", "wb").write(clean[:first_end] + stray + clean[first_end:])

# V4 (108): the V5 header without its last 16 bytes (intent and profile fields).
v5 = bytearray(open(f"{work}/v5.bmp", "rb").read())
assert struct.unpack_from("<I", v5, 14)[0] == 124
v4 = v5[:14 + 108] + v5[14 + 124:]
struct.pack_into("<I", v4, 14, 108)
struct.pack_into("<I", v4, 2, len(v4))
struct.pack_into("<I", v4, 10, struct.unpack_from("<I", v5, 10)[0] - 16)
open("v4_108.bmp", "wb").write(v4)

# Top-down: the info (40) bitmap with a negative height and its rows in reverse order.
info = bytearray(open("info40.bmp", "rb").read())
width, height = struct.unpack_from("<ii", info, 18)
bits = struct.unpack_from("<H", info, 28)[0]
offset = struct.unpack_from("<I", info, 10)[0]
stride = (width * bits + 31) // 32 * 4
rows = [info[offset + r * stride: offset + (r + 1) * stride] for r in range(height)]
struct.pack_into("<i", info, 22, -height)
info[offset:offset + height * stride] = b"".join(reversed(rows))
open("top_down.bmp", "wb").write(info)
PY

for f in *.jpg *.gif *.png *.bmp; do
  printf '%-20s %s\n' "$f" "$("$convert" "$f" -format '%wx%h %[colorspace]' info:)"
done
