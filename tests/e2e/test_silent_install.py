"""A silent installation end to end: the real installer under Wine downloads
the signed test setup from the loopback CDN, verifies it, runs it and
reports to the loopback statistics and report services."""
import json
import re
import time
from urllib.parse import unquote

import pytest

from conftest import BROWSER_VALUES_KEY, BUILD, parse_log, report_requests

SIGNED_SETUP = BUILD / "signed-modules" / "test_setup.exe"
UNSIGNED_SETUP = BUILD / "tests" / "fixtures" / "test_setup.exe"
# The installer with a test partner package (resource 320) that turns the
# brand's statistics and make-default readings off.
PARTNER_INSTALLER = BUILD / "tests" / "fixtures" / "lite_installer_partner.exe"
PARTNER_PACKAGE = BUILD / "tests" / "fixtures" / "partner_installer" / "partner.cab"
STATS_PATH = re.compile(
    r"^/installstats/send/dtype=stred/pid=457/cid=72992/path=extended_stat/vars=(.*)/\*$")
STANDING = {"brand_id", "installer_type", "launched", "lite_ver", "old_style", "old_ver", "ui",
            "partner_id"}


@pytest.fixture
def archive(installable_setup):
    """The services with the signed test setup as every brand's archive and
    an empty request record; whatever a test changes is put back."""
    services = installable_setup
    services.state.reset()
    yield services
    services.cdn.put("setup.arc", SIGNED_SETUP.read_bytes())
    services.setup_faults = ""


def run_silent(wine, program, *switches, timeout=120):
    record = wine.temp / "setup_record.json"
    result = wine.run_program(program, "--silent", *switches, timeout=timeout,
                              env={"LITE_TEST_SETUP_RECORD": "C:\\users\\root\\Temp\\setup_record.json"})
    result.record = json.loads(record.read_text()) if record.exists() else None
    result.log = parse_log(wine.log_text())
    return result


def statistics_events(services):
    """The statistics events received, in order, as dicts of key to value."""
    events = []
    for request in services.state.snapshot():
        match = STATS_PATH.match(request["path"])
        if request["path"].startswith("/installstats/send/"):
            assert match, request["path"]
        if match:
            pairs = [p.split("=", 1) for p in match.group(1).split(",")]
            events.append({unquote(k[1:]): unquote(v) for k, v in pairs})
    return events


def event_names(events):
    return [e["action"] + (":" + e["stage"] if "stage" in e else "") +
            (":" + e["status"] if "status" in e else "") for e in events]


def setup_switches(record):
    """The setup's command line as (name, value) pairs in the written order."""
    line = record["command_line"]
    assert line.startswith('"'), line
    rest = line[line.index('"', 1) + 1:]
    pairs = []
    # Values here hold no quotes of their own, so quotes only group.
    for token in re.findall(r'(?:[^\s"]|"[^"]*")+', rest):
        token = token.replace('"', "")
        assert token.startswith("--"), token
        name, _, value = token[2:].partition("=")
        pairs.append((name, value))
    return pairs


