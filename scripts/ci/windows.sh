#!/usr/bin/env bash
# Builds the Windows DLL, kravent.exe and kravent-sim.exe for 32-bit (the product) and
# 64-bit Windows with MinGW-w64 and runs each build's tests under wine: the platform
# layer, the export table, the exported C interface against simulated modules and (in
# the 32-bit build) the two programs, each run in a private network namespace. Then
# packs each build's distributable ZIP and checks it as a host would use it. Installs
# nothing (.ci/run provides the cross-compilers and wine).
#
#   scripts/ci/windows.sh [NATIVE_BUILD_DIR]
#
# The simulated modules are the native kravent-sim of NATIVE_BUILD_DIR (configured
# there if needed; default build-wine-linux), whose kravent is the Linux client of
# kravent-sim.exe. KRAVENT_WIN32_BUILD_DIR and KRAVENT_WIN64_BUILD_DIR move the
# Windows build directories (default build-win32, build-win64); each keeps its wine
# prefix template for later runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$(realpath -m "${1:-$root/build-wine-linux}")
win32=$(realpath -m "${KRAVENT_WIN32_BUILD_DIR:-$root/build-win32}")
win64=$(realpath -m "${KRAVENT_WIN64_BUILD_DIR:-$root/build-win64}")
started=$(date +%s)
jobs=$(nproc)

# Configures DIR with ARGS; the generator and the arguments in the array first_time
# count only for a new directory, since they are fixed at its first configuration.
configure() {
  local dir=$1
  shift
  if [ -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" "$@" -Wno-dev >/dev/null
  else
    cmake -S "$root" -B "$dir" -G Ninja "${first_time[@]}" "$@" -Wno-dev >/dev/null
  fi
}

echo "== native kravent-sim and kravent in $native"
first_time=(-DCMAKE_BUILD_TYPE=Release -DKRAVENT_BUILD_TESTS=OFF)
[ -f "$native/CMakeCache.txt" ] || configure "$native"
cmake --build "$native" -j"$jobs" --target kravent-sim kravent
simulator=$native/sim/kravent-sim

headers=$root/build-win-headers  # what the tuning page of kravent.exe includes, and nothing else
"$root/scripts/ci/windows-headers.sh" "$headers"

status=0
summaries=()
for pair in "$win32:mingw-w64-i686" "$win64:mingw-w64-x86_64"; do
  dir=${pair%%:*}
  echo "== $(basename "$dir"): build"
  first_time=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/${pair##*:}.cmake")
  configure "$dir" -DKRAVENT_BUILD_TOOLS=ON -DKRAVENT_SIM_PROGRAM="$simulator" -DKRAVENT_TUNE_INCLUDE_DIR="$headers"
  cmake --build "$dir" -j"$jobs"
  if [ "${pair##*:}" = mingw-w64-i686 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    # Neither wine's 32-bit loader nor any 32-bit program starts on such a kernel.
    echo "== $(basename "$dir"): built; its tests cannot run here: this kernel executes no 32-bit programs"
    summaries+=("$(basename "$dir"): built, tests not run (no 32-bit execution on this machine)")
    continue
  fi
  echo "== $(basename "$dir"): tests under wine"
  log=$dir/windows-ctest.log
  ctest --test-dir "$dir" -j"$jobs" --output-on-failure 2>&1 | tee "$log" || status=1
  summaries+=("$(basename "$dir"): $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  echo "== $(basename "$dir"): distributable ZIP"
  (cd "$dir" && cpack -G ZIP >/dev/null) || status=1
  zip=$(ls "$dir"/Vorn-KRAVENT_DLLInterface-*-win*.zip)
  if KRAVENT_SIM=$simulator "$root/tests/win32/check-package.sh" "$zip" "${pair##*-w64-}" 2>&1 | tee "$dir/package-check.log"; then
    summaries+=("$(basename "$zip"): checked")
  else
    status=1
    summaries+=("$(basename "$zip"): check FAILED")
  fi
done

echo "== summary ($(($(date +%s) - started)) s)"
printf '%s\n' "${summaries[@]}"
exit $status
