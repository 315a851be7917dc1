"""The progress screen's slide downloader through real WinINet and GDI+
under Wine against the loopback slide server.

Runs tests/fixtures/slide_probe.exe (in LITE_WINEPREFIX, like the other
probes), which prints the slides it got and its log lines.
"""
import pytest

from conftest import BUILD, run_wine_probe
from services.cdn import pattern_bytes

PROBE = BUILD / "tests" / "fixtures" / "slide_probe.exe"
FAILED_DECODE = "Failed to load a background slide bitmap from data downloaded from "


@pytest.fixture(scope="module", autouse=True)
def probe_built():
    assert PROBE.exists(), "build the slide_probe target first"


class ProbeResult:
    def __init__(self, stdout):
        self.values = {}
        self.slides = []
        self.logs = []
        for line in stdout.splitlines():
            key, _, value = line.partition("=")
            if key == "slide":
                self.slides.append(tuple(int(v) for v in value.split(",")))
            elif key == "log":
                self.logs.append(tuple(value.split("|", 2)))
            elif key:
                self.values[key] = value
        assert "stuck" not in self.values, stdout

    def __getitem__(self, key):
        return int(self.values[key])


def folder(services, name="2022"):
    return f"http://127.0.0.1:{services.server_address[1]}/browser/installer/{name}/"


def run_probe(folder_url, *args):
    return ProbeResult(run_wine_probe(PROBE, folder_url, *args))


def asked(slides):
    return [path.rsplit("/", 1)[1] for path in slides.requests()]


@pytest.mark.parametrize("scale, size", [("1", (728, 400)), ("1.5", (1092, 600))])
def test_served_slides_decode_at_half_scale_until_ten_misses(services, slide_set, scale, size):
    slides = slide_set(3)
    url = folder(services, "tr")
    result = run_probe(url, f"--force-device-scale-factor={scale}")
    assert result["count"] == 4
    assert result.slides == [(1, *size), (2, *size), (3, *size)]
    assert slides.requests() == [f"/browser/installer/tr/x2/{name}" for name in
                                 ["02.jpg", "03.jpg", "04.jpg"] + ["05.jpg"] * 10]
    # Each miss is a 404 the downloader reports.
    misses = [log for log in result.logs
              if log[0] == "ERROR" and log[2].startswith(f"Unsuccessful download: {url}x2/05.jpg - ")]
    assert len(misses) == 10, result.logs


def test_empty_server_asks_for_the_first_slide_ten_times(services, slide_set):
    slides = slide_set(0)
    result = run_probe(folder(services))
    assert result["count"] == 1
    assert asked(slides) == ["02.jpg"] * 10


def test_undecodable_slide_is_logged_and_counted(services, slide_set):
    slides = slide_set(3, corrupt=3)
    url = folder(services)
    result = run_probe(url)
    assert result["count"] == 2
    assert asked(slides) == ["02.jpg"] + ["03.jpg"] * 10
    failures = [log for log in result.logs if log[1] == "DownloadImage"]
    assert len(failures) == 10, result.logs
    for severity, _, message in failures:
        assert severity == "ERROR"
        assert message.startswith(f"{FAILED_DECODE}{url}x2/03.jpg - "), message


# Each fault spoils the first tries of slide 03: a server error; about
# 50 KB in 4 KiB pieces 600 ms apart, so a chunk arrives past the 5 s limit;
# a response that stops after 100 bytes until WinINet's receive time-out
# (LITE_RECEIVE_TIMEOUT_MS, 5 s in the test build).
@pytest.mark.parametrize("fault, tries", [("status=500&first=4", 5), ("slow=600&first=1", 2),
                                          ("stall=100&first=1", 2)],
                         ids=["server-error", "over-five-seconds", "stalled"])
def test_failed_tries_count_until_the_slide_comes(services, slide_set, fault, tries):
    slides = slide_set(3, faults={"03.jpg": fault})
    result = run_probe(folder(services))
    assert result["count"] == 4
    assert asked(slides) == ["02.jpg"] + ["03.jpg"] * tries + ["04.jpg"] + ["05.jpg"] * 10


def test_destruction_stops_a_slow_download_after_its_chunk(services, slide_set):
    # 400 KB in 4 KiB pieces 100 ms apart: a 32 KiB chunk every 0.8 s, the
    # whole body (or the time limit) only after 5 s.
    slides = slide_set(0)
    slides.put_set({"02.jpg": pattern_bytes(400000)}, {"02.jpg": "slow=100"})
    result = run_probe(folder(services), "--stop-after-ms=1500")
    assert result["count"] == 1
    assert asked(slides) == ["02.jpg"]
    assert result["stop_ms"] < 1500, result.values
