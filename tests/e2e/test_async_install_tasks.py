"""The install pre-fetch tasks through real WinINet under Wine against the
loopback seed services.

Runs tests/fixtures/async_tasks_probe.exe, which prints the reserved paths,
their content before the teardown and whether they survive it. The server
configuration URL is built into the test build, so these tests use the
service stack on the build's port (the `services` fixture).
"""
import base64
import os
import re
import subprocess
from pathlib import Path

import pytest

from conftest import BUILD, ROOT

PROBE = BUILD / "tests" / "fixtures" / "async_tasks_probe.exe"
WINE_RUN = ROOT / "scripts" / "wine_run.sh"
NAMES = ("variations", "abt", "webntp", "server_config", "wallpaper")
LAST_MODIFIED = "Wed, 05 Oct 2022 08:12:33 GMT"


class ProbeResult:
    def __init__(self, stdout):
        self.values = {}
        self.logs = []
        self.debug = []
        for line in stdout.replace("\r", "").splitlines():
            key, _, value = line.partition("=")
            if key == "log":
                self.logs.append(tuple(value.split("|", 2)))
            elif key == "debug":
                self.debug.append(value)
            elif key:
                self.values[key] = value

    def path(self, name):
        return self.values[f"path_{name}"]

    def before(self, name):
        """The file's bytes before the teardown, None if it was absent."""
        value = self.values[f"before_{name}"]
        return None if value == "absent" else bytes.fromhex(value)

    def after(self, name):
        return self.values[f"after_{name}"] == "1"


@pytest.fixture(scope="module", autouse=True)
def probe_built():
    assert PROBE.exists(), "build the async_tasks_probe target first"


@pytest.fixture
def seeds(services):
    services.state.reset()
    services.seeds.reset()
    services.origin = f"http://localhost:{services.server_address[1]}"
    yield services
    services.seeds.reset()


