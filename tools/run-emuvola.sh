#!/usr/bin/env bash
# Starts the freshly built EmuVOLA from the build tree, with the simulated modem
# and KR-V (krv-sim) behind the first port button, SIM1:
#   1. krv-sim listens on a free loopback port;
#   2. EmuVOLA gets SIM1=rfc2217://127.0.0.1:PORT in front of EMUVOLA_SERIAL_MAP;
#   3. an empty or missing phone book gets one entry for the simulated unit
#      (서울1, number 5551234, admin / pilvo).
# Press SIM1, then 전화걸기 and the entry; once logged in, press 포트0, choose
# 포트0 for a pane and type: the remote port echoes. Closing EmuVOLA (or this
# script ending in any way) stops the simulator.
set -euo pipefail

build=${1:-build}
bin="$build/bin"
emuvola="$bin/EmuVOLA"
sim="$bin/krv-sim"

for program in "$emuvola" "$sim"; do
    if [[ ! -x $program ]]; then
        echo "run-emuvola: $program is missing; build first (make run does)." >&2
        exit 1
    fi
done

sim_pid=""
sim_out=""
cleanup() {
    if [[ -n $sim_pid ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    if [[ -n $sim_out ]]; then
        rm -f "$sim_out"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The data directory as the program chooses it: $EMUVOLA_DATA_DIR, else the
# executable's directory when writable, else ~/.config/EmuVOLA.
if [[ -n ${EMUVOLA_DATA_DIR:-} ]]; then
    data_dir=$EMUVOLA_DATA_DIR
elif [[ -w $bin ]]; then
    data_dir=$bin
else
    data_dir=${XDG_CONFIG_HOME:-$HOME/.config}/EmuVOLA
fi

# An empty phone book: no file, or no COUNT above zero in it.
phone_book_empty() {
    local file=$1
    [[ ! -s $file ]] && return 0
    ! tr -d '\r' <"$file" | grep -Eiq '^[[:space:]]*COUNT[[:space:]]*=[[:space:]]*0*[1-9]'
}

write_phone_book() {
    local file=$1 name
    # The program's files are code page 949.
    if ! name=$(printf '서울1' | iconv -f UTF-8 -t CP949 2>/dev/null); then
        echo "run-emuvola: iconv cannot convert to CP949; phone book not written." >&2
        return 0
    fi
    mkdir -p "$(dirname "$file")"
    printf '[INFO]\r\nCOUNT=1\r\n[TEL000]\r\nNAME=%s\r\nNO=5551234\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n' \
        "$name" >"$file"
    echo "run-emuvola: wrote a phone book with the simulated KR-V to $file"
}

phone_book="${data_dir%/}/phone.dat"
if phone_book_empty "$phone_book"; then
    write_phone_book "$phone_book"
fi

# Start the simulator and read the port it chose from its first line.
sim_out=$(mktemp "${TMPDIR:-/tmp}/krv-sim.XXXXXX")
"$sim" --listen 127.0.0.1:0 >"$sim_out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
    if line=$(grep -m1 -o 'listening on 127\.0\.0\.1:[0-9]*' "$sim_out" 2>/dev/null); then
        port=${line##*:}
        break
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [[ -z $port ]]; then
    echo "run-emuvola: krv-sim did not start:" >&2
    cat "$sim_out" >&2 || true
    exit 1
fi
echo "run-emuvola: simulated modem and KR-V on 127.0.0.1:$port (port button SIM1)"

map="SIM1=rfc2217://127.0.0.1:$port"
if [[ -n ${EMUVOLA_SERIAL_MAP:-} ]]; then
    map="$map;$EMUVOLA_SERIAL_MAP"
fi

# Not exec: the trap must outlive EmuVOLA to stop the simulator.
status=0
EMUVOLA_SERIAL_MAP=$map "$emuvola" || status=$?
exit "$status"
