#!/usr/bin/env bash
# Builds the Debian package, checks what it declares and holds, and starts the program from
# the unpacked package.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/check_installed.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) \
    || { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$(ls "$scratch"/package/verdamo_*.deb)"
depends="$(dpkg-deb --field "$deb" Depends)"
echo "Depends: $depends"
for need in libqt6widgets6 libqt6printsupport6 libsqlite3-0 qt6-translations-l10n fonts-liberation; do
    grep -q "$need" <<<"$depends" || { echo "FAIL: $need is not a dependency"; exit 1; }
done
# Nothing outside /usr, nothing in a user's folder.
if dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -v '^\./$' | grep -q .; then
    dpkg-deb --contents "$deb"
    echo "FAIL: the package installs outside /usr"
    exit 1
fi
dpkg-deb -x "$deb" "$scratch/root"
check_installed "$scratch/root/usr" "$scratch"
echo "PASS"
