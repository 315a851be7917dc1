#!/usr/bin/env python3
"""Builds a brand or partner package: a cabinet holding one text file
(brand_config or partner_config) made of "//", a 172-character signature,
CR LF and the channel's JSON.

Package sources in the repository are plain JSON; "@NAME@" placeholders
are replaced with the service origins this build is configured with. A
source that already starts with "//" carries its producer's signature line
and is used as it is. Otherwise a placeholder signature line is derived
from the content: the installer never checks it, the setup program does,
so such packages are for test and demo builds only.
"""
import argparse
import base64
import hashlib
import os
import subprocess
import tempfile


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("source")
    parser.add_argument("output")
    parser.add_argument("--name", required=True, choices=["brand_config", "partner_config"])
    parser.add_argument("--define", action="append", default=[], metavar="NAME=VALUE")
    args = parser.parse_args()

    with open(args.source, "rb") as f:
        text = f.read()
    for definition in args.define:
        name, _, value = definition.partition("=")
        text = text.replace(f"@{name}@".encode(), value.encode())
    if not text.startswith(b"//"):
        body = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        first = hashlib.sha512(body).digest()
        signature = base64.b64encode(first + hashlib.sha512(first).digest())
        assert len(signature) == 172
        text = b"//" + signature + b"\r\n" + body

    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, args.name)
        with open(path, "wb") as f:
            f.write(text)
        # The cabinet records the file's time: a fixed one keeps two builds
        # of one commit byte-identical.
        stamp = int(os.environ.get("SOURCE_DATE_EPOCH", "1640995200"))
        os.utime(path, (stamp, stamp))
        output = os.path.abspath(args.output)
        if os.path.exists(output):
            os.unlink(output)
        subprocess.run(["gcab", "-c", "-z", "-n", output, path], check=True)


if __name__ == "__main__":
    main()
