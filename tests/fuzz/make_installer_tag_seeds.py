#!/usr/bin/env python3
"""Writes seed inputs for installer_tag_fuzzer: small PE images whose
certificate table holds a signature with a dummy certificate (tagged,
untagged, PE32+), an appended block, and, when given, the certificate
table of a real signed build.

usage: make_installer_tag_seeds.py OUT_DIR DUMMY_CERT.der [SIGNED.exe]
"""
import struct
import sys
from pathlib import Path

TAG_OID = bytes.fromhex("060b2b06010401d6790201ce0f")


def der(tag, content):
    n = len(content)
    if n < 0x80:
        length = bytes([n])
    else:
        raw = n.to_bytes((n.bit_length() + 7) // 8, "big")
        length = bytes([0x80 + len(raw)]) + raw
    return bytes([tag]) + length + content


def content_info(certificates):
    signed_data = der(0x30, der(0x02, b"\x01") + der(0x31, b"") + der(0x30, der(0x06, b"\x2b\x06\x01"))
                      + der(0xA0, b"".join(certificates)) + der(0x31, b""))
    return der(0x30, der(0x06, bytes.fromhex("2a864886f70d010702")) + der(0xA0, signed_data))


def image(blob, pe32_plus=False, appended=b""):
    pe = 0x40
    head = bytearray(0x140)
    head[0:2] = b"MZ"
    struct.pack_into("<I", head, 60, pe)
    head[pe:pe + 4] = b"PE\0\0"
    struct.pack_into("<H", head, pe + 24, 0x20B if pe32_plus else 0x10B)
    entry = struct.pack("<IHH", 8 + len(blob), 0x200, 2) + blob
    entry += b"\0" * (-len(entry) % 8)
    table = entry + appended
    table += b"\0" * (-len(table) % 8)
    directory = pe + 24 + (144 if pe32_plus else 128)
    struct.pack_into("<II", head, directory, len(head), len(table))
    return bytes(head) + table


def with_tag(certificate, text):
    """The certificate with |text| written into its tag slot."""
    at = certificate.index(TAG_OID) + len(TAG_OID)
    assert certificate[at] == 0x04
    length = certificate[at + 1]
    header = 2 + (length - 0x80 if length > 0x80 else 0)
    slot = at + header
    return certificate[:slot] + struct.pack(">H", len(text)) + text + certificate[slot + 2 + len(text):]


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    dummy = Path(sys.argv[2]).read_bytes()
    tagged = with_tag(dummy, b"stat=1&def=1")
    other = der(0x30, der(0x30, b"\xa0\x03\x02\x01\x02\x02\x01\x02") + der(0x30, b""))
    seeds = {
        "untagged": image(content_info([dummy])),
        "tagged": image(content_info([other, tagged])),
        "two_dummies": image(content_info([tagged, dummy, tagged])),
        "pe32_plus": image(content_info([tagged]), pe32_plus=True),
        "appended": image(content_info([dummy]), appended=b"Zact\x00\x06lang=ru"),
        "certificate": tagged,
    }
    if len(sys.argv) > 3:
        signed = Path(sys.argv[3]).read_bytes()
        pe = struct.unpack_from("<I", signed, 60)[0]
        offset, size = struct.unpack_from("<II", signed, pe + 24 + 128)
        seeds["signed_build"] = image(signed[offset + 8:offset + size])
    for name, data in seeds.items():
        (out / name).write_bytes(data)


if __name__ == "__main__":
    main()
