#!/usr/bin/env bash
# Generates the TEST code-signing key and certificate that the test build is
# signed with, into the folder given (a build or cache folder, never the
# repository). Existing files are kept. Not release material: the key is
# unprotected and the certificate self-signed.
set -euo pipefail

DIR="${1:?usage: make_test_certs.sh OUTPUT_FOLDER}"
KEY="$DIR/test_signing_key.pem"
CERT="$DIR/test_signing_cert.pem"

mkdir -p "$DIR"
if [ -s "$KEY" ] && [ -s "$CERT" ]; then
  exit 0
fi
umask 077
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
  -keyout "$KEY.tmp" -out "$CERT.tmp" \
  -subj "/CN=Lite Installer TEST Signing (not for release)" \
  -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" \
  -addext "basicConstraints=critical,CA:FALSE" 2>/dev/null
mv "$KEY.tmp" "$KEY"
mv "$CERT.tmp" "$CERT"
echo "[certs] test signing certificate in $DIR"
