#!/bin/sh
# Plays the three KRAVENT modules of the Windows API tests in the current private
# network namespace, runs COMMAND while they listen, then stops them.
#   KRAVENT_SIM=<native kravent-sim> with-simulators.sh COMMAND [ARGS...]
# Module k (1..3) listens on 127.0.0.1k with the MAC address 02:4B:52:00:00:1k and
# the name KRAVENT-WINE-k; every one answers the broadcast that lo carries here.
set -u
sim=${KRAVENT_SIM:-}
[ -x "$sim" ] || { echo "with-simulators: KRAVENT_SIM names no program: '$sim'" >&2; exit 2; }
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "with-simulators: runs only in a private network namespace" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-sims.XXXXXX") || exit 3
pids=""
stop_simulators() {
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null; done
  for pid in $pids; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap stop_simulators EXIT
trap 'exit 130' INT TERM

for k in 1 2 3; do
  mkfifo "$work/ready$k" || exit 3
  "$sim" --bind "127.0.0.1$k" --mac "02:4B:52:00:00:1$k" --name "KRAVENT-WINE-$k" --supply-voltage 23.5 \
    --ready-fd 3 3>"$work/ready$k" >/dev/null 2>"$work/sim$k.err" &
  pids="$pids $!"
done
# Each module writes "ready" once it listens, or closes its pipe when it fails.
for k in 1 2 3; do
  line=""
  read -r line <"$work/ready$k"
  if [ "$line" != ready ]; then
    echo "with-simulators: kravent-sim for 127.0.0.1$k did not start:" >&2
    cat "$work/sim$k.err" >&2
    exit 3
  fi
done

"$@"
status=$?
stop_simulators
trap - EXIT
exit $status
