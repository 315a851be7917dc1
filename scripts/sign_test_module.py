#!/usr/bin/env python3
"""Makes TEST modules that carry a signed trusted-certificate list and an
Authenticode signature, from the certificates of
make_code_signing_test_certs.sh and the keys of make_test_keys.sh. Used by
the build (cmake/signed_test_module.cmake); everything it writes goes into
the build folder.

  resources  the TRUSTED_JSON and SIGNATURE_DAT contents and the .rc file
             that embeds them; --variant spoils them in one named way
  sign       Authenticode-signs a module with SHA-1, then nests a SHA-256
             signature
  flip       copies a module with one byte of a section inverted
"""
import argparse
import base64
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
from pathlib import Path


def openssl(*args, data=None):
    return subprocess.run(["openssl", *args], input=data, check=True,
                          capture_output=True).stdout


def pem_blocks(path):
    text = Path(path).read_text()
    end = "-----END CERTIFICATE-----"
    return [block + end + "\n" for block in text.split(end) if "BEGIN" in block]


def serial_bytes(pem):
    """The DER content bytes of a certificate's serial number: big-endian,
    with the leading zero DER adds when the top bit is set."""
    digits = openssl("x509", "-noout", "-serial", data=pem.encode()).decode().strip().split("=")[1]
    if len(digits) % 2:
        digits = "0" + digits
    value = bytes.fromhex(digits)
    return b"\0" + value if value[0] & 0x80 else value


def serials(chain_pem):
    """The issuer's and the signer's serial numbers."""
    leaf, issuer = pem_blocks(chain_pem)[:2]
    return serial_bytes(issuer), serial_bytes(leaf)


def public_key_digest(chain_pem):
    leaf = pem_blocks(chain_pem)[0]
    key = openssl("x509", "-noout", "-pubkey", data=leaf.encode())
    der = openssl("pkey", "-pubin", "-outform", "DER", data=key)
    return hashlib.sha256(der).hexdigest()


def entry(ident, pub_key):
    return {"id": base64.b64encode(ident).decode(), "pub_key": pub_key}


def text(doc):
    return json.dumps(doc, indent=2) + "\n"


def listing(certificates):
    return text({"trusted_info": {"certificates": certificates}})


def make_variant(name, listed):
    """What a module carries, spoilt the way |name| says: the document text
    that is signed, the text that is carried (None: no TRUSTED_JSON) and
    the length SIGNATURE_DAT is cut to (None: whole; -1: no SIGNATURE_DAT).
    |listed| holds (issuer serial, signer serial, public key digest)."""
    entries = [entry(issuer + signer, key) for issuer, signer, key in listed]
    good = listing(entries)
    first_id = entries[0]["id"]
    documents = {
        "certificates_object": text({"trusted_info": {"certificates": {"0": entries[0]}}}),
        "empty_list": listing([]),
        "not_json": "trusted_info: " + good,
        "trusted_info_missing": text({"certificates": entries}),
        "malformed_ids": listing([dict(e, id=e["id"].rstrip("=") + "*") for e in entries]),
        # what the installer must skip, ahead of the good elements
        "skipped_elements_then_good": listing(
            [{"id": "not*base64"}, "a string", {"pub_key": "00"}, {"id": 5}] + entries),
        # the serials in the wrong order, or each little-endian
        "identity_swapped": listing([entry(signer + issuer, key) for issuer, signer, key in listed]),
        "identity_little_endian": listing(
            [entry(issuer[::-1] + signer[::-1], key) for issuer, signer, key in listed]),
    }
    if name in documents:
        return documents[name], documents[name], None
    # the list as signed, then one character of an identity changed
    tampered = good.replace(first_id, ("B" if first_id[0] == "A" else "A") + first_id[1:], 1)
    cases = {
        "none": (good, good, None),
        "no_trusted_json": (good, None, None),
        "empty_trusted_json": (good, "", None),
        "no_signature_dat": (good, good, -1),
        "signature_dat_2_bytes": (good, good, 2),
        "signature_dat_3_bytes": (good, good, 3),
        "tampered_json": (good, tampered, None),
    }
    if name not in cases:
        sys.exit(f"unknown variant {name}")
    return cases[name]


