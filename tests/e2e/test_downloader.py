"""The downloader through real WinINet under Wine against the loopback CDN.

Runs tests/fixtures/download_probe.exe, which prints what the downloader
reported as key=value lines. Set LITE_WINEPREFIX to run in another prefix.
"""
import os
import pwd
import re
import subprocess
import threading
from pathlib import Path

import pytest

from conftest import BUILD, Wine, run_wine_probe
from services.cdn import pattern_bytes
from services.server import make_server

PROBE = BUILD / "tests" / "fixtures" / "download_probe.exe"
PREFIX = Path(os.environ.get("LITE_WINEPREFIX", "/var/cache/lite_installer-wine"))
USER_AGENT = "Zelmar.Browser lite installer"


@pytest.fixture(scope="module")
def cdn():
    server = make_server("127.0.0.1", 0)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    server.origin = f"http://127.0.0.1:{server.server_address[1]}"
    yield server
    server.shutdown()
    server.server_close()


class ProbeResult:
    def __init__(self, stdout):
        self.values = {}
        self.progress = []
        self.time_left = []
        self.logs = []
        self.seeks = []
        self.slow = 0
        for line in stdout.splitlines():
            key, _, value = line.partition("=")
            if key == "progress":
                self.progress.append(float(value))
            elif key == "time_left":
                self.time_left.append(tuple(int(v) for v in value.split(",")))
            elif key == "log":
                self.logs.append(tuple(value.split("|", 2)))
            elif key == "seek":
                self.seeks.append(int(value))
            elif key == "slow":
                self.slow += 1
            elif key:
                self.values[key] = value

    def __getitem__(self, key):
        return self.values[key]


def run_probe(*args):
    stdout = run_wine_probe(PROBE, *args)
    result = ProbeResult(stdout)
    assert "result" in result.values, stdout
    return result


def temp_downloads():
    user = pwd.getpwuid(os.getuid()).pw_name
    temp = PREFIX / "drive_c" / "users" / user / "Temp"
    return sorted(p.name for p in temp.glob("dl*.tmp")) if temp.exists() else []


@pytest.fixture(scope="module", autouse=True)
def probe_built():
    assert PROBE.exists(), "build the download_probe target first"


def test_download_to_file_is_byte_identical_and_replaces_target(cdn, tmp_path):
    target = tmp_path / "target.bin"
    target.write_bytes(b"old")
    data = os.urandom(200_000)
    cdn.cdn.put("setup.arc", data)
    cdn.state.reset()
    url = f"{cdn.origin}/cdn/setup.arc?from_installer=true"
    result = run_probe("file", url, Wine.windows_path(target))
    assert result["result"] == "1" and result["stage"] == ""
    assert result["content_length"] == str(len(data))
    assert target.read_bytes() == data
    assert ("INFO", "Downloader::OpenDownload", "Connection established: " + url) in result.logs
    [request] = cdn.state.snapshot()
    assert request["headers"]["User-Agent"] == USER_AGENT
    assert request["headers"]["Accept"] == "*/*"
    assert "Range" not in request["headers"]


def test_cancelled_download_to_file_leaves_nothing(cdn, tmp_path):
    target = tmp_path / "target.bin"
    before = temp_downloads()
    result = run_probe("file", f"{cdn.origin}/cdn/gen/300000", Wine.windows_path(target), "--cancel-now")
    assert result["result"] == "0"
    assert not target.exists()
    assert temp_downloads() == before


@pytest.mark.parametrize("query, stage, size", [
    ("status=404", r"final_query_info-404-\d+", 0),
    ("status=500", r"final_query_info-500-\d+", 0),
    # The connection ends early: WinINet reads that as a normal end.
    ("cut=40000", r"content_length_mismatch-40000", 40000),
    ("length_delta=10", r"content_length_mismatch-100000", 100000),
])
def test_failed_downloads_name_their_stage(cdn, tmp_path, query, stage, size):
    target = tmp_path / "out.bin"
    url = f"{cdn.origin}/cdn/gen/100000?{query}"
    result = run_probe("progress", url, Wine.windows_path(target))
    assert result["result"] == "0"
    assert re.fullmatch(stage, result["stage"]), result["stage"]
    assert result["sink_size"] == str(size)
    assert target.read_bytes() == pattern_bytes(100000)[:size]
    assert 1.0 not in result.progress and (0, 2) not in result.time_left
    if query.startswith("status"):
        assert ("ERROR", "Downloader::ReadChunk") in [log[:2] for log in result.logs]
        assert any(log[2].startswith("HTTP request status isn't OK - ") for log in result.logs)
        assert any(log[2].startswith(f"Unsuccessful download: {url} - ") for log in result.logs)


@pytest.mark.parametrize("query, size, redirected, length", [
    ("", 100000, None, 100000),
    ("no_length=1", 100000, None, 0),
    ("redirect=/cdn/gen/5000", 5000, "/cdn/gen/5000", 5000),
    # More than announced: WinINet stops at the announced length.
    ("length_delta=-10", 99990, None, 99990),
])
def test_successful_downloads_report_progress(cdn, tmp_path, query, size, redirected, length):
    target = tmp_path / "out.bin"
    result = run_probe("progress", f"{cdn.origin}/cdn/gen/100000?{query}", Wine.windows_path(target))
    assert result["result"] == "1" and result["stage"] == ""
    assert target.read_bytes() == pattern_bytes(max(size, 100000))[:size]
    assert result["redirect"] == (cdn.origin + redirected if redirected else "")
    assert result["content_length"] == str(length)
    assert result.progress[0] == 0.0 and result.progress[-1] == 1.0
    assert result.progress == sorted(result.progress)
    assert result.time_left == [(-1, 0), (0, 2)]
    if length == 0:
        assert result.progress == [0.0, 1.0]
    else:
        assert len(result.progress) > 2


