#!/usr/bin/env bash
# Fetches the SQLite amalgamation (sqlite3.c, sqlite3.h) the host database is built from into
# third_party/sqlite/, pinned by version and checksum. Debian's shared library is built without
# the engine's lookaside allocator; the engine built here with the host's options runs the
# working day's statements faster (docs/performance.md).
#
# The amalgamation is taken from the npm registry, which carries it unchanged in the
# better-sqlite3 package (sqlite.org itself is not reachable from every build machine). When it
# cannot be fetched, the build falls back to the system library (cmake/VelmorSqlite.cmake), so a
# failure here is a warning, never an error.
#
# Idempotent: nothing is fetched when the pinned version is already in place.
set -euo pipefail

version=3.54.1
package=better-sqlite3-13.2.0.tgz
url=https://registry.npmjs.org/better-sqlite3/-/${package}
sha256=40487589df3496f2ee0079d22b73c63fccebe7db0e8ee9a2c42421861e321e0b

root="$(cd "$(dirname "$0")/.." && pwd)"
dest="$root/third_party/sqlite"
# True when the folder $1 holds the amalgamation of the pinned version (its header names it).
holds_version() { [ -f "$1/sqlite3.c" ] && grep -q "#define SQLITE_VERSION  *\"$version\"" "$1/sqlite3.h" 2>/dev/null; }
if holds_version "$dest"; then
  exit 0
fi
# Another version, or half of one: gone before anything is fetched, so a failed fetch leaves the
# system library in use rather than an engine of another version.
rm -rf "$dest"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
warn() {
  echo "setup: warning: $*; the build uses the system's SQLite library instead" >&2
  exit 0
}

echo "setup: fetching the SQLite ${version} amalgamation"
curl -fsSL --retry 3 --connect-timeout 20 -o "$work/$package" "$url" || warn "cannot download $url"
echo "$sha256  $work/$package" | sha256sum -c --quiet - || warn "$package does not have the pinned checksum"
tar -xzmf "$work/$package" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h ||
  warn "$package does not hold the amalgamation"
holds_version "$work/package/deps/sqlite3" || warn "$package does not hold SQLite $version"

# Moved into place whole, so a build never sees half of it.
mkdir -p "$root/third_party"
rm -rf "$dest.new"
mkdir "$dest.new"
mv "$work/package/deps/sqlite3/sqlite3.c" "$work/package/deps/sqlite3/sqlite3.h" "$dest.new/"
rm -rf "$dest"
mv "$dest.new" "$dest"
