#!/usr/bin/env python3
"""Measures the downloader under Wine against the loopback CDN.

- Throughput of DownloadWithProgress into a file (the download probe)
  against a minimal WinINet read loop with the same reads (the baseline),
  run alternately on the same content; prints both and their ratio (the
  goal is at least 0.95).
- Peak working set of the downloading process for a small and a large
  archive (the goal is a difference below 2 MiB).

Run after scripts/setup.sh:  /usr/bin/python3 bench/download_throughput.py [--mib 256]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BUILD = Path(os.environ.get("LITE_BUILD_DIR", ROOT / "build"))
sys.path.insert(0, str(ROOT / "tests"))
from services.server import make_server  # noqa: E402

FIXTURES = BUILD / "tests" / "fixtures"


def wine_env():
    env = dict(os.environ, DISPLAY="")
    env.setdefault("WINEPREFIX", os.environ.get("LITE_WINEPREFIX", "/var/cache/lite_installer-wine"))
    env.setdefault("WINEDEBUG", "-all")
    return env


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def timed_run(argv, env):
    start = time.monotonic()
    process = subprocess.run(argv, env=env, capture_output=True, text=True, stdin=subprocess.DEVNULL)
    elapsed = time.monotonic() - start
    peak = re.search(r"^peak_working_set=(\d+)", process.stdout, re.M)
    return elapsed, int(peak.group(1)) if peak else 0, process.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mib", type=int, default=256)
    parser.add_argument("--small-mib", type=int, default=16)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    env = wine_env()
    subprocess.run(["wineserver", "-p"], env=env, capture_output=True)
    subprocess.run(["wine", "cmd", "/c", "exit"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    server = make_server("127.0.0.1", 0)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    origin = f"http://127.0.0.1:{server.server_address[1]}"
    big = os.urandom(args.mib << 20)
    server.cdn.put("big.arc", big)
    server.cdn.put("small.arc", big[:args.small_mib << 20])

    with tempfile.TemporaryDirectory() as folder:
        target = Path(folder) / "setup.arc"
        url = f"{origin}/cdn/big.arc"
        probe, baseline = [], []
        for _ in range(args.rounds):
            seconds, _, out = timed_run(["wine", str(FIXTURES / "download_probe.exe"), "progress", url,
                                         windows_path(target), "--quiet"], env)
            assert "result=1" in out and target.stat().st_size == len(big), out[-300:]
            probe.append(seconds)
            seconds, _, out = timed_run(["wine", str(FIXTURES / "wininet_baseline.exe"), url,
                                         windows_path(target)], env)
            assert f"bytes={len(big)}" in out, out
            baseline.append(seconds)
        mib = len(big) / (1 << 20)
        best_probe, best_baseline = min(probe), min(baseline)
        print(f"{mib:.0f} MiB: DownloadWithProgress {mib / best_probe:.1f} MiB/s, "
              f"minimal WinINet loop {mib / best_baseline:.1f} MiB/s, "
              f"ratio {best_baseline / best_probe:.3f} (best of {args.rounds})")

        peaks = {}
        for name in ("small.arc", "big.arc"):
            _, peak, out = timed_run(["wine", str(FIXTURES / "download_probe.exe"), "progress",
                                      f"{origin}/cdn/{name}", windows_path(target)], env)
            assert "result=1" in out
            peaks[name] = peak
        print(f"peak working set: {args.small_mib} MiB archive {peaks['small.arc'] / (1 << 20):.1f} MiB, "
              f"{args.mib} MiB archive {peaks['big.arc'] / (1 << 20):.1f} MiB, difference "
              f"{(peaks['big.arc'] - peaks['small.arc']) / (1 << 20):.2f} MiB")
        print(resent_after_resume(server, origin, target, env))
    server.shutdown()


def resent_after_resume(server, origin, target, env, size=4 << 20):
    """The setup download cut at half its length once, then retried: how
    many bytes the last request sent again that had already arrived (none
    when the retry resumes with a Range; under Wine, whose seek is a stub,
    everything before the cut)."""
    server.cdn.put("resume.arc", os.urandom(size))
    server.state.reset()
    cut = size // 2
    # The trailing "&" keeps the suffix the installer appends out of "first".
    _, _, out = timed_run(["wine", str(FIXTURES / "module_download_probe.exe"), windows_path(target),
                           f"--setup-url={origin}/cdn/resume.arc?cut={cut}&first=1&"], env)
    assert "result=0" in out, out[-500:]
    requests = [r for r in server.state.snapshot() if r["path"].startswith("/cdn/resume.arc")]
    ranged = re.match(r"bytes=(\d+)-", requests[-1]["headers"].get("Range", ""))
    resent = max(0, cut - (int(ranged.group(1)) if ranged else 0))
    return (f"cut-and-resume of {size >> 20} MiB cut at {cut} bytes: {len(requests)} requests, "
            f"{resent} bytes served twice")


if __name__ == "__main__":
    main()
