#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite in the default build,
# again under AddressSanitizer + UndefinedBehaviorSanitizer, and the device, hook and start-up
# suites under ThreadSanitizer; then configures and builds a packager's plain Release build
# (warnings not errors, no tests run). Exits non-zero when any build or test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh || exit 1
jobs=$(nproc)
status=0
run_preset() {
  local preset=$1
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null || return 1
  cmake --build --preset "$preset" -j "$jobs" || return 1
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs" || return 1
}
for preset in default asan tsan; do
  run_preset "$preset" || status=1
done
echo "=== plain Release: configure and build"
{ cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build build/release -j "$jobs"; } || status=1
if [ $status -ne 0 ]; then echo "SOME TESTS OR BUILDS FAILED"; else echo "ALL TESTS PASSED"; fi
exit $status
