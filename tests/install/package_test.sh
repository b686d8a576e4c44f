#!/usr/bin/env bash
# Builds the Debian package from the built tree with CPack and checks it: its control fields, that
# its dependencies name the Debian package of every library its binaries link, its contents, that
# the binaries are stripped with their debug files in the -dbgsym package, and that `velmor
# --version` and `velmor services` run from the package's paths once unpacked in a throwaway root.
#   package_test.sh BUILD_DIR VERSION SOVERSION        (exit 77, skipped, without dpkg-dev)
# (Checks read whole outputs into grep, never `cmd | grep -q`: an early exit of grep would make
# the writer fail under pipefail.)
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
build=$1 version=$2 soversion=$3
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool not found (package dpkg-dev): skipped"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$work/out/velmor_${version}_$arch.deb
ddeb=$work/out/velmor-dbgsym_${version}_$arch.ddeb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
[ -f "$ddeb" ] || fail "no debug-symbol package $(basename "$ddeb")"

dpkg-deb -I "$deb" >"$work/info.txt"
field() { sed -n "s/^ $1: //p" "$work/info.txt"; }
[ "$(field Package)" = velmor ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
[ -n "$depends" ] || fail "the package declares no dependencies"
depends_names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")  # one package name a line

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents.txt"
for f in /usr/bin/velmor /usr/bin/velmor-taxsim /usr/lib/libvelmor_platform.so.$version \
  /usr/lib/velmor/libVelmorService.so /usr/include/velmor/module.h /usr/lib/cmake/Velmor/VelmorConfig.cmake \
  /usr/lib/pkgconfig/velmor.pc /usr/share/doc/velmor/LICENSE; do
  grep -q -x -F "$f" "$work/contents.txt" || fail "$f is not in the package"
done

unpacked="$work/unpacked"
dpkg-deb -x "$deb" "$unpacked"
owner_of() {  # the Debian package of a library file, under its own, its resolved or its /usr-merged name
  local resolved candidate found
  resolved=$(readlink -f "$1")
  for candidate in "$1" "$resolved" "${resolved#/usr}" "/usr${1#/usr}"; do
    found=$(dpkg -S "$candidate" 2>/dev/null) && { echo "${found%%:*}"; return 0; }
  done
  return 1
}
# Every library a binary needs is either the package's own or comes from a package it depends on.
for elf in "$unpacked"/usr/bin/* "$unpacked"/usr/lib/libvelmor_platform.so.* "$unpacked"/usr/lib/velmor/*.so; do
  [ -L "$elf" ] && continue
  ! grep -q '\.debug_info' <<<"$(readelf -S "$elf")" || fail "$(basename "$elf") is not stripped"
  for lib in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [[ $lib == libvelmor_platform.so.* ]] && continue
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && !seen {print $NF; seen = 1}')  # reads all: no SIGPIPE
    [ -n "$path" ] || fail "$(basename "$elf") needs $lib, which this machine cannot resolve"
    owner=$(owner_of "$path") || fail "no Debian package owns $path ($lib)"
    grep -q -x -F "$owner" <<<"$depends_names" || fail "$(basename "$elf") needs $lib ($owner), missing from Depends: $depends"
  done
done
grep -q '/usr/lib/debug/.build-id/.*\.debug$' <<<"$(dpkg-deb -c "$ddeb")" || fail "the -dbgsym package holds no debug files"

# Without VELMOR_PLUGIN the program finds the plug-in only beside itself, so inside the root.
unset VELMOR_PLUGIN
[ "$("$unpacked/usr/bin/velmor" --version)" = "velmor $version" ] || fail "unpacked velmor --version"
mkdir -p "$work/data"  # only init makes a data directory
"$unpacked/usr/bin/velmor" --data "$work/data" services >"$work/services.txt" 2>&1 ||
  { cat "$work/services.txt"; fail "unpacked velmor services"; }
grep -q '^{' "$work/services.txt" || fail "unpacked velmor services listed no class"

echo "Depends: $depends"
echo "package OK: $(wc -l <"$work/contents.txt") entries, soversion $soversion"
