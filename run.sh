#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
verdamo_install_deps
verdamo_build build -DVERDAMO_BENCHMARKS=OFF
exec ./build/src/app/verdamo "$@"