def test_tagged_silent_installation(wine, archive, trusted_test_root, tagged_installer):
    installer = tagged_installer("banerid=77&zelmaruid=zu1&distr_zelmaruid=du2&webntp=1")
    result = run_silent(wine, installer, "--test-setup-exit-code=3", "--test-setup-wait-seeds=10000")
    assert result.exit_code == 3, wine.log_text()[-3000:]
    messages = [r[2] for r in result.log]
    assert messages[-1] == "Installer exit with code: 3"
    assert "Installing in silent mode." in messages

    # The setup's command line: every switch in name order, what the
    # installer adds, and no download time on the direct path.
    switches = setup_switches(result.record)
    names = [n for n, _ in switches]
    assert names == sorted(names)
    values = dict(switches)
    temp = "C:\\users\\root\\Temp\\"
    assert values["source"] == "lite"
    assert values["progress-window"] == "0"
    assert values["brand-name"] == "zelmar"
    assert values["distr-info-file"] == temp + "distrib_info"
    assert values["test-setup-exit-code"] == "3"
    assert "silent" in values and "verbose-logging" in values
    assert "histogram-download-time" not in values
    for name in ("installerdata", "clids-file", "abt-config-resource-file"):
        assert values[name].startswith(temp), (name, values[name])
    for name in ("variations-update-path", "abt-update-path", "webntp-path"):
        assert values[name].startswith(temp), (name, values[name])
    assert "server-config-bundle-path" not in values
    # The seeds were there while the setup ran; the tab page name is only
    # reserved.
    files = result.record["files"]
    assert files["variations-update-path"] > 0 and files["abt-update-path"] > 0
    assert files["webntp-path"] == -1
    assert files["distr-info-file"] > 0 and files["installerdata"] >= 0
    # ...and are gone after teardown.
    for name in ("variations-update-path", "abt-update-path"):
        assert not (wine.temp / values[name][len(temp):]).exists()

    # Statistics: the stages in order, each with the standing parameters.
    events = statistics_events(archive)
    assert event_names(events) == [
        "installer_started", "download:started", "download_attempt:success",
        "download:finished", "setup:setup_exe_launched", "setup:setup_exe_exited"]
    for event in events:
        assert STANDING <= set(event), event
        assert event["brand_id"] == "zelmar" and event["installer_type"] == "lite"
        assert event["banner_id"] == "77" and event["zelmar_uid"] == "zu1"
        assert event["distr_zelmar_uid"] == "du2"
        assert event["old_style"] == "0" and event["old_ver"] == ""
    assert events[0]["resolution"] and events[0]["dpi"]
    attempt = events[2]
    assert attempt["attempt_number"] == "1" and attempt["total_size"] == attempt["downloaded_size"]
    assert unquote(unquote(attempt["url"])).endswith("/browser/zelmar/browser-setup.arc?from_installer=true")
    assert events[4]["new_ver"] == "23.1.0.1" and events[4]["install_type"] == "normal"
    assert "error" not in events[5]  # 3 is one of the setup's success codes
    # The setup saw the standing parameters in the registry.
    assert "\nbanner_id\n77\n" in "\n" + result.record["install_stat"]

    reports = report_requests(archive)
    assert len(reports) == 1
    assert reports[0]["result"] == ["success"]
    assert re.fullmatch(r"[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}", reports[0]["ui"][0])

    # Registry and files after a successful run.
    assert wine.browser_value("install_stat") is None
    for name in ("InstallerData", "ClidsFile", "ClidsSearchbandFile", "ZelmarWebsiteIconFile",
                 "DistribInfoParams", "brand", "BrandFile", "PartnerFile"):
        assert wine.browser_value(name) is None, name
    assert wine.browser_value("lang") == "en"
    assert wine.browser_value("AbtConfigResourceFile") is not None
    assert not (wine.temp / "BrandFile").exists()
    assert not list(wine.temp.glob("zb*.tmp"))


def test_setup_already_installed(wine, archive, trusted_test_root, installer):
    result = run_silent(wine, installer, "--test-setup-exit-code=7")
    assert result.exit_code == 7
    assert result.record is not None
    events = statistics_events(archive)
    assert events[-1]["stage"] == "setup_exe_exited"
    assert events[-1]["error"] == "FailedToStart"
    assert report_requests(archive)[0]["result"] == ["failed"]
    # A failed run leaves the mirrors for the next attempt.
    assert wine.browser_value("InstallerData") is not None


def test_update_over_an_existing_browser(wine, archive, trusted_test_root, installer):
    assert wine.reg("add", BROWSER_VALUES_KEY, "/v", "zpv", "/d", "22.1.0.5", "/f").returncode == 0
    result = run_silent(wine, installer)
    assert result.exit_code == 0
    events = statistics_events(archive)
    launched = [e for e in events if e.get("stage") in ("setup_exe_launched", "setup_exe_exited")]
    assert [e["action"] for e in launched] == ["update", "update"]
    assert all(e["old_ver"] == "22.1.0.5" for e in events)


def test_forced_scale_factor_is_reported(wine, archive, trusted_test_root, installer):
    result = run_silent(wine, installer, "--force-device-scale-factor=1.5")
    assert result.exit_code == 0
    started = statistics_events(archive)[0]
    assert started["action"] == "installer_started" and started["dpi"] == "150"