@pytest.mark.parametrize("header, value", [
    # Longer than the name: the buffer has to grow once.
    ("Content-Type", "application/octet-stream"),
    ("Content-Length", "3000"),
    ("X-Seed-Signature", ""),
])
def test_download_to_string_and_response_header(cdn, header, value):
    result = run_probe("string", f"{cdn.origin}/cdn/gen/3000", header)
    assert result["result"] == "1" and result["body_size"] == "3000"
    assert result["header"] == value


def test_download_to_string_keeps_out_string_on_failure(cdn):
    result = run_probe("string", f"{cdn.origin}/cdn/gen/3000?status=404", "Content-Type")
    assert result["result"] == "0"
    assert result["body_size"] == str(len("unchanged"))


@pytest.mark.parametrize("size, ok", [(8 * 1024 * 1024, True), (8 * 1024 * 1024 + 1, False)])
def test_download_to_string_stops_at_the_seed_limit(cdn, size, ok):
    result = run_probe("string", f"{cdn.origin}/cdn/gen/{size}", "Content-Type")
    if ok:
        assert result["result"] == "1" and result["body_size"] == str(size)
    else:
        assert result["result"] == "0" and result["body_size"] == str(len("unchanged"))
        assert result["stage"].startswith("response_too_large-")
        assert int(result["stage"].split("-")[1]) > 8 * 1024 * 1024


def test_resume_under_wine_fails_and_empties_the_sink(cdn, tmp_path):
    # Wine only stubs InternetSetFilePointer, so the resumed attempt takes
    # the failure path and the next attempt would start from nothing.
    target = tmp_path / "out.bin"
    result = run_probe("progress", f"{cdn.origin}/cdn/gen/100000", Wine.windows_path(target),
                       "--prefill", 1000)
    assert result["result"] == "0"
    assert result["stage"] == "internet_set_file_pointer-12016"
    assert result["sink_size"] == "0"
    assert target.read_bytes() == b""


def test_resume_keeps_the_bytes_already_there(cdn, tmp_path):
    # A seek that reports success but does not move the stream (the server
    # sends the whole body again) is caught by the length check.
    target = tmp_path / "out.bin"
    result = run_probe("progress", f"{cdn.origin}/cdn/gen/100000", Wine.windows_path(target),
                       "--prefill", 1000, "--fake-seek")
    assert result.seeks == [1000]
    assert result.progress[:1] != [0.0] and (-1, 0) not in result.time_left
    assert target.read_bytes() == b"P" * 1000 + pattern_bytes(100000)
    assert result["result"] == "0"
    assert result["stage"] == "content_length_mismatch-101000"


def test_stop_event_ends_a_running_download(cdn, tmp_path):
    target = tmp_path / "out.bin"
    result = run_probe("progress", f"{cdn.origin}/cdn/gen/2000000?slow=20", Wine.windows_path(target),
                       "--cancel-on-progress")
    assert result["result"] == "0" and result["stage"] == ""
    assert 0 < int(result["sink_size"]) < 2000000
    assert result.progress[-1] < 1.0 and (0, 2) not in result.time_left


def test_refused_connection(tmp_path):
    result = run_probe("progress", "http://127.0.0.1:1/cdn/x", Wine.windows_path(tmp_path / "o"))
    assert result["result"] == "0"
    assert result["stage"] == "internet_open_url-12029"
    assert result["fault"] == "0"


TLS_DIR = BUILD / "test-certs" / "tls"
TRUSTED_CA = Path("/usr/local/share/ca-certificates/lite-installer-test-services-ca.crt")


@pytest.fixture(scope="module")
def trusted_test_ca():
    """Wine's WinINet checks server certificates against the host's CA
    store, so the test CA is trusted there for the duration."""
    assert (TLS_DIR / "ca.pem").exists(), "run scripts/setup.sh (it makes the test certificates)"
    TRUSTED_CA.write_bytes((TLS_DIR / "ca.pem").read_bytes())
    subprocess.run(["update-ca-certificates"], check=True, capture_output=True)
    yield
    TRUSTED_CA.unlink(missing_ok=True)
    subprocess.run(["update-ca-certificates", "--fresh"], capture_output=True)


def https_server(certificate):
    server = make_server("localhost", 0, tls_cert=str(TLS_DIR / f"{certificate}.pem"),
                         tls_key=str(TLS_DIR / f"{certificate}.key"))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    server.origin = f"https://localhost:{server.server_address[1]}"
    return server


def test_https_download_from_a_trusted_server(trusted_test_ca, tmp_path):
    server = https_server("localhost")
    try:
        data = os.urandom(300_000)
        server.cdn.put("browser-setup.arc", data)
        target = tmp_path / "setup.arc"
        result = run_probe("file", f"{server.origin}/cdn/browser-setup.arc?from_installer=true",
                           Wine.windows_path(target))
        assert result["result"] == "1" and result["stage"] == ""
        assert target.read_bytes() == data
    finally:
        server.shutdown()
        server.server_close()


def test_https_server_with_an_untrusted_certificate_is_refused(trusted_test_ca, tmp_path):
    server = https_server("rogue_localhost")
    try:
        server.cdn.put("browser-setup.arc", b"not to be trusted")
        target = tmp_path / "setup.arc"
        result = run_probe("file", f"{server.origin}/cdn/browser-setup.arc", Wine.windows_path(target))
        assert result["result"] == "0"
        assert result["stage"].startswith("internet_open_url-"), result["stage"]
        assert not target.exists()
    finally:
        server.shutdown()
        server.server_close()
