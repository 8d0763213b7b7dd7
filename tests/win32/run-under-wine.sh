#!/bin/sh
# Runs a Windows program under wine inside a private network namespace, with a wine
# prefix of its own that is removed afterwards, together with its wine server.
#   KRAVENT_WINE_TEMPLATE=<dir> run-under-wine.sh PROGRAM.exe [ARGS...]
# The template prefix is made once (wineboot -i) and copied for every run, so runs
# never share a wine server and may go in parallel. No display is needed for console
# programs. KRAVENT_WINE_WRAPPER=<program> runs the wine command through that program
# inside the namespace (`program wine-command...`), e.g. to start simulated modules
# that the Windows program reaches on loopback.
set -u
here=$(cd "$(dirname "$0")" && pwd)
netns="$here/../netns/run-in-netns.sh"
template=${KRAVENT_WINE_TEMPLATE:-${TMPDIR:-/tmp}/kravent-wineprefix-template}
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }

# Some kernels run no 32-bit programs: wine's 32-bit loader cannot start there, and its
# 64-bit loader serves 64-bit programs alone.
wine=wine
wineserver=wineserver
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
  wineserver=/usr/lib/wine/wineserver64
fi
export KRAVENT_WINE="$wine" KRAVENT_WINESERVER="$wineserver"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$template/.kravent-ready" ]; then
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    if [ ! -f "$template/.kravent-ready" ]; then
      rm -rf "$template.new"
      WINEPREFIX="$template.new" "$netns" sh -c '"$KRAVENT_WINE" wineboot -i && "$KRAVENT_WINESERVER" -w' >/dev/null 2>&1
      if [ -f "$template.new/system.reg" ]; then
        rm -rf "$template" && mv "$template.new" "$template" && touch "$template/.kravent-ready"
      fi
    fi
  ) 9>"$template.lock"
  [ -f "$template/.kravent-ready" ] || { echo "run-under-wine: cannot prepare $template" >&2; exit 3; }
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/kravent-wine.XXXXXX") || exit 3
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# The 1.3 GB of system files are only read: hard links instead of copies. Everything
# wine writes (registry, user folders) is copied.
(
  cd "$template" || exit 3
  for entry in .[!.]* *; do
    [ -e "$entry" ] || continue
    if [ "$entry" = drive_c ]; then
      mkdir -p "$prefix/drive_c" || exit 3
      for inner in drive_c/* drive_c/.[!.]*; do
        [ -e "$inner" ] || continue
        if [ "$inner" = drive_c/windows ]; then cp -al "$inner" "$prefix/drive_c/"; else cp -a "$inner" "$prefix/drive_c/"; fi || exit 3
      done
    else
      cp -a "$entry" "$prefix/" || exit 3
    fi
  done
) || exit 3

# The program's exit status is the script's; the wine server goes down with the
# namespace's last process.
WINEPREFIX="$prefix" "$netns" ${KRAVENT_WINE_WRAPPER:+"$KRAVENT_WINE_WRAPPER"} \
  sh -c '"$KRAVENT_WINE" "$@"; status=$?; "$KRAVENT_WINESERVER" -k >/dev/null 2>&1; exit $status' wine "$@"
