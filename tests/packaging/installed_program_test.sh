#!/usr/bin/env bash
# Usage: installed_program_test.sh BUILD_DIR [CMAKE]
#
# Installs BUILD_DIR with `cmake --install --prefix /usr` and DESTDIR into a
# scratch root, then for that tree (and for the unpacked .deb when one newer
# than the build's EmuVOLA lies in BUILD_DIR):
#   - the package layout: programs side by side in /usr/lib/emuvola, the
#     /usr/bin/emuvola link, the desktop entry (desktop-file-validate when
#     present) and the hicolor icons;
#   - EmuVOLA started through /usr/bin/emuvola, headless, is still running
#     after 2 s (timeout's 124), runs as /usr/lib/emuvola/EmuVOLA, creates
#     $XDG_CONFIG_HOME/EmuVOLA and leaves nothing beside itself;
#   - KR-V___ writes its session file into $XDG_CONFIG_HOME/EmuVOLA, not
#     beside itself.
# The install tree is made read-only. Root may write there all the same, so
# the check is that nothing new appeared beside the programs: the installed-copy
# marker, not the permission bits, is what keeps them out.
set -uo pipefail

build=$(cd "${1:?build directory}" && pwd)
cmake=${2:-cmake}
failures=0

note() { printf '%s\n' "$*"; }
ok() { note "ok   - $*"; }
bad() { note "FAIL - $*"; failures=$((failures + 1)); }
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then ok "$what"; else bad "$what"; fi
}

for program in EmuVOLA KR-V___ krv-sim emuvola-run; do
  if [ ! -x "$build/bin/$program" ]; then
    note "SKIP: $build/bin/$program is not built (this test needs the full build)"
    exit 77
  fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/emuvola-install-XXXXXX")
