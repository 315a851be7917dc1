"""Properties of the built executable file itself."""
import struct
import sys

import pytest

from conftest import BUILD_IS_X64, ROOT

sys.path.insert(0, str(ROOT / "bench"))
from size_report import PeImage as ResourceReader  # noqa: E402

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


# --- The window's resources -------------------------------------------------

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
WINDOW_PICTURES = [  # id, format, width, height
    (101, "PNG", 36, 12), (103, "PNG", 36, 12), (104, "PNG", 410, 186),
    (105, "PNG", 360, 28), (106, "PNG", 360, 28),
    (125, "PNG", 16, 16), (126, "PNG", 16, 16), (127, "PNG", 16, 16), (128, "PNG", 16, 16),
    (129, "PNG", 8, 1), (131, "PNG", 8, 1), (130, "PNG", 1, 8), (132, "PNG", 1, 8),
    (1002, "PNG", 96, 16), (1006, "JPEG", 728, 400), (1007, "PNG", 336, 32),
    (1008, "PNG", 292, 4), (1009, "PNG", 292, 4),
    # First visual variant: logos of both screens with their doubles, the slide.
    (1040, "PNG", 212, 38), (1046, "PNG", 424, 76), (1044, "PNG", 212, 38), (1048, "PNG", 424, 76),
    (1042, "PNG", 212, 38), (1047, "PNG", 424, 76), (1045, "PNG", 212, 38), (1049, "PNG", 424, 76),
    (1041, "JPEG", 728, 268), (1043, "JPEG", 728, 268),
    # Second visual variant.
    (1003, "PNG", 166, 28), (1015, "PNG", 332, 56), (1011, "PNG", 166, 28), (1017, "PNG", 332, 56),
    (1005, "PNG", 166, 28), (1016, "PNG", 332, 56), (1012, "PNG", 166, 28), (1018, "PNG", 332, 56),
    (1004, "JPEG", 702, 536), (1010, "JPEG", 698, 478),
]

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CLIPCHILDREN, WS_TABSTOP, DS_SETFONT = 0x02000000, 0x00010000, 0x40
WS_EX_COMPOSITED, WS_EX_APPWINDOW = 0x02000000, 0x00040000
WS_EX_CONTROLPARENT, WS_EX_WINDOWEDGE = 0x00010000, 0x00000100
BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_OWNERDRAW = 0x0, 0x3, 0xB
BS_TOP, BS_MULTILINE, BS_NOTIFY = 0x400, 0x2000, 0x4000
SS_LEFT, SS_OWNERDRAW = 0x0, 0xD
CHILD, SHOWN, TAB = WS_CHILD, WS_CHILD | WS_VISIBLE, WS_TABSTOP
DIALOG_EX_STYLE = WS_EX_COMPOSITED | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE
DIALOGS = {  # id: window style, {control id: (class, style)}
    1001: (WS_POPUP | WS_CLIPCHILDREN | DS_SETFONT, {
        1: ("button", SHOWN | TAB | BS_PUSHBUTTON),
        107: ("static", SHOWN | SS_OWNERDRAW),
        109: ("button", CHILD | TAB | BS_AUTOCHECKBOX),
        110: ("button", CHILD | TAB | BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP),
        111: ("button", CHILD | TAB | BS_AUTOCHECKBOX),
        112: ("button", CHILD | TAB | BS_PUSHBUTTON),
        113: ("button", SHOWN | TAB | BS_PUSHBUTTON),
        115: ("msctls_progress32", CHILD),
        118: ("button", SHOWN | TAB | BS_OWNERDRAW),
        124: ("static", SHOWN | SS_OWNERDRAW),
    }),
    100: (WS_POPUP | DS_SETFONT, {
        107: ("static", SHOWN | SS_LEFT),
        -1: ("static", SHOWN | SS_LEFT),
        1: ("button", SHOWN | TAB | BS_PUSHBUTTON),
        113: ("button", SHOWN | TAB | BS_PUSHBUTTON | BS_NOTIFY),
        112: ("button", SHOWN | TAB | BS_PUSHBUTTON | BS_NOTIFY),
    }),
}
CONTROL_ATOMS = {0x80: "button", 0x81: "edit", 0x82: "static", 0x83: "listbox",
                 0x84: "scrollbar", 0x85: "combobox"}


@pytest.fixture(scope="module")
def resources(installer):
    reader = ResourceReader(installer.read_bytes())
    return {(r.kind, r.name): reader.resource_bytes(r) for r in reader.resources()}


def picture_format(data):
    """("PNG", width, height, has alpha) or ("JPEG", width, height, baseline)."""
    if data.startswith(PNG_SIGNATURE):
        assert data[12:16] == b"IHDR"
        width, height, _, colour_type = struct.unpack_from(">IIBB", data, 16)
        # RGBA, grey with alpha, or a palette with a transparency chunk.
        return "PNG", width, height, colour_type in (4, 6) or (colour_type == 3 and b"tRNS" in data)
    assert data[:2] == b"\xff\xd8", "neither PNG nor JPEG"
    at = 2
    while at < len(data):
        marker, length = struct.unpack_from(">HH", data, at)
        if marker in (0xFFC0, 0xFFC1, 0xFFC2, 0xFFC3):
            height, width = struct.unpack_from(">HH", data, at + 5)
            return "JPEG", width, height, marker == 0xFFC0
        at += 2 + length
    raise AssertionError("JPEG without a frame header")


