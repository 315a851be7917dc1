#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (CTest uses this
# as its cross-compiling emulator).
set -eu
. "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
lite_wine_prepare
exec "$(lite_wine_loader_for "$1")" "$@"
