#!/usr/bin/env bash
# Installs the Debian packages the logger needs to build, run and test.
# Only missing packages are installed; runs apt through sudo when not root.
set -euo pipefail

AQ_PACKAGES=(
  g++ make cmake pkg-config
  qtbase5-dev libqt5serialport5-dev libqt5charts5-dev libqt5sql5-sqlite libqt5svg5-dev
  qttools5-dev qttools5-dev-tools qttranslations5-l10n
  fonts-dejavu-core fonts-noto-cjk
  sqlite3 poppler-utils xvfb xauth
  desktop-file-utils appstream
)

aq_install_deps() {
  local missing=()
  local p
  for p in "${AQ_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  aq_install_deps
fi
