#!/usr/bin/env python3
"""Measures a silent installation of a large archive under Wine against the
loopback services.

The archive is the signed test setup padded to the chosen size (the padding
lies inside the signed image, so verification hashes all of it). Prints:
- the wall time from the installer's first log line to the setup's start
  ("Process created"), and how it splits into download, verification and
  the rest, from the installer's own log;
- the download alone with the minimal WinINet loop (tests/fixtures/
  wininet_baseline) of the same URL into a file in the same prefix;
- the installer's overhead over that download, in seconds and as a ratio.

Run after scripts/setup.sh:  /usr/bin/python3 bench/silent_install.py [--mib 64] [--rounds 2]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from datetime import datetime
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_session import (BUILD, CERTS, FIXTURES, ROOT, loader_for, require, run,  # noqa: E402
                          scratch_prefix, windows_path)
from services.server import make_server  # noqa: E402

LOG_TIME = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) \d+:\d+ \w+: (.*) \([^()]*\)$")


def padded_signed_setup(folder, mib):
    """The test setup with |mib| MiB of padding, signed like the real one."""
    unsigned = folder / "padded.exe"
    shutil.copyfile(FIXTURES / "test_setup.exe", unsigned)
    with open(unsigned, "ab") as out:
        out.write(os.urandom(mib << 20))
    signed = folder / "padded_signed.exe"
    subprocess.run([sys.executable, str(ROOT / "scripts" / "sign_test_module.py"), "sign",
                    "--certs", str(CERTS), "--signer", "publisher", "--in", str(unsigned),
                    "--out", str(signed)], check=True, capture_output=True)
    return signed


def log_times(text):
    """(time, message) of every log line."""
    times = []
    for line in text.splitlines():
        match = LOG_TIME.match(line)
        if match:
            times.append((datetime.strptime(match.group(1), "%Y-%m-%d %H:%M:%S.%f"), match.group(2)))
    return times


def first(times, prefix):
    return next(t for t, m in times if m.startswith(prefix))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    port = int(os.environ.get("LITE_SERVICE_PORT", "18080"))

    require(BUILD / "lite_installer.exe", FIXTURES / "launcher.exe",
            FIXTURES / "wininet_baseline.exe")
    wine = loader_for(BUILD / "lite_installer.exe")

    with tempfile.TemporaryDirectory() as scratch, scratch_prefix(scratch) as env:
        scratch = Path(scratch)
        temp = Path(env["WINEPREFIX"]) / "drive_c" / "users" / "root" / "Temp"

        archive = padded_signed_setup(scratch, args.mib)
        server = make_server("127.0.0.1", port)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        server.cdn.put("setup.arc", archive.read_bytes())
        url = f"http://localhost:{port}/browser/zelmar/browser-setup.arc?from_installer=true"
        print(f"archive: {archive.stat().st_size / 2**20:.1f} MiB, signed test setup")

        rows = []
        for _ in range(args.rounds):
            log = temp / "lite_installer.log"
            log.unlink(missing_ok=True)
            out = run([wine, str(FIXTURES / "launcher.exe"),
                       windows_path(BUILD / "lite_installer.exe"), "--silent"], env)
            assert "exit_code=0" in out.stdout, out.stdout + log.read_text(errors="replace")[-2000:]
            times = log_times(log.read_text(errors="replace"))
            start = times[0][0]
            launch = first(times, "Process created: ")
            download_start = first(times, "Try to download module:")
            downloaded = first(times, "Module downloaded: ")
            verified = first(times, "Verification succeeded: ")

            target = scratch / "baseline.arc"
            began = time.monotonic()
            base = run([wine, str(FIXTURES / "wininet_baseline.exe"), url, windows_path(target)], env)
            baseline = time.monotonic() - began
            assert f"bytes={archive.stat().st_size}" in base.stdout, base.stdout
            rows.append(((launch - start).total_seconds(), (downloaded - download_start).total_seconds(),
                         (verified - downloaded).total_seconds(), baseline))

        server.shutdown()

    print(f"{'to launch':>10} {'download':>9} {'verify':>7} {'baseline':>9} {'overhead':>9} {'ratio':>6}")
    for to_launch, download, verify, baseline in rows:
        print(f"{to_launch:10.2f} {download:9.2f} {verify:7.2f} {baseline:9.2f} "
              f"{to_launch - baseline:9.2f} {to_launch / baseline:6.2f}")
    best = min(rows)
    print(f"best: start to setup launch {best[0]:.2f} s against the bare download {best[3]:.2f} s:"
          f" overhead {best[0] - best[3]:.2f} s, ratio {best[0] / best[3]:.2f}"
          f" (verification {best[2]:.2f} s)")


if __name__ == "__main__":
    main()
