#!/bin/sh
# Starts one simulated module on 127.0.0.1 in the current private network namespace,
# runs COMMAND once it listens, and stops the module afterwards.
#   KRAVENT_SIM=<native kravent-sim> with-simulator.sh COMMAND [ARGS...]
set -u
sim=${KRAVENT_SIM:-}
[ -x "$sim" ] || { echo "with-simulator: KRAVENT_SIM names no program: '$sim'" >&2; exit 2; }
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "with-simulator: runs only in a private network namespace" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-module.XXXXXX") || exit 3
mkfifo "$work/ready" || exit 3
"$sim" --bind 127.0.0.1 --ready-fd 3 3>"$work/ready" >/dev/null 2>"$work/sim.err" &
pid=$!
trap 'kill -TERM "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
line=""
read -r line <"$work/ready"
if [ "$line" != ready ]; then
  echo "with-simulator: the module did not start:" >&2
  cat "$work/sim.err" >&2
  exit 3
fi
"$@"
