"""Properties of the built executable file itself."""
import struct

import pytest

from conftest import BUILD_IS_X64

# Reads files only: cheap wherever i386 code runs. The shipped image is the
# i386 one; the 64-bit test build is no image of the product.
pytestmark = [pytest.mark.emulated,
              pytest.mark.skipif(BUILD_IS_X64, reason="checks the shipped i386 image")]

IMAGE_SCN_MEM_SHARED = 0x10000000
IMAGE_SCN_MEM_READ = 0x40000000
IMAGE_SCN_MEM_WRITE = 0x80000000
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdiplus.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "shell32.dll", "user32.dll", "gdi32.dll", "shlwapi.dll",
               "wininet.dll", "winhttp.dll", "crypt32.dll", "wintrust.dll", "version.dll",
               "msimg32.dll", "uxtheme.dll", "oleacc.dll", "oleaut32.dll", "userenv.dll",
               "mpr.dll", "ws2_32.dll", "bcrypt.dll"}


class PeImage:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0"
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + 96
        self.import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        self.sections = {}
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raw, _, _, _, _, flags = struct.unpack_from(
                "<8sIIIIIIHHI", data, table + 40 * i)
            self.sections[name.rstrip(b"\0").decode()] = (vsize, vaddr, rsize, raw, flags)

    def offset(self, rva):
        for vsize, vaddr, rsize, raw, _ in self.sections.values():
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise ValueError(hex(rva))

    def imported_dlls(self):
        names = []
        entry = self.offset(self.import_rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, entry + 12)[0]
            if name_rva == 0:
                return names
            end = self.data.index(b"\0", self.offset(name_rva))
            names.append(self.data[self.offset(name_rva):end].decode().lower())
            entry += 20


@pytest.fixture(scope="module")
def image(installer):
    return PeImage(installer.read_bytes())


def test_is_a_32_bit_gui_program(image):
    assert image.machine == 0x14C      # i386
    assert image.magic == 0x10B        # PE32
    assert image.subsystem == 2        # Windows GUI


@pytest.mark.parametrize("name,size", [("SHARED", 4096), ("Shared", 8192)])
def test_shared_data_sections(image, name, size):
    vsize, _, _, _, flags = image.sections[name]
    assert vsize == size
    wanted = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE
    assert flags & wanted == wanted


def test_needs_no_runtime_dlls_beside_it(image):
    dlls = set(image.imported_dlls())
    assert dlls <= SYSTEM_DLLS, dlls - SYSTEM_DLLS


def test_version_resource(image):
    signature = image.data.index(struct.pack("<I", 0xFEEF04BD))
    _, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", image.data, signature)
    version = (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)
    assert version == (22, 9, 3, 891)
    assert (file_ms, file_ls) == (product_ms, product_ls)


def test_manifest(image):
    start = image.data.index(b"<assembly")
    manifest = image.data[start:image.data.index(b"</assembly>", start)].decode()
    assert 'level="asInvoker"' in manifest
    assert 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest
    assert "<dpiAware>true</dpiAware>" in manifest
    for windows in ("35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                    "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
        assert windows in manifest
