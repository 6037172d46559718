#!/usr/bin/env bash
# Installs the Debian packages EmuVOLA needs to build, test and run, plus any
# packages named as arguments; does nothing when all of them are present. Uses
# sudo when not run as root. With --only, just the packages named (the Windows
# build needs no Qt).
set -euo pipefail
only=""
if [ "${1:-}" = "--only" ]; then
  only=1
  shift
fi

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-translations-l10n
  libgtest-dev
  fonts-unifont
  xvfb xauth
)
# Optional extras used by some tests and the screenshot script; tests skip
# themselves when these are absent.
extras=(ser2net xdotool imagemagick desktop-file-utils)

if [ -n "$only" ]; then
  packages=()
  extras=()
fi

missing=()
for p in "${packages[@]}" ${EMU_WITH_EXTRAS:+"${extras[@]}"} "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
