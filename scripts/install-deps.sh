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
  # Some 900 lines of package output would bury the build's: they go to a log, shown only on failure.
  log=$(pwd)/install-deps.log
  echo "Installing the missing Debian packages (${#missing[@]}); the output goes to $log"
  export DEBIAN_FRONTEND=noninteractive
  if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    echo "Installing the packages failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
fi
