"""The progress screen as a person sees it: the bar, its percent label, its
accessible value and the slides, from the Install click to the setup's
last message, with the real installer under Wine and Xvfb."""
import io
import time

import pytest
from PIL import Image, ImageChops, ImageStat

from conftest import (DIALOG_ARTEFACTS, SC_CLOSE, TIME_SCALE, WM_SYSCOMMAND, DialogRun,
                      SetupSteps, dialog_texts, log_messages, percent_of, progress,
                      report_requests, setup_record, wait_for_percent)
from services.slide_art import slide_jpeg

FIRST_SCREEN_CONTROLS = (1, 107, 109, 110, 111, 113, 118, 122, 123)


def test_bar_follows_the_download_and_the_setup(window_run, wine, installable_setup):
    # A slow archive, so that the bar is seen between 5 and 40.
    installable_setup.setup_faults = "slow=150"
    steps = SetupSteps()
    run = window_run("--test-setup-exit-code=3", *steps.args(
        "install:5,install:6,install:7,import:0,import:50,import:100,close"))
    first = run.dump()
    assert first["by_id"][115][0]["visible"] is False
    run.click(1)

    window = run.dump()
    for control_id in FIRST_SCREEN_CONTROLS:
        assert control_id not in window["by_id"], f"control {control_id} is left on the progress screen"
    assert window["by_id"][115][0]["visible"]
    assert window["by_id"][115][0]["accessible"]["role"] == 48
    # No cancel without the distribution's "cancel=1".
    assert 112 not in window["by_id"]
    run.capture("progress_download")

    seen = []
    deadline = time.monotonic() + 120 * TIME_SCALE
    while time.monotonic() < deadline:
        window = run.dump()
        text, value, _ = progress(window)
        if text:
            percent = int(text[:-1])
            assert value == text, "the accessible value and the label disagree"
            if not seen or seen[-1] != percent:
                seen.append(percent)
            if percent == 40:
                break
        time.sleep(0.2)
    assert seen and seen[-1] == 40, f"the download ended at {seen}"
    assert all(5 <= p <= 40 for p in seen), seen
    assert seen == sorted(seen), f"the bar went back: {seen}"
    assert any(5 < p < 40 for p in seen), f"no value between 5 and 40 was shown: {seen}"

    # The setup's messages, one at a time: stage 6 maps to nothing.
    for expected in (75, 75, 79, 80, 90, 100):
        steps.release()
        wait_for_percent(run, expected)
        if expected == 90:
            run.capture("progress_import")
    steps.release()  # the setup's close message ends the window
    assert run.wait() == 3
    assert setup_record(wine), "the setup did not run"
    messages = log_messages(wine)
    for line in ("--> Installer > MainWindow::OnInstallProgress: 75",
                 "--> Installer > MainWindow::OnInstallProgress: 0",
                 "--> Installer > MainWindow::OnImportProgress: 50",
                 "--> Installer > MainWindow::OnCloseWindow",
                 "Installer exit with code: 3"):
        assert line in messages


def wait_for_requests(slides, count, timeout=60):
    """The slide paths asked for, once |count| arrived and no more follow."""
    deadline = time.monotonic() + timeout * TIME_SCALE
    asked = slides.requests()
    while time.monotonic() < deadline and len(asked) < count:
        time.sleep(0.2)
        asked = slides.requests()
    time.sleep(2 * TIME_SCALE)  # nothing more is to come
    return [path.rsplit("/x2/", 1)[-1] for path in slides.requests()]


@pytest.mark.parametrize("count, expected", [
    # 02 to 09 zero-padded, then plain numbers; ten failures in a row end it.
    (9, [f"{n:02d}.jpg" for n in range(2, 11)] + ["11.jpg"] * 10),
    (0, ["02.jpg"] * 10),
], ids=["nine slides", "no slides"])
def test_slides_are_fetched_in_order_until_ten_failures(window_run, slide_set, count, expected):
    slides = slide_set(count)
    steps = SetupSteps()
    run = window_run(*steps.args("close"))
    run.dump()
    assert slides.requests() == [], "slides are fetched before the progress screen"
    run.click(1)
    assert wait_for_requests(slides, len(expected)) == expected
    assert all("/browser/installer/2022/x2/" in path for path in slides.requests())
    steps.release()
    assert run.wait() == 0


