"""The native tag tool on the signed test build: tags are written in place,
read back by the tool, and the Authenticode signature stays valid. That the
installer reads them is shown in test_configuration.py."""
import shutil
import struct
import subprocess

import pytest

# Native tools and files only: cheap wherever i386 code runs.
pytestmark = pytest.mark.emulated

from conftest import BUILD

TAG_TOOL = BUILD / "native-tools" / "tag_tool" / "tag_tool"
SIGNED = BUILD / "signed" / "lite_installer.exe"
TEST_CERT = BUILD / "test-certs" / "test_signing_cert.pem"
ROOM = 10240  # the dummy certificate's padding


def tag_tool(*args):
    return subprocess.run([str(TAG_TOOL), *map(str, args)], capture_output=True, timeout=60)


def signature_verifies(path):
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(TEST_CERT), "-in", str(path)],
                            capture_output=True, text=True, timeout=60)
    return result.returncode == 0 and "Signature verification: ok" in result.stdout, result.stdout


@pytest.fixture
def signed_copy(tmp_path):
    assert SIGNED.exists() and TAG_TOOL.exists(), "build the project first (scripts/setup.sh)"
    copy = tmp_path / "lite_installer.exe"
    shutil.copyfile(SIGNED, copy)
    return copy


def test_signed_build_is_untagged_and_verifies(signed_copy):
    result = tag_tool("read", signed_copy)
    assert result.returncode == 0, result.stderr
    assert result.stdout == b"\n"
    ok, text = signature_verifies(signed_copy)
    assert ok, text


def test_tag_round_trip_keeps_length_and_signature(signed_copy):
    original = signed_copy.read_bytes()
    tag = "stat=1&def=1&lang=tr"

    result = tag_tool("write", signed_copy, tag)
    assert result.returncode == 0, result.stderr

    tagged = signed_copy.read_bytes()
    assert len(tagged) == len(original)
    assert tag_tool("read", signed_copy).stdout == tag.encode() + b"\n"
    # Only the tag length, the text and the header checksum changed.
    slot = tagged.find(len(tag).to_bytes(2, "big") + tag.encode())
    checksum = struct.unpack_from("<I", tagged, 60)[0] + 24 + 64
    changed = {i for i, (a, b) in enumerate(zip(original, tagged)) if a != b}
    assert slot > 0
    assert changed <= set(range(slot, slot + 2 + len(tag))) | set(range(checksum, checksum + 4))
    ok, text = signature_verifies(signed_copy)
    assert ok, text
    assert "invalid PE checksum" not in text

    # A shorter tag leaves nothing of the longer one; an empty tag restores
    # the signed build byte for byte.
    assert tag_tool("write", signed_copy, "ins=1").returncode == 0
    assert tag_tool("read", signed_copy).stdout == b"ins=1\n"
    assert tag.encode() not in signed_copy.read_bytes()
    assert tag_tool("write", signed_copy, "").returncode == 0
    assert signed_copy.read_bytes() == original


@pytest.mark.parametrize("size,fits", [(ROOM, True), (ROOM + 1, False), (70000, False)])
def test_tag_must_fit_the_padding(signed_copy, size, fits):
    original = signed_copy.read_bytes()
    tag = ("x=" + "a" * size)[:size]
    result = tag_tool("write", signed_copy, tag)
    if fits:
        assert result.returncode == 0, result.stderr
        assert tag_tool("read", signed_copy).stdout == tag.encode() + b"\n"
        assert signature_verifies(signed_copy)[0]
    else:
        assert result.returncode == 1
        assert b"does not fit" in result.stderr
        assert b"room for %d bytes" % ROOM in result.stderr
        assert signed_copy.read_bytes() == original


@pytest.mark.parametrize("kind", ["text", "unsigned", "truncated"])
def test_unparsable_files_are_refused_untouched(tmp_path, installer, kind):
    path = tmp_path / "target.exe"
    if kind == "text":
        path.write_bytes(b"MZ this is not an executable\n" * 10)
    elif kind == "unsigned":
        shutil.copyfile(installer, path)
    else:
        # The certificate table now runs past the end of the file.
        path.write_bytes(SIGNED.read_bytes()[:-100])
    original = path.read_bytes()

    for command in (["write", path, "stat=1"], ["read", path]):
        result = tag_tool(*command)
        assert result.returncode == 1, command
        assert b"not a signed PE file" in result.stderr
    assert path.read_bytes() == original
