#!/usr/bin/env bash
# The tuning page in headless Chromium: installs puppeteer-core (the version that
# tests/tune/package.json names) from npm into BUILD_DIR/tune-node once, then runs
# the page test of BUILD_DIR (built by the README's test block) through ctest. Its
# screenshot lands in BUILD_DIR/tests/tune/tune-page.png.
#
#   scripts/ci/browser.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build}")
modules=$build/tune-node

if ! command -v npm >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends nodejs npm
fi
version=$(sed -n 's/.*"puppeteer-core": *"\([^"]*\)".*/\1/p' "$root/tests/tune/package.json")
if [ "$(cat "$modules/node_modules/puppeteer-core/package.json" 2>/dev/null | sed -n 's/^ *"version": *"\([^"]*\)".*/\1/p')" != "$version" ]; then
  mkdir -p "$modules"
  npm install --prefix "$modules" --no-audit --no-fund --no-save "puppeteer-core@$version" >/dev/null
fi
KRAVENT_NODE_MODULES=$modules/node_modules ctest --test-dir "$build" -R '^tune_page_test$' --output-on-failure --no-tests=error