@pytest.mark.parametrize("params, folder", [
    # The switch names the folder only for the new look, whose brand here
    # has no folder of its own; the old look keeps the brand's.
    ("ins=1", "/browser/installer/from-switch/"),
    ("", "/browser/installer/2022/"),
], ids=["new look", "old look"])
def test_slide_folder_switch(window_run, slide_set, services, params, folder):
    slides = slide_set(1)
    port = services.server_address[1]
    steps = SetupSteps()
    run = window_run(f"--ins-url=http://localhost:{port}/browser/installer/from-switch/",
                     *([f"--distr-info-params={params}"] if params else []), *steps.args("close"))
    run.click(1)
    wait_for_requests(slides, 11)
    assert {path.rsplit("x2/", 1)[0] for path in slides.requests()} == {folder}
    steps.release()
    assert run.wait() == 0


def test_corrupt_slide_is_logged_and_never_shown(window_run, wine, slide_set):
    slides = slide_set(3, corrupt=3)
    steps = SetupSteps()
    run = window_run(*steps.args("close"))
    run.click(1)
    assert wait_for_requests(slides, 11) == ["02.jpg"] + ["03.jpg"] * 10
    steps.release()
    assert run.wait() == 0
    failures = [m for m in log_messages(wine)
                if m.startswith("Failed to load a background slide bitmap from data downloaded from ")]
    assert len(failures) == 10 and all(m.split(" from ")[-1].split(" - ")[0].endswith("/x2/03.jpg")
                                       for m in failures), failures


def difference(image, expected, box):
    """Mean absolute difference (0..255) of two images inside |box|."""
    return sum(ImageStat.Stat(ImageChops.difference(image.crop(box), expected.crop(box))).mean) / 3


def test_quick_start_shows_the_built_in_slide_then_the_downloaded_ones(window_run, slide_set):
    slide_set(2)
    steps = SetupSteps()
    run = window_run("--distr-info-params=first=1&def=1&stat=1", *steps.args("close"))
    started = time.monotonic()
    window = run.dump()
    # Quick start: the progress screen at once, with the licence note.
    assert 1 not in window["by_id"] and window["by_id"][115][0]["visible"]
    note = window["by_id"][1013] + window["by_id"][1014]
    assert all(c["visible"] for c in note)
    assert "".join(c["text"] for c in sorted(note, key=lambda c: c["rect"][0])).startswith("By using")
    assert window["by_id"][1014][0]["accessible"]["role"] == 30  # a link
    built_in = run.capture("slide_built_in")

    # A slide keeps its logical size (the server's are double resolution)
    # on the whole window below the bar.
    below_bar = (0, 130, 728, 400)
    for number in (2, 3):
        time.sleep(max(0, started + (number - 1) * 10 + 2 - time.monotonic()))
        shown = run.capture(f"slide_{number:02d}")
        expected = Image.open(io.BytesIO(slide_jpeg(number))).convert("RGB").resize((728, 400))
        assert difference(shown, expected, below_bar) < 12, f"slide {number:02d} is not shown"
        assert difference(shown, built_in, below_bar) > 20
        if number == 2:
            # Moved on: the note goes.
            window = run.dump()
            assert 1013 not in window["by_id"] and 1014 not in window["by_id"]
    steps.release()
    assert run.wait() == 0


RESUME_TEXTS = {107: "Installation not complete. Resume?", 1: "Resume", 113: "Cancel"}


