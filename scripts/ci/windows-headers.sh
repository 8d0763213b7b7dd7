#!/usr/bin/env bash
# Lays out the headers that kravent.exe's tuning page needs, and nothing else, in DIR:
# nlohmann/ from Debian's nlohmann-json3-dev, and httplib.h whole (Debian's package
# ships it split, with its code in a Linux library), taken from Debian's source
# package of cpp-httplib with Debian's patches applied. Leaves an existing DIR as it is.
#
#   scripts/ci/windows-headers.sh DIR
set -euo pipefail
dir=$(realpath -m "$1")
[ -f "$dir/httplib.h" ] && [ -f "$dir/nlohmann/json.hpp" ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The source list lives in the work folder only: the machine's apt sources stay untouched.
. /etc/os-release
cat > "$work/sources.list" <<LIST
deb-src http://deb.debian.org/debian $VERSION_CODENAME main
deb-src http://deb.debian.org/debian-security $VERSION_CODENAME-security main
LIST
mkdir -p "$work/lists/partial"
apt=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null -o "Dir::State::Lists=$work/lists")
apt-get -q "${apt[@]}" update >/dev/null 2>&1
(cd "$work" && apt-get -q "${apt[@]}" source --download-only cpp-httplib >/dev/null 2>&1)
tar -xJf "$work"/cpp-httplib_*.orig.tar.* -C "$work"
tar -xJf "$work"/cpp-httplib_*.debian.tar.* -C "$work"
source_dir=$(dirname "$(ls "$work"/*/httplib.h | head -n 1)")
if [ -f "$work/debian/patches/series" ]; then
  while read -r patch; do
    case $patch in ''|'#'*) continue ;; esac
    patch -d "$source_dir" -p1 -s < "$work/debian/patches/$patch"
  done < "$work/debian/patches/series"
fi
mkdir -p "$dir"
cp "$source_dir/httplib.h" "$dir/"
cp -r /usr/include/nlohmann "$dir/"
echo "headers for the tuning page in $dir"
