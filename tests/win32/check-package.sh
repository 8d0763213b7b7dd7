#!/bin/bash
# Checks a Windows ZIP made by cpack as a host developer would use it: its contents, the
# DLL's export and import tables, and the Windows example host program built from the
# ZIP alone four ways (GNU ld with the import library, lld with the import library, GNU
# ld with an import library made from the .def by dlltool, a CMake project that finds
# the ZIP's package through CMAKE_PREFIX_PATH under the project's toolchain file), each
# run under wine against a simulated module.
#   KRAVENT_SIM=<native kravent-sim> check-package.sh ZIP i686|x86_64
set -u
[ $# -eq 2 ] || { echo "usage: $0 ZIP i686|x86_64" >&2; exit 2; }
zip=$(realpath "$1") arch=$2
here=$(cd "$(dirname "$0")" && pwd)
case $arch in
  i686) bits=32 ;;
  x86_64) bits=64 ;;
  *) echo "architecture must be i686 or x86_64" >&2; exit 2 ;;
esac
triplet=$arch-w64-mingw32
work=$(mktemp -d "${TMPDIR:-/tmp}/kravent-package.XXXXXX") || exit 3
trap 'rm -rf "$work"' EXIT
status=0
failed() { echo "FAILED: $*"; status=1; }

(cd "$work" && unzip -q "$zip") || { echo "cannot unpack $zip" >&2; exit 1; }
top=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
for file in bin/Vorn-KRAVENT_DLLInterface.dll bin/kravent.exe bin/kravent-sim.exe \
            lib/Vorn-KRAVENT_DLLInterface.lib lib/Vorn-KRAVENT_DLLInterface.def include/Vorn-KRAVENT_DLLInterface.h examples/read_voltage_windows.c README.txt \
            lib/cmake/VornKRAVENT/VornKRAVENTConfig.cmake LICENSE; do
  [ -f "$top/$file" ] && echo "ok: $file" || failed "$file is missing from $(basename "$zip")"
done
dll=$top/bin/Vorn-KRAVENT_DLLInterface.dll
"$here/check-exports.sh" "$triplet-objdump" "$dll" "$top/include/Vorn-KRAVENT_DLLInterface.h" "$bits" || failed "export or import table"
if "$triplet-objdump" -h "$dll" | grep -q '\.debug_'; then failed "the DLL carries debug sections"; fi
[ "$(grep -c '==' "$top/lib/Vorn-KRAVENT_DLLInterface.def")" -eq 104 ] || failed "the .def does not name 104 functions"

# The README names every command of the tool's help, in its list after "commands:".
"$here/run-under-wine.sh" "$top/bin/kravent.exe" --help >"$work/help.txt" 2>&1 || failed "kravent.exe --help"
commands=$(tr -d '\r' <"$work/help.txt" | sed -n '/^Commands:/,/^Options:/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || failed "kravent.exe --help lists no commands"
listed=$(sed -n '/bin\/kravent.exe /,/bin\/kravent-sim.exe /p' "$top/README.txt" | tr -s ' \r\n' ' ' |
  sed -e 's/.*commands: //' -e 's| bin/kravent-sim.exe .*||')
for command in $commands; do
  echo " $listed," | grep -q -- " $command," || failed "README.txt does not list the command $command"
done

# The example against the ZIP's header and libraries only.
source=$top/examples/read_voltage_windows.c
gcc_libs=$(dirname "$("$triplet-gcc-posix" -print-libgcc-file-name)")
"$triplet-dlltool" -d "$top/lib/Vorn-KRAVENT_DLLInterface.def" -l "$work/from-def.lib" || failed "dlltool on the .def"
build() {  # build NAME IMPORT-LIBRARY COMPILER-AND-FLAGS...
  local name=$1 library=$2
  shift 2
  "$@" -std=c99 -Wall -I"$top/include" "$source" "$library" -o "$top/bin/$name.exe" &&
    echo "ok: built $name" || failed "building $name"
}
build gnu-ld "$top/lib/Vorn-KRAVENT_DLLInterface.lib" "$triplet-gcc-posix"
build lld "$top/lib/Vorn-KRAVENT_DLLInterface.lib" clang --target="$triplet" -fuse-ld=lld -L"$gcc_libs"
build from-def "$work/from-def.lib" "$triplet-gcc-posix"
host=$work/cmake-host
mkdir -p "$host"
cat >"$host/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(read_voltage_windows C)
find_package(VornKRAVENT REQUIRED)
add_executable(find-package "$source")
target_link_libraries(find-package PRIVATE VornKRAVENT::VornKRAVENT)
set_target_properties(find-package PROPERTIES C_STANDARD 99 RUNTIME_OUTPUT_DIRECTORY "$top/bin")
EOF
if cmake -S "$host" -B "$host/build" -DCMAKE_TOOLCHAIN_FILE="$here/../../cmake/mingw-w64-$arch.cmake" \
     -DCMAKE_PREFIX_PATH="$top" >"$work/cmake.log" 2>&1 && cmake --build "$host/build" >>"$work/cmake.log" 2>&1; then
  echo "ok: built find-package"
else
  failed "building find-package with CMake:"; sed 's/^/  /' "$work/cmake.log" | tail -n 20
fi
for name in gnu-ld lld from-def find-package; do
  [ -f "$top/bin/$name.exe" ] || continue
  if KRAVENT_WINE_WRAPPER="$here/api/with-simulators.sh" "$here/run-under-wine.sh" "$top/bin/$name.exe" 127.0.0.11 \
       >"$work/$name.out" 2>&1 &&
     grep -q '^poll  1: VOLTAGE' "$work/$name.out"; then
    echo "ok: $name.exe read and polled the simulated module under wine"
  else
    failed "$name.exe under wine:"; sed 's/^/  /' "$work/$name.out" | head -n 20
  fi
done
exit $status
