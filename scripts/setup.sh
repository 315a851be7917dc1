#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12 (as root),
# cross-builds the third-party libraries into a cache outside the repo and
# builds the project. Safe to run again: finished steps are skipped.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS_DIR="${LITE_DEPS_DIR:-/var/cache/lite_installer-deps}"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"
JOBS="$(nproc)"

log() { echo "[setup] $*"; }

APT_PACKAGES=(
  wine wine32 wine64 xvfb xauth osslsigncode gcab cmake make ninja-build perl
  dpkg-dev ca-certificates openssl
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev googletest
  python3 python3-pytest
  # the native tag tool
  g++ libssl-dev
)

need_apt() {
  local p
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || return 0
  done
  [ -d /usr/src/googletest ] || return 0
  return 1
}

ensure_deb_src() {
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    log "adding deb-src entries"
    cat > /etc/apt/sources.list.d/lite-installer-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    APT_UPDATED=0
  fi
}

APT_UPDATED=0
apt_update() {
  if [ "$APT_UPDATED" = 0 ]; then
    apt-get update -q
    APT_UPDATED=1
  fi
}

install_packages() {
  ensure_deb_src
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "enabling the i386 architecture"
    dpkg --add-architecture i386
    APT_UPDATED=0
  fi
  if need_apt; then
    apt_update
    log "installing packages"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${APT_PACKAGES[@]}"
  fi
}

install_packages

# ---------------------------------------------------------------------------
# Wine runs the 32-bit program through its i386 loader. Some virtual machines
# boot with the kernel's IA-32 emulation off (and no 32-bit code segments at
# all), so i386 ELF files fail with "Exec format error". There the loader is
# handed to qemu's user-mode emulator through binfmt_misc: slow, but the same
# Wine and the same program.
# ---------------------------------------------------------------------------
ensure_i386_execution() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
  log "this kernel does not run i386 code: registering qemu-i386 for i386 ELF files"
  dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'ok installed' || {
    apt_update
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static
  }
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
  local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  # Executables (type 2) and shared objects run as programs (type 3: ld.so).
  [ -e "$misc/lite-i386-exec" ] ||
    echo ":lite-i386-exec:M::${elf}\\x02\\x00\\x03\\x00:${mask}:/usr/bin/qemu-i386-static:F" > "$misc/register"
  [ -e "$misc/lite-i386-dyn" ] ||
    echo ":lite-i386-dyn:M::${elf}\\x03\\x00\\x03\\x00:${mask}:/usr/bin/qemu-i386-static:F" > "$misc/register"
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { log "cannot run i386 code even through qemu"; return 1; }
}
ensure_i386_execution

# ---------------------------------------------------------------------------
# Third-party libraries, cross-built for i686-w64-mingw32 from Debian's
# source packages into $DEPS_DIR/prefix.
# ---------------------------------------------------------------------------
PREFIX="$DEPS_DIR/prefix"
SRC_DIR="$DEPS_DIR/src"
TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
mkdir -p "$PREFIX" "$SRC_DIR"

