#!/bin/sh
# Two links on different subnets in the current private network namespace, each with a
# module behind it in a namespace of its own, and no route for the limited broadcast
# (it stays on loopback). Runs COMMAND with KRAVENT_TWO_LINKS=both, takes the first link
# down and runs it again with KRAVENT_TWO_LINKS=second.
#   KRAVENT_SIM=<native kravent-sim> with-two-links.sh COMMAND [ARGS...]
# Link k (1, 2): bridge krbr<k-1> with 10.77.k.1/24; its module at 10.77.k.11 with the
# MAC 02:4B:52:00:0k:11.
set -u
sim=${KRAVENT_SIM:-}
[ -x "$sim" ] || { echo "with-two-links: KRAVENT_SIM names no program: '$sim'" >&2; exit 2; }
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "with-two-links: runs only in a private network namespace" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-links.XXXXXX") || exit 3
pids=""
stop_modules() {
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null; done
  for pid in $pids; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap stop_modules EXIT
trap 'exit 130' INT TERM

for k in 1 2; do
  bridge=krbr$((k - 1))
  ip link add "$bridge" type bridge && ip addr add "10.77.$k.1/24" dev "$bridge" && ip link set "$bridge" up || exit 3
  mkfifo "$work/go$k" "$work/ready$k" || exit 3
  # The module's namespace waits until its end of the veth pair has been moved in.
  unshare --net sh -c '
    read go <"$1" || exit 90
    ip link set lo up && ip link set "$2" name eth0 && ip addr add "$3/24" dev eth0 && ip link set eth0 up || exit 91
    exec "$4" --manage-interface eth0 --mac "$5" --set "IPADDRESS=$3" --set SUBNETMASK=255.255.255.0 --ready-fd 3 \
      3>"$6" >/dev/null 2>"$7"
  ' module "$work/go$k" "krvm$k" "10.77.$k.11" "$sim" "02:4B:52:00:0$k:11" "$work/ready$k" "$work/sim$k.err" &
  pid=$!
  pids="$pids $pid"
  ip link add "krvh$k" type veth peer name "krvm$k" && ip link set "krvm$k" netns "$pid" &&
    ip link set "krvh$k" master "$bridge" && ip link set "krvh$k" up || exit 3
  echo go >"$work/go$k"
  line=""
  read -r line <"$work/ready$k"
  if [ "$line" != ready ]; then
    echo "with-two-links: the module behind $bridge did not start:" >&2
    cat "$work/sim$k.err" >&2
    exit 3
  fi
done

KRAVENT_TWO_LINKS=both "$@"
status=$?
ip link set krbr0 down || status=3
KRAVENT_TWO_LINKS=second "$@" || status=$?
exit $status
