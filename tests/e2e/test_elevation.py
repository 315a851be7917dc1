"""The elevated restart with real processes: the window starts a second copy
of the installer through "runas" (Wine starts it at once, with no prompt),
the copy waits for the go signal, runs the setup the parent downloaded and
verified, and forwards its progress to the parent's window; every way of
leaving ends both processes. These runs play an administrator."""
import os
import re
import signal
import subprocess
import time

import pytest

from conftest import (TIME_SCALE, DialogRun, SetupSteps, Wine, dialog_texts, log_messages,
                      parse_log, setup_record, wait_for_percent)

ADMIN = {"LITE_TEST_USER": "admin"}
START = "Start installer as admin"


def wine_processes(installer):
    """(unix pid, Windows command line) of every running process of
    |installer|; Wine shows a process's Windows command line as its
    arguments."""
    listing = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout
    program = Wine.windows_path(installer) + " "
    processes = []
    for line in listing.splitlines():
        pid, _, args = line.strip().partition(" ")
        if args.startswith(program):
            processes.append((int(pid), args))
    return processes


def elevated_copies(installer):
    return [args for _, args in wine_processes(installer) if "--run-as-admin" in args]


def wait_until(condition, timeout=30, what="the condition"):
    deadline = time.monotonic() + timeout * TIME_SCALE
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    pytest.fail(f"{what} did not come within {timeout} s")


def records_by_process(wine):
    """The log's records, grouped: (parent's, elevated copy's) messages.
    The parent is the process that took the single-instance mutex."""
    records = parse_log(wine.log_text())
    parent = next(pid for pid, _, message, _ in records
                  if message.startswith("Installer process id"))
    copy = {pid for pid, _, message, _ in records if message == START}
    assert len(copy) <= 1, "more than one elevated copy ran"
    copy = copy.pop() if copy else None
    return ([m for pid, _, m, _ in records if pid == parent],
            [m for pid, _, m, _ in records if pid == copy])


def windows_pid(wine):
    messages = log_messages(wine)
    line = next(m for m in messages if m.startswith("Installer process id: "))
    return int(line.rsplit(" ", 1)[1])


def test_mode_1_restarts_at_once_and_the_copy_runs_the_setup(window_run, wine, installer,
                                                             installable_setup):
    # A slow archive, so that the copy is seen waiting while it downloads.
    installable_setup.setup_faults = "slow=100"
    steps = SetupSteps()
    run = window_run("--distr-info-params=uac=1&cancel=1",
                     *steps.args("install:5,import:50,close"), env=ADMIN)
    run.dump()
    copy = wait_until(lambda: elevated_copies(installer), what="the elevated copy")[0]
    assert f"--parent-installer-process-id={windows_pid(wine)}" in copy
    assert "--setup-cmd-line=fake_browser_arc " in copy
    # The copy waits for the go signal: no setup before Install.
    wait_until(lambda: START in records_by_process(wine)[1], what="the copy's wait")
    time.sleep(2 * TIME_SCALE)
    assert not any(m.startswith("Run: ") for m in records_by_process(wine)[1])
    run.click(1)

    # The copy starts the setup and hides the parent's cancel control.
    def cancel_hidden():
        window = run.dump()
        return not window["by_id"][112][0]["visible"] and window
    window = wait_until(cancel_hidden, timeout=90, what="the copy's setup")
    run.capture("elevated_setup_running")
    assert window["by_id"][115][0]["visible"]
    for expected in (75, 90):
        steps.release()
        wait_for_percent(run, expected)
    steps.release()
    # The parent did not run the setup itself.
    assert run.wait() == 400
    wait_until(lambda: not elevated_copies(installer), what="the copy's end")

    parent, copy = records_by_process(wine)
    assert "The elevated installer has finished, success=1" in parent
    assert "Installer exit with code: 400" in parent
    assert "RunModule results: success=1" in copy
    assert not any(m.startswith("Run: ") for m in parent), "the parent ran the setup"
    record = setup_record(wine)
    assert f"Process created: {record['pid']}" in copy
    # The real archive and the data files came through the shared record.
    line = record["command_line"]
    assert re.match(r'^"C:\\users\\[^\\]+\\Temp\\zb[0-9A-F]+\.tmp" ', line, re.I), line
    for switch in ("installerdata", "clids-file", "brand-package"):
        assert re.search(rf'--{switch}="?C:\\users\\', line), switch
    assert "--source=lite" in line and "fake_browser_arc" not in line
    assert record["files"]["installerdata"] > 0


