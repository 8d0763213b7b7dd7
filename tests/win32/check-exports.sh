#!/bin/sh
# Checks the export and import tables of a built Vorn-KRAVENT_DLLInterface.dll:
# it exports exactly the functions that the public header declares (the 32-bit DLL
# as `_Name` alone, the 64-bit DLL as `Name` and `_Name`) and imports system DLLs only.
#   check-exports.sh OBJDUMP DLL HEADER 32|64
set -u
[ $# -eq 4 ] || { echo "usage: $0 OBJDUMP DLL HEADER 32|64" >&2; exit 2; }
objdump=$1 dll=$2 header=$3 bits=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-exports.XXXXXX") || exit 3
trap 'rm -rf "$work"' EXIT

"$objdump" -p "$dll" >"$work/headers" || { echo "cannot read $dll" >&2; exit 1; }

grep -o 'Vorn_KRAVENT_[A-Za-z0-9_]*[[:space:]]*(' "$header" | sed 's/[[:space:]]*($//' | sort -u >"$work/declared"
case $bits in
  32) sed 's/^/_/' "$work/declared" ;;
  64) { cat "$work/declared"; sed 's/^/_/' "$work/declared"; } ;;
  *) echo "bits must be 32 or 64" >&2; exit 2 ;;
esac | LC_ALL=C sort >"$work/expected"
# The names of the "[Ordinal/Name Pointer] Table", one per line.
sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' "$work/headers" |
  LC_ALL=C sort >"$work/exported"

status=0
declared=$(wc -l <"$work/declared")
expected=$(wc -l <"$work/expected")
exported=$(wc -l <"$work/exported")
echo "header declares $declared functions; expected $expected export names, found $exported"
[ "$declared" -eq 104 ] || { echo "the header should declare 104 functions" >&2; status=1; }
if ! cmp -s "$work/expected" "$work/exported"; then
  echo "export names differ (< missing, > unexpected):" >&2
  diff "$work/expected" "$work/exported" | grep '^[<>]' >&2
  status=1
fi

# Imports: Windows system DLLs only, no MinGW runtime DLL.
sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' "$work/headers" >"$work/imports"
echo "imports: $(tr '\n' ' ' <"$work/imports")"
while read -r name; do
  case $(echo "$name" | tr 'A-Z' 'a-z') in
    kernel32.dll | user32.dll | advapi32.dll | ws2_32.dll | winmm.dll | iphlpapi.dll | msvcrt.dll) ;;
    *) echo "imports a DLL that is not part of Windows: $name" >&2; status=1 ;;
  esac
done <"$work/imports"
[ -s "$work/imports" ] || { echo "no import table found" >&2; status=1; }
exit $status
