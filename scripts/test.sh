#!/usr/bin/env bash
# Builds and runs the whole test suite: once in a normal build, once built
# with AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded tests
# once more under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/build.sh" "$root/build" -DUPDATER_TESTS=ON
(cd "$root/build" && ctest --output-on-failure -j "$jobs")

"$root/scripts/build.sh" "$root/build-asan" -DUPDATER_TESTS=ON -DUPDATER_SANITIZE=ON
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

"$root/scripts/build.sh" "$root/build-tsan" -DUPDATER_TESTS=ON -DUPDATER_TSAN=ON
(cd "$root/build-tsan" && TSAN_OPTIONS=halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -L "threads|e2e")
