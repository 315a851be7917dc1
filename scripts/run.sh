#!/usr/bin/env bash
# Sets everything up (see setup.sh), starts the local demo services and
# runs a silent installation under Wine against them: the loopback CDN
# serves the signed test setup program as the browser's setup archive, and
# the statistics and report services record what the installer sends; the
# slide server serves five drawn slides for the progress screen.
# Arguments replace the default "--silent", e.g.: bash scripts/run.sh --silent --test-setup-exit-code=3
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"
PORT="${LITE_SERVICE_PORT:-18080}"

LITE_SETUP_X64_BUILD=auto bash "$ROOT/scripts/setup.sh"

. "$ROOT/scripts/wine_env.sh"
if lite_i386_emulated && [ -z "${LITE_BUILD_DIR:-}" ]; then
  # Under qemu the i386 installer's threads stall (README): the demo runs
  # the same sources built for x86-64.
  BUILD_DIR="${LITE_X64_BUILD_DIR:-$ROOT/build-x64}"
  echo "[run] i386 code is emulated on this machine: running the x86-64 test build ($BUILD_DIR)"
fi
WINE="$(lite_wine_loader_for "$BUILD_DIR/lite_installer.exe")"
. "$ROOT/scripts/display.sh"
lite_start_display
lite_wine_prepare

REQUESTS="$BUILD_DIR/demo-requests.json"
# Five drawn slides in every slide folder, for the progress screen.
/usr/bin/python3 "$ROOT/tests/services/server.py" --port "$PORT" \
  --setup-archive "$BUILD_DIR/signed-modules/test_setup.exe" --slides 5 &
SERVICES_PID=$!
trap 'kill "$SERVICES_PID" 2>/dev/null || true; lite_stop_display' EXIT
fetch() {
  /usr/bin/python3 -c 'import sys, urllib.request; sys.stdout.write(urllib.request.urlopen(sys.argv[1], timeout=5).read().decode())' "$1"
}
# Drawing the slides takes the services a few seconds before they answer.
for _ in $(seq 300); do
  fetch "http://127.0.0.1:$PORT/health" >/dev/null 2>&1 && break
  sleep 0.1
done

# The test setup is signed by the TEST code-signing root; the demo prefix
# trusts it, as a real system trusts the real publisher's root.
"$WINE" "$BUILD_DIR/tests/fixtures/test_root_store.exe" add \
  "$("$LITE_WINE64" winepath -w "$BUILD_DIR/test-certs/code-signing/root_ca.der")" >/dev/null

TEMP_DIR="$("$LITE_WINE64" winepath -u "$("$LITE_WINE64" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")"
RECORD="$TEMP_DIR/test_setup_record.json"
rm -f "$RECORD"
[ $# -gt 0 ] || set -- --silent

INSTALLER="$("$LITE_WINE64" winepath -w "$BUILD_DIR/lite_installer.exe")"
echo "[run] lite_installer.exe $* (services on http://localhost:$PORT)"
"$WINE" "$BUILD_DIR/tests/fixtures/launcher.exe" "$INSTALLER" "$@" | sed -n 's/^exit_code=/[run] exit code: /p'
fetch "http://127.0.0.1:$PORT/__requests" >"$REQUESTS" || true
echo "[run] log: $TEMP_DIR/lite_installer.log"
tail -n 20 "$TEMP_DIR/lite_installer.log"
if [ -f "$RECORD" ]; then
  echo "[run] the setup's received command line ($RECORD):"
  /usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["command_line"])' "$RECORD"
else
  echo "[run] the setup did not run"
fi
echo "[run] requests the services received: $REQUESTS"
