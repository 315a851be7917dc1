"""The installer window as a person sees it: the real installer under Wine
and Xvfb, read and driven through tests/fixtures/window_probe (controls,
MSAA, real clicks and keys, the window's pixels). Screenshots are kept in
<build>/test-artefacts/window/."""
import re
import subprocess
import tempfile
import time
from pathlib import Path

import pytest
from PIL import Image, ImageChops, ImageStat

from conftest import (DIALOG_ARTEFACTS, ROOT, SC_CLOSE, TIME_SCALE, WINDOW_TITLE, WM_SYSCOMMAND,
                      DialogRun, dialog_events, log_messages, report_requests, setup_record)

IMAGES = ROOT / "resources" / "images"
STATISTICS_TEXT = "I want to help improve Zelmar services by sending browser usage statistics to Zelmar"
TEXTS = {1: "Install", 107: "The fast, secure, and intelligent web browser",
         109: "&Set as default browser", 110: STATISTICS_TEXT, 111: "Pin Mirra to the taskbar",
         118: "Privacy policy"}


# Which boxes each layout type shows, from the distribution's parameters
# (the test brand asks about the Mirra shortcut), and where (unscaled):
# control id -> (left, top, right).
LAYOUTS = {
    0: ("def=1&stat=2&mirrashortcut=1", 190, {}),
    1: ("stat=1&mirrashortcut=2", 170, {109: (60, 294, 537)}),
    2: ("def=2&mirrashortcut=1", 170, {110: (60, 294, 537)}),
    3: ("mirrashortcut=2", 170, {109: (314, 305, 537), 110: (60, 305, 308)}),
    4: ("def=1&stat=1", 170, {111: (60, 294, 537)}),
    5: ("stat=2", 170, {109: (60, 279, 537), 111: (60, 309, 537)}),
    6: ("def=1", 170, {111: (60, 279, 537), 110: (60, 309, 537)}),
    7: ("", 152, {109: (60, 250, 537), 111: (60, 280, 537), 110: (60, 310, 537)}),
}
LOGOS = {"A": ("logo_a_first.png", (60, 56, 272, 94)), "B": ("logo_b_first.png", (60, 62, 226, 90))}


def scaled(value, scale):
    return int(value * scale)


def patch_difference(image, expected, box):
    """Mean absolute difference (0..255) of two images inside |box|."""
    difference = ImageChops.difference(image.crop(box), expected.crop(box))
    return sum(ImageStat.Stat(difference).mean) / 3


def expected_first_screen(size, variant, scale, language=""):
    """The background and logo (|language|'s own, "_ru", or the common one)
    as the window should compose them; the stretch at 1.5 is approximated,
    hence the tolerances below."""
    background = Image.open(IMAGES / "main_background.jpg").convert("RGBA").resize(size, Image.BILINEAR)
    name, rect = LOGOS[variant]
    name = name.replace(".png", language + ".png")
    logo_rect = [scaled(v, scale) for v in rect]
    logo_name = name.replace(".png", "@2x.png") if scale != 1 else name
    logo = Image.open(IMAGES / logo_name).convert("RGBA").resize(
        (logo_rect[2] - logo_rect[0], logo_rect[3] - logo_rect[1]), Image.BILINEAR)
    composed = background.copy()
    composed.alpha_composite(logo, (logo_rect[0], logo_rect[1]))
    return background.convert("RGB"), composed.convert("RGB"), tuple(logo_rect)


