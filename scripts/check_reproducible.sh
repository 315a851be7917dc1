#!/usr/bin/env bash
# Builds one commit twice, each from a fresh export under a differently named
# folder into a clean build folder, and compares the two unsigned
# lite_installer.exe byte for byte. Exits 0 only when they are identical.
#
# usage: check_reproducible.sh [COMMIT] [-- CMAKE_OPTIONS...]
# The default options are the test build's (the keys of build/test-keys, the
# loopback origin); options after "--" are added, for example a release's.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS_DIR="${LITE_DEPS_DIR:-/var/cache/lite_installer-deps}"
COMMIT="${1:-HEAD}"
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift

WORK="$(mktemp -d /tmp/lite_reproducible.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
# The built-in keys are an input: both builds read the same file.
KEYS="$WORK/keys/public_keys.txt"
bash "$ROOT/scripts/make_test_keys.sh" "$WORK/keys" >/dev/null

for name in first second-build; do
  src="$WORK/$name/source"
  mkdir -p "$src"
  git -C "$ROOT" archive "$COMMIT" | tar -x -C "$src"
  echo "[reproducible] building $COMMIT in $WORK/$name"
  cmake -S "$src" -B "$WORK/$name/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DLITE_DEPS_PREFIX="$DEPS_DIR/prefix" -DLITE_SIZE_DEPS_PREFIX="$DEPS_DIR/prefix-size" \
    -DLITE_BUILT_IN_KEYS_FILE="$KEYS" \
    -DLITE_SERVICE_ORIGIN="http://localhost:${LITE_SERVICE_PORT:-18080}" "$@" >/dev/null
  cmake --build "$WORK/$name/build" --target lite_installer -j "$(nproc)" >/dev/null
done

first="$WORK/first/build/lite_installer.exe"
second="$WORK/second-build/build/lite_installer.exe"
sha256sum "$first" "$second"
if cmp "$first" "$second"; then
  echo "[reproducible] identical: $(stat -c %s "$first") bytes"
else
  echo "[reproducible] the two builds differ"
  exit 1
fi
