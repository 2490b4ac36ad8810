#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything (benchmarks included) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
verdamo_install_deps
verdamo_build build
cd build
ctest --output-on-failure --timeout 900 -j"$(nproc)"