def test_unverifiable_archive_is_not_started(wine, archive, trusted_test_root, installer):
    archive.cdn.put("setup.arc", UNSIGNED_SETUP.read_bytes())
    result = run_silent(wine, installer)
    assert result.exit_code == 402
    assert result.record is None
    errors = [r[2] for r in result.log if r[1] == "ERROR" and r[3] == "InstallBrowser"]
    assert any(m.startswith("Module verification failed: C:\\users\\root\\Temp\\zb") for m in errors)
    assert event_names(statistics_events(archive))[-1] == "verification:error"
    assert report_requests(archive)[0]["result"] == ["failed"]
    assert wine.browser_value("install_stat") is None


@pytest.mark.parametrize("faults", ["garbage=1", "no_length=1&cut=40000"])
def test_hostile_archive_server(wine, archive, trusted_test_root, installer, faults):
    # What the download layer cannot tell from a good answer, the signature
    # check refuses: the setup never starts.
    archive.setup_faults = faults
    result = run_silent(wine, installer)
    assert result.exit_code == 402
    assert result.record is None


def test_statistics_service_that_never_answers(wine, archive, trusted_test_root, installer):
    def timed_run():
        started = time.monotonic()
        result = run_silent(wine, installer)
        return result, time.monotonic() - started

    _, normal = timed_run()
    wine.reset()
    archive.state.reset()
    archive.stats.hold()
    try:
        result, held = timed_run()
    finally:
        archive.stats.release()
    assert result.exit_code == 0
    assert result.record is not None
    assert report_requests(archive)[0]["result"] == ["success"]
    # Six events go out; waiting on each of them would cost 12 s. Only the
    # one in progress when the installer ends may hold it up, for at most
    # its 2-second time-outs.
    assert held - normal < 5, (held, normal)


def test_download_failure(wine, archive, trusted_test_root, installer):
    # Needs real time: six attempts with the 15-second pause between them.
    archive.setup_faults = "status=404"
    result = run_silent(wine, installer, timeout=180)
    assert result.exit_code == 401
    assert result.record is None
    names = event_names(statistics_events(archive))
    assert names[:2] == ["installer_started", "download:started"]
    assert names[2:] == ["download:error", "download_attempt:failed"] * 6
    errors = [e["error"] for e in statistics_events(archive) if e["action"] == "download"
              and e.get("stage") == "error"]
    # The statistics service sees "-" as "_": it separates the vars.
    assert [re.sub(r"_\d+$", "", e) for e in errors] == \
        [f"attempt_{n}_final_query_info_404" for n in range(1, 7)]
    assert report_requests(archive)[0]["result"] == ["failed"]
    messages = [r[2] for r in result.log]
    assert any(m.startswith("Module was not downloaded: ") for m in messages)
    assert messages[-1] == "Installer exit with code: 401"


def test_switch_names_that_do_not_narrow_safely_are_dropped(wine, archive, trusted_test_root,
                                                            installer):
    # U+0100 used to narrow to a NUL that cut the setup's command line short.
    result = run_silent(wine, installer, "--\u0100z", "--a b=1", "--brand-name=zelmar")
    assert result.exit_code == 0
    switches = dict(setup_switches(result.record))
    assert switches["source"] == "lite" and switches["brand-name"] == "zelmar"
    assert all(name.isascii() and " " not in name for name in switches)
    warnings = [r[2] for r in result.log if r[1] == "WARNING"]
    assert "Dropped a switch with an unsafe name: \\u0100z" in warnings
    assert "Dropped a switch with an unsafe name: a b" in warnings


def download_error_stages(services):
    return [e["error"] for e in statistics_events(services)
            if e["action"] == "download" and e.get("stage") == "error"]


# A receive that times out: Windows' WinINet says ERROR_INTERNET_TIMEOUT;
# Wine's passes on the socket's WSAETIMEDOUT.
READ_TIMEOUT_STAGE = re.compile(r"attempt_(\d+)_internet_read_(12002|10060)(_|$)")


def test_stalled_archive_connection_ends_the_attempt(wine, archive, trusted_test_root, installer):
    # Needs real time: one receive time-out (5 s in the test build) and the
    # 15-second pause. The server sends 1000 bytes, then nothing.
    archive.setup_faults = "stall=1000&first=1"
    result = run_silent(wine, installer, timeout=120)
    assert result.exit_code == 0
    assert result.record is not None
    stages = download_error_stages(archive)
    assert len(stages) == 1, stages
    match = READ_TIMEOUT_STAGE.match(stages[0])
    assert match and match.group(1) == "1", stages


