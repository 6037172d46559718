#!/usr/bin/env bash
# Makes the wine prefix the Windows tests run in ($WINEPREFIX), once: the first
# start of a prefix takes a while, so it is made here under a lock (tests that
# start together wait for one prefix) and within a time limit, and its
# wineserver is left running for the tests that follow.
set -euo pipefail
: "${WINEPREFIX:?}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine="${EMU_WINE:-/usr/lib/wine/wine64}"
limit="${EMU_WINE_BOOT_SECONDS:-300}"

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ -d "$WINEPREFIX/drive_c" ]; then
  exit 0
fi
echo "Making the wine prefix $WINEPREFIX (once; at most ${limit}s)" >&2
started=$SECONDS
if ! DISPLAY= timeout "$limit" "$wine" wineboot --init >/dev/null 2>&1; then
  echo "wineboot did not finish within ${limit}s" >&2
  rm -rf "$WINEPREFIX"
  exit 1
fi
echo "wine prefix ready after $((SECONDS - started))s" >&2
