#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, checks what it declares and holds, has lintian look at it, and
# starts the program from the unpacked package.
set -euo pipefail
build="$1"
source_dir="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/check_installed.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) \
    || { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$(ls "$scratch"/package/verdamo_*.deb)"
version="$(dpkg-deb --field "$deb" Version)"
depends="$(dpkg-deb --field "$deb" Depends)"
echo "Depends: $depends"
for need in libqt6widgets6 libqt6printsupport6 libqt6svg6 libsqlite3-0 qt6-translations-l10n \
    fonts-liberation; do
    grep -q "$need" <<<"$depends" || { echo "FAIL: $need is not a dependency"; exit 1; }
done
# Nothing outside /usr, nothing in a user's folder.
if dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -v '^\./$' | grep -q .; then
    dpkg-deb --contents "$deb"
    echo "FAIL: the package installs outside /usr"
    exit 1
fi
dpkg-deb -x "$deb" "$scratch/root"
root="$scratch/root"

echo "Installed-Size: $(dpkg-deb --field "$deb" Installed-Size) KiB" \
    "(package file $(($(stat -c %s "$deb") / 1024)) KiB," \
    "program $(($(stat -c %s "$root/usr/bin/verdamo") / 1024)) KiB)"

# The program is stripped of its symbols and debug information.
if readelf -S "$root/usr/bin/verdamo" | grep -Eq '\.(debug_info|symtab)'; then
    echo "FAIL: the packaged program is not stripped"
    exit 1
fi

# The licence, the change log of this version and the manual page.
doc="$root/usr/share/doc/verdamo"
head -1 "$doc/copyright" | grep -qx \
    'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || { echo "FAIL: the copyright file is not in the machine-readable format"; exit 1; }
grep -qx 'License: GPL-3+' "$doc/copyright" \
    || { echo "FAIL: the copyright file names no GPL-3+ licence"; exit 1; }
logged="$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l- -S Version)"
[ "$logged" = "$version" ] \
    || { echo "FAIL: the change log is at $logged, the package at $version"; exit 1; }
[ -s "$root/usr/share/man/man1/verdamo.1.gz" ] || { echo "FAIL: no manual page"; exit 1; }
cmp -s "$source_dir/LICENSE" /usr/share/common-licenses/GPL-3 \
    || { echo "FAIL: LICENSE is not the text of the GPL version 3"; exit 1; }

# No errors and no warnings; the informational tags left are explained in the README.
status=0
tags="$(lintian --fail-on error,warning "$deb" 2>&1)" || status=$?
grep -v 'running with root privileges' <<<"$tags" || true
[ "$status" -eq 0 ] || { echo "FAIL: lintian reports errors or warnings"; exit 1; }

check_installed "$root/usr" "$scratch"
echo "PASS"
