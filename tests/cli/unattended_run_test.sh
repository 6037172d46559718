#!/usr/bin/env bash
# Usage: unattended_run_test.sh BUILD_DIR
#
# emuvola-run as cron runs it: no terminal (setsid, stdin from /dev/null), no
# display, a bare environment. Against krv-sim over TCP (RFC 2217) and over a
# pseudo-terminal, it checks the exit status of each outcome, the captures
# byte for byte, the hang-up on SIGTERM as the simulator saw it, and that no
# password shows in any output.
set -uo pipefail

build=$(cd "${1:?build directory}" && pwd)
run="$build/bin/emuvola-run"
sim="$build/bin/krv-sim"
failures=0
ok() { printf 'ok   - %s\n' "$*"; }
bad() { printf 'FAIL - %s\n' "$*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then ok "$what"; else bad "$what"; fi; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/emuvola-run-XXXXXX")
sim_pid=""
stop_sim() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null; sim_pid=""; }
trap 'stop_sim; [ -n "${KEEP:-}" ] || rm -rf "$scratch"' EXIT

cp949() { printf '%s' "$1" | iconv -f UTF-8 -t CP949; }
secret="s3cr3t-pw"
data="$scratch/data"
mkdir -p "$data"
{
  printf '[INFO]\r\nCOUNT=2\r\n'
  printf '[TEL000]\r\nNAME=%s\r\nNO=5551234\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n' "$(cp949 서울1)"
  printf '[TEL001]\r\nNAME=%s\r\nNO=5551234\r\nUSE=0\r\nID=admin\r\nPWD=%s\r\n' "$(cp949 틀린암호)" "$secret"
} >"$data/phone.dat"

