#!/usr/bin/env python3
"""Measures the installer's progress screen under Wine and Xvfb. Prints:
- the time of one whole frame of the progress screen (a forced repaint:
  RedrawWindow with RDW_UPDATENOW from tests/fixtures/window_probe, so the
  window's own thread paints before the call returns; the mean of N)
  against the same for a plain window of the same size
  (tests/fixtures/plain_window);
- the processor time the installer takes (user + system, from /proc of its
  Wine process) over 30 s of the progress screen with the slideshow
  turning (a new slide every 10 s) and its 20 ms timer ticking, against
  what a repaint on every tick would cost;
- the memory the slide list takes with 20 downloaded slides (decoded at
  half scale): the private bytes of tests/fixtures/slide_probe before its
  downloader and once it gave up, against the slides' decoded pixels.

Run after scripts/setup.sh:
  python3 bench/progress_screen.py [--frames 50] [--seconds 30] [--slides 20]
LITE_BUILD_DIR picks the build (build-x64 where i386 code is emulated);
LITE_SERVICE_PORT the loopback services' port; LITE_WINEPREFIX the prefix
that is copied.
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

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_session import (BUILD, CLOCK_TICKS, FIXTURES, display, loader_for,  # noqa: E402
                          require, run, scratch_prefix, unix_cpu_ms, wine_unix_pid,
                          windows_path)
from services.server import make_server  # noqa: E402
from services.slide_art import file_name, slide_jpeg  # noqa: E402

INSTALLER = BUILD / "lite_installer.exe"
PLAIN = FIXTURES / "plain_window.exe"
PROBE = FIXTURES / "window_probe.exe"
SLIDE_PROBE = FIXTURES / "slide_probe.exe"
SIGNED_SETUP = BUILD / "signed-modules" / "test_setup.exe"
WM_SYSCOMMAND, SC_CLOSE = 0x0112, 0xF060
TIMER_PERIOD_MS = 20
# One 728 x 400 slide at scale 1.0, 32 bits a pixel.
DECODED_SLIDE_BYTES = 728 * 400 * 4


def probe(wine, env, command, *args, timeout=60):
    result = run([wine, str(PROBE), command, *args], env, timeout=timeout)
    if result.returncode != 0:
        raise RuntimeError(f"window_probe {command} {args}: {result.stdout} {result.stderr}")
    return result.stdout


def frame_ms(wine, env, title, frames):
    text = probe(wine, env, "repaint", f"--title={title}", f"--count={frames}", "--timeout=60000",
                 timeout=300)
    return float(re.search(r"frame_ms=([\d.]+)", text).group(1))


def wait_for_log(prefix, line, timeout):
    log = Path(prefix) / "drive_c" / "users" / "root" / "Temp" / "lite_installer.log"
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if log.exists() and line in log.read_text(errors="replace"):
            return
        time.sleep(0.2)
    raise RuntimeError(f"the installer did not log {line!r} in {timeout:.0f} s")


def progress_screen(env, wine, seconds, frames, timeout):
    """(processor ms, wall ms, frame ms) of the installer's progress screen
    while its setup waits."""
    steps = Path(tempfile.mkdtemp())
    installer = subprocess.Popen(
        [wine, str(INSTALLER), "--test-setup-messages=close",
         f"--test-setup-step-dir={windows_path(steps)}"],
        env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        probe(wine, env, "click", "--title=Zelmar", "--id=1", f"--timeout={int(timeout * 1000)}")
        # The setup runs and waits for its step file: nothing but the
        # slideshow moves from here on.
        wait_for_log(env["WINEPREFIX"], "Wait for process finish.", timeout)
        pid = wine_unix_pid(env["WINEPREFIX"], lambda names: INSTALLER.name.lower() in names)
        if pid is None:
            raise RuntimeError("no Unix process runs the installer")
        first, began = unix_cpu_ms(pid), time.monotonic()
        time.sleep(seconds)
        last, wall = unix_cpu_ms(pid), (time.monotonic() - began) * 1000
        frame = frame_ms(wine, env, "Zelmar", frames)
        (steps / "step0").touch()
        installer.wait(timeout=timeout)
        return sum(last) - sum(first), wall, frame
    finally:
        if installer.poll() is None:
            installer.kill()
            installer.wait()


def plain_frame(env, wine, frames):
    plain = subprocess.Popen([loader_for(PLAIN), str(PLAIN)], env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        frame = frame_ms(loader_for(PROBE), env, "Plain", frames)
        probe(loader_for(PROBE), env, "post", "--title=Plain", f"--message={WM_SYSCOMMAND}",
              f"--wparam={SC_CLOSE}")
        plain.wait(timeout=60)
        return frame
    finally:
        if plain.poll() is None:
            plain.kill()
            plain.wait()


def slide_memory(env, port, count):
    """(slides decoded, working set before, after) of the slide probe."""
    result = run([loader_for(SLIDE_PROBE), str(SLIDE_PROBE),
                  f"http://127.0.0.1:{port}/browser/installer/2022/"], env, timeout=300)
    fields = dict(re.findall(r"^(\w+)=(\d+)", result.stdout, re.M))
    if "memory_after" not in fields:
        raise RuntimeError(f"slide_probe: {result.stdout} {result.stderr}")
    return int(fields["count"]) - 1, int(fields["memory_before"]), int(fields["memory_after"])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--frames", type=int, default=50, help="forced repaints measured")
    parser.add_argument("--seconds", type=float, default=30, help="seconds of progress screen")
    parser.add_argument("--slides", type=int, default=20, help="slides on the slide server")
    parser.add_argument("--timeout", type=float, default=120, help="seconds to wait for each step")
    args = parser.parse_args()
    if args.frames < 1 or args.seconds <= 0 or args.slides < 1:
        parser.error("--frames, --seconds and --slides must be positive")
    port = int(os.environ.get("LITE_SERVICE_PORT", "18080"))
    require(INSTALLER, PLAIN, PROBE, SLIDE_PROBE, SIGNED_SETUP, FIXTURES / "test_root_store.exe")
    wine = loader_for(INSTALLER)
    print(f"build: {BUILD} ({'x86-64' if wine != 'wine' else 'i386'}, loader {wine})")

    with display() as (screen, _), tempfile.TemporaryDirectory() as scratch, \
            scratch_prefix(scratch, screen) as env:
        services = make_server("127.0.0.1", port)
        threading.Thread(target=services.serve_forever, daemon=True).start()
        try:
            services.cdn.put("setup.arc", SIGNED_SETUP.read_bytes())
            services.slides.put_set({file_name(n): slide_jpeg(n)
                                     for n in range(2, args.slides + 2)})
            cpu, wall, installer_frame = progress_screen(env, wine, args.seconds, args.frames,
                                                         args.timeout)
            minimal_frame = plain_frame(env, wine, args.frames)
            decoded, before, after = slide_memory(env, port, args.slides)
        finally:
            services.shutdown()

    print(f"\nOne whole frame (a forced repaint, mean of {args.frames}):")
    print(f"  progress screen {installer_frame:7.2f} ms")
    print(f"  plain window    {minimal_frame:7.2f} ms   ratio {installer_frame / minimal_frame:.1f}x")
    every_tick = 100 * installer_frame / TIMER_PERIOD_MS
    print(f"\nProgress screen for {wall / 1000:.1f} s (slideshow turning, {TIMER_PERIOD_MS} ms timer; "
          f"processor time in steps of {1000 / CLOCK_TICKS:g} ms):")
    print(f"  installer {cpu:7.1f} ms = {100 * cpu / wall:5.2f} % of one core; a repaint on every "
          f"tick would take about {every_tick:.0f} %")
    grown = after - before
    print(f"\nSlide list with {decoded} downloaded slides (decoded at half scale):")
    print(f"  working set {before:,} bytes before the downloader, {after:,} after: {grown:+,} "
          f"({grown / max(decoded, 1) / 1024:.0f} KiB a slide; the pixels alone "
          f"{DECODED_SLIDE_BYTES * decoded:,}, {DECODED_SLIDE_BYTES / 1024:.0f} KiB a slide)")


if __name__ == "__main__":
    main()