@pytest.mark.parametrize("scale", [1.0, 1.5], ids=["scale1.0", "scale1.5"])
@pytest.mark.parametrize("variant", ["A", "B"])
@pytest.mark.parametrize("layout_type", sorted(LAYOUTS))
def test_first_screen_layout(window_run, layout_type, variant, scale):
    params, title_top, boxes = LAYOUTS[layout_type]
    params = "&".join(p for p in [params, "ins=1" if variant == "A" else ""] if p)
    args = [f"--force-device-scale-factor={scale}"]
    if params:
        args.append(f"--distr-info-params={params}")
    run = window_run(*args)
    window = run.dump()
    image = run.capture(f"type{layout_type}_{variant}_{scale}")
    assert run.close() == 500
    s = scale

    def rect(control_id):
        [control] = window["by_id"][control_id]
        return control["rect"]

    assert window["window"]["text"] == WINDOW_TITLE
    assert window["window"]["rect"] == [0, 0, scaled(728, s), scaled(400, s)]
    assert image.size == (scaled(728, s), scaled(400, s))
    for control_id, text in TEXTS.items():
        assert window["by_id"][control_id][0]["text"] == text
    assert rect(107) == [scaled(60, s), scaled(title_top, s), scaled(668, s), scaled(title_top + 80, s)]

    for box in (109, 110, 111):
        [control] = window["by_id"][box]
        if box not in boxes:
            assert not control["visible"] and control["rect"] == [0, 0, 0, 0], box
            continue
        left, top, right = boxes[box]
        r = control["rect"]
        assert control["visible"], box
        assert r[:3] == [scaled(left, s), scaled(top, s), scaled(right, s)], box
        # The box (16 pixels) and its focus margin; the label may wrap.
        assert scaled(16, s) + 4 <= r[3] - r[1] <= scaled(50, s), (box, r)
    privacy = rect(118)
    if 110 in boxes:
        assert privacy[0] == 4 + scaled(84, s) and privacy[1] == rect(110)[3]
        assert privacy[2] > privacy[0] and privacy[3] > privacy[1]
    else:
        assert privacy == [0, 0, 0, 0]
    # Nothing overlaps, and every piece stays inside the window.
    shown = [c for c in window["controls"] if c["visible"] and c["rect"][2] > c["rect"][0]]
    for i, a in enumerate(shown):
        assert 0 <= a["rect"][0] and a["rect"][2] <= scaled(728, s) and a["rect"][3] <= scaled(400, s)
        for b in shown[i + 1:]:
            ra, rb = a["rect"], b["rect"]
            assert not (ra[0] < rb[2] and rb[0] < ra[2] and ra[1] < rb[3] and rb[1] < ra[3]), (a, b)

    install, close = rect(1), rect(113)
    assert install == [scaled(556, s), scaled(336, s), scaled(556, s) + scaled(112, s),
                       scaled(336, s) + scaled(32, s)]
    assert close == [scaled(700, s), scaled(16, s), scaled(700, s) + scaled(12, s),
                     scaled(16, s) + scaled(12, s)]
    # The licence note: plain pieces and the link inside its rectangle,
    # the closing period on the link's line.
    note = window["by_id"][122] + window["by_id"][123]
    for piece in note:
        r = piece["rect"]
        assert r[0] >= scaled(60, s) and r[2] <= scaled(668, s), r
        assert r[1] >= scaled(372, s) and r[3] <= scaled(400, s), r
    [link] = window["by_id"][123]
    assert link["text"] == "License Agreement"
    assert [p for p in window["by_id"][122] if p["text"] == "."][0]["rect"][1] == link["rect"][1]

    # The pixels: the background, the logo and the Install button's face
    # where they belong, not a blank or black window.
    background, composed, logo_rect = expected_first_screen(image.size, variant, s)
    quiet = (scaled(560, s), scaled(70, s), scaled(660, s), scaled(130, s))
    assert patch_difference(image, background, quiet) < 12
    assert patch_difference(image, composed, logo_rect) < 24
    assert patch_difference(image, background, logo_rect) > patch_difference(image, composed, logo_rect) + 10
    face = Image.open(IMAGES / "install_button.png").convert("RGBA")
    face = face.crop((0, 0, face.width // 3, face.height)).resize(
        (install[2] - install[0], install[3] - install[1]), Image.BILINEAR)
    button_expected = composed.copy()
    button_expected.paste(face.convert("RGB"), (install[0], install[1]), face)
    edge = (install[0] + 2, install[1] + 2, install[0] + scaled(20, s), install[3] - 2)
    assert patch_difference(image, button_expected, edge) < 24
    assert patch_difference(image, background, edge) > 20
    centre = image.crop((install[0] + scaled(30, s), install[1] + scaled(6, s),
                         install[2] - scaled(30, s), install[3] - scaled(6, s))).convert("L")
    assert centre.getextrema()[0] < 80, "no text on the Install button"


def test_install_passes_the_options_chosen_on_the_first_screen(window_run, wine, installable_setup):
    run = window_run("--test-setup-exit-code=3")
    window = run.dump()
    assert window["focus"] == 1
    run.click(110)  # the statistics box, checked by the brand, now unchecked
    run.click(1)
    assert run.wait() == 3
    record = setup_record(wine)
    assert record, "the setup did not run"
    line = record["command_line"]
    assert "--make-browser-default-after-import" in line
    assert "--create-mirra-shortcut-in-taskbar" in line
    assert "--send-statistics" not in line
    events = dialog_events(installable_setup)
    assert {"choosen_checkbox": "sendstat"}.items() <= next(
        e for e in events if "choosen_checkbox" in e).items()
    assert any(e.get("clicked_button") == "install" for e in events)
    assert any(e.get("action") == "install_browser_button_clicked" for e in events)
    assert "Installer exit with code: 3" in log_messages(wine)


def test_quick_start_installs_without_a_click(window_run, wine, installable_setup):
    run = window_run("--distr-info-params=first=1&def=1&stat=2", "--test-setup-exit-code=7")
    assert run.wait() == 7
    line = setup_record(wine)["command_line"]
    assert "--make-browser-default-after-import" in line and "--send-statistics" not in line
    assert not any("clicked_button" in e for e in dialog_events(installable_setup))


@pytest.mark.parametrize("how", ["close button", "system close"])
def test_leaving_the_first_screen_cancels(window_run, wine, installable_setup, how):
    # A slow archive: the download is still running when the user leaves.
    installable_setup.setup_faults = "slow=300"
    run = window_run()
    run.dump()
    left = time.monotonic()
    if how == "close button":
        run.click(113)
    else:
        run.post(WM_SYSCOMMAND, SC_CLOSE)
    assert run.wait() == 500
    # Well within the installer's minute of stop-and-wait, and before the
    # download (30 s at this pace) could have finished.
    assert time.monotonic() - left < 20 * TIME_SCALE
    assert setup_record(wine) is None
    messages = log_messages(wine)
    assert "User cancelled installation." in messages
    assert "Installer exit with code: 500" in messages
    cancels = [e for e in dialog_events(installable_setup) if e.get("clicked_button") == "cancel"]
    assert len(cancels) == (1 if how == "close button" else 0)
    # The run's report is sent although the user stopped the run; only the
    # close button counts as a cancellation.
    reports = report_requests(installable_setup)
    assert [r["result"] for r in reports] == [["cancelled" if how == "close button" else "failed"]]


def test_escape_reports_cancel_and_keeps_the_window(window_run, installable_setup):
    run = window_run()
    run.dump()
    run.keys("ESCAPE")
    deadline = time.monotonic() + 20 * TIME_SCALE
    while not any(e.get("clicked_button") == "cancel" for e in dialog_events(installable_setup)):
        assert time.monotonic() < deadline, "no cancel event"
        time.sleep(0.2)
    assert run.process.poll() is None
    assert run.dump()["window"]["visible"]
    assert run.close() == 500


def test_controls_answer_screen_readers(window_run):
    run = window_run()
    window = run.dump()
    run.close()
    accessible = {c["id"]: c["accessible"] for c in window["controls"]}
    ROLE_PUSHBUTTON, ROLE_LINK = 43, 30
    assert accessible[113] == {"name": "Close", "value": None, "role": ROLE_PUSHBUTTON}
    assert accessible[118] == {"name": "Privacy policy", "value": None, "role": ROLE_LINK}
    assert accessible[123] == {
        "name": "By using Zelmar\u00a0Browser, you agree to the terms and conditions of the "
                "License Agreement.", "value": None, "role": ROLE_LINK}
    assert accessible[1]["name"] == "Install"
    for box in (109, 110, 111):
        assert accessible[box]["name"] == TEXTS[box].replace("&", "")


def test_keyboard_walks_the_first_screen_and_installs(window_run, wine):
    run = window_run()
    focus = [run.dump()["focus"]]
    for _ in range(7):
        run.keys("TAB")
        focus.append(run.dump()["focus"])
    assert focus == [1, 113, 109, 111, 110, 118, 123, 1]
    run.keys("TAB", "TAB", "TAB", "TAB")  # on to the statistics box
    assert run.dump()["focus"] == 110
    run.keys("SPACE")
    run.keys("RETURN")
    assert run.wait() == 0
    line = setup_record(wine)["command_line"]
    assert "--send-statistics" not in line and "--make-browser-default-after-import" in line


def test_arrows_move_between_install_and_the_licence_link(window_run):
    run = window_run()
    assert run.dump()["focus"] == 1
    run.keys("LEFT")
    assert run.dump()["focus"] == 123
    run.keys("RIGHT")
    assert run.dump()["focus"] == 1
    assert run.close() == 500


@pytest.fixture
def small_local_appdata(wine):
    """Local AppData on a 4 MiB file system, so that the free-space check
    fails; skipped where file systems cannot be mounted."""
    mount_point = Path(tempfile.mkdtemp())
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", str(mount_point)],
                             capture_output=True)
    if mounted.returncode != 0:
        pytest.skip("cannot mount a small file system here")
    (mount_point / "AppData").mkdir()
    drive = wine.prefix / "dosdevices" / "s:"
    drive.symlink_to(mount_point)
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
    old = wine.reg("query", key, "/v", "Local AppData").stdout
    wine.reg("add", key, "/v", "Local AppData", "/t", "REG_EXPAND_SZ", "/d", "S:\\AppData", "/f")
    yield
    value = re.search(r"Local AppData\s+REG_EXPAND_SZ\s+(.*?)\r?$", old, re.M)
    wine.reg("add", key, "/v", "Local AppData", "/t", "REG_EXPAND_SZ", "/d", value.group(1), "/f")
    drive.unlink()
    subprocess.run(["umount", str(mount_point)])


