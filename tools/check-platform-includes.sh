#!/usr/bin/env bash
# No file outside the platform files includes a header that only POSIX
# systems have: what differs between systems lives in posix/ and win32/
# folders, one file per system, chosen by the build (CONTRIBUTING.md).
# `make test` and CI run this; it prints each offending include and fails.
#
# Left out on purpose, each for its reason:
#   bench/                               benchmarks of the Linux receive path
#                                        (a pseudo-terminal flood); Linux only
#   tests/e2e/                           window tests that start the simulator
#                                        on a pseudo-terminal; Linux only
#   tests/app/MainFrameTest.cpp          window tests, built with Qt only, that
#   tests/directory/BookDialogsTest.cpp  look at Unix permission bits
set -euo pipefail
cd "$(dirname "$0")/.."

posix_only='unistd|termios|poll|iconv|fcntl|pty|dirent|netdb|spawn|pwd|grp|dlfcn|syslog|utmp|pthread|semaphore|strings|libgen|glob|fnmatch|wordexp|ifaddrs|sys/[a-z_/]+|arpa/[a-z_]+|netinet/[a-z_]+|net/[a-z_]+|asm/[a-z_]+|linux/[a-z_/]+'
allowed='^(bench/|tests/e2e/|tests/app/MainFrameTest\.cpp$|tests/directory/BookDialogsTest\.cpp$)|(^|/)posix/'

status=0
while IFS= read -r file; do
  [[ "$file" =~ $allowed ]] && continue
  if hits="$(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($posix_only)\.h>" "$file")"; then
    while IFS= read -r hit; do
      echo "$file:$hit: a POSIX-only header outside a platform file (posix/)"
    done <<<"$hits"
    status=1
  fi
done < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -vE '^build')
if [ "$status" -ne 0 ]; then
  echo "Move the system call into a platform file pair (<folder>/posix/, <folder>/win32/); see CONTRIBUTING.md." >&2
fi
exit "$status"
