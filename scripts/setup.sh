#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks use, then fetches the
# SQLite amalgamation the host database is built from (scripts/fetch-sqlite.sh); `setup.sh fuzz`
# adds the clang toolchain only the libFuzzer targets need (`make fuzz` asks for it).
# Idempotent: packages already present are not touched, and apt is not called at all when
# nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  zlib1g-dev libssl-dev nlohmann-json3-dev libpugixml-dev libsqlite3-dev sqlite3
  libcurl4-openssl-dev libcpp-httplib-dev
  libxlsxwriter-dev libzip-dev libfreexl-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev
  help2man dpkg-dev   # manual pages from --help; dpkg-shlibdeps for the Debian package
  curl ca-certificates   # scripts/fetch-sqlite.sh
)
case "${1:-}" in
  "") ;;
  fuzz) packages+=(clang lld libclang-rt-14-dev) ;;
  *) echo "usage: setup.sh [fuzz]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

bash "$(dirname "$0")/fetch-sqlite.sh"
