#!/usr/bin/env bash
# Builds the Debian packages once, from the build of the README's test block (or a
# build directory given as $1), checks them with lintian (no error allowed), unpacks
# them with dpkg -x into a temporary root and builds and runs a host program and the
# tool from that root alone (tests/packaging/unpacked_test.sh, in a private network
# namespace).
#
#   scripts/ci/packages.sh [BUILD_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja -DKRAVENT_BUILD_TESTS=OFF
cmake --build "$build" --target Vorn-KRAVENT_DLLInterface kravent kravent-sim docs

out=$build/packages
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" > "$out.log" 2>&1) || { cat "$out.log"; exit 1; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 3 ] || { echo "expected 3 packages, got: ${debs[*]}" >&2; exit 1; }
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done

# lintian as root says so on stderr; any error tag fails.
lintian --tag-display-limit 0 "${debs[@]}" > "$out/lintian.txt" 2>&1 || true
cat "$out/lintian.txt"
if grep -q '^E: ' "$out/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
for deb in "${debs[@]}"; do dpkg -x "$deb" "$unpacked"; done
"$root/tests/netns/run-in-netns.sh" "$root/tests/packaging/unpacked_test.sh" "$unpacked" "$root"
