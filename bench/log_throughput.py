#!/usr/bin/env python3
"""Measures the shared log under load: several processes append records to
one log file through the installer's logger, under Wine.

Prints records per second for a run without rotation (4 writers x 10 000
records by default) and for one with a small rotation limit, and checks
that no line was lost or mixed. Run after scripts/setup.sh:

    /usr/bin/python3 bench/log_throughput.py [--writers 4] [--records 10000]
"""
import argparse
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BUILD = Path(os.environ.get("LITE_BUILD_DIR", ROOT / "build"))
LINE = re.compile(rb"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \d{2,}:\d{2,} INFO: (w\d+) (\d+) x{60} \(log_writer:\d+\)$")


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.environ.get("LITE_WINEPREFIX", "/var/cache/lite_installer-wine"))
    env.setdefault("WINEDEBUG", "-all")
    return env


def run(writers, records, limit, folder, env):
    log = folder / "lite_installer.log"
    for stale in folder.glob("lite_installer*.log"):
        stale.unlink()
    windows_log = "Z:" + str(log).replace("/", "\\")
    writer = BUILD / "tests" / "fixtures" / "log_writer.exe"
    start = time.monotonic()
    processes = [subprocess.Popen(["wine", str(writer), windows_log, str(records), str(limit), f"w{i}"],
                                  env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
                 for i in range(writers)]
    for process in processes:
        process.wait()
    elapsed = time.monotonic() - start
    content = b""
    for name in ("lite_installer_old.log", "lite_installer.log"):
        path = folder / name
        if path.exists():
            content += path.read_bytes()
    seen = {}
    malformed = 0
    for line in content.split(b"\n")[:-1]:
        match = LINE.match(line)
        if not match:
            malformed += 1
            continue
        seen.setdefault(match.group(1), []).append(int(match.group(2)))
    return elapsed, seen, malformed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--writers", type=int, default=4)
    parser.add_argument("--records", type=int, default=10000)
    parser.add_argument("--rotation-limit", type=int, default=64 * 1024)
    args = parser.parse_args()
    env = wine_env()
    subprocess.run(["wineserver", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "cmd", "/c", "exit"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    total = args.writers * args.records
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        elapsed, seen, malformed = run(args.writers, args.records, 0xFFFFFFFF, folder, env)
        complete = all(seen.get(f"w{i}".encode()) == list(range(args.records)) for i in range(args.writers))
        print(f"no rotation: {args.writers} processes x {args.records} records in {elapsed:.2f} s "
              f"= {total / elapsed:,.0f} records/s; complete and in order: {complete}; malformed lines: {malformed}")

        elapsed, seen, malformed = run(args.writers, args.records, args.rotation_limit, folder, env)
        ordered = all(all(a < b for a, b in zip(v, v[1:])) for v in seen.values())
        kept = sum(len(v) for v in seen.values())
        print(f"rotation at {args.rotation_limit} bytes: {total / elapsed:,.0f} records/s; "
              f"lines kept in the two files: {kept}; in order: {ordered}; malformed lines: {malformed}")


if __name__ == "__main__":
    main()
