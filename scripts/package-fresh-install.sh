#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian system and runs it there: a minimal root made with
# debootstrap (the suite of this machine), `apt-get install ./velmor_*.deb` inside it (which fetches
# the dependencies the package declares, and nothing of the build's), then `velmor --version` and
# `velmor services` from /usr/bin. Needs root, debootstrap and the Debian mirror; takes minutes,
# so it is not part of `make test` (the test install.debian_package checks the package offline).
#   scripts/package-fresh-install.sh build-release/velmor_0.1.0_amd64.deb [ROOT_DIR]
set -euo pipefail
deb=${1:?usage: package-fresh-install.sh DEB [ROOT_DIR]}
[ -f "$deb" ] || { echo "no such package: $deb" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "package-fresh-install.sh: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=${2:-$(mktemp -d "${TMPDIR:-/tmp}/velmor-fresh-root.XXXXXX")}
keep=${2:+yes}
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  [ -n "$keep" ] || rm -rf "$root" "$root.debootstrap.log"
}
trap cleanup EXIT

if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "debootstrap $suite into $root"
  debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log"; exit 1; }
fi
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
name=$(basename "$deb")
chroot "$root" /bin/sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./tmp/$name" |
  tail -5
echo "--- installed; running from /usr/bin"
chroot "$root" /usr/bin/velmor --version
chroot "$root" /usr/bin/velmor-taxsim --version
chroot "$root" mkdir -p /tmp/velmor-data  # only init makes a data directory
chroot "$root" /usr/bin/velmor --data /tmp/velmor-data services
echo "--- fresh install OK"
