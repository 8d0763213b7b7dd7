#!/usr/bin/env bash
# The Debian packages as a user gets them, unpacked into ROOT (dpkg -x): builds
# read_voltage.c from the packaged examples with the packaged header and pkg-config file,
# runs it, the packaged tool and the packaged simulator, renders the packaged man pages,
# and tries the bash completion.
#   unpacked_test.sh ROOT SOURCE_DIR      (in a private network namespace)
set -euo pipefail
root=$1 source=$2
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "run under run-in-netns.sh" >&2; exit 1; }
work=$(mktemp -d)
sim_pid=""
trap 'kill "$sim_pid" 2>/dev/null; wait; rm -rf "$work"' EXIT
export VORN_KRAVENT_LOG_DIR=$work/log

fail() { echo "unpacked packages: $*" >&2; exit 1; }
pc=$(find "$root/usr/lib" -name vorn-kravent.pc | head -n 1)
[ -n "$pc" ] || fail "no vorn-kravent.pc"
libdir=$(dirname "$(dirname "$pc")")
docdir=$root/usr/share/doc/Vorn-KRAVENT_DLLInterface
for f in "$docdir/LICENSE" "$docdir/html/index.html" "$docdir/examples/read_voltage.c" \
         "$root/usr/share/doc/libvorn-kravent-dllinterface1/copyright" \
         "$root/usr/share/bash-completion/completions/kravent"; do
  [ -f "$f" ] || fail "missing $f"
done

export LD_LIBRARY_PATH=$libdir
coproc sim { exec "$root/usr/bin/kravent-sim" --bind 127.0.0.1 --name PACKAGED; }
sim_pid=$sim_PID
read -r -t 10 -u "${sim[0]}" ready && [ "$ready" = ready ] || fail "kravent-sim did not start"

PKG_CONFIG_PATH=$(dirname "$pc") PKG_CONFIG_SYSROOT_DIR= \
  cc -std=c99 -o "$work/read_voltage" "$docdir/examples/read_voltage.c" $(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs vorn-kravent) -pthread
"$work/read_voltage" 127.0.0.1 > "$work/host.txt" || { cat "$work/host.txt"; fail "read_voltage failed"; }
grep -q "name PACKAGED" "$work/host.txt" || fail "read_voltage: $(cat "$work/host.txt")"
KRAVENT_MODULE=127.0.0.1 "$root/usr/bin/kravent" read MODULENAME > "$work/tool.txt"
grep -q PACKAGED "$work/tool.txt" || fail "kravent read: $(cat "$work/tool.txt")"

for page in "$root"/usr/share/man/man1/*.1.gz "$root/usr/share/man/man3/Vorn-KRAVENT_DLLInterface.h.3.gz"; do
  MANWIDTH=80 man -l "$page" 2>&1 | grep -q . || fail "man -l $page shows nothing"
done

# The completion, as bash calls it: the registers after `read ADDRESS`.
PATH=$root/usr/bin:$PATH bash -c '
  source "$1"
  COMP_WORDS=(kravent read 127.0.0.1 KP) COMP_CWORD=3
  _kravent
  [[ " ${COMPREPLY[*]} " == *" KP "* ]]' completion "$root/usr/share/bash-completion/completions/kravent" \
  || fail "bash completion of registers"
echo "unpacked packages work"
