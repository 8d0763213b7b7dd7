#!/usr/bin/env bash
# The installed tree as an outside project sees it: installs the build into a temporary
# prefix, builds examples/read_voltage.c against it once through find_package and once
# through pkg-config, examples/read_voltage.cpp (kravent.hpp) through find_package, runs both, the installed tool and the Python package (installed
# with pip into a virtual environment) against the installed simulator.
#   install_test.sh BUILD_DIR SOURCE_DIR PYTHON      (in a private network namespace)
set -euo pipefail
build=$1 source=$2 python=$3
[ "${KRAVENT_IN_NETNS:-}" = 1 ] || { echo "run under run-in-netns.sh" >&2; exit 1; }
work=$(mktemp -d)
sim_pid=""
trap 'kill "$sim_pid" 2>/dev/null; wait; rm -rf "$work"' EXIT
prefix=$work/prefix
export VORN_KRAVENT_LOG_DIR=$work/log

# expect PATTERN COMMAND...: runs the command to its end; its output must hold PATTERN.
expect() {
  local pattern=$1; shift
  "$@" > "$work/output" && grep -q -- "$pattern" "$work/output" || { cat "$work/output"; exit 1; }
}

cmake --install "$build" --prefix "$prefix" > /dev/null
libdir=$(dirname "$(find "$prefix" -name 'libVorn-KRAVENT_DLLInterface.so.1' | head -n 1)")
test -L "$libdir/libVorn-KRAVENT_DLLInterface.so" -a -f "$libdir/libVorn-KRAVENT_DLLInterface.so.1.0.0"
# The documents beside it: licence, examples, man pages, completion (and the reference
# where Doxygen built it).
for f in share/doc/Vorn-KRAVENT_DLLInterface/LICENSE share/doc/Vorn-KRAVENT_DLLInterface/examples/read_voltage.c \
         share/man/man1/kravent.1.gz share/man/man1/kravent-sim.1.gz share/bash-completion/completions/kravent; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
if [ -d "$build/docs/html" ]; then
  [ -f "$prefix/share/doc/Vorn-KRAVENT_DLLInterface/html/index.html" ] && [ -f "$prefix/share/man/man3/Vorn_KRAVENT_Read_KP.3.gz" ] ||
    { echo "the reference is not installed" >&2; exit 1; }
fi

coproc sim { exec "$prefix/bin/kravent-sim" --bind 127.0.0.1 --name INSTALLED; }
sim_pid=$sim_PID
read -r -t 10 -u "${sim[0]}" ready && [ "$ready" = ready ]

# find_package
mkdir "$work/consumer"
cat > "$work/consumer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(consumer C CXX)
find_package(VornKRAVENT 1.0 REQUIRED)
find_package(Threads REQUIRED)
add_executable(read_voltage $source/examples/read_voltage.c)
target_link_libraries(read_voltage PRIVATE VornKRAVENT::VornKRAVENT Threads::Threads)
add_executable(read_voltage_cpp $source/examples/read_voltage.cpp)
set_target_properties(read_voltage_cpp PROPERTIES CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON)
target_link_libraries(read_voltage_cpp PRIVATE VornKRAVENT::VornKRAVENT Threads::Threads)
CMAKE
cmake -S "$work/consumer" -B "$work/consumer/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/consumer/build" > /dev/null
expect "name INSTALLED" "$work/consumer/build/read_voltage" 127.0.0.1
expect "name INSTALLED" "$work/consumer/build/read_voltage_cpp" 127.0.0.1

# pkg-config
export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -std=c99 -o "$work/read_voltage_pc" "$source/examples/read_voltage.c" $(pkg-config --cflags --libs vorn-kravent) -pthread
LD_LIBRARY_PATH=$libdir expect "name INSTALLED" "$work/read_voltage_pc" 127.0.0.1

# The tool finds the library through its run path alone.
expect INSTALLED "$prefix/bin/kravent" read 127.0.0.1 MODULENAME

# Without VORN_KRAVENT_LOG_DIR the log lies beside the installed library, writable here.
VORN_KRAVENT_LOG_DIR= "$prefix/bin/kravent" read 127.0.0.9 VOLTAGE > /dev/null 2>&1 || true
grep -q "Initial Test failed" "$libdir/Error_Vorn-KRAVENT_DLLInterface.log"

# Python: pip without a registry, the library found on the library path.
cp -r "$source/python" "$work/python"
"$python" -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install -q --no-build-isolation --no-index "$work/python"
cd "$work"
LD_LIBRARY_PATH=$libdir expect "'MODULENAME': 'INSTALLED'" "$work/venv/bin/python" "$source/examples/quick_start.py" 127.0.0.1
echo "installed tree works"
