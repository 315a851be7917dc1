#!/usr/bin/env bash
# Signs BUILD/lite_installer.exe with a code-signing certificate and key into
# BUILD/signed/lite_installer.exe, the signature carrying an untagged dummy
# certificate so that the result can be tagged with `tag_tool write` without
# re-signing. Builds the native tag tool into BUILD/native-tools for that.
# The unsigned executable stays where it is. Options after the key go to
# osslsigncode (a release adds its timestamp server: -t URL).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:?usage: sign_build.sh BUILD_DIR CERT_PEM KEY_PEM [osslsigncode options]}"
CERT="${2:?certificate (PEM) missing}"
KEY="${3:?private key (PEM) missing}"
shift 3
TOOLS_DIR="$BUILD_DIR/native-tools"
SIGNED_DIR="$BUILD_DIR/signed"
TAG_TOOL="$TOOLS_DIR/tag_tool/tag_tool"
DUMMY="$BUILD_DIR/dummy_certificate.pem"

cmake -S "$ROOT/tools" -B "$TOOLS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$TOOLS_DIR" >/dev/null

# Made once: a new one would only change the throwaway key inside it.
if [ ! -s "$DUMMY" ]; then
  "$TAG_TOOL" make-dummy-cert "${DUMMY%.pem}.tmp.pem"
  mv "${DUMMY%.pem}.tmp.pem" "$DUMMY"
fi

mkdir -p "$SIGNED_DIR"
rm -f "$SIGNED_DIR/lite_installer.exe.tmp"
osslsigncode sign -certs "$CERT" -key "$KEY" -ac "$DUMMY" -h sha256 -n "lite_installer" "$@" \
  -in "$BUILD_DIR/lite_installer.exe" -out "$SIGNED_DIR/lite_installer.exe.tmp" >/dev/null
mv "$SIGNED_DIR/lite_installer.exe.tmp" "$SIGNED_DIR/lite_installer.exe"
echo "[sign] $SIGNED_DIR/lite_installer.exe"