def windows_folder(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\") + "\\"


def probe_args(seeds, tmp_path, tag, wallpapers="/wallpapers/set_", partner="-"):
    return [windows_folder(tmp_path), tag or "-",
            seeds.origin + "/content/get/experiments/browser.proto", seeds.origin + "/ab/get",
            seeds.origin + wallpapers if wallpapers else "-", "zelmar", partner]


def start_probe(args, *extra):
    env = dict(os.environ, DISPLAY="")
    return subprocess.Popen([str(WINE_RUN), str(PROBE), *map(str, args), *extra], env=env,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


def finish(process, stdin_text=None):
    stdout, stderr = process.communicate(stdin_text, timeout=120)
    assert process.returncode == 0, stderr
    result = ProbeResult(stdout)
    assert result.values.get("result") == "done", stdout
    return result


def run_probe(args):
    return finish(start_probe(args))


def variations_json(body, signature, last_modified="", country=""):
    return ('{"variations_seed_base64": "%s", "variations_seed_signature": "%s", '
            '"variations_last_modified_time": "%s", "variations_country": "%s"}'
            % (base64.b64encode(body).decode(), signature, last_modified, country)).encode()


def requested_paths(seeds):
    return [r["path"] for r in seeds.state.snapshot()]


def service_query():
    return "brand=zelmar&uid={5D1C0A7E}&version="


def test_seeds_and_bundles_land_in_the_reserved_paths(seeds, tmp_path):
    abt_body = os.urandom(70_000)  # more than one 32 KiB chunk
    config_body = os.urandom(100_000)
    wallpaper_body = os.urandom(50_000)
    seeds.seeds.set("variations", body=b"\x01\x02\xfe",
                    headers={"X-Seed-Signature": "c2lnLXY=", "X-Country": None})
    seeds.seeds.set("abt", body=abt_body,
                    headers={"X-Seed-Signature": "c2lnLWE=", "X-Country": "kz"})
    seeds.seeds.set("config", body=config_body)
    seeds.seeds.set("wallpapers", body=wallpaper_body)

    result = run_probe(probe_args(seeds, tmp_path, "scup=1&pwexp=abc&webntp=1"))

    assert result.values["finished"] == "1"
    paths = [result.path(name) for name in NAMES]
    assert all(p.startswith(windows_folder(tmp_path)) for p in paths)
    assert len(set(paths)) == 5
    # No X-Country: the country is empty; the 3-byte body is 4 characters.
    assert result.before("variations") == variations_json(b"\x01\x02\xfe", "c2lnLXY=",
                                                          LAST_MODIFIED, "")
    assert b'"AQL+"' in result.before("variations")
    assert result.before("abt") == variations_json(abt_body, "c2lnLWE=", LAST_MODIFIED, "kz")
    assert result.before("server_config") == config_body
    assert result.before("wallpaper") == wallpaper_body
    # Only the name is reserved for the new-tab page.
    assert result.before("webntp") is None

    assert [result.after(name) for name in NAMES] == [False, False, False, False, True]
    assert Path(tmp_path, Path(result.path("wallpaper").replace("\\", "/")).name
                ).read_bytes() == wallpaper_body

    requests = requested_paths(seeds)
    assert len(requests) == 4
    assert re.fullmatch(r"/content/get/experiments/browser\.proto\?" + re.escape(service_query())
                        + r"[0-9.]+", requests[0]), requests[0]
    assert re.fullmatch(r"/ab/get\?" + re.escape(service_query()) + r"[0-9.]+", requests[1])
    assert requests[2:] == ["/configs/all_zip?brandID=zelmar", "/wallpapers/set_abc"]
    for name in ("variations", "abt"):
        assert ("INFO", "DownloadAndSaveVariations",
                "Variations are saved in " + result.path(name)) in result.logs
    assert result.debug == []


@pytest.mark.parametrize("fault, message", [
    ({"headers": {"X-Seed-Signature": None}}, r"Failed to get variations seed signature"),
    ({"status": 404}, r"Failed to download variations seed: final_query_info-404-\d+ - .*"),
])
def test_failed_variations_seed_writes_nothing(seeds, tmp_path, fault, message):
    seeds.seeds.set("variations", **fault)
    result = run_probe(probe_args(seeds, tmp_path, ""))
    assert result.before("variations") is None
    [error, saved] = [log for log in result.logs if log[1] == "DownloadAndSaveVariations"]
    assert error[0] == "ERROR" and re.fullmatch(message, error[2]), error
    # The next task still runs.
    assert saved == ("INFO", "DownloadAndSaveVariations",
                     "Variations are saved in " + result.path("abt"))
    assert result.before("abt") == variations_json(b"abt seed", "c2lnLWE=", LAST_MODIFIED, "tr")
    assert [result.path(n) == "" for n in NAMES] == [False, False, True, True, True]


def test_bundle_failures_are_reported_in_the_debug_log(seeds, tmp_path):
    seeds.seeds.set("config", status=500)
    seeds.seeds.set("wallpapers", status=404)
    result = run_probe(probe_args(seeds, tmp_path, "vup=0&abtup=0&scup=1&pwexp=x"))
    assert result.before("server_config") is None and result.before("wallpaper") is None
    assert len(result.debug) == 2
    assert re.fullmatch(r"Failed to download server config bundle: final_query_info-500-\d+",
                        result.debug[0]), result.debug
    assert re.fullmatch(r"Failed to download wallpaper bundle: final_query_info-404-\d+",
                        result.debug[1]), result.debug
    # Not in the installer's log: only the downloader's own lines are there.
    assert not [log for log in result.logs if "bundle" in log[2]]


def test_teardown_stops_a_slow_server_config_download(seeds, tmp_path):
    config_body = os.urandom(400 * 1024)
    # 100 pieces 0.2 s apart: some 20 s if nothing stopped it.
    seeds.seeds.set("config", body=config_body, slow_ms=200)
    process = start_probe(probe_args(seeds, tmp_path, "scup=1&pwexp=abc"), "--teardown-on-input")
    try:
        assert seeds.seeds.wait_started("config", timeout=60)
        result = finish(process, "go\n")
    finally:
        if process.poll() is None:
            process.kill()

    # The seeds came first and were complete; the teardown removed them.
    assert result.before("variations") is not None and result.before("abt") is not None
    assert not result.after("variations") and not result.after("abt")
    # The bundle never reached its target and the wallpaper task never ran.
    assert result.before("server_config") is None and not result.after("server_config")
    assert result.before("wallpaper") is None and not result.after("wallpaper")
    assert "/wallpapers/set_abc" not in requested_paths(seeds)
    assert seeds.seeds.wait_finished("config", timeout=60)
    [transfer] = [t for t in seeds.seeds.snapshot() if t["name"] == "config"]
    assert not transfer["complete"] and transfer["sent"] < len(config_body)
    assert result.debug == ["Failed to download server config bundle: "]
