#!/bin/bash
# kravent.exe and kravent-sim.exe under wine, as a Windows user runs them, in the private
# network namespace and wine prefix that run-under-wine.sh provides; it runs this script
# as its wrapper, and this runs "$@" (kravent.exe demo) as the first step:
#   KRAVENT_WINE_TEMPLATE=<dir> KRAVENT_WINE_WRAPPER=check-tools.sh KRAVENT_SIM=<native kravent-sim> \
#   KRAVENT_TOOL=<native kravent> KRAVENT_EXE_DIR=<dir> run-under-wine.sh <dir>/kravent.exe demo
# kravent.exe (beside it in <dir> kravent-sim.exe and the DLL) against the native simulator:
# scan, dump, write and read back, a poll at 10 ms as CSV, the tuning page, an address
# change; then
# kravent-sim.exe with the native kravent (the Linux library) and kravent.exe as clients.
set -u
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "check-tools: runs only in a private network namespace" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-tools.XXXXXX") || exit 3
pids=""
stop_simulators() {
  for pid in $pids; do kill -TERM "$pid" 2>/dev/null; done
  for pid in $pids; do wait "$pid" 2>/dev/null; done
  pids=""
}
trap 'stop_simulators; "$KRAVENT_WINESERVER" -k 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
status=0
failed() { echo "FAILED: $*"; status=1; }

win() { "$KRAVENT_WINE" "$KRAVENT_EXE_DIR/$1" "${@:2}"; }

# Runs NAME's command (PROGRAM ARGS...) into $work/NAME.out and .err, without the
# carriage returns of Windows text output; false on failure.
run() {
  local name=$1 result=0
  shift
  "$@" >"$work/$name.raw" 2>"$work/$name.err" || result=$?
  tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
  if [ $result -ne 0 ]; then
    failed "$name exited with status $result:"
    sed 's/^/  /' "$work/$name.out" "$work/$name.err" | head -n 20
    return 1
  fi
}
# expect NAME PATTERN: the output of step NAME has a line matching the extended regex.
expect() {
  grep -Eq "$2" "$work/$1.out" && echo "ok: $1: $2" ||
    { failed "$1 printed no line matching '$2':"; sed 's/^/  /' "$work/$1.out" | head -n 20; }
}

# start NAME PROGRAM ARGS...: a simulator in the background, once it has said "ready".
start() {
  local name=$1
  shift
  mkfifo "$work/$name.ready" || exit 3
  "$@" >"$work/$name.ready" 2>"$work/$name.err" &
  pids="$pids $!"
  local line=""
  read -r line <"$work/$name.ready"
  [ "${line%$'\r'}" = ready ] || { echo "check-tools: $name did not start:" >&2; cat "$work/$name.err" >&2; exit 3; }
}

# First the demo (its simulated module takes 127.0.0.1); its wine server ends with it.
cd "$work" || exit 3  # the demo writes its chart here
run demo "$@" && expect demo '^MODULENAME +KRAVENT-SIM' && expect demo '^time_ms,POSITION,SPEED$'

# One wine server for the other steps, so that each program starts in a moment.
"$KRAVENT_WINESERVER" -p
start native-sim "$KRAVENT_SIM" --bind 127.0.0.11 --mac 02:4B:52:00:00:11 --name KRAVENT-LINUX --manage-interface lo
run scan win kravent.exe scan && expect scan '02:4b:52:00:00:11 +127\.0\.0\.11 '
run dump win kravent.exe dump 127.0.0.11 && expect dump '^MODULENAME +KRAVENT-LINUX$'
run write win kravent.exe write 127.0.0.11 KP=2.5 INPUTMAX=12345 &&
  run read win kravent.exe read 127.0.0.11 KP INPUTMAX && expect read '^KP +2\.5$' && expect read '^INPUTMAX +12345$'
