#!/usr/bin/env bash
# Generates a TEST certificate authority and a server certificate for the
# name "localhost", for the loopback services' HTTPS, into the folder given
# (a build folder, never the repository). Existing files are kept. The CA
# is trusted only while the tests that need it run.
set -euo pipefail

DIR="${1:?usage: make_tls_test_certs.sh OUTPUT_FOLDER}"
mkdir -p "$DIR"
cd "$DIR"
if [ -s ca.pem ] && [ -s localhost.pem ] && [ -s rogue_localhost.pem ]; then
  exit 0
fi
umask 077

# make_pair NAME: a CA NAME_ca and a "localhost" certificate NAME_localhost
# that it signed.
make_pair() {
  local name="$1"
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -keyout "$name.key" -out "$name.pem" \
    -subj "/CN=Lite Installer TEST $name CA (not for release)" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -sha256 -keyout "$2.key" -out "$2.csr" -subj "/CN=localhost" 2>/dev/null
  # WinINet under Wine does not match IP addresses in subjectAltName, so
  # the services are reached by name.
  printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > ext.cnf
  openssl x509 -req -in "$2.csr" -CA "$name.pem" -CAkey "$name.key" -CAcreateserial -days 3650 \
    -sha256 -extfile ext.cnf -out "$2.pem" 2>/dev/null
  rm -f "$2.csr" ext.cnf
  chmod 644 "$name.pem" "$2.pem" "$2.key"
}
make_pair ca localhost
# Never trusted anywhere: a server presenting it must be refused.
make_pair rogue_ca rogue_localhost
echo "[certs] TLS test certificates in $DIR"