# start_sim ARGS...: krv-sim with a transcript; sets sim_pid and port (or pty).
start_sim() {
  transcript="$scratch/transcript.$RANDOM"
  : >"$scratch/sim.out"
  "$sim" --transcript "$transcript" --connect-delay 200 --guard-time 200 "$@" >"$scratch/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q 'listening on\|^pty ' "$scratch/sim.out" && break
    sleep 0.05
  done
  port=$(grep -o 'listening on 127\.0\.0\.1:[0-9]*' "$scratch/sim.out" | sed 's/.*://')
  pty=$(sed -n 's/^pty //p' "$scratch/sim.out")
}
# unattended MAP ARGS...: emuvola-run without a terminal; sets status.
unattended() {
  local map=$1; shift
  env -i PATH=/usr/bin:/bin HOME="$scratch" EMUVOLA_DATA_DIR="$data" EMUVOLA_SERIAL_MAP="$map" \
    ${EXTRA_ENV:+$EXTRA_ENV} setsid "$run" "$@" </dev/null >"$scratch/out" 2>"$scratch/err"
  status=$?
}
# The bytes the program wrote, as hex, from the simulator's transcript.
program_bytes() { awk '$3 == ">" { for (i = 4; i <= NF; i++) printf "%s ", $i }' "$transcript"; }
hex() { printf '%s' "$1" | od -An -tx1 | tr 'a-f' 'A-F' | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# wire_in_order HEX...: the program wrote these byte runs, in this order.
wire_in_order() {
  local rest part
  rest=$(program_bytes)
  for part in "$@"; do
    [[ $rest == *"$part"* ]] || return 1
    rest=${rest#*"$part"}
  done
}
no_secret() { ! grep -rqF "$secret" "$scratch/out" "$scratch/err" "$@"; }

cat >"$scratch/port0.krv" <<'SCRIPT'
# the echo device on port 0 answers each line and prompts
connect 0
if $match == 0 fail "port 0 refused"
send 0 "show status"
expect 0 "> " timeout 5s
if $match == 0 fail "no prompt"
SCRIPT

# 1. Over TCP: dial, log in, port 0 on, a command and its echo, captured.
start_sim --listen 127.0.0.1:0
unattended "SIM1=rfc2217://127.0.0.1:$port" --port SIM1 --dial 서울1 --script "$scratch/port0.krv" \
  --capture "$scratch/cap" --json
check "a dial, login and script end with 0 (got $status)" [ "$status" -eq 0 ]
expected_port0="$(cp949 "'KR-V' 연결되었습니다.")"$'\r\n'"$(cp949 '포트 0에 연결되었습니다.')"$'\r\n'"[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none"$'\r\n'"show status"$'\r\n'"> "
check "port0.log holds what port 0 showed, byte for byte" \
  [ "$(cat "$scratch/cap/port0.log")" = "$expected_port0" ]
check "local.log holds the modem's dialogue" grep -q "CONNECT 9600" "$scratch/cap/local.log"
check "--json says done, with the bytes per port" grep -q '"outcome":"done".*"port0":' "$scratch/out"
check "progress: dialling, connected, logged in, hung up" \
  bash -c "grep -q 'dialling 5551234' '$scratch/err' && grep -q 'connected 9600' '$scratch/err' \
           && grep -q 'logged in' '$scratch/err' && grep -q 'hung up' '$scratch/err'"
stop_sim
check "the wire: init, dial, login frames, then +++ and ATH" \
  wire_in_order "$(hex ATZ) 0D" "$(hex 'ATDT 5551234') 0D" "E2 $(hex AIadmin) E3" "E2 $(hex APpilvo) E3" \
  "$(hex +++)" "$(hex ATH) 0D"

# 2. A busy number: status 2, and nothing left off hook.
start_sim --listen 127.0.0.1:0
EXTRA_ENV="EMUVOLA_PASSWORD=$secret" unattended "SIM1=rfc2217://127.0.0.1:$port" --port SIM1 --number 5550000
check "a busy number ends with 2 (got $status)" [ "$status" -eq 2 ]
stop_sim

# 3. A wrong password: status 3, no retry, and the password nowhere.
start_sim --listen 127.0.0.1:0
unattended "SIM1=rfc2217://127.0.0.1:$port" --port SIM1 --dial 틀린암호 --capture "$scratch/cap3" --json
check "a refused login ends with 3 (got $status)" [ "$status" -eq 3 ]
stop_sim
check "one login attempt only" [ "$(program_bytes | grep -o "E2 $(hex AP)" | wc -l)" -eq 1 ]
check "the password shows in no output and no capture" no_secret "$scratch/cap3"

# 4. SIGTERM in the middle of a script: the modem is hung up, then 143.
cat >"$scratch/long.krv" <<'SCRIPT'
connect 2
wait 30s
SCRIPT
start_sim --listen 127.0.0.1:0
env -i PATH=/usr/bin:/bin HOME="$scratch" EMUVOLA_DATA_DIR="$data" EMUVOLA_SERIAL_MAP="SIM1=rfc2217://127.0.0.1:$port" \
  setsid "$run" --port SIM1 --dial 서울1 --script "$scratch/long.krv" </dev/null >"$scratch/out" 2>"$scratch/err" &
run_pid=$!
for _ in $(seq 1 100); do grep -q "wait 30s" "$scratch/err" && break; sleep 0.1; done
kill -TERM "$run_pid"
wait "$run_pid"
status=$?
check "SIGTERM mid-script ends with 143 (got $status)" [ "$status" -eq 143 ]
stop_sim
check "after SIGTERM the simulator saw +++ and ATH" wire_in_order "E2 $(hex C2CONN) E3" "$(hex +++)" "$(hex ATH) 0D"

# 5. A script error dials nothing and opens no port: status 7 with file:line.
printf 'connect 0\nexpect 0 OK\n' >"$scratch/bad.krv"
start_sim --listen 127.0.0.1:0
unattended "SIM1=rfc2217://127.0.0.1:$port" --port SIM1 --dial 서울1 --script "$scratch/bad.krv"
check "a script error ends with 7 (got $status)" [ "$status" -eq 7 ]
check "it names the file and line" grep -q "bad.krv:2:" "$scratch/err"
stop_sim
check "and the port was never opened" bash -c "! grep -q 'client connected' '$transcript'"

# 6. Over a pseudo-terminal (no carrier there): a script on the local line.
printf 'send local "ATI"\nexpect local "OK" timeout 5s\nif $match == 0 fail "no OK"\n' >"$scratch/local.krv"
start_sim --pty
unattended "PTY1=$pty" --port PTY1 --script "$scratch/local.krv" --capture "$scratch/cap6"
check "a local-line script over a pty ends with 0 (got $status)" [ "$status" -eq 0 ]
check "its capture holds the modem's answer" grep -q "OK" "$scratch/cap6/local.log"
stop_sim
check "the init command and ATI went out" wire_in_order "$(hex ATZ) 0D" "$(hex ATI) 0D"

# 7. Bad arguments and an unknown port.
unattended "SIM1=rfc2217://127.0.0.1:1" --port SIM1 --dial 서울1 --password x
check "a password on the command line is refused with 7 (got $status)" [ "$status" -eq 7 ]
unattended "SIM1=rfc2217://127.0.0.1:1" --port NOPE --dial 서울1
check "an unknown port ends with 4 (got $status)" [ "$status" -eq 4 ]

[ "$failures" -eq 0 ] || { printf '%d check(s) failed\n' "$failures"; exit 1; }
