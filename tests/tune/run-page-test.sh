#!/bin/sh
# Runs page_test.mjs in a private network namespace: kravent tune and kravent-sim on its
# loopback, headless Chromium against them. Skips (77) without node, Chromium or
# puppeteer-core (scripts/ci/browser.sh installs it into KRAVENT_NODE_MODULES).
#   run-page-test.sh KRAVENT KRAVENT_SIM SCREENSHOT_DIR
here=$(cd "$(dirname "$0")" && pwd)
: "${KRAVENT_NODE_MODULES:=$here/node_modules}"
export KRAVENT_NODE_MODULES
if ! command -v node >/dev/null || ! [ -x "${KRAVENT_CHROMIUM:-/usr/bin/chromium}" ] || ! [ -d "$KRAVENT_NODE_MODULES/puppeteer-core" ]; then
  echo "skipped: node, chromium or puppeteer-core ($KRAVENT_NODE_MODULES) missing"
  exit 77
fi
exec "$here/../netns/run-in-netns.sh" node "$here/page_test.mjs" "$@"