@pytest.mark.parametrize("name,kind,width,height", WINDOW_PICTURES, ids=[str(p[0]) for p in WINDOW_PICTURES])
def test_window_pictures(resources, name, kind, width, height):
    data = resources.get(("RCDATA", str(name)))
    assert data is not None, f"no RT_RCDATA {name}"
    found_kind, found_width, found_height, flag = picture_format(data)
    assert (found_kind, found_width, found_height) == (kind, width, height)
    # PNG faces are drawn over other pictures and need their alpha; GDI+
    # decodes every JPEG, but baseline ones are what every decoder reads.
    assert flag, "PNG without alpha" if kind == "PNG" else "JPEG not baseline"


def test_window_icon(resources):
    group = resources[("GROUP_ICON", "1000")]
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    assert (reserved, kind) == (0, 1)
    sizes = []
    for i in range(count):
        width, height, _, _, _, bits, length, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        size = width or 256
        assert (height or 256) == size and bits == 32
        icon = resources[("ICON", str(icon_id))]
        assert len(icon) == length
        if size == 256:
            assert picture_format(icon)[:3] == ("PNG", 256, 256)
        else:  # a DIB: its header, then colours and mask for twice the height
            assert struct.unpack_from("<IiiHH", icon, 0) == (40, size, 2 * size, 1, 32)
        sizes.append(size)
    assert sorted(sizes) == [16, 24, 32, 48, 256]


def read_sz_or_ord(data, at):
    """A dialog template's name field: (value, offset after it); the value is
    an int for an ordinal, else a string."""
    first, = struct.unpack_from("<H", data, at)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def parse_dialog(data):
    """Window style and extended style, font and controls of a DLGTEMPLATEEX
    or DLGTEMPLATE."""
    extended = struct.unpack_from("<HH", data, 0) == (1, 0xFFFF)
    if extended:
        _, ex_style, style, count = struct.unpack_from("<IIIH", data, 4)
        at = 26
    else:
        style, ex_style, count = struct.unpack_from("<IIH", data, 0)
        at = 18
    rect = struct.unpack_from("<4h", data, at - 8)
    menu, at = read_sz_or_ord(data, at)
    window_class, at = read_sz_or_ord(data, at)
    title, at = read_sz_or_ord(data, at)
    font = None
    if style & DS_SETFONT:
        points, = struct.unpack_from("<H", data, at)
        at += 6 if extended else 2
        face, at = read_sz_or_ord(data, at)
        font = (face, points)
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        if extended:
            _, item_ex_style, item_style, x, y, cx, cy, item_id = struct.unpack_from("<III4hi", data, at)
            at += 24
        else:
            item_style, item_ex_style, x, y, cx, cy, item_id = struct.unpack_from("<II4hH", data, at)
            item_id = item_id - 0x10000 if item_id == 0xFFFF else item_id
            at += 18
        item_class, at = read_sz_or_ord(data, at)
        item_title, at = read_sz_or_ord(data, at)
        extra, = struct.unpack_from("<H", data, at)
        at += 2 + extra
        item_class = CONTROL_ATOMS.get(item_class, item_class)
        controls.append({"id": item_id, "class": item_class.lower(), "style": item_style,
                         "ex_style": item_ex_style, "rect": (x, y, cx, cy), "title": item_title})
    return {"style": style, "ex_style": ex_style, "rect": rect, "menu": menu, "class": window_class,
            "title": title, "font": font, "controls": controls}


@pytest.mark.parametrize("dialog_id", sorted(DIALOGS))
def test_dialog_templates(resources, dialog_id):
    style, wanted = DIALOGS[dialog_id]
    dialog = parse_dialog(resources[("DIALOG", str(dialog_id))])
    assert hex(dialog["style"]) == hex(style)
    assert hex(dialog["ex_style"]) == hex(DIALOG_EX_STYLE)
    assert dialog["font"] == ("Arial", 10)
    assert (dialog["menu"], dialog["class"], dialog["title"]) == ("", "", "")
    controls = {c["id"]: c for c in dialog["controls"]}
    assert len(controls) == len(dialog["controls"]), "a control id repeats"
    assert sorted(controls) == sorted(wanted)
    for control_id, (control_class, control_style) in wanted.items():
        control = controls[control_id]
        # Every control is placed at run time; the template only names it.
        assert control["rect"] == (0, 0, 0, 0) and control["title"] == "", control_id
        assert (control["class"], hex(control["style"])) == (control_class, hex(control_style)), control_id
        assert control["ex_style"] == 0, control_id
