#!/usr/bin/env bash
# Generates the ten TEST RSA key pairs for the built-in key table into the
# folder given (a build or cache folder, never the repository), and writes
# public_keys.txt there: one Base64 DER SubjectPublicKeyInfo a line, in
# index order. Existing keys are kept so that rebuilds stay stable. Not
# release material: the private keys are unprotected.
set -euo pipefail

DIR="${1:?usage: make_test_keys.sh OUTPUT_FOLDER}"
LIST="$DIR/public_keys.txt"

mkdir -p "$DIR"
umask 077
# The build may run this from two rules at once; one makes the keys, the
# other then finds them.
exec 9> "$DIR/.lock"
flock 9
for i in 0 1 2 3 4 5 6 7 8 9; do
  key="$DIR/key_$i.pem"
  if [ ! -s "$key" ]; then
    openssl genrsa -out "$key.tmp" 1024 2>/dev/null
    mv "$key.tmp" "$key"
  fi
  [ -s "$DIR/key_$i.der" ] ||
    openssl rsa -in "$key" -pubout -outform DER -out "$DIR/key_$i.der" 2>/dev/null
done

: > "$LIST.tmp"
for i in 0 1 2 3 4 5 6 7 8 9; do
  line="$(base64 -w0 "$DIR/key_$i.der")"
  if [ "${#line}" -ne 216 ]; then
    echo "make_test_keys.sh: key $i encodes to ${#line} characters, not 216" >&2
    exit 1
  fi
  echo "$line" >> "$LIST.tmp"
done
if [ "$(sort -u "$LIST.tmp" | wc -l)" -ne 10 ]; then
  echo "make_test_keys.sh: the ten keys are not all different" >&2
  exit 1
fi
mv "$LIST.tmp" "$LIST"
