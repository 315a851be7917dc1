#!/usr/bin/env bash
# Seeded robustness runs under Wine, where the code under test needs the
# system (not part of the test suite; run them under nice):
#   command_line  parse, write and parse again through CommandLineToArgvW
#   cabinet       mutated embedded packages through cabinet.dll, heap checked
#
#   scripts/robustness.sh cabinet 10000 [SEED]
#   scripts/robustness.sh command_line 10000000 [SEED]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"
TARGET="${1:?usage: robustness.sh command_line|cabinet COUNT [SEED]}"
COUNT="${2:?usage: robustness.sh command_line|cabinet COUNT [SEED]}"
SEED="${3:-1}"
case "$TARGET" in
  command_line) PROGRAM="$BUILD_DIR/tests/fixtures/command_line_roundtrip.exe" ;;
  cabinet) PROGRAM="$BUILD_DIR/tests/fixtures/cabinet_robustness.exe" ;;
  *) echo "unknown run $TARGET" >&2; exit 2 ;;
esac
[ -f "$PROGRAM" ] || cmake --build "$BUILD_DIR" --target "$(basename "$PROGRAM" .exe)"

. "$ROOT/scripts/wine_env.sh"
lite_wine_prepare
set +e
"$(lite_wine_loader_for "$PROGRAM")" "$PROGRAM" "$SEED" "$COUNT"
status=$?
set -e
[ "$status" -eq 0 ] || echo "[robustness] $TARGET ended with status $status (a crash if no summary line above)"
exit "$status"
