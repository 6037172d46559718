#!/usr/bin/env bash
# make test-windows: every plain test program of the Windows build under wine
# (in the build's own wine prefix, made on first use), then the end-to-end
# checks of the serial and network ports against the simulator built for
# Linux (tools/windows/com-port-check.sh).
#
# usage: test-windows.sh BUILD_WINDOWS_DIR [JOBS]
set -euo pipefail
build="$(cd "$1" && pwd)"
jobs="${2:-2}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
export WINEPREFIX="$build/wine"
export WINEDEBUG=-all

# The wineserver of this prefix ends with the tests, whatever becomes of them.
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
bash "$here/wine-prefix.sh"

echo "== plain tests under wine"
(cd "$build" && ctest --output-on-failure -j"$jobs" -L plain)

echo "== krv-sim and emuvola-run for Linux, the other side of the end-to-end checks"
# EMU_HOST_BUILD names a Linux build that has them already (CI's, after make
# test); otherwise they are built here without Qt.
host="${EMU_HOST_BUILD:-$build/host}"
if [ -z "${EMU_HOST_BUILD:-}" ]; then
  cmake -S "$source_dir" -B "$host" -DEMU_WITH_QT=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$host" -j"$jobs" --target krv-sim emuvola-run >/dev/null

bash "$here/com-port-check.sh" "$build" "$host"
