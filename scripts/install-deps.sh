#!/usr/bin/env bash
# Installs the Debian 12 packages Almanor needs to build, test and run; installs nothing that is present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n qt6-qpa-plugins
  libsqlite3-dev sqlite3
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-wqy-zenhei xvfb xauth xdg-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