def test_server_stalling_every_attempt(wine, archive, trusted_test_root, installer):
    # Needs real time: six receive time-outs and five 15-second pauses.
    archive.setup_faults = "stall=1000"
    started = time.monotonic()
    result = run_silent(wine, installer, timeout=300)
    elapsed = time.monotonic() - started
    assert result.exit_code == 401
    assert result.record is None
    stages = download_error_stages(archive)
    attempts = [READ_TIMEOUT_STAGE.match(s) for s in stages]
    assert all(attempts), stages
    assert [int(m.group(1)) for m in attempts] == list(range(1, 7)), stages
    assert elapsed < 6 * 5 + 5 * 15 + 60, elapsed


@pytest.mark.parametrize("version, path", [
    ("winxp", "/browser-partners/_xp_builds/browser-setup.arc"),
    ("vista", "/browser-partners/_xp_builds/browser-setup.arc"),
    ("win10", "/browser/zelmar/browser-setup.arc"),
])
def test_windows_version_picks_the_build(wine, archive, trusted_test_root, installer, version, path):
    # Wine reports the version set for the program's name.
    key = r"HKCU\Software\Wine\AppDefaults\lite_installer.exe"
    assert wine.reg("add", key, "/v", "Version", "/d", version, "/f").returncode == 0
    try:
        result = run_silent(wine, installer)
    finally:
        wine.reg("delete", key, "/f")
    assert result.exit_code == 0, wine.log_text()[-2000:]
    downloads = [r["path"] for r in archive.state.snapshot() if r["path"].endswith("?from_installer=true")]
    assert downloads == [path + "?from_installer=true"]


@pytest.mark.parametrize("partner, switches, send_statistics, make_default", [
    # The main brand reads true for both; a silent run takes only the
    # statistics reading from it, make-default only from the switch.
    (False, [], True, False),
    (False, ["--make-browser-default-after-import"], True, True),
    # The partner package reads false for both.
    (True, [], False, False),
    (True, ["--send-statistics"], True, False),
])
def test_silent_options_come_from_switches_else_the_brand(
        wine, archive, trusted_test_root, installer, partner, switches, send_statistics,
        make_default):
    result = run_silent(wine, PARTNER_INSTALLER if partner else installer, *switches)
    assert result.exit_code == 0, wine.log_text()[-2000:]
    names = [n for n, _ in setup_switches(result.record)]
    assert ("send-statistics" in names) == send_statistics
    assert ("make-browser-default-after-import" in names) == make_default


def test_partner_package_end_to_end(wine, archive, trusted_test_root):
    # The setup fails, so the package copies and their mirrors stay behind.
    result = run_silent(wine, PARTNER_INSTALLER, "--test-setup-exit-code=7")
    assert result.exit_code == 7, wine.log_text()[-2000:]
    temp = "C:\\users\\root\\Temp\\"
    package = PARTNER_PACKAGE.read_bytes()
    messages = [r[2] for r in result.log]
    assert f"Extract Partner package: {temp}PartnerFile [{len(package)}B]" in messages
    assert any(m.startswith(f"Extract Brand package: {temp}BrandFile [") for m in messages)
    assert (wine.temp / "PartnerFile").read_bytes() == package
    assert wine.browser_value("PartnerFile") == temp + "PartnerFile"
    values = dict(setup_switches(result.record))
    assert values["partner-package"] == temp + "PartnerFile"
    assert result.record["files"]["partner-package"] == len(package)

    # Where partner and brand package disagree, the partner wins; what the
    # partner leaves out comes from the brand.
    brand = {}
    for record in result.log:
        if record[3] == "LogBrandInfo":
            key, _, value = record[2].partition(": ")
            brand[key] = value  # the last brand record is the final one
    assert brand["Send browser's statistics"] == "0"
    assert brand["Make browser default after import"] == "0"
    assert brand["Brand id"] == "zelmar"
    events = statistics_events(archive)
    assert events and all(e["partner_id"] == "test_partner" for e in events)
