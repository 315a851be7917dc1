"""The progress screen as a person sees it: the bar, its percent label, its
accessible value and the slides, from the Install click to the setup's
last message, with the real installer under Wine and Xvfb."""
import tempfile
import time
from pathlib import Path

import pytest

from conftest import TIME_SCALE, Wine, log_messages, setup_record

FIRST_SCREEN_CONTROLS = (1, 107, 109, 110, 111, 113, 118, 122, 123)


def progress(window):
    """(label text, accessible value, visible) of the bar's pair."""
    bar = window["by_id"].get(115, [{}])[0]
    label = window["by_id"].get(124, [{}])[0]
    return label.get("text"), bar.get("accessible", {}).get("value"), bar.get("visible")


def percent_of(window):
    text = progress(window)[0]
    return int(text[:-1]) if text and text.endswith("%") else None


def wait_for_percent(run, expected, timeout=60):
    deadline = time.monotonic() + timeout * TIME_SCALE
    seen = None
    while time.monotonic() < deadline:
        seen = percent_of(run.dump())
        if seen == expected:
            return
        time.sleep(0.2)
    pytest.fail(f"the progress screen shows {seen}%, not {expected}%")


class SetupSteps:
    """Lets the test setup post its messages one at a time."""

    def __init__(self):
        self.dir = Path(tempfile.mkdtemp())
        self.step = 0

    def args(self, messages):
        return [f"--test-setup-messages={messages}",
                f"--test-setup-step-dir={Wine.windows_path(self.dir)}"]

    def release(self):
        (self.dir / f"step{self.step}").touch()
        self.step += 1


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
