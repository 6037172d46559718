#!/usr/bin/env bash
# Starts the freshly built EmuVOLA from the build tree.
set -euo pipefail
build=${1:-build}
exec "$build/bin/EmuVOLA"
