#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, starting
# from a copy of its seed corpus in fuzz/corpus/<target>/. Any crash, sanitizer
# report or failed invariant fails the run; the crashing input is kept in the work
# directory and its path printed.
#
#   scripts/ci/fuzz.sh                 # every target, 60 s each
#   KRAVENT_FUZZ_SECONDS=10 scripts/ci/fuzz.sh tcp_reply
#
# KRAVENT_FUZZ_BUILD_DIR: the build directory (default: build-fuzz in the repository).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KRAVENT_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${KRAVENT_FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tcp_reply udp_service sim_frame_input)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKRAVENT_BUILD_FUZZ=ON -DKRAVENT_BUILD_TESTS=OFF -DKRAVENT_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-fuzz.XXXXXX")
failed=0
for t in "${targets[@]}"; do
  corpus=$work/$t/corpus
  mkdir -p "$corpus"
  cp "$root/fuzz/corpus/$t/"* "$corpus/"
  echo "=== fuzz_$t: ${seconds} s from $(ls "$corpus" | wc -l) seeds"
  if (cd "$work/$t" && "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus" >"$work/$t/log" 2>&1); then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$work/$t/log" || true
    echo "=== fuzz_$t: clean ($(ls "$corpus" | wc -l) inputs in the corpus now)"
  else
    tail -n 40 "$work/$t/log"
    echo "=== fuzz_$t: FAILED; inputs kept in $work/$t"
    failed=1
  fi
done
[ $failed -ne 0 ] || rm -rf "$work"
exit $failed
