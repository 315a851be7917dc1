#!/usr/bin/env bash
# Sets everything up (see setup.sh), starts the local demo services and
# runs the installer under Wine against them. Extra arguments go to the
# installer, e.g.: bash scripts/run.sh --silent
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"
PORT="${LITE_SERVICE_PORT:-18080}"

bash "$ROOT/scripts/setup.sh"

. "$ROOT/scripts/wine_env.sh"
. "$ROOT/scripts/display.sh"
lite_start_display
lite_wine_prepare

/usr/bin/python3 "$ROOT/tests/services/server.py" --port "$PORT" &
SERVICES_PID=$!
trap 'kill "$SERVICES_PID" 2>/dev/null || true; kill "${LITE_XVFB_PID:-0}" 2>/dev/null || true' EXIT
sleep 0.5

INSTALLER="$(winepath -w "$BUILD_DIR/lite_installer.exe")"
echo "[run] lite_installer.exe $* (services on http://localhost:$PORT)"
wine "$BUILD_DIR/tests/fixtures/launcher.exe" "$INSTALLER" "$@" | sed -n 's/^exit_code=/[run] exit code: /p'
TEMP_DIR="$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")"
echo "[run] log: $TEMP_DIR/lite_installer.log"
tail -n 20 "$TEMP_DIR/lite_installer.log"
