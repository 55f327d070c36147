#!/usr/bin/env bash
# Refreshes languages/*.ts from the sources (new texts are added as
# unfinished; texts no longer used are marked obsolete).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lupdate="$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)"
cd "$root"
"$lupdate" -locations relative -no-ui-lines app device model storage ui \
  -ts languages/pelnor_en.ts languages/pelnor_zh.ts
