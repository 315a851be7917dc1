#!/usr/bin/env bash
# Sets everything up (see setup.sh), then runs the whole test suite: the
# unit tests under Wine through CTest and the end-to-end tests with pytest.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"

LITE_SETUP_X64_BUILD=auto bash "$ROOT/scripts/setup.sh"

# Measured on the test build: the release's compiler and linker flags, the
# release differing only in configured strings, keys and the test hooks.
echo "[test] executable size"
python3 "$ROOT/bench/size_report.py" "$BUILD_DIR/lite_installer.exe"

. "$ROOT/scripts/wine_env.sh"
. "$ROOT/scripts/display.sh"
lite_start_display
lite_wine_prepare

run_suite() {
  local build_dir="$1"; shift
  echo "[test] unit tests ($build_dir)"
  ctest --test-dir "$build_dir" --output-on-failure -j 2 "$@"
  echo "[test] end-to-end tests ($build_dir)"
  # Debian's interpreter: it is the one that sees python3-pytest.
  (cd "$ROOT" &&
    LITE_BUILD_DIR="$build_dir" /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e)
}

if lite_i386_emulated; then
  # qemu runs every 32-bit process tens of times slower, and multi-threaded
  # ones stall: the shipped i386 build runs a smoke subset with stretched
  # time-outs, and the whole suite runs against the same sources built for
  # x86-64, which Wine runs natively.
  echo "[test] i386 code is emulated on this machine: the i386 build runs the tests labelled 'emulated'"
  run_suite "$BUILD_DIR" -L emulated
  echo "[test] the whole suite on the x86-64 test build"
  run_suite "${LITE_X64_BUILD_DIR:-$ROOT/build-x64}"
else
  run_suite "$BUILD_DIR"
fi
