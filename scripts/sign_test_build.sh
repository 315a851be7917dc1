#!/usr/bin/env bash
# Signs the test build's lite_installer.exe with the TEST certificate (made
# by make_test_certs.sh into BUILD/test-certs, never release material) into
# BUILD/signed/lite_installer.exe; see sign_build.sh.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-${LITE_BUILD_DIR:-$ROOT/build}}"
CERTS_DIR="$BUILD_DIR/test-certs"

bash "$ROOT/scripts/make_test_certs.sh" "$CERTS_DIR"
bash "$ROOT/scripts/sign_build.sh" "$BUILD_DIR" "$CERTS_DIR/test_signing_cert.pem" \
  "$CERTS_DIR/test_signing_key.pem"
