#!/usr/bin/env bash
# Builds the whole test suite twice more and runs it: once with AddressSanitizer and
# UndefinedBehaviorSanitizer (LeakSanitizer included), once with ThreadSanitizer.
# Any report fails the run.
#
#   scripts/ci/sanitizers.sh            # both runs
#   scripts/ci/sanitizers.sh asan       # only one of them (asan | tsan)
#
# KRAVENT_SANITIZER_BUILD_ROOT: where build-asan/ and build-tsan/ go (default: the
# repository root). CC/CXX pick the compiler (default gcc; clang works as well).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${KRAVENT_SANITIZER_BUILD_ROOT:-$root}
supp=$root/tests/sanitizers
jobs=${KRAVENT_SANITIZER_JOBS:-$(nproc)}
export CC=${CC:-gcc} CXX=${CXX:-g++}

# Every sanitizer stops the process at its first report, so a report fails its test.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp:print_suppressions=0"

run_one() {
  local name=$1 sanitize=$2 dir=$build_root/build-$1
  echo "=== $name: -DKRAVENT_SANITIZE=$sanitize ($CXX) in $dir"
  local start=$SECONDS
  # (set -e does not act inside a function called from ||: every step says so itself.)
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKRAVENT_SANITIZE="$sanitize" >/dev/null || return 1
  cmake --build "$dir" -j "$jobs" || { echo "=== $name: build FAILED"; return 1; }
  local status=0
  # The soak test runs here for a shorter time than on its own; its full run stays
  # with the ordinary suite.
  KRAVENT_SOAK_SECONDS=${KRAVENT_SOAK_SECONDS:-20} \
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 || status=$?
  echo "=== $name: ctest exit $status after $((SECONDS - start)) s"
  return $status
}

which=${1:-all}
failed=0
if [ "$which" = all ] || [ "$which" = asan ]; then run_one asan address,undefined || failed=1; fi
if [ "$which" = all ] || [ "$which" = tsan ]; then run_one tsan thread || failed=1; fi
exit $failed
