#!/usr/bin/env bash
# Runs a Windows program under wine64 in the build's own wine prefix: how
# ctest runs the Windows test programs (CMAKE_CROSSCOMPILING_EMULATOR) and how
# the scripts of tools/windows/ run what they need.
#
# The prefix is build-windows/wine unless WINEPREFIX says otherwise; wine's
# own messages are off. A prefix is made on first use (tools/windows/wine-prefix.sh).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$(cd "$here/../.." && pwd)/build-windows/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: nothing here uses .NET or HTML.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine="${EMU_WINE:-/usr/lib/wine/wine64}"
[ -d "$WINEPREFIX/drive_c" ] || bash "$here/wine-prefix.sh" >&2
exec "$wine" "$@"
