#!/usr/bin/env bash
# End-to-end checks of the Windows build under wine, with emuvola-run.exe
# against the simulator built for Linux (krv-sim):
#
#  1. the Win32 serial device on a Wine COM port: COM5 is linked to a
#     pseudo-terminal whose other side is krv-sim's modem (no carrier there).
#     A script on the local line sends "ATI" and expects "OK"; the modem must
#     have seen the init command and ATI, and the pseudo-terminal must carry
#     the line settings pinfo.dat gives COM5 (19200 bit/s, 2 stop bits,
#     XON/XOFF; a pseudo-terminal keeps 8 data bits and no parity whatever it
#     is told). Then com-port-check.exe shows a second open is refused.
#  2. a whole session over a network port through Winsock: SIM1 is mapped to
#     krv-sim --listen; emuvola-run.exe dials, logs in, runs a short script and
#     captures, and the simulator must see the very bytes that emuvola-run for
#     Linux puts on the wire for the same session.
#
# usage: com-port-check.sh BUILD_WINDOWS_DIR HOST_BUILD_DIR
#   HOST_BUILD_DIR holds bin/krv-sim and bin/emuvola-run for Linux.
set -euo pipefail
build="$(cd "$1" && pwd)"
host="$(cd "$2" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wine}"
bin="$build/bin"
krvsim="$host/bin/krv-sim"

work="$(mktemp -d)"
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com5"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

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
stop_sims() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  sim_pids=()
}
# Runs a Windows command under wine within a time limit; its output goes to $1.
run_windows() {
  local out="$1"
  shift
  timeout 120 bash "$here/wine-run.sh" "$@" >"$out" 2>"$out.err"
}
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# The bytes the program wrote, from a krv-sim transcript, as hex.
program_bytes() { awk '$3 == ">" { for (i = 4; i <= NF; i++) printf "%s ", $i }' "$1"; }

bash "$here/wine-prefix.sh"

data="$work/data"
mkdir -p "$data"
printf '[COM5]\r\nBAUD=192\r\nPARITY=0\r\nDATABIT=8\r\nSTOPBIT=2\r\n' >"$data/pinfo.dat"
printf '[INFO]\r\nCOUNT=1\r\n[TEL000]\r\nNAME=%s\r\nNO=5551234\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n' \
  "$(printf '서울1' | iconv -f UTF-8 -t CP949)" >"$data/phone.dat"
printf 'send local "ATI"\r\nexpect local "OK" timeout 10s\r\nif $match == 0 fail "no OK"\r\n' >"$work/local.krv"
printf 'connect 0\r\nsend 0 "show status"\r\nexpect 0 "> " timeout 10s\r\nif $match == 0 fail "no prompt"\r\n' \
  >"$work/session.krv"

echo "== Win32 serial device on a Wine COM port, through emuvola-run.exe"
start_sim "$work/pty.out" --pty --transcript "$work/pty.transcript"
pty="$(awk '/^pty / {print $2}' "$work/pty.out")"
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
if EMUVOLA_DATA_DIR="$(windows_path "$data")" run_windows "$work/com.out" "$bin/emuvola-run.exe" \
    --port COM5 --script "$(windows_path "$work/local.krv")"; then
  settings="$(stty -a -F "$pty" 2>/dev/null || true)"
  if ! grep -q "> 41 54 5A 0D" "$work/pty.transcript" || ! grep -q "> 41 54 49 0D" "$work/pty.transcript"; then
    fail "the modem did not see the init command and ATI<CR>"
  elif ! { grep -q "speed 19200 baud" <<<"$settings" && grep -qw cstopb <<<"$settings" \
           && grep -qw ixon <<<"$settings" && grep -qw ixoff <<<"$settings"; }; then
    fail "the line settings of pinfo.dat did not reach the port: $settings"
  else
    echo "passed: COM5 at 19200 bit/s, 2 stop bits, XON/XOFF; the modem saw ATZ and ATI and answered OK"
  fi
else
  fail "emuvola-run.exe --port COM5 --script local.krv"
  cat "$work/com.out.err"
fi
if run_windows "$work/busy.out" "$bin/com-port-check.exe" --port COM5 --send 'ATI\r' --expect OK \
   && grep -q "a second open: refused" "$work/busy.out"; then
  echo "passed: a second open of COM5 is refused"
else
  fail "a second open of COM5 was not refused"
  cat "$work/busy.out"
fi
stop_sims

echo "== a whole session over a network port through Winsock"
session() { # session TRANSCRIPT COMMAND...: one run against a fresh simulator
  local transcript=$1
  shift
  start_sim "$work/net.out" --listen 127.0.0.1:0 --connect-delay 200 --guard-time 200 --transcript "$transcript"
  port="$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/net.out")"
  EMUVOLA_SERIAL_MAP="SIM1=rfc2217://127.0.0.1:$port" "$@"
  local status=$?
  stop_sims
  return $status
}
if session "$work/windows.transcript" env EMUVOLA_DATA_DIR="$(windows_path "$data")" \
    bash -c "timeout 120 bash '$here/wine-run.sh' '$bin/emuvola-run.exe' --port SIM1 --dial 5551234 \
      --script '$(windows_path "$work/session.krv")' --capture '$(windows_path "$work/cap")' \
      >'$work/win.out' 2>'$work/win.err'"; then
  session "$work/linux.transcript" env EMUVOLA_DATA_DIR="$data" "$host/bin/emuvola-run" --port SIM1 \
    --dial 5551234 --script "$work/session.krv" >"$work/linux.out" 2>"$work/linux.err" || true
  if [ "$(program_bytes "$work/windows.transcript")" != "$(program_bytes "$work/linux.transcript")" ]; then
    fail "the Windows session's wire bytes differ from Linux's"
    diff <(program_bytes "$work/windows.transcript" | tr ' ' '\n') \
         <(program_bytes "$work/linux.transcript" | tr ' ' '\n') | head -20
  elif ! grep -q "show status" "$work/cap/port0.log"; then
    fail "the capture of port 0 does not hold the echo"
  else
    echo "passed: dialled, logged in, ran the script and captured, with the same wire bytes as on Linux"
  fi
else
  fail "emuvola-run.exe --port SIM1 --dial 5551234 --script session.krv"
  cat "$work/win.err"
fi

[ "$failures" -eq 0 ]
