#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Safe to run again: with nothing missing it touches neither apt's lists nor the system.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6opengl6-dev
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev tdsodbc libsqliteodbc
  libxlsxwriter-dev libkainjow-mustache-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei xvfb
  poppler-utils unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