@pytest.mark.parametrize("args, mode", [
    ([], 0),
    (["--distr-info-params=uac=1", "--system-level"], 0),
    (["--distr-info-params=uac=2"], 2),
], ids=["no uac", "system level", "uac 2"])
def test_when_the_window_restarts(window_run, wine, installer, args, mode):
    run = window_run(*args, "--test-setup-exit-code=3", env=ADMIN)
    window = run.dump()
    time.sleep(3 * TIME_SCALE)
    assert elevated_copies(installer) == [], "restarted before Install"
    # Mode 2 never asks, and the default box goes with it.
    assert window["by_id"][109][0]["visible"] is (mode != 2)
    run.click(1)
    exit_code = run.wait()
    parent, copy = records_by_process(wine)
    record = setup_record(wine)
    if mode == 0:
        assert START in copy
        assert exit_code == 400
        assert f"Process created: {record['pid']}" in copy
    else:
        assert copy == []
        assert exit_code == 3
        assert f"Process created: {record['pid']}" in parent
        assert "--show-uac-at-browser-start" in record["command_line"]


def test_closing_during_the_download_cancels_the_copy(window_run, wine, installer,
                                                     installable_setup):
    installable_setup.setup_faults = "slow=300"
    run = window_run("--distr-info-params=uac=1", env=ADMIN)
    run.dump()
    wait_until(lambda: elevated_copies(installer), what="the elevated copy")
    wait_until(lambda: START in records_by_process(wine)[1], what="the copy's wait")
    assert run.close() == 500
    wait_until(lambda: not elevated_copies(installer), timeout=40, what="the copy's end")
    _, copy = records_by_process(wine)
    assert copy[-1].startswith("Installer started as admin has been unexpectedly synced, wr=1 - ")
    assert setup_record(wine) is None


def test_parent_killed_while_the_copy_waits(window_run, wine, installer):
    run = window_run("--distr-info-params=uac=1", env=ADMIN)
    run.dump()
    wait_until(lambda: elevated_copies(installer), what="the elevated copy")
    wait_until(lambda: START in records_by_process(wine)[1], what="the copy's wait")
    parent = [pid for pid, args in wine_processes(installer) if "--run-as-admin" not in args]
    assert len(parent) == 1
    os.kill(parent[0], signal.SIGKILL)
    run.process.wait(timeout=30)
    wait_until(lambda: not elevated_copies(installer), timeout=40, what="the copy's end")
    _, copy = records_by_process(wine)
    assert copy[-1].startswith("Installer started as admin has been unexpectedly synced, wr=2 - ")
    assert setup_record(wine) is None


def test_setup_exit_7_in_the_copy_shows_the_already_installed_failure(window_run, wine,
                                                                      installer):
    run = window_run("--distr-info-params=uac=1", "--test-setup-exit-code=7",
                     "--test-setup-messages=install:5", env=ADMIN)
    run.dump()
    run.click(1)
    dialog = DialogRun.over(run)
    shown = dialog.dump(timeout=90)
    assert dialog_texts(shown, (-1,)) == {
        -1: "Zelmar Browser is already installed in Program Files."}
    dialog.click(113)
    assert run.wait() == 400
    parent, copy = records_by_process(wine)
    assert "RunModule results: success=0" in copy
    assert "The elevated installer has finished, success=0" in parent
    assert setup_record(wine), "the setup did run, in the copy"


def test_copy_that_hangs_after_the_stop_is_terminated(window_run, wine, installer):
    """Waits the real 30 seconds the parent gives a released copy."""
    steps = SetupSteps()
    run = window_run("--distr-info-params=uac=1", *steps.args("higher,install:5"), env=ADMIN)
    run.dump()
    run.click(1)
    wait_until(lambda: setup_record(wine), timeout=90, what="the copy's setup")
    steps.release()  # the newer-version notice ends the window
    notice = DialogRun.over(run)
    notice.dump(timeout=60)
    left = time.monotonic()
    notice.click(1)
    try:
        assert run.wait(timeout=90) == 400
        assert time.monotonic() - left >= 29
        parent, _ = records_by_process(wine)
        stop = parent.index(next(m for m in parent if m.startswith(
            "The elevated installer was terminated due to stop event.")))
        assert any(m.startswith("The elevated installer hangs and must be forcibly terminated.")
                   for m in parent[stop:])
        assert elevated_copies(installer) == []
    finally:
        steps.release()  # lets the orphaned setup go
