#!/usr/bin/env bash
# End-to-end checks of the Windows build under wine against the Linux
# simulator (krv-sim):
#
#  1. the Win32 serial device on a Wine COM port: COM5 is linked to a
#     pseudo-terminal whose other side is krv-sim's modem. The Windows program
#     opens COM5 with line settings, writes "ATI" and must read "OK"; the modem
#     must have seen "ATI\r", and the pseudo-terminal must carry the speed, the
#     stop bits and XON/XOFF that were asked for (a pseudo-terminal keeps 8 data
#     bits and no parity whatever it is told). A pseudo-terminal has no carrier.
#  2. the network port over Winsock: SIM1 is mapped to krv-sim --listen on
#     loopback; the Windows program dials the simulated KR-V and must read
#     "CONNECT" with the carrier reported on.
#
# The Windows side of each check is one command line, so it can be swapped
# (for emuvola-run.exe --port COM5 --script ..., say) without touching the
# rest: EMU_COM_PORT_CHECK and EMU_NETWORK_PORT_CHECK replace the defaults
# below; the exit status of the command decides.
#
# usage: com-port-check.sh BUILD_WINDOWS_DIR KRV_SIM_FOR_LINUX
set -euo pipefail
build="$(cd "$1" && pwd)"
krvsim="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wine}"
bin="$build/bin"

default_com=("$bin/com-port-check.exe" --port COM5 --baud 19200 --stop 2 --send 'ATI\r' --expect OK)
default_net=("$bin/com-port-check.exe" --port SIM1 --baud 57600 --send 'ATDT5551234\r' --expect CONNECT
             --timeout-ms 10000)
if [ -n "${EMU_COM_PORT_CHECK:-}" ]; then read -ra com_check <<<"$EMU_COM_PORT_CHECK"; else com_check=("${default_com[@]}"); fi
if [ -n "${EMU_NETWORK_PORT_CHECK:-}" ]; then read -ra net_check <<<"$EMU_NETWORK_PORT_CHECK"; else net_check=("${default_net[@]}"); fi

work="$(mktemp -d)"
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0

# Starts krv-sim with the given options and waits for the line it prints
# first ("pty /dev/pts/N" or "listening on HOST:PORT").
start_sim() {
  local out="$1"
  shift
  "$krvsim" "$@" >"$out" 2>&1 &
  sim_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$out" ] && return 0
    sleep 0.05
  done
  echo "krv-sim did not start: $(cat "$out")" >&2
  return 1
}

# Runs a Windows command under wine within a time limit; its output goes to $1.
run_windows() {
  local out="$1"
  shift
  timeout 120 bash "$here/wine-run.sh" "$@" >"$out" 2>"$out.wine" && return 0
  return 1
}

bash "$here/wine-prefix.sh"

echo "== Win32 serial device on a Wine COM port"
start_sim "$work/pty.out" --pty --transcript "$work/pty.transcript"
pty="$(awk '/^pty / {print $2}' "$work/pty.out")"
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
if run_windows "$work/com.out" "${com_check[@]}"; then status=ok; else status=failed; fi
cat "$work/com.out"
settings="$(stty -a -F "$pty" 2>/dev/null || true)"
if [ "$status" != ok ]; then
  echo "FAILED: ${com_check[*]}"
  failures=$((failures + 1))
elif ! grep -q "> 41 54 49 0D" "$work/pty.transcript"; then
  echo "FAILED: the modem never saw ATI<CR>"
  failures=$((failures + 1))
elif [ "${com_check[*]}" = "${default_com[*]}" ] \
  && ! { grep -q "speed 19200 baud" <<<"$settings" && grep -qw cstopb <<<"$settings" \
         && grep -qw ixon <<<"$settings" && grep -qw ixoff <<<"$settings"; }; then
  echo "FAILED: the line settings did not reach the port: $settings"
  failures=$((failures + 1))
else
  echo "passed: COM5 answered, the modem saw the command, the line is at 19200 bit/s, 2 stop bits, XON/XOFF"
fi

echo "== network port over Winsock"
start_sim "$work/net.out" --listen 127.0.0.1:0 --connect-delay 200
port="$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/net.out")"
export EMUVOLA_SERIAL_MAP="SIM1=rfc2217://127.0.0.1:$port"
if run_windows "$work/net.out2" "${net_check[@]}"; then status=ok; else status=failed; fi
cat "$work/net.out2"
if [ "$status" != ok ]; then
  echo "FAILED: ${net_check[*]}"
  failures=$((failures + 1))
elif [ "${net_check[*]}" = "${default_net[*]}" ] && ! grep -q "^carrier on" "$work/net.out2"; then
  echo "FAILED: no carrier after CONNECT"
  failures=$((failures + 1))
else
  echo "passed: the simulated KR-V answered over the network port with carrier on"
fi

[ "$failures" -eq 0 ]
