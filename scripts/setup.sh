#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the fuzzers use.
# Idempotent: packages already present are not touched, and apt is not called at all when
# nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  zlib1g-dev libssl-dev nlohmann-json3-dev libpugixml-dev libsqlite3-dev sqlite3
  libcurl4-openssl-dev libcpp-httplib-dev
  libxlsxwriter-dev libzip-dev libfreexl-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev
  clang lld libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
