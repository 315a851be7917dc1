"""A release configuration stops at configure time, with a message naming
the cause, for what must never ship; a sound one configures, without the
test hooks and without the tests."""
import os
import pathlib
import shutil
import subprocess

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
# Public keys generated beside their private halves by make_test_keys.sh.
TEST_KEYS = pathlib.Path(os.environ.get("LITE_TEST_KEYS_FILE",
                                        SOURCE / "build" / "test-keys" / "public_keys.txt"))

GOOD_ORIGINS = {
    "LITE_DOWNLOAD_CDN_ORIGIN": "https://download.zelmar-browser.net",
    "LITE_LEGAL_SITE_ORIGIN": "https://legal.zelmar-browser.net",
    "LITE_API_ORIGIN": "https://api.zelmar-browser.net",
    "LITE_ABT_API_ORIGIN": "https://abt.zelmar-browser.net",
    "LITE_WEBNTP_ORIGIN": "https://webntp.zelmar-browser.net",
    "LITE_STATISTICS_ORIGIN": "https://stats.zelmar-browser.net",
    "LITE_REPORT_ORIGIN": "https://report.zelmar-browser.net",
    "LITE_CRASH_REPORT_ORIGIN": "https://crash.zelmar-browser.net",
    "LITE_BROWSER_SITE_BASE_HOST": "browser.zelmar-browser",
}


@pytest.fixture
def release_keys(tmp_path):
    """Public keys alone in their folder, as a release supplies them."""
    keys = tmp_path / "release-keys" / "public_keys.txt"
    keys.parent.mkdir()
    shutil.copyfile(TEST_KEYS, keys)
    return keys


def configure(build_dir, options):
    command = ["cmake", "-S", str(SOURCE), "-B", str(build_dir), "-G", "Ninja",
               f"-DCMAKE_TOOLCHAIN_FILE={SOURCE / 'cmake' / 'mingw-i686.cmake'}",
               "-DLITE_RELEASE=ON"]
    command += [f"-D{name}={value}" for name, value in options.items()]
    return subprocess.run(command, capture_output=True, text=True, timeout=300)


# (case, options over a sound release, expected line fragments)
REFUSALS = [
    ("test keys allowed", {"LITE_ALLOW_TEST_KEYS": "ON"},
     ["LITE_ALLOW_TEST_KEYS is ON"]),
    ("no keys file", {"LITE_BUILT_IN_KEYS_FILE": ""},
     ["LITE_BUILT_IN_KEYS_FILE is not set"]),
    ("keys file missing", {"LITE_BUILT_IN_KEYS_FILE": "/nonexistent/public_keys.txt"},
     ["/nonexistent/public_keys.txt does not exist"]),
    ("generated test keys", {"LITE_BUILT_IN_KEYS_FILE": str(TEST_KEYS)},
     ["these are TEST keys"]),
    ("loopback for every service", {"LITE_SERVICE_ORIGIN": "http://localhost:18080"},
     [f"{name} (http://localhost:18080) is a loopback address"
      for name in GOOD_ORIGINS if name != "LITE_BROWSER_SITE_BASE_HOST"]),
    ("one loopback address", {"LITE_STATISTICS_ORIGIN": "http://127.0.0.1:9"},
     ["LITE_STATISTICS_ORIGIN (http://127.0.0.1:9) is a loopback address"]),
    ("IPv6 loopback", {"LITE_API_ORIGIN": "https://[::1]:8443"},
     ["LITE_API_ORIGIN (https://[::1]:8443) is a loopback address"]),
    ("loopback name", {"LITE_REPORT_ORIGIN": "https://stats.localhost"},
     ["LITE_REPORT_ORIGIN (https://stats.localhost) is a loopback address"]),
    ("placeholder host", {"LITE_DOWNLOAD_CDN_ORIGIN": "https://download.example.com"},
     ["LITE_DOWNLOAD_CDN_ORIGIN (https://download.example.com) is a reserved placeholder"]),
    ("placeholder page host", {"LITE_BROWSER_SITE_BASE_HOST": "browser.example"},
     ["LITE_BROWSER_SITE_BASE_HOST (browser.example) is a reserved placeholder"]),
    ("no host", {"LITE_WEBNTP_ORIGIN": "https:///path"},
     ["LITE_WEBNTP_ORIGIN (https:///path) names no host"]),
]


@pytest.mark.parametrize("options,expected", [r[1:] for r in REFUSALS],
                         ids=[r[0] for r in REFUSALS])
def test_refused_at_configure_time(tmp_path, release_keys, options, expected):
    settings = {**GOOD_ORIGINS, "LITE_BUILT_IN_KEYS_FILE": str(release_keys), **options}
    result = configure(tmp_path / "build", settings)
    assert result.returncode != 0
    message = " ".join(result.stderr.split())
    assert "This release build is refused:" in message
    for fragment in expected:
        assert fragment in message
    # Only the causes given: a sound setting is never named.
    assert message.count(" - ") == len(expected), message
    # Stopped before the toolchain was even looked at.
    assert not (tmp_path / "build" / "CMakeFiles" / "CMakeOutput.log").exists()


def test_sound_release_configures_without_test_hooks_or_tests(tmp_path, release_keys):
    build = tmp_path / "build"
    result = configure(build, {**GOOD_ORIGINS, "LITE_BUILT_IN_KEYS_FILE": str(release_keys)})
    assert result.returncode == 0, result.stderr
    rules = (build / "build.ninja").read_text()
    assert "lite_installer.exe" in rules
    assert "LITE_TEST_HOOKS" not in rules
    assert "unittests" not in rules and "test_setup" not in rules
    assert "TEST public keys" not in result.stderr