@pytest.mark.parametrize("answer", ["resume", "cancel"])
def test_closing_the_progress_screen_asks_first(window_run, wine, installable_setup, answer):
    # A slow archive: the download still runs while the user hesitates.
    installable_setup.setup_faults = "slow=300"
    run = window_run("--distr-info-params=cancel=1")
    run.click(1)
    close = run.dump()["by_id"][112][0]
    assert close["visible"] and close["rect"][:2] == [700, 16]

    # The close button asks; Escape is no answer; Resume goes on.
    run.click(112)
    question = DialogRun.over(run)
    shown = question.dump()
    assert dialog_texts(shown, (107, 1, 113)) == RESUME_TEXTS
    # Both buttons at the right edge, Resume first.
    resume, cancel = shown["by_id"][1][0]["rect"], shown["by_id"][113][0]["rect"]
    assert resume[2] <= cancel[0] and cancel[2] > shown["window"]["rect"][2] - 60
    question.capture("resume", DIALOG_ARTEFACTS)
    question.keys("ESCAPE")
    assert question.dump()["window"]["visible"]
    question.click(1)
    wait_for_percent(run, percent_of(run.dump()) or 5, above=True)

    if answer == "resume":
        assert run.wait() == 0
        assert setup_record(wine), "the installation did not complete"
        assert [r["result"] for r in report_requests(installable_setup)] == [["success"]]
        return
    # The system close asks too; Cancel ends the run as the user's, before
    # the download could have finished.
    run.post(WM_SYSCOMMAND, SC_CLOSE)
    assert dialog_texts(question.dump(), (107,)) == {107: RESUME_TEXTS[107]}
    left = time.monotonic()
    question.click(113)
    assert run.wait() == 500
    assert time.monotonic() - left < 20 * TIME_SCALE
    assert setup_record(wine) is None
    assert "User cancelled installation." in log_messages(wine)
    assert [r["result"] for r in report_requests(installable_setup)] == [["cancelled"]]


DOWNLOAD_OFFER = {107: "An error occurred during installation",
                  -1: "Try to download the installation file and\nrepeat the installation manually.",
                  1: "Download", 113: "Cancel"}


@pytest.mark.parametrize("failure, exit_code, texts, buttons", [
    # Every attempt fails (six, with 15-second pauses): the download page
    # is offered.
    ("download fails", 401, DOWNLOAD_OFFER, {1, 113}),
    # An archive whose signature does not hold: the general failure.
    ("bad archive", 402, DOWNLOAD_OFFER, {1, 113}),
    # The setup says the browser is in Program Files already.
    ("setup exit 7", 7, {107: "An error occurred during installation",
                         -1: "Zelmar Browser is already installed in Program Files.",
                         113: "Cancel"}, {113}),
])
def test_failure_ends_with_its_dialog(window_run, wine, installable_setup, failure, exit_code,
                                      texts, buttons):
    archive = installable_setup.cdn.get("setup.arc")
    args = []
    if failure == "download fails":
        installable_setup.setup_faults = "status=404"
    elif failure == "bad archive":
        installable_setup.cdn.put("setup.arc", b"MZ" + b"\0" * 4096)
    else:
        # A setup that stops early does not close the window itself.
        args += ["--test-setup-exit-code=7", "--test-setup-messages=install:5"]
    try:
        run = window_run(*args)
        run.click(1)
        dialog = DialogRun.over(run)
        shown = dialog.dump(timeout=150)
        assert dialog_texts(shown, texts) == texts
        assert {i for i in (1, 113) if shown["by_id"][i][0]["visible"]} == buttons
        dialog.capture(f"failure_{failure.replace(' ', '_')}", DIALOG_ARTEFACTS)
        # The window is hidden behind its failure's dialog.
        assert run.probe("dump", "--timeout=500", check=False).returncode == 2
        dialog.click(113)
        assert run.wait() == exit_code
    finally:
        installable_setup.cdn.put("setup.arc", archive)
    assert f"Installer exit with code: {exit_code}" in log_messages(wine)


def test_newer_version_notice(window_run, wine):
    run = window_run("--test-setup-messages=higher")
    run.click(1)
    notice = DialogRun.over(run)
    shown = notice.dump()
    assert dialog_texts(shown, (107, -1, 1)) == {
        107: "You already have a newer version\nof the browser installed on your computer",
        -1: "To get an old version of the browser working,\nuninstall the browser from your "
            "computer and repeat the installation.",
        1: "OK"}
    assert not shown["by_id"][113][0]["visible"]
    notice.capture("newer_version", DIALOG_ARTEFACTS)
    notice.click(1)
    assert run.wait() == 0
    assert setup_record(wine)