# Fetches a Debian source package into $SRC_DIR/<name>, trying every
# published version, newest first, because the newest .dsc is sometimes
# missing from the security archive.
fetch_source() {
  local name="$1" dest="$SRC_DIR/$1"
  [ -f "$dest/.fetched" ] && return 0
  apt_update
  rm -rf "$dest"; mkdir -p "$dest"
  local v
  for v in $(apt-cache showsrc "$name" | awk '/^Version:/ {print $2}' | sort -rV | uniq); do
    log "fetching source $name=$v"
    if (cd "$dest" && apt-get source -q "$name=$v" >/dev/null 2>&1); then
      touch "$dest/.fetched"
      return 0
    fi
    rm -rf "${dest:?}"/*
  done
  echo "cannot fetch the source package $name" >&2
  return 1
}

# The unpacked source tree of a fetched package.
source_tree() {
  find "$SRC_DIR/$1" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1
}

# jansson is linked into the shipped executable: it is built for size, a
# section per function and datum so that the linker drops what is unused,
# into a prefix of its own (the flags are recorded in its stamp; a change
# rebuilds it).
SIZE_PREFIX="$DEPS_DIR/prefix-size"
SIZE_CFLAGS="-Os -DNDEBUG -ffunction-sections -fdata-sections"

build_jansson() {
  local stamp="$SIZE_PREFIX/.jansson"
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$SIZE_CFLAGS" ] && return 0
  fetch_source jansson
  local src; src="$(source_tree jansson)"
  log "building jansson for size"
  rm -rf "$DEPS_DIR/build/jansson-size"
  cmake -S "$src" -B "$DEPS_DIR/build/jansson-size" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="$SIZE_CFLAGS" \
    -DCMAKE_INSTALL_PREFIX="$SIZE_PREFIX" -DJANSSON_BUILD_DOCS=OFF \
    -DJANSSON_EXAMPLES=OFF -DJANSSON_WITHOUT_TESTS=ON \
    -DJANSSON_BUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$DEPS_DIR/build/jansson-size" -j "$JOBS" >/dev/null
  cmake --install "$DEPS_DIR/build/jansson-size" >/dev/null
  echo "$SIZE_CFLAGS" > "$stamp"
}

build_openssl() {
  [ -f "$PREFIX/.openssl" ] && return 0
  fetch_source openssl
  local src; src="$(source_tree openssl)"
  log "building OpenSSL libcrypto (about a minute and a half)"
  rm -rf "$DEPS_DIR/build/openssl"; mkdir -p "$DEPS_DIR/build"
  cp -a "$src" "$DEPS_DIR/build/openssl"
  (cd "$DEPS_DIR/build/openssl" &&
    ./Configure mingw no-shared no-asm no-tests \
      --cross-compile-prefix=i686-w64-mingw32- \
      --prefix="$PREFIX" --libdir=lib >/dev/null &&
    make -j "$JOBS" build_libs >/dev/null 2>&1 &&
    make install_dev >/dev/null 2>&1)
  touch "$PREFIX/.openssl"
}

build_googletest() {
  [ -f "$PREFIX/.googletest" ] && return 0
  log "building GoogleTest"
  cmake -S /usr/src/googletest -B "$DEPS_DIR/build/googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -Dgtest_disable_pthreads=OFF \
    -DBUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$DEPS_DIR/build/googletest" -j "$JOBS" >/dev/null
  cmake --install "$DEPS_DIR/build/googletest" >/dev/null
  touch "$PREFIX/.googletest"
}

build_jansson
build_openssl
build_googletest

# ---------------------------------------------------------------------------
# The project itself.
# ---------------------------------------------------------------------------
# TEST public keys for the built-in key table (release keys are supplied by
# the release build); their private keys stay in the build folder.
bash "$ROOT/scripts/make_test_keys.sh" "$BUILD_DIR/test-keys"
log "building lite_installer"
UNIT_TEST_TIMEOUT=300
[ -e /proc/sys/fs/binfmt_misc/lite-i386-exec ] && UNIT_TEST_TIMEOUT=3000
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
  -DLITE_UNIT_TEST_TIMEOUT="$UNIT_TEST_TIMEOUT" \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
  -DLITE_DEPS_PREFIX="$PREFIX" -DLITE_SIZE_DEPS_PREFIX="$SIZE_PREFIX" \
  -DLITE_BUILT_IN_KEYS_FILE="$BUILD_DIR/test-keys/public_keys.txt" \
  -DLITE_SERVICE_ORIGIN="http://localhost:${LITE_SERVICE_PORT:-18080}" \
  -DLITE_RECEIVE_TIMEOUT_MS=5000 >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
# The native tag tool, and the executable signed with the test certificate
# into $BUILD_DIR/signed/.
bash "$ROOT/scripts/sign_test_build.sh" "$BUILD_DIR"
# HTTPS certificates for the loopback services (trusted only during tests).
bash "$ROOT/scripts/make_tls_test_certs.sh" "$BUILD_DIR/test-certs/tls"
log "done: $BUILD_DIR/lite_installer.exe"
