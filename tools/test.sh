#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test without a display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=tools/deps.sh
source "$root/tools/deps.sh"
aq_install_deps

build="$root/build-test"
cmake -S "$root" -B "$build" -DAQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)"

# Each test sets its own environment (offscreen platform, sanitizer
# options): see tests/CMakeLists.txt.
cd "$build"
ctest --output-on-failure -j"$(nproc)" -LE bench "$@"
