# Sourced by the scripts that run Windows programs: one Wine prefix for the
# project's tests, quiet Wine, and a display when none is given.
export WINEPREFIX="${LITE_WINEPREFIX:-/var/cache/lite_installer-wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine's own 64-bit tools (cmd, reg) run through the 64-bit loader: where
# i386 code is emulated, the default loader would run their 32-bit copies.
LITE_WINE64="$(command -v /usr/lib/wine/wine64 || command -v wine)"

# The loader for a Windows program: the 64-bit one for a PE32+ file (the
# 64-bit test build), so that no i386 code runs on the way; plain "wine"
# otherwise.
lite_wine_loader_for() {
  local lfanew machine
  lfanew="$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')"
  [ -n "$lfanew" ] && machine="$(od -An -tx2 -j$((lfanew + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')"
  if [ "${machine:-}" = 8664 ]; then echo "$LITE_WINE64"; else echo wine; fi
}

# True where set-up had to hand i386 code to qemu (scripts/setup.sh).
lite_i386_emulated() { [ -e /proc/sys/fs/binfmt_misc/lite-i386-exec ]; }
# qemu's default 32-bit processor lacks instructions Wine's libraries take
# for granted (a silent installation ended with an illegal instruction).
lite_i386_emulated && export QEMU_CPU="${QEMU_CPU:-max}"

# The faces the window names, mapped to the fonts set-up installs
# (wine_fonts.reg says why).
LITE_WINE_FONTS_REG="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine_fonts.reg"

# A hex(7) value of wine_fonts.reg as the prefix's system.reg keeps it:
# str(7), the bytes as text, each list entry ended by "\0".
lite_wine_multi_string_line() {
  local hex="${1#*=hex(7):}" text="" byte
  local -a bytes
  IFS=, read -ra bytes <<< "${hex%,00}"
  for byte in "${bytes[@]}"; do
    if [ "$byte" = 00 ]; then text+='\0'; else text+=$(printf "\\x$byte"); fi
  done
  printf '%s=str(7):"%s"' "${1%%=*}" "$text"
}

# Imports wine_fonts.reg unless the prefix has its values already, exactly
# (a prefix may hold an older list). The look is into the prefix's
# user.reg and system.reg, which Wine writes out within half a minute of a
# change: until then a second import does no harm.
lite_wine_fonts() {
  local line
  while IFS= read -r line; do
    case "$line" in
      \"*=hex\(7\):*)
        grep -qxF "$(lite_wine_multi_string_line "$line")" "$WINEPREFIX/system.reg" 2>/dev/null ;;
      \"*) grep -qxF "$line" "$WINEPREFIX/user.reg" 2>/dev/null ;;
      *) true ;;
    esac || {
      "$LITE_WINE64" reg import "Z:${LITE_WINE_FONTS_REG//\//\\}" >/dev/null 2>&1 </dev/null
      return
    }
  done < "$LITE_WINE_FONTS_REG"
}

# Creates the prefix once (about half a minute) and keeps a wineserver
# running so that each program start is quick.
lite_wine_prepare() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "[wine] creating prefix $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1 || true
  fi
  wineserver -p >/dev/null 2>&1 </dev/null || true
  lite_wine_fonts || echo "[wine] could not map the window's fonts in $WINEPREFIX" >&2
  # Wine's services outlive the program that starts them and keep its
  # output open; start them here, detached, so callers that read a test's
  # output (CTest) do not wait for them.
  "$LITE_WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
}
