# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program installed under a prefix in a home of its own, offscreen and from a
# working folder that holds nothing of it, and checks that everything it needs was found
# under the prefix. Sourced by the install and package tests.
check_installed() {
    local prefix="$1" scratch="$2"
    local home="$scratch/home"
    mkdir -p "$home" "$scratch/run"
    chmod 700 "$scratch/run"
    local out
    if ! out=$(cd "$home" && env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$scratch/run" \
            QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
            timeout 120 "$prefix/bin/verdamo" --check-installation 2>&1); then
        echo "$out"
        echo "FAIL: the installed program did not find what it needs (or did not end)"
        return 1
    fi
    echo "$out"
    local found
    found=$(grep -c '^found ' <<<"$out" || true)
    # 4 language files, 5 help pages, 2 default pictures
    if [ "$found" -ne 11 ]; then
        echo "FAIL: expected 11 files found, got $found"
        return 1
    fi
    if grep '^found ' <<<"$out" | grep -v ": $prefix/share/verdamo/" >/dev/null; then
        echo "FAIL: something was found outside $prefix/share/verdamo"
        return 1
    fi
    # The data folder is made in the user's own data folder, not beside the program.
    if ! find "$home/.local/share" -name Verdamo.sqlite | grep -q .; then
        echo "FAIL: no data folder in the user's data folder"
        return 1
    fi
    local f
    for f in share/applications/org.verdamo.Verdamo.desktop \
             share/verdamo/Help/help.css \
             share/metainfo/org.verdamo.Verdamo.metainfo.xml \
             share/icons/hicolor/scalable/apps/org.verdamo.Verdamo.svg \
             share/icons/hicolor/48x48/apps/org.verdamo.Verdamo.png \
             share/icons/hicolor/256x256/apps/org.verdamo.Verdamo.png \
             share/doc/verdamo/copyright \
             share/doc/verdamo/changelog.gz \
             share/man/man1/verdamo.1.gz; do
        if [ ! -s "$prefix/$f" ]; then
            echo "FAIL: $f is not installed"
            return 1
        fi
    done
}
