#!/usr/bin/env python3
"""Writes the seed archives of the unzip fuzz target into seeds/unzip_fuzz/.

Run it again after changing it; the seeds are small and committed."""

import os
import struct
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "seeds", "unzip_fuzz")

SETTINGS = b"[Setting]\r\nstart=-1\r\nfirststart=1\r\n[Hotkey]\r\nBossKey=F10\r\n"
DOS_TIME = (2021, 6, 15, 10, 20, 30)


def defaults_archive(path):
    """Like the launcher's defaults: two deflated members with the archive bit."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in (("systemset.ini", SETTINGS), ("uninstall.ico", bytes(range(64)) * 3)):
            info = zipfile.ZipInfo(name, DOS_TIME)
            info.create_system = 0
            info.external_attr = 0x20
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)


def mixed_archive(path):
    """Stored, deflated, a folder, a read-only Unix file, a UT block and a comment."""
    with zipfile.ZipFile(path, "w") as archive:
        archive.comment = b"seed comment"
        folder = zipfile.ZipInfo("dir/", DOS_TIME)
        folder.create_system = 3
        folder.external_attr = (0o40755 << 16) | 0x10
        archive.writestr(folder, b"")
        stored = zipfile.ZipInfo("dir/stored.txt", DOS_TIME)
        stored.extra = b"UT" + struct.pack("<HBiii", 13, 7, 1600000000, 1600000100, 1500000000)
        archive.writestr(stored, b"stored member\n", zipfile.ZIP_STORED)
        locked = zipfile.ZipInfo("locked.txt", DOS_TIME)
        locked.create_system = 3
        locked.external_attr = 0o100444 << 16
        archive.writestr(locked, SETTINGS * 3, zipfile.ZIP_DEFLATED)


def dos_date_time(year, month, day, hour, minute, second):
    date = ((year - 1980) << 9) | (month << 5) | day
    time = (hour << 11) | (minute << 5) | (second // 2)
    return time, date


class Cipher:
    """Traditional PKWARE encryption, enciphering side."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for byte in password:
            self.update(byte)

    @staticmethod
    def crc_step(crc, byte):
        return zlib.crc32(bytes([byte]), crc ^ 0xFFFFFFFF) ^ 0xFFFFFFFF

    def update(self, byte):
        k0 = self.crc_step(self.keys[0], byte)
        k1 = ((self.keys[1] + (k0 & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k2 = self.crc_step(self.keys[2], k1 >> 24)
        self.keys = [k0, k1, k2]

    def encrypt(self, data):
        out = bytearray()
        for byte in data:
            temp = (self.keys[2] & 0xFFFF) | 2
            out.append(byte ^ (((temp * (temp ^ 1)) >> 8) & 0xFF))
            self.update(byte)
        return bytes(out)


def hand_made_archive(path):
    """A prefix, a deflated member with a data descriptor, and a member
    encrypted with the empty password (which the reader can decipher)."""
    time, date = dos_date_time(*DOS_TIME)
    members = []
    body = bytearray(b"#!stub before the archive\n")
    start = len(body)
    for name, data, flags in ((b"descriptor.txt", SETTINGS, 0x0008), (b"cipher.txt", SETTINGS, 0x0001)):
        crc = zlib.crc32(data)
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(data) + packer.flush()
        if flags & 0x0001:
            packed = Cipher(b"").encrypt(b"korvane-zip" + bytes([crc >> 24]) + packed)
        offset = len(body) - start
        deferred = flags & 0x0008
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, 8, time, date,
                            0 if deferred else crc, 0 if deferred else len(packed),
                            0 if deferred else len(data), len(name), 0)
        body += name + packed
        if deferred:
            body += struct.pack("<IIII", 0x08074B50, crc, len(packed), len(data))
        members.append((name, flags, crc, len(packed), len(data), offset))
    central_offset = len(body) - start
    central = bytearray()
    for name, flags, crc, packed_size, size, offset in members:
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, 8, time, date,
                               crc, packed_size, size, len(name), 0, 0, 0, 0, 0x20, offset)
        central += name
    body += central
    body += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                        central_offset, 0)
    with open(path, "wb") as out:
        out.write(body)


def main():
    os.makedirs(OUT, exist_ok=True)
    defaults_archive(os.path.join(OUT, "defaults.zip"))
    mixed_archive(os.path.join(OUT, "mixed.zip"))
    hand_made_archive(os.path.join(OUT, "handmade.zip"))


if __name__ == "__main__":
    main()