cleanup() { chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
chmod 755 "$scratch"

# Who runs the installed programs: whoever runs the test. As root this is the
# hard case: root may write into the read-only tree, and only the installed-copy
# marker keeps the programs from doing so.
run_as=()
run_user=$(id -un)

# A fresh home, configuration and runtime directory owned by the running user,
# and an xdg-open that only records what it was asked to open.
user_dirs() { # user_dirs NAME -> prints the directory holding home/ config/ runtime/ bin/
  local base="$scratch/$1"
  mkdir -p "$base/home" "$base/runtime" "$base/bin"
  cat >"$base/bin/xdg-open" <<'OPEN'
#!/bin/sh
printf '%s\n' "$*" >>"$(dirname "$0")/opened.txt"
OPEN
  chmod 755 "$base/bin/xdg-open"
  chmod 700 "$base/runtime"
  printf '%s' "$base"
}

descendants() { # descendants PID: its children, theirs, and so on
  local child
  for child in $(cat "/proc/$1/task/$1/children" 2>/dev/null); do
    echo "$child"
    descendants "$child"
  done
}

run_env() { # run_env BASE COMMAND...
  local base=$1; shift
  env -i PATH="$base/bin:/usr/bin:/bin" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    HOME="$base/home" XDG_CONFIG_HOME="$base/config" XDG_RUNTIME_DIR="$base/runtime" \
    "${run_as[@]}" "$@"
}

png_size() { # prints WIDTHxHEIGHT of a PNG from its header
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  printf '%sx%s' "$w" "$h"
}

listing() { (cd "$1" && find . | LC_ALL=C sort); }

check_tree() { # check_tree LABEL ROOT
  local label=$1 root=$2 usr="$2/usr"
  local lib="$usr/lib/emuvola"
  note "# $label: $root"

  for program in EmuVOLA KR-V___ krv-sim emuvola-run; do
    check "$label: $program installed in /usr/lib/emuvola" test -x "$lib/$program" -a -f "$lib/$program"
  done
  check "$label: /usr/bin/emuvola is a link to ../lib/emuvola/EmuVOLA" \
    test "$(readlink "$usr/bin/emuvola")" = "../lib/emuvola/EmuVOLA"
  check "$label: /usr/bin/emuvola-run is a link to ../lib/emuvola/emuvola-run" \
    test "$(readlink "$usr/bin/emuvola-run")" = "../lib/emuvola/emuvola-run"
  check "$label: the example scripts and the systemd timer are installed" \
    test -f "$usr/share/doc/emuvola/scripts/poll.krv" -a -f "$usr/share/doc/emuvola/scripts/emuvola-poll.timer"
  local desktop="$usr/share/applications/emuvola.desktop"
  check "$label: desktop entry installed" test -f "$desktop"
  if command -v desktop-file-validate >/dev/null; then
    check "$label: desktop-file-validate accepts the desktop entry" desktop-file-validate "$desktop"
  else
    note "skip - desktop-file-validate not installed (package desktop-file-utils)"
  fi
  for line in Exec=emuvola Icon=emuvola Terminal=false; do
    check "$label: desktop entry has $line" grep -qx "$line" "$desktop"
  done
  for size in 16 24 32 48 64 128 256; do
    local icon="$usr/share/icons/hicolor/${size}x${size}/apps/emuvola.png"
    if [ -f "$icon" ] && [ "$(png_size "$icon")" = "${size}x${size}" ]; then
      ok "$label: ${size}x${size} icon"
    else
      bad "$label: ${size}x${size} icon missing or of the wrong size ($icon)"
    fi
  done
  check "$label: scalable icon" test -f "$usr/share/icons/hicolor/scalable/apps/emuvola.svg"

  local before after
  before=$(listing "$usr")
  chmod -R a-w "$usr"

  # EmuVOLA through the link in /usr/bin, as the desktop entry starts it.
  local base rc pid proc running=no
  base=$(user_dirs "$label-emuvola")
  run_env "$base" timeout -k 2 2 "$usr/bin/emuvola" >"$base/out.txt" 2>&1 &
  pid=$!
  # /proc/self/exe of a program started through a link names the link's target,
  # which is how EmuVOLA finds KR-V___ beside itself. Looked for while it runs,
  # among what the background job started: a busy machine may take a while to
  # start it, and a scan of every process may outlast it.
  for _ in $(seq 1 15); do
    sleep 0.1
    for proc in $(descendants "$pid"); do
      [ "$(readlink "/proc/$proc/exe" 2>/dev/null)" = "$lib/EmuVOLA" ] && running=yes
    done
    [ "$running" = yes ] && break
  done
  wait "$pid"
  rc=$?
  if [ "$rc" -eq 124 ]; then
    ok "$label: EmuVOLA started headless and ran until stopped"
  else
    bad "$label: EmuVOLA ended by itself with $rc; its output:"
    sed 's/^/    /' "$base/out.txt"
  fi
  check "$label: started through /usr/bin/emuvola, the process runs as /usr/lib/emuvola/EmuVOLA" \
    test "$running" = yes
  check "$label: EmuVOLA created its data directory \$XDG_CONFIG_HOME/EmuVOLA" test -d "$base/config/EmuVOLA"

  # KR-V___ as EmuVOLA starts it: by its full path, from its own directory.
  base=$(user_dirs "$label-launcher")
  (cd "$lib" && run_env "$base" timeout -k 2 20 "$lib/KR-V___" 192.0.2.5 23 Seoul1) >"$base/out.txt" 2>&1
  rc=$?
  check "$label: KR-V___ ended by itself with 0 (got $rc)" test "$rc" -eq 0
  [ "$rc" -eq 0 ] || sed 's/^/    /' "$base/out.txt"
  local sessions
  sessions=$(find "$base/config/EmuVOLA" -maxdepth 1 -name '*.ht' 2>/dev/null | wc -l)
  check "$label: KR-V___ wrote its session file into \$XDG_CONFIG_HOME/EmuVOLA" test "$sessions" -eq 1

  # emuvola-run through its link, as cron starts it: it finds the data
  # directory in $XDG_CONFIG_HOME like EmuVOLA and says what is wrong.
  base=$(user_dirs "$label-run")
  run_env "$base" "$usr/bin/emuvola-run" --port NOPE --script /dev/null </dev/null >"$base/out.txt" 2>&1
  rc=$?
  check "$label: emuvola-run through /usr/bin names an unknown port and ends with 4 (got $rc)" test "$rc" -eq 4
  run_env "$base" "$usr/bin/emuvola-run" --help >"$base/out.txt" 2>&1
  check "$label: emuvola-run --help lists the exit statuses" grep -q "login refused" "$base/out.txt"

  after=$(listing "$usr")
  if [ "$before" = "$after" ]; then
    ok "$label: nothing new appeared in the installed tree"
  else
    bad "$label: the installed tree changed:"
    diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed 's/^/    /'
  fi
}

root="$scratch/root"
if DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >"$scratch/install.txt" 2>&1; then
  ok "cmake --install into a scratch root"
  check_tree install "$root"
else
  bad "cmake --install failed:"
  sed 's/^/    /' "$scratch/install.txt"
fi

deb=$(ls -t "$build"/emuvola_*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ] && [ "$deb" -nt "$build/bin/EmuVOLA" ] && command -v dpkg-deb >/dev/null; then
  depends=$(dpkg-deb -f "$deb" Depends)
  note "# $(basename "$deb") Depends: $depends"
  for needed in qt6-qpa-plugins qt6-translations-l10n fonts-unifont libqt6widgets6; do
    case ", $depends" in
      *", $needed"*) ok "package depends on $needed" ;;
      *) bad "package does not depend on $needed" ;;
    esac
  done
  dpkg-deb -x "$deb" "$scratch/deb" && check_tree deb "$scratch/deb"
elif [ -n "$deb" ]; then
  note "skip - $(basename "$deb") is older than the build (run make package) or dpkg-deb is missing"
fi

if [ "$failures" -ne 0 ]; then
  note "$failures check(s) failed"
  exit 1
fi
note "all checks passed"
