#!/usr/bin/env bash
# Configures and builds into a build folder.
#   scripts/build.sh [BUILD_DIR [extra cmake options...]]
# BUILD_TARGETS (space-separated) limits what is built; default: everything.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
