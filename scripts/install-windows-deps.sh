#!/usr/bin/env bash
# Installs the MinGW cross-compilers and wine that the Windows DLL's build and tests need,
# lld and unzip for the check of its distributable ZIP, and patch for the headers of the
# tuning page (scripts/ci/windows-headers.sh).
set -euo pipefail

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine32:i386 wine64 lld unzip patch)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
