#!/usr/bin/env bash
# Builds one native fuzz target from tests/fuzz with clang, libFuzzer and
# ASan/UBSan, and runs it for the given number of seconds on its corpus
# (kept in the build folder between runs); further arguments go to
# libFuzzer. Not part of the test suite.
#
#   scripts/fuzz.sh installer_tag 600
#   scripts/fuzz.sh switch_name 3600 -runs=10000000   # further libFuzzer flags follow
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TARGET="${1:?usage: fuzz.sh TARGET SECONDS [libFuzzer flags] (targets: tests/fuzz/*_fuzzer.cc)}"
SECONDS_TO_RUN="${2:?usage: fuzz.sh TARGET SECONDS [libFuzzer flags]}"
BUILD_DIR="${LITE_BUILD_DIR:-$ROOT/build}"
OUT="$BUILD_DIR/fuzz/$TARGET"
SOURCE="$ROOT/tests/fuzz/${TARGET}_fuzzer.cc"
[ -f "$SOURCE" ] || { echo "no fuzz target $SOURCE" >&2; exit 2; }

mkdir -p "$OUT/corpus" "$OUT/artifacts"

# The fuzzing toolchain is not needed for the build or the tests.
for package in clang libclang-rt-14-dev libjansson-dev zlib1g-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$package" >/dev/null
done

# Each target lists the portable sources it needs.
LIBS=()
case "$TARGET" in
  installer_tag) SOURCES=("$ROOT/src/config/installer_tag.cc") ;;
  distrib_params) SOURCES=("$ROOT/src/config/distrib_params_text.cc" "$ROOT/src/base/json_reader.cc"
                           "$ROOT/src/base/string_conversion.cc") ; LIBS=(-ljansson) ;;
  json_reader) SOURCES=("$ROOT/src/base/json_reader.cc") ; LIBS=(-ljansson) ;;
  trusted_list) SOURCES=("$ROOT/src/trust/trusted_certificate_list.cc" "$ROOT/src/base/base64.cc"
                         "$ROOT/src/base/json_reader.cc") ; LIBS=(-ljansson) ;;
  install_stat) SOURCES=("$ROOT/src/net/install_stat_text.cc" "$ROOT/src/base/string_conversion.cc") ;;
  switch_name) SOURCES=("$ROOT/src/process/switch_name.cc") ;;
  crash_body) SOURCES=("$ROOT"/src/crash/{http_multipart_builder,http_body_gzip,composite_http_body_stream,string_http_body_stream,file_reader_http_body_stream}.cc
                       "$ROOT/tests/fuzz/native_log_record.cc") ; LIBS=(-lz) ;;
  *) echo "unknown fuzz target $TARGET" >&2; exit 2 ;;
esac

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$ROOT/src" -I"$ROOT/tests/common" "$SOURCE" "${SOURCES[@]}" "${LIBS[@]}" -o "$OUT/${TARGET}_fuzzer"

# Seeds, once, for an empty corpus.
if [ -z "$(ls -A "$OUT/corpus")" ]; then
  case "$TARGET" in
    installer_tag)
      TAG_TOOL="$BUILD_DIR/native-tools/tag_tool/tag_tool"
      [ -x "$TAG_TOOL" ] || bash "$ROOT/scripts/sign_test_build.sh" "$BUILD_DIR" >/dev/null
      "$TAG_TOOL" make-dummy-cert "$OUT/dummy.der" --padding 24
      SIGNED=()
      [ -f "$BUILD_DIR/signed/lite_installer.exe" ] && SIGNED=("$BUILD_DIR/signed/lite_installer.exe")
      python3 "$ROOT/tests/fuzz/make_installer_tag_seeds.py" "$OUT/corpus" "$OUT/dummy.der" "${SIGNED[@]}"
      ;;
    distrib_params)
      printf 'stat=1&def=1&lang=tr' > "$OUT/corpus/tag"
      printf 'a=1&a=2&&=v&flag&k=a=b&n=\xff\x00z' > "$OUT/corpus/edges"
      ;;
    json_reader)
      cp "$ROOT"/resources/packages/*.json "$ROOT"/resources/data/abt_config_resource "$OUT/corpus/"
      printf '//sig\r\n{"a": /* c */ [1, "//", "/*"]} // end' > "$OUT/corpus/comments"
      ;;
    install_stat)
      printf 'brand_id\nzelmar\nold_ver\n21.3.1.2\nui\nA-B\n' > "$OUT/corpus/stat"
      printf '\n\nk\n\nlast\xc3\xa9' > "$OUT/corpus/edges"
      ;;
    trusted_list)
      printf '{"trusted_info": {"certificates": [{"id": "AQID", "pub_key": "00"}, {"id": "gA=="}]}}' \
        > "$OUT/corpus/list"
      ;;
    switch_name)  # UTF-16LE names: a real one, one with U+0100, one with a space
      printf 'b\0r\0a\0n\0d\0-\0N\0a\0m\0e\0' > "$OUT/corpus/name"
      printf 'x\0\0\1z\0' > "$OUT/corpus/wide"
      printf 's\0 \0\"\0=\0' > "$OUT/corpus/space"
      ;;
    crash_body)  # "key\0value\0" pairs, a lone NUL, then the file's bytes
      printf 'uid\0ABC\0ver\0001\0\0MDMP\0\0\0' > "$OUT/corpus/report"
      printf 'a\r\n"%%\0\r\n\0upload_file_minidump\0x\0\0' > "$OUT/corpus/escapes"
      ;;
  esac
fi

cd "$OUT"
"./${TARGET}_fuzzer" -max_total_time="$SECONDS_TO_RUN" -max_len=32768 -print_final_stats=1 \
  -artifact_prefix="$OUT/artifacts/" "${@:3}" corpus
