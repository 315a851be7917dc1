#!/usr/bin/env bash
# Sets everything up (see setup.sh), then runs the whole test suite: the
# unit tests under Wine through CTest and the end-to-end tests with pytest.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"

bash "$ROOT/scripts/setup.sh"

# Measured on the test build: the release's compiler and linker flags, the
# release differing only in configured strings, keys and the test hooks.
echo "[test] executable size"
python3 "$ROOT/bench/size_report.py" "$BUILD_DIR/lite_installer.exe"

. "$ROOT/scripts/wine_env.sh"
. "$ROOT/scripts/display.sh"
lite_start_display
lite_wine_prepare

CTEST_ARGS=()
if lite_i386_emulated; then
  # qemu runs every 32-bit process tens of times slower: the whole suite
  # would take hours, so a smoke subset runs, with stretched time-outs.
  echo "[test] i386 code is emulated on this machine: only the tests labelled 'emulated' run"
  CTEST_ARGS=(-L emulated)
fi

echo "[test] unit tests"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 "${CTEST_ARGS[@]}"

echo "[test] end-to-end tests"
# Debian's interpreter: it is the one that sees python3-pytest.
cd "$ROOT"
LITE_BUILD_DIR="$BUILD_DIR" /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e