def test_not_enough_disk_space_in_window_mode(wine, installer, small_local_appdata):
    run = DialogRun(wine, installer)
    try:
        dialog = run.dump()
        image = run.capture("not_enough_disk_space", DIALOG_ARTEFACTS)
        controls = {c["id"]: c for c in dialog["controls"]}
        assert dialog["window"]["rect"] == [0, 0, 397, 174]
        assert image.size == (397, 174)
        assert controls[107]["text"] == "Not enough disk space\nto install Zelmar\u00a0Browser"
        assert controls[-1]["text"] == "Free up at least 600 MB and try again."
        assert controls[1]["text"] == "OK" and controls[1]["visible"]
        assert controls[1]["rect"] == [40, 126, 160, 154]
        assert not controls[113]["visible"]
        # Escape does not end it: only OK does.
        run.keys("ESCAPE")
        time.sleep(0.5 * TIME_SCALE)
        assert run.dump()["window"]["visible"]
        run.click(1)
        assert run.wait() == 403
    finally:
        if run.process.poll() is None:
            run.process.kill()
            run.process.wait()
    # The button's face and dark text on it, over the dialog's light body.
    button = image.crop((40, 126, 160, 154)).convert("L")
    assert button.getextrema()[0] < 110, "no text on the OK button"
    assert ImageStat.Stat(image.crop((300, 80, 390, 120)).convert("L")).mean[0] > 200
    messages = log_messages(wine)
    assert "There is not enough disk space to install browser" in messages
    assert "Installer exit with code: 403" in messages
    assert setup_record(wine) is None
