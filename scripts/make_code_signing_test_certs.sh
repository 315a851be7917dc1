#!/usr/bin/env bash
# Generates the TEST code-signing hierarchy that test modules are
# Authenticode-signed with, into the folder given (a build folder, never
# the repository). Existing files are kept. Not release material: the keys
# are unprotected.
#
#   root_ca         the root the tests trust while they run
#   publisher       a leaf of root_ca whose identity the modules list
#   unlisted        a leaf of root_ca that no list names
#   publisher_sha256  a leaf of root_ca certified with SHA-256
#   revoked         a leaf of root_ca that root_ca.crl revokes; its CRL
#                   distribution point is the loopback service origin given
#   rogue_root_ca   a root nobody trusts
#   rogue_publisher a leaf of rogue_root_ca
#   rogue_publisher_sha256  a leaf of rogue_root_ca certified with SHA-256
#
# Leaves are certified with SHA-1 unless their name says otherwise: Wine's
# trust provider checks the chain policy (trusted root, validity, usage)
# only for SHA-1-certified leaves, and the tests need that check.
# Every leaf has NAME.pem (the certificate), NAME.key and NAME.chain.pem
# (the certificate followed by its root, for the signature's certificate
# set). Serial numbers are fixed and have the top bit clear, so that their
# DER content bytes are the digits shown.
set -euo pipefail

DIR="${1:?usage: make_code_signing_test_certs.sh OUTPUT_FOLDER CRL_ORIGIN}"
CRL_ORIGIN="${2:?usage: make_code_signing_test_certs.sh OUTPUT_FOLDER CRL_ORIGIN}"
CRL_URL="$CRL_ORIGIN/lite_test_root.crl"

mkdir -p "$DIR"
cd "$DIR"
LEAVES="publisher unlisted publisher_sha256 revoked rogue_publisher rogue_publisher_sha256"
# Made again when the CRL location moved, so that the revoked leaf names
# the service origin the tests run, or when a leaf is missing.
complete=1
[ "$(cat crl_url.txt 2>/dev/null)" = "$CRL_URL" ] || complete=0
for leaf in $LEAVES; do [ -s "$leaf.chain.pem" ] || complete=0; done
if [ "$complete" = 1 ]; then
  exit 0
fi
umask 077

make_root() {  # NAME SERIAL
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -set_serial "$2" \
    -keyout "$1.key" -out "$1.pem" \
    -subj "/CN=Lite Installer TEST $1 (not for release)" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

make_leaf() {  # NAME ROOT SERIAL DIGEST [EXTRA_EXTENSION]
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" \
    -subj "/CN=Lite Installer TEST $1 (not for release)" 2>/dev/null
  {
    echo "basicConstraints=critical,CA:FALSE"
    echo "keyUsage=critical,digitalSignature"
    echo "extendedKeyUsage=codeSigning"
    [ -z "${5:-}" ] || echo "$5"
  } > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -set_serial "$3" -days 3650 \
    "-$4" -extfile "$1.ext" -out "$1.pem" 2>/dev/null
  cat "$1.pem" "$2.pem" > "$1.chain.pem"
  rm -f "$1.csr" "$1.ext"
}

make_root root_ca 0x10ab00000001
make_root rogue_root_ca 0x10ab00000002
make_leaf publisher root_ca 0x20ab00000001 sha1
make_leaf unlisted root_ca 0x20ab00000002 sha1
make_leaf publisher_sha256 root_ca 0x20ab00000003 sha256
make_leaf revoked root_ca 0x20ab00000004 sha1 "crlDistributionPoints=URI:$CRL_URL"
make_leaf rogue_publisher rogue_root_ca 0x20ab00000005 sha1
make_leaf rogue_publisher_sha256 rogue_root_ca 0x20ab00000006 sha256

# A CRL of root_ca that revokes the leaf "revoked".
cat > ca.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
default_md = sha256
default_crl_days = 3650
CNF
revoked_serial="$(openssl x509 -in revoked.pem -noout -serial | cut -d= -f2)"
revoked_date="$(date -u -d '1 day ago' +%y%m%d%H%M%SZ)"
printf 'R\t%s\t%s\t%s\tunknown\t/CN=revoked\n' "$(date -u -d '+3650 days' +%y%m%d%H%M%SZ)" \
  "$revoked_date" "$revoked_serial" > index.txt
openssl ca -config ca.cnf -gencrl -keyfile root_ca.key -cert root_ca.pem -out root_ca.crl.pem \
  2>/dev/null
openssl crl -in root_ca.crl.pem -outform DER -out root_ca.crl
rm -f ca.cnf index.txt* root_ca.crl.pem
openssl x509 -in root_ca.pem -outform DER -out root_ca.der
chmod 644 ./*.pem root_ca.der root_ca.crl
echo "$CRL_URL" > crl_url.txt
echo "[certs] code-signing test certificates in $DIR"
