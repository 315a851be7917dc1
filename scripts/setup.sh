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
  python3 python3-pytest locales
  # the native tag tool
  g++ libssl-dev
  # tools/artwork/render_images.py draws the window's pictures (and its
  # test redraws them) with Pillow and Open Sans; Wine shows the window's
  # "Arial" and "SegoeUI" with Liberation Sans and Open Sans
  # (scripts/wine_fonts.reg), linked to IPAGothic and WenQuanYi Micro Hei
  # for the Japanese and Chinese interface texts
  python3-pil fonts-liberation fonts-open-sans fonts-ipafont-gothic fonts-wqy-microhei
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

# Wine turns a program's arguments into its UTF-16 command line through the
# C library's locale: without the tests' locales, anything past ASCII is lost
# on the way in.
ensure_locales() {
  local missing=0 l
  # en_GB: a display language the installer has no table for.
  for l in en_US.UTF-8 uk_UA.UTF-8 en_GB.UTF-8; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing=1
  done
  [ "$missing" = 0 ] && return 0
  log "generating the tests' locales"
  sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/; s/^# *\(uk_UA.UTF-8 UTF-8\)/\1/; s/^# *\(en_GB.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  locale-gen >/dev/null
}
ensure_locales

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
# Third-party libraries, cross-built from Debian's source packages into
# $DEPS_DIR/prefix (i686) or $DEPS_DIR/prefix-x64 (the 64-bit test build).
# ---------------------------------------------------------------------------
SRC_DIR="$DEPS_DIR/src"
mkdir -p "$SRC_DIR" "$DEPS_DIR/build"

# Chooses what the library builds below are for.
use_target() {
  case "$1" in
    i686)
      TRIPLET=i686-w64-mingw32; OPENSSL_TARGET=mingw; SUFFIX=""
      PREFIX="$DEPS_DIR/prefix"; SIZE_PREFIX="$DEPS_DIR/prefix-size" ;;
    x86_64)
      TRIPLET=x86_64-w64-mingw32; OPENSSL_TARGET=mingw64; SUFFIX="-x64"
      PREFIX="$DEPS_DIR/prefix-x64"; SIZE_PREFIX="$PREFIX" ;;
  esac
  TOOLCHAIN="$ROOT/cmake/mingw-$1.cmake"
  mkdir -p "$PREFIX" "$SIZE_PREFIX"
}

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
SIZE_CFLAGS="-Os -DNDEBUG -ffunction-sections -fdata-sections"

build_jansson() {
  local stamp="$SIZE_PREFIX/.jansson" build="$DEPS_DIR/build/jansson-size$SUFFIX"
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$SIZE_CFLAGS" ] && return 0
  fetch_source jansson
  local src; src="$(source_tree jansson)"
  log "building jansson for size ($TRIPLET)"
  rm -rf "$build"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="$SIZE_CFLAGS" \
    -DCMAKE_INSTALL_PREFIX="$SIZE_PREFIX" -DJANSSON_BUILD_DOCS=OFF \
    -DJANSSON_EXAMPLES=OFF -DJANSSON_WITHOUT_TESTS=ON \
    -DJANSSON_BUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$build" -j "$JOBS" >/dev/null
  cmake --install "$build" >/dev/null
  echo "$SIZE_CFLAGS" > "$stamp"
}

build_openssl() {
  local build="$DEPS_DIR/build/openssl$SUFFIX"
  [ -f "$PREFIX/.openssl" ] && return 0
  fetch_source openssl
  local src; src="$(source_tree openssl)"
  log "building OpenSSL libcrypto for $TRIPLET (about three minutes)"
  rm -rf "$build"
  cp -a "$src" "$build"
  (cd "$build" &&
    ./Configure "$OPENSSL_TARGET" no-shared no-asm no-tests \
      --cross-compile-prefix="$TRIPLET-" \
      --prefix="$PREFIX" --libdir=lib >/dev/null &&
    make -j "$JOBS" build_libs >/dev/null 2>&1 &&
    make install_dev >/dev/null 2>&1)
  touch "$PREFIX/.openssl"
}

build_googletest() {
  local build="$DEPS_DIR/build/googletest$SUFFIX"
  [ -f "$PREFIX/.googletest" ] && return 0
  log "building GoogleTest ($TRIPLET)"
  cmake -S /usr/src/googletest -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -Dgtest_disable_pthreads=OFF \
    -DBUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$build" -j "$JOBS" >/dev/null
  cmake --install "$build" >/dev/null
  touch "$PREFIX/.googletest"
}

# ---------------------------------------------------------------------------
# The project itself: the libraries, then a build configured for the tests
# (loopback services, TEST keys and certificates).
# ---------------------------------------------------------------------------
build_project() {
  local build_dir="$1" unit_test_timeout="$2"
  build_jansson
  build_openssl
  build_googletest
  # TEST public keys for the built-in key table (release keys are supplied
  # by the release build); their private keys stay in the build folder.
  bash "$ROOT/scripts/make_test_keys.sh" "$build_dir/test-keys"
  log "building lite_installer ($TRIPLET) in $build_dir"
  cmake -S "$ROOT" -B "$build_dir" -G Ninja \
    -DLITE_UNIT_TEST_TIMEOUT="$unit_test_timeout" \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DLITE_DEPS_PREFIX="$PREFIX" -DLITE_SIZE_DEPS_PREFIX="$SIZE_PREFIX" \
    -DLITE_BUILT_IN_KEYS_FILE="$build_dir/test-keys/public_keys.txt" \
    -DLITE_SERVICE_ORIGIN="http://localhost:${LITE_SERVICE_PORT:-18080}" \
    -DLITE_RECEIVE_TIMEOUT_MS=5000 >/dev/null
  cmake --build "$build_dir" -j "$JOBS"
  # The native tag tool, and the executable signed with the test
  # certificate into $build_dir/signed/.
  bash "$ROOT/scripts/sign_test_build.sh" "$build_dir"
  # HTTPS certificates for the loopback services (trusted only during tests).
  bash "$ROOT/scripts/make_tls_test_certs.sh" "$build_dir/test-certs/tls"
  log "done: $build_dir/lite_installer.exe"
}

use_target i686
if [ -e /proc/sys/fs/binfmt_misc/lite-i386-exec ]; then
  build_project "$BUILD_DIR" 3000
else
  build_project "$BUILD_DIR" 300
fi

# Where i386 code is only emulated, the tests and the demo run against the
# same sources built for x86-64 (scripts/test.sh, scripts/run.sh):
# LITE_SETUP_X64_BUILD=auto builds it there, =1 everywhere.
want_x64_build() {
  case "${LITE_SETUP_X64_BUILD:-0}" in
    1) return 0 ;;
    auto) [ -e /proc/sys/fs/binfmt_misc/lite-i386-exec ] ;;
    *) return 1 ;;
  esac
}
if want_x64_build; then
  X64_PACKAGES=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
  for p in "${X64_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' && continue
    apt_update
    log "installing the x86-64 cross compilers"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${X64_PACKAGES[@]}"
    break
  done
  use_target x86_64
  build_project "${LITE_X64_BUILD_DIR:-$ROOT/build-x64}" 300
fi