def cmd_resources(args):
    out = Path(args.out_dir)
    out.mkdir(parents=True, exist_ok=True)
    certs = Path(args.certs)
    listed = []
    for name in args.listed:
        chain = certs / f"{name}.chain.pem"
        listed.append((*serials(chain), public_key_digest(chain)))
    signed, carried, cut = make_variant(args.variant, listed)
    signing_key = args.signing_key if args.signing_key is not None else args.key_index
    signature = openssl("dgst", "-sha1", "-sign", str(Path(args.keys) / f"key_{signing_key}.pem"),
                        data=signed.encode())
    signature_dat = struct.pack("<H", args.key_index) + signature
    if cut is not None and cut >= 0:
        signature_dat = signature_dat[:cut]
    rc = []
    # A LANGUAGE line between the statements keeps windres from joining the
    # quoted file name with the next quoted resource name.
    if cut != -1:
        (out / "signature.dat").write_bytes(signature_dat)
        rc.append(f'LANGUAGE 0, 0\n"SIGNATURE.DAT" SIGNATURE_DAT "{out / "signature.dat"}"\n')
    if carried is not None:
        (out / "trusted.json").write_bytes(carried.encode())
        rc.append(f'LANGUAGE 0, 0\n"TRUSTED.JSON" TRUSTED_JSON "{out / "trusted.json"}"\n')
    (out / "module.rc").write_text("".join(rc))


def cmd_sign(args):
    certs = Path(args.certs)
    out = Path(args.out)
    out.parent.mkdir(parents=True, exist_ok=True)
    if args.signer == "NONE":
        shutil.copyfile(args.input, out)
        return
    # The first digest makes the primary signature, each further one a
    # nested signature, by the nested signer when one is named.
    steps = [(args.signer, args.digests[0], [])]
    steps += [(args.nested_signer or args.signer, digest, ["-nest"]) for digest in args.digests[1:]]
    source = args.input
    for number, (signer, digest, extra) in enumerate(steps):
        target = f"{out}.{number}.tmp"
        if os.path.exists(target):
            os.unlink(target)
        subprocess.run(["osslsigncode", "sign", *extra, "-h", digest,
                        "-certs", str(certs / f"{signer}.chain.pem"),
                        "-key", str(certs / f"{signer}.key"),
                        "-n", "lite_installer test module", "-in", str(source), "-out", target],
                       check=True, stdout=subprocess.DEVNULL)
        if source != args.input:
            os.unlink(source)
        source = target
    os.replace(source, out)


def section_range(image, name):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count = struct.unpack_from("<H", image, pe + 6)[0]
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    table = pe + 24 + optional_size
    for index in range(count):
        header = table + 40 * index
        if image[header:header + 8].rstrip(b"\0").decode() == name:
            raw_size, raw_offset = struct.unpack_from("<II", image, header + 16)
            return raw_offset, raw_size
    sys.exit(f"no section {name}")


def cmd_flip(args):
    image = bytearray(Path(args.input).read_bytes())
    if args.find:
        # inside the first occurrence of the given text
        offset = image.find(args.find.encode())
        if offset < 0:
            sys.exit(f"{args.find!r} not in {args.input}")
    else:
        start, size = section_range(image, args.section)
        offset = start + size // 2
    image[offset] ^= 0xFF
    Path(args.out).write_bytes(bytes(image))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    resources = commands.add_parser("resources")
    resources.add_argument("--certs", required=True)
    resources.add_argument("--keys", required=True)
    resources.add_argument("--listed", nargs="+", required=True)
    resources.add_argument("--key-index", type=int, required=True)
    resources.add_argument("--signing-key", type=int)
    resources.add_argument("--variant", default="none")
    resources.add_argument("--out-dir", required=True)
    sign = commands.add_parser("sign")
    sign.add_argument("--certs", required=True)
    sign.add_argument("--signer", required=True)
    sign.add_argument("--nested-signer")
    sign.add_argument("--digests", nargs="+", default=["sha1", "sha256"])
    sign.add_argument("--in", dest="input", required=True)
    sign.add_argument("--out", required=True)
    flip = commands.add_parser("flip")
    flip.add_argument("--section", default=".text")
    flip.add_argument("--find")
    flip.add_argument("--in", dest="input", required=True)
    flip.add_argument("--out", required=True)
    args = parser.parse_args()
    {"resources": cmd_resources, "sign": cmd_sign, "flip": cmd_flip}[args.command](args)


if __name__ == "__main__":
    main()
