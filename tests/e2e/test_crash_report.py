"""Crash reporting end to end: the test build's installer crashes on
purpose ("--test-crash=main" after the configuration is read, "worker" as
the installer's worker thread starts), writes a minidump with its
annotations and uploads it to the loopback crash service."""
import re
import uuid

import pytest

from conftest import parse_log

ACCESS_VIOLATION = 0xC0000005
GUID_TEXT = re.compile(r"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
TAG_PARAMS = {"stat": "1", "def": "1"}


AEDEBUG = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug"


@pytest.fixture
def crash_service(wine, services):
    """The crash service with an empty record; Wine's crash debugger is
    off meanwhile, so that a crashed process ends with its exception code
    as on Windows without a debugger, instead of waiting in winedbg."""
    before = wine.reg("query", AEDEBUG, "/v", "Debugger")
    match = re.search(r"Debugger\s+REG_SZ\s*(.*?)\r?$", before.stdout, re.M)
    wine.reg("add", AEDEBUG, "/v", "Debugger", "/d", "", "/f")
    services.crash.reset()
    yield services.crash
    services.crash.reset()
    if match:
        wine.reg("add", AEDEBUG, "/v", "Debugger", "/d", match.group(1), "/f")


def run_crash(wine, installer, where, *switches):
    result = wine.run_program(installer, *switches, f"--test-crash={where}",
                              timeout=180)
    result.log = parse_log(wine.log_text())
    result.dumps = sorted(path.name for path in wine.temp.glob("*.dmp"))
    return result


def uid_of(wine):
    path = wine.drive_c / "users" / wine.temp.parent.name / "AppData" / "Roaming" / "Zelmar" / "ui"
    return path.read_text().strip("{}") if path.exists() else None


@pytest.mark.parametrize("where,switches", [("main", ["--silent"]), ("worker", [])],
                         ids=["main thread, silent", "worker thread, window"])
def test_crash_uploads_one_report(wine, installer, crash_service, where, switches):
    result = run_crash(wine, installer, where, *switches)

    assert result.exit_code & 0xFFFFFFFF == ACCESS_VIOLATION
    reports = crash_service.snapshot()
    assert len(reports) == 1, reports
    report = reports[0]
    assert report["errors"] == []
    assert report["query"] == [("product", "Zelmar"), ("version", "22.9.3.891")]
    assert report["headers"]["Transfer-Encoding"] == "chunked"
    assert report["headers"]["Content-Encoding"] == "gzip"
    assert report["headers"]["User-Agent"].startswith("Crashpad/0.8.0 WinHTTP")
    assert report["chunk_sizes"][-1] == 0 and all(0 < size <= 32768
                                                  for size in report["chunk_sizes"][:-1])
    assert re.fullmatch(r"---MultipartBoundary-[0-9A-Za-z]{32}---", report["boundary"])

    fields = report["fields"]
    assert fields["uid"] == uid_of(wine)
    assert GUID_TEXT.match(fields["report_id"]) and GUID_TEXT.match(fields["uid"])
    for key, value in {"ver": "22.9.3.891", "plat": "Win32", "prod": "Zelmar",
                       "gzip_enabled": "true", "ptype": "installer", "brand_id": "zelmar",
                       "default_language": "en"}.items():
        assert fields[key] == value, key
    assert fields["brand_name"]
    assert "guid" not in fields
    assert set(report["files"]) == {"upload_file_minidump"}
    attachment = report["files"]["upload_file_minidump"]
    assert attachment["file_name"] == fields["uid"] + ".dmp"
    assert attachment["content_type"] == "application/octet-stream"

    dump = report["minidump"]
    assert dump["annotations"] == fields
    assert str(uuid.UUID(bytes_le=dump["report_id"])).upper() == fields["report_id"]
    assert str(uuid.UUID(bytes_le=dump["client_id"])).upper() == fields["uid"]
    # Sent: the local dump, named after the report id, is gone.
    assert result.dumps == []


def test_distribution_parameters_become_annotations(wine, tagged_installer, crash_service):
    installer = tagged_installer("stat=1&def=1&lang=tr&guid=ab cd")
    run_crash(wine, installer, "main", "--silent")

    (report,) = crash_service.snapshot()
    assert report["errors"] == []
    fields = report["fields"]
    assert {key: fields[key] for key in ("stat", "def", "lang", "guid")} == {
        "stat": "1", "def": "1", "lang": "tr", "guid": "ab cd"}
    assert fields["default_language"] == "tr"
    assert report["query"][-1] == ("guid", "ab cd")
    assert report["minidump"]["annotations"] == fields


# A service that never answers costs the upload's whole 60 s time limit.
@pytest.mark.parametrize("mode,expected", [("500", "HTTP status 500"),
                                           ("hang", "WinHttpReceiveResponse: ")])
def test_failed_upload_keeps_the_dump(wine, installer, crash_service, mode, expected):
    crash_service.mode = mode
    result = run_crash(wine, installer, "main", "--silent")

    assert result.exit_code & 0xFFFFFFFF == ACCESS_VIOLATION
    messages = [message for _, severity, message, _ in result.log if severity == "ERROR"]
    assert any(message.startswith(expected) for message in messages), messages
    (report,) = crash_service.snapshot()
    assert result.dumps == [report["fields"]["report_id"] + ".dmp"]
