#!/usr/bin/env python3
"""Measures a crash report under Wine against the loopback crash service.

The test build crashes on purpose on its main thread with a working set of
the chosen size ("--test-crash=main --test-crash-working-set-mib=N").
Prints, per round, from the installer's log and the service's clock:
- dump writing: from the crash to the upload's request arriving;
- upload: from the request's arrival to its whole body being received;
- the end: from the body received to the process's end (the answer, the
  dump's deletion, the previous filter and the process's exit);
- the dump's size (the attachment) and the compressed body's size.
Goal: the process ends no more than a couple of seconds after the upload.

Run after scripts/setup.sh:  /usr/bin/python3 bench/crash_report.py [--mib 20] [--rounds 3]
"""
import argparse
import os
import re
import sys
import tempfile
import threading
import time
from datetime import datetime
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_session import (BUILD, FIXTURES, WINE64, loader_for, require, run,  # noqa: E402
                          scratch_prefix, windows_path)
from services.server import make_server  # noqa: E402

CRASH_LINE = re.compile(r"^(\S+ \S+) .*Crashing on purpose: main", re.M)
AEDEBUG = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--mib", type=int, default=20)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    installer = BUILD / "lite_installer.exe"
    require(installer, FIXTURES / "launcher.exe")
    port = int(os.environ.get("LITE_SERVICE_PORT", "18080"))

    with tempfile.TemporaryDirectory() as scratch, scratch_prefix(scratch) as env:
        # No crash debugger: the process ends with the exception code.
        run([WINE64, "reg", "add", AEDEBUG, "/v", "Debugger", "/d", "", "/f"], env, timeout=120)
        temp = Path(env["WINEPREFIX"]) / "drive_c" / "users" / "root" / "Temp"
        server = make_server("127.0.0.1", port)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        print(f"crash report with a {args.mib} MiB working set, {installer.name} "
              f"({'x64' if loader_for(installer) == WINE64 else 'i386'})")
        try:
            for round_number in range(1, args.rounds + 1):
                server.crash.reset()
                (temp / "lite_installer.log").unlink(missing_ok=True)
                out = run([loader_for(installer), str(FIXTURES / "launcher.exe"),
                           windows_path(installer), "--silent", "--test-crash=main",
                           f"--test-crash-working-set-mib={args.mib}"], env, timeout=300)
                ended = time.time()
                log = (temp / "lite_installer.log").read_text(errors="replace")
                crash = CRASH_LINE.search(log)
                reports = server.crash.snapshot()
                if not crash or len(reports) != 1 or reports[0]["errors"]:
                    print(f"round {round_number}: no clean report: {out.stdout} {reports}")
                    continue
                report = reports[0]
                crashed = datetime.strptime(crash.group(1), "%Y-%m-%d %H:%M:%S.%f").timestamp()
                dump_size = report["files"]["upload_file_minidump"]["size"]
                body_size = sum(report["chunk_sizes"])
                print(f"round {round_number}: dump writing {report['started'] - crashed:6.2f} s  "
                      f"upload {report['received'] - report['started']:6.2f} s  "
                      f"end {ended - report['received']:6.2f} s  "
                      f"dump {dump_size / 1024:8.1f} KiB  body {body_size / 1024:8.1f} KiB  "
                      f"{out.stdout.strip().splitlines()[-1]}")
        finally:
            server.shutdown()
            server.server_close()


if __name__ == "__main__":
    main()
