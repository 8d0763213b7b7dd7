#!/usr/bin/env bash
# The public header in every language mode a host compiler may use, with
# -pedantic-errors: C89, C99, C11 and C++98, C++11, C++20, with gcc and, where they are
# installed, the MinGW-w64 compilers. In the modes without a static assertion the layout
# checks must still fail the compile when a record's layout is wrong.
set -u
header_dir=$(cd "$(dirname "$0")/../../include" && pwd)
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
printf '#include "Vorn-KRAVENT_DLLInterface.h"\nint main(void) { return (int)sizeof(RegisterValues) - 520; }\n' >"$work/host.c"
cp "$work/host.c" "$work/host.cpp"
mkdir "$work/broken"
sed 's/RegisterValues, TYPE_ValueLow, 4)/RegisterValues, TYPE_ValueLow, 5)/' \
  "$header_dir/Vorn-KRAVENT_DLLInterface.h" >"$work/broken/Vorn-KRAVENT_DLLInterface.h"

failures=0
compile() {  # compile COMPILER STANDARD SOURCE INCLUDE_DIR
  "$1" -std="$2" -pedantic-errors -Wall -Wextra -Werror -I"$4" -c "$3" -o "$work/out.o" 2>"$work/errors"
}
check() {  # check COMPILER SOURCE STANDARD...
  local compiler=$1 source=$2 standard
  shift 2
  command -v "$compiler" >/dev/null || { echo "skipped: $compiler is not installed"; return; }
  for standard in "$@"; do
    if compile "$compiler" "$standard" "$source" "$header_dir"; then
      echo "ok: $compiler -std=$standard"
    else
      echo "FAILED: $compiler -std=$standard"; head -5 "$work/errors"; failures=$((failures + 1))
    fi
    if compile "$compiler" "$standard" "$source" "$work/broken"; then
      echo "FAILED: $compiler -std=$standard accepts a wrong layout"; failures=$((failures + 1))
    fi
  done
}
for prefix in "" i686-w64-mingw32- x86_64-w64-mingw32-; do
  check "${prefix}gcc" "$work/host.c" c89 c99 c11
  check "${prefix}g++" "$work/host.cpp" c++98 c++11 c++20
done
exit $((failures > 0))
