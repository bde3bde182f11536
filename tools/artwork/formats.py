"""Byte-exact writers of the resource file formats."""

import io
import struct
import zipfile


ZIP_TIME = (2024, 6, 1, 12, 0, 0)  # fixed, so that the archive is reproducible
FILE_ATTRIBUTE_ARCHIVE = 0x20


def png_bytes(img):
    assert img.mode == "RGBA"
    out = io.BytesIO()
    img.save(out, "PNG", optimize=True)
    return out.getvalue()


def bmp_bytes(img):
    """A bottom-up, uncompressed 24-bit BMP file."""
    w, h = img.size
    row = (w * 3 + 3) & ~3
    pixels = img.tobytes("raw", "BGR")
    body = bytearray()
    for y in range(h - 1, -1, -1):
        line = pixels[y * w * 3:(y + 1) * w * 3]
        body += line + b"\0" * (row - w * 3)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def ico_bytes(img):
    """An .ico with one 16 x 16, 32-bit BMP-format image and its AND mask."""
    w, h = img.size
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = img.getpixel((x, y))
            xor += bytes((b, g, r, a))
    mask_row = ((w + 31) // 32) * 4
    and_mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = 0
        for x in range(w):
            if img.getpixel((x, y))[3] == 0:
                bits |= 1 << (mask_row * 8 - 1 - x)
        and_mask += bits.to_bytes(mask_row, "big")
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0,
                       0, 0)
    image = info + bytes(xor) + bytes(and_mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def zip_bytes(members):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=ZIP_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # the low byte of the attributes holds Windows bits
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            archive.writestr(info, data, compresslevel=9)
    return buffer.getvalue()
