"""Start-up of the real installer: run kinds, exit codes and the log."""
import subprocess

import pytest

from conftest import LOG_LINE, parse_log

START = "-------------------------------------- Start install."


def messages(wine, pid=None):
    return [r[2] for r in parse_log(wine.log_text()) if pid is None or r[0] == pid]


@pytest.mark.parametrize("switches", [
    ["--check-the-interface"],
    ["/CHECK-THE-INTERFACE"],
    ["-Check-The-Interface", "--silent"],
])
def test_interface_check_run(wine, installer, switches):
    result = wine.run_program(installer, *switches)
    # Wine offers none of the internal interfaces.
    assert result.exit_code == 701
    text = wine.log_text()
    first = text.split("\n")[0]
    match = LOG_LINE.match(first)
    assert match, first
    assert match.group(5) == START and match.group(6) == "wWinMain"
    assert int(match.group(2)) == result.pid
    assert messages(wine) == [
        START,
        "Handled non install cmd line option by win10 default browser helper, ret code: 701",
    ]


def test_window_run_closed_by_the_user(wine, installer):
    result = wine.run_window_closed(installer)
    assert result.exit_code == 500
    records = parse_log(wine.log_text())
    assert all(r[0] == result.pid for r in records)
    assert [r[2] for r in records if r[3] == "wWinMain"] == [
        START,
        "Runned in secure environment.",
        "Lite installer mode.",
        f"Installer process id: {result.pid}",
        "Temporary path is: C:\\users\\root\\Temp\\",
        "User cancelled installation.",
        "Installer exit with code: 500",
    ]


def test_silent_run_and_semi_silent(wine, installer):
    # Each installs the test setup from the loopback CDN, which exits with 0.
    for switches in (["--silent"], ["/SILENT"], ["-semi-silent"]):
        wine.reset()
        result = wine.run_program(installer, *switches)
        assert result.exit_code == 0
        assert "Installing in silent mode." in messages(wine)
        assert messages(wine)[-1] == "Installer exit with code: 0"


def test_second_instance_is_refused(wine, installer, fixtures_dir):
    holder = wine.popen(fixtures_dir / "mutex_holder.exe", wine.windows_path(installer),
                        stdin=subprocess.PIPE)
    try:
        ready = holder.stdout.readline().strip()
        assert ready.startswith("ready pid="), ready + holder.stderr.read()
        holder_pid = int(ready.split("=")[1])
        result = wine.run_program(installer, "--silent")
        assert result.exit_code == 600
        # The owner's id travels through the image's shared section.
        assert messages(wine) == [
            START,
            "Runned in secure environment.",
            "Lite installer mode.",
            "Another installer instance is already running.",
            f"Master installer process id: {holder_pid}",
        ]
        # A refused instance reads no configuration and writes none.
        assert not (wine.temp / "distrib_info").exists()
        assert wine.reg("query", r"HKCU\Software\Zelmar").returncode != 0

        # The interface check never touches the mutex.
        assert wine.run_program(installer, "--check-the-interface").exit_code == 701
    finally:
        holder.stdin.close()
        holder.wait(timeout=30)
    assert wine.run_window_closed(installer).exit_code == 500


@pytest.mark.parametrize("stored_id", [None, "2147483644"], ids=["no-id", "id-of-no-process"])
def test_refused_instance_without_known_owner_says_so(wine, installer, fixtures_dir, stored_id):
    # An owner that is not an installer leaves the shared id at 0. An id of
    # no process in our session (the section is seen from every session) is
    # no better: it is not used.
    holder_args = [wine.windows_path(installer), stored_id] if stored_id else []
    holder = wine.popen(fixtures_dir / "mutex_holder.exe", *holder_args, stdin=subprocess.PIPE)
    try:
        assert holder.stdout.readline().startswith("ready")
        assert wine.run_program(installer).exit_code == 600
    finally:
        holder.stdin.close()
        holder.wait(timeout=30)
    records = parse_log(wine.log_text())
    assert ("INFO", "Master installer process id: 0") in [(r[1], r[2]) for r in records]
    errors = [r for r in records if r[1] == "ERROR"]
    assert len(errors) == 1
    assert errors[0][3] == "BringProcessWindowToTop"
    assert errors[0][2].startswith("Failed to bring process window to top: wrong process id - ")


@pytest.mark.parametrize("command_line", [
    '"{exe}" "--silent --brand-name=x',          # unbalanced quote
    '"{exe}" --huge=' + "v" * 30000 + " " + "/" + "w" * 2000,
    '"{exe}" --\u0161witch=\u0436 /\u00e9 --\u4e2d\u6587',
    '"{exe}" "" " " -- / = --=',
])
def test_hostile_command_lines(wine, installer, command_line):
    line = command_line.format(exe=wine.windows_path(installer))
    result = wine.run_window_closed(installer, env={"LAUNCH_COMMAND_LINE": line})
    assert result.exit_code == 500
    assert messages(wine)[-1] == "Installer exit with code: 500"


def test_log_folder_that_cannot_be_created(wine, installer):
    (wine.temp / "blocker").write_text("a file where a folder should be")
    result = wine.run_window_closed(installer, env={
        "LAUNCH_SET_TMP": "C:\\users\\root\\Temp\\blocker\\sub\\",
        "LAUNCH_SET_TEMP": "C:\\users\\root\\Temp\\blocker\\sub\\"})
    assert result.exit_code == 500
    assert not (wine.temp / "lite_installer.log").exists()


def test_missing_temporary_folder(wine, installer):
    # A temporary path of 260 characters or more counts as none: the log
    # goes to the root of the current drive.
    too_long = "C:\\" + "t" * 300
    root_log = wine.drive_c / "lite_installer.log"
    root_log.unlink(missing_ok=True)
    result = wine.run_window_closed(installer, env={"LAUNCH_SET_TMP": too_long,
                                                    "LAUNCH_SET_TEMP": too_long}, cwd=wine.drive_c)
    assert result.exit_code == 500
    try:
        records = parse_log(root_log.read_text())
        assert "Temporary path is: " in [r[2] for r in records]
        assert records[-1][2] == "Installer exit with code: 500"
    finally:
        root_log.unlink(missing_ok=True)
