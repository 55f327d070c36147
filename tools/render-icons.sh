#!/usr/bin/env bash
# Regenerates resources/picture/ and the desktop icons in resources/icons/
# from resources/svg/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-icons"
cmake -S "$root" -B "$build" -DAQ_RENDER_ICONS=ON -DAQ_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target render-icons
QT_QPA_PLATFORM=offscreen "$build/bin/render-icons" "$root/resources/svg" "$root/resources/picture"
