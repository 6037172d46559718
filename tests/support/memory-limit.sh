#!/usr/bin/env bash
# Runs a test with a bound on its memory, so a runaway (a loop that keeps
# growing a log, say) fails in seconds instead of eating the machine's memory
# until ctest's timeout:
#   memory-limit.sh data|resident <MiB> <program> [arguments...]
#
# data: the kernel holds the program, and whatever it starts, to <MiB> of data
#   (RLIMIT_DATA); an allocation past it fails (std::bad_alloc, then abort).
# resident: for AddressSanitizer, ThreadSanitizer and MemorySanitizer builds,
#   which map terabytes of shadow memory at start and so cannot run under any
#   data or address space limit (and ThreadSanitizer ignores
#   hard_rss_limit_mb). The program's resident memory is looked at ten times a
#   second and the program killed past <MiB>; what it starts is not watched.
set -u

mode=$1
limit_mib=$2
shift 2

if [[ $mode == data ]]; then
    ulimit -d $((limit_mib * 1024)) || exit 1
    exec "$@"
fi

"$@" &
program=$!
# Whoever stops this script (ctest at a test's timeout) stops the test too.
trap 'kill -KILL "$program" 2>/dev/null; exit 1' HUP INT TERM

resident_kib=0
read_resident() {
    resident_kib=0
    local key value rest
    while read -r key value rest; do
        if [[ $key == VmRSS: ]]; then
            resident_kib=$value
            return
        fi
    done 2>/dev/null <"/proc/$program/status"
}

while kill -0 "$program" 2>/dev/null; do
    read_resident
    if ((resident_kib > limit_mib * 1024)); then
        kill -KILL "$program" 2>/dev/null
        wait "$program" 2>/dev/null
        echo "memory-limit: ${1##*/} held $((resident_kib / 1024)) MiB, over its limit of" \
            "$limit_mib MiB: killed" >&2
        exit 1
    fi
    sleep 0.1
done
wait "$program"