# About a hundred answers in a second; a loaded machine may serve fewer.
if run poll win kravent.exe poll 127.0.0.11 POSITION SPEED --period 10 --duration 1; then
  expect poll '^time_ms,POSITION,SPEED$'
  rows=$(grep -Ec '^[0-9]+,-?[0-9]+,-?[0-9]+$' "$work/poll.out")
  others=$(grep -Evc '^[0-9]+,-?[0-9]+,-?[0-9]+$|^time_ms,POSITION,SPEED$' "$work/poll.out")
  [ "$rows" -ge 20 ] && [ "$others" -eq 0 ] && echo "ok: poll: $rows rows of three columns" ||
    failed "poll: $rows rows of three columns and $others other lines"
fi
# The tuning page, served by kravent.exe from what it holds: the page, its chart library,
# the module connected and live samples on the event stream.
win kravent.exe tune 127.0.0.11 --listen 127.0.0.1:8090 --period 10 >"$work/tune.out" 2>"$work/tune.err" &
tune=$!
if python3 - 127.0.0.1:8090 >"$work/tune-page.out" 2>&1 <<'PAGE'
import json, sys, time, urllib.request
base = "http://" + sys.argv[1]
for _ in range(300):  # wine takes its time to start the program
    try:
        page = urllib.request.urlopen(base + "/", timeout=5).read().decode()
        break
    except OSError:
        time.sleep(0.1)
else:
    sys.exit("no page at " + base)
assert "uPlot.iife.min.js" in page, page[:200]
assert b"uPlot" in urllib.request.urlopen(base + "/vendor/uPlot.iife.min.js", timeout=5).read(200)
for _ in range(100):
    info = json.load(urllib.request.urlopen(base + "/api/info", timeout=5))
    if info["status"]["state"] == "connected":
        break
    time.sleep(0.1)
assert info["status"]["state"] == "connected", info["status"]
stream = urllib.request.urlopen(base + "/api/events", timeout=10)
for line in stream:
    if line.startswith(b"data: {\"columns\""):
        print("samples:", len(json.loads(line[6:])["seq"]))
        break
PAGE
then
  echo "ok: tune: page, chart library and live samples ($(cat "$work/tune-page.out"))"
else
  failed "tune:"
  sed 's/^/  /' "$work/tune-page.out" "$work/tune.err" | head -n 20
fi
kill -TERM "$tune" 2>/dev/null
wait "$tune" 2>/dev/null
# The module moves to an address nothing answers at; its interface (lo) follows.
run set-ip win kravent.exe set-ip 02:4b:52:00:00:11 10.99.0.1 255.255.255.0 &&
  run moved win kravent.exe read 10.99.0.1 IPADDRESS SUBNETMASK && expect moved '^IPADDRESS +10\.99\.0\.1$' &&
  expect moved '^SUBNETMASK +255\.255\.255\.0$'
# A failure names the cause that the DLL logged beside itself.
win kravent.exe --verbose read 127.0.0.9 TYPE >"$work/absent.out" 2>&1 &&
  failed "absent: a read from 127.0.0.9, where no module is, succeeded"
expect absent '^kravent: cause: Address IP not found on the network'
stop_simulators

# kravent-sim.exe, read by the Linux library and by the DLL. It listens on every address:
# wine serves a UDP socket bound to one address from the interface's every address, so
# its answers would not come from the module's own.
start windows-sim win kravent-sim.exe --mac 02:4B:52:00:00:21 --name KRAVENT-WINDOWS
run linux-scan "$KRAVENT_TOOL" scan && expect linux-scan '^02:4b:52:00:00:21 +[0-9.]+ .*KRAVENT-WINDOWS$'
run linux-read "$KRAVENT_TOOL" read 127.0.0.1 MODULENAME && expect linux-read '^MODULENAME +KRAVENT-WINDOWS$'
run dll-write win kravent.exe write 127.0.0.1 KD=0.25 &&
  run dll-read win kravent.exe read 127.0.0.1 KD && expect dll-read '^KD +0\.25$'
exit $status
