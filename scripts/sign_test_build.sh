#!/usr/bin/env bash
# Builds the native tag tool and signs the test build's lite_installer.exe
# with the TEST certificate, its signature carrying an untagged dummy
# certificate: the result, BUILD/signed/lite_installer.exe, can be tagged
# with `tag_tool write` without re-signing. The unsigned executable stays
# where it is.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-${LITE_BUILD_DIR:-$ROOT/build}}"
TOOLS_DIR="$BUILD_DIR/native-tools"
CERTS_DIR="$BUILD_DIR/test-certs"
SIGNED_DIR="$BUILD_DIR/signed"
TAG_TOOL="$TOOLS_DIR/tag_tool/tag_tool"

cmake -S "$ROOT/tools" -B "$TOOLS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$TOOLS_DIR"

bash "$ROOT/scripts/make_test_certs.sh" "$CERTS_DIR"

mkdir -p "$SIGNED_DIR"
# Made once: a new one would only change the throwaway key inside it.
if [ ! -s "$CERTS_DIR/dummy_certificate.pem" ]; then
  "$TAG_TOOL" make-dummy-cert "$CERTS_DIR/dummy_certificate.tmp.pem"
  mv "$CERTS_DIR/dummy_certificate.tmp.pem" "$CERTS_DIR/dummy_certificate.pem"
fi

rm -f "$SIGNED_DIR/lite_installer.exe.tmp"
osslsigncode sign -certs "$CERTS_DIR/test_signing_cert.pem" -key "$CERTS_DIR/test_signing_key.pem" \
  -ac "$CERTS_DIR/dummy_certificate.pem" -h sha256 -n "lite_installer" \
  -in "$BUILD_DIR/lite_installer.exe" -out "$SIGNED_DIR/lite_installer.exe.tmp" >/dev/null
mv "$SIGNED_DIR/lite_installer.exe.tmp" "$SIGNED_DIR/lite_installer.exe"
echo "[sign] $SIGNED_DIR/lite_installer.exe"
