#!/usr/bin/env bash
# Installs the built tree into a temporary prefix, moves the prefix, and checks it from outside:
# the layout, SONAME and RUNPATHs, both programs run from their installed place, and the example
# host (examples/host) built against the installed package with find_package(Velmor), with CMake's
# pkg-config module, and with a bare compiler line from `pkg-config`, then run: it loads the
# installed plug-in through its five exports.
#   install_test.sh BUILD_DIR EXAMPLE_DIR CXX VERSION SOVERSION
# (Checks read whole outputs into grep, never `cmd | grep -q`: an early exit of grep would make
# the writer fail under pipefail.)
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
build=$1 example=$2 cxx=$3 version=$4 soversion=$5
unset VELMOR_PLUGIN  # the installed velmor must find the installed plug-in by itself
work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-install-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
runpath() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'; }

cmake --install "$build" --prefix "$work/staged" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
# Nothing may depend on the prefix the tree was installed under.
mv "$work/staged" "$work/prefix"
p=$work/prefix

for f in bin/velmor bin/velmor-taxsim lib/libvelmor_platform.so lib/libvelmor_platform.so.$soversion \
  lib/velmor/libVelmorService.so include/velmor/module.h include/velmor/platform.h include/velmor/version.h \
  lib/cmake/Velmor/VelmorConfig.cmake lib/cmake/Velmor/VelmorConfigVersion.cmake lib/cmake/Velmor/VelmorTargets.cmake \
  lib/pkgconfig/velmor.pc share/doc/velmor/LICENSE share/doc/velmor/CHANGELOG.md share/doc/velmor/README.md \
  share/doc/velmor/architecture.md share/doc/velmor/examples/declaration.json share/doc/velmor/examples/host/main.cpp; do
  [ -e "$p/$f" ] || fail "$f is not installed"
done
if [ -d "$build/man" ]; then
  [ -s "$p/share/man/man1/velmor.1.gz" ] || fail "the manual page velmor.1.gz is not installed"
  grep -q "data directory" <<<"$(gzip -dc "$p/share/man/man1/velmor.1.gz")" || fail "velmor.1 does not describe the options"
fi
# Only the interfaces are installed, none of the build's own folders.
[ ! -e "$p/include/host" ] && [ ! -e "$p/include/plugin" ] || fail "private headers were installed"
[ -z "$(find "$p" -name 'test_*' -o -name 'bench_*')" ] || fail "tests or benchmarks were installed"

# The installed headers stand on their own: none reaches into the source tree.
for h in "$p"/include/velmor/*.h; do echo "#include \"velmor/$(basename "$h")\""; done >"$work/all_headers.cpp"
"$cxx" -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I"$p/include" "$work/all_headers.cpp" ||
  fail "the installed headers do not compile on their own"

grep -q "SONAME.*\[libvelmor_platform.so.$soversion\]" <<<"$(readelf -d "$p/lib/libvelmor_platform.so.$soversion")" ||
  fail "the platform library's SONAME is not libvelmor_platform.so.$soversion"
[ "$(runpath "$p/bin/velmor")" = '$ORIGIN/../lib' ] || fail "bin/velmor RUNPATH is '$(runpath "$p/bin/velmor")'"
[ "$(runpath "$p/lib/velmor/libVelmorService.so")" = '$ORIGIN/..' ] ||
  fail "the plug-in's RUNPATH is '$(runpath "$p/lib/velmor/libVelmorService.so")'"
for f in "$p"/bin/* "$p"/lib/*.so* "$p"/lib/velmor/*.so; do
  ! grep -F -q "$build" <<<"$(readelf -d "$f")" || fail "$f refers to the build tree"
done

[ "$("$p/bin/velmor" --version)" = "velmor $version" ] || fail "velmor --version: $("$p/bin/velmor" --version)"
[ "$("$p/bin/velmor-taxsim" --version)" = "velmor-taxsim $version" ] || fail "velmor-taxsim --version"
mkdir -p "$work/data"  # only init makes a data directory
"$p/bin/velmor" --data "$work/data" services >"$work/services.txt" || fail "installed velmor services"
classes=$(grep -c '^{' "$work/services.txt") || fail "installed velmor services listed no class"

check_example() {  # BINARY LABEL: runs it, same classes as `velmor services`, linked to the prefix
  local out
  out=$("$1" 2>&1) || fail "$2: the example host failed: $out"
  grep -q "^Velmor $version example host" <<<"$out" || fail "$2: no version line: $out"
  grep -q "^$classes service classes, $classes found by GUID$" <<<"$out" || fail "$2: $out"
  local linked
  linked=$(ldd "$1" | awk '/libvelmor_platform/ {print $3}')
  [ "$(readlink -f "$linked")" = "$(readlink -f "$p/lib/libvelmor_platform.so.$soversion")" ] ||
    fail "$2: linked to '$linked', not to the installed library"
}

cmake -S "$example" -B "$work/ex-package" -DCMAKE_PREFIX_PATH="$p" -DCMAKE_CXX_COMPILER="$cxx" >"$work/ex.log" &&
  cmake --build "$work/ex-package" >>"$work/ex.log" || { cat "$work/ex.log"; fail "example with find_package(Velmor)"; }
check_example "$work/ex-package/velmor-example-host" "find_package"

export PKG_CONFIG_PATH="$p/lib/pkgconfig"
cmake -S "$example" -B "$work/ex-pc" -DVELMOR_EXAMPLE_PKG_CONFIG=ON -DCMAKE_CXX_COMPILER="$cxx" >"$work/ex.log" &&
  cmake --build "$work/ex-pc" >>"$work/ex.log" || { cat "$work/ex.log"; fail "example with CMake's pkg-config"; }
check_example "$work/ex-pc/velmor-example-host" "CMake pkg-config"

# shellcheck disable=SC2046  # pkg-config's output is meant to be split into arguments
"$cxx" -std=c++20 -Wall -Wextra -Werror "$example/main.cpp" -o "$work/host-pc" $(pkg-config --cflags --libs velmor) \
  -DVELMOR_EXAMPLE_PLUGIN="\"$(pkg-config --variable=plugin velmor)\"" -Wl,-rpath,"$(pkg-config --variable=libdir velmor)" ||
  fail "example with a bare compiler line from pkg-config"
check_example "$work/host-pc" "bare pkg-config"

# Failure paths: a library that is not the plug-in, and a version the package does not satisfy.
out=$("$work/host-pc" "$p/lib/libvelmor_platform.so" 2>&1) && fail "the example host accepted the platform library"
grep -q "does not export SetAppHandle_50F165E61988" <<<"$out" || fail "wrong message for a non-plug-in: $out"
mkdir "$work/too-new"
printf 'cmake_minimum_required(VERSION 3.20)\nproject(T LANGUAGES NONE)\nfind_package(Velmor 99.0 REQUIRED)\n' \
  >"$work/too-new/CMakeLists.txt"
out=$(cmake -S "$work/too-new" -B "$work/too-new/b" -DCMAKE_PREFIX_PATH="$p" 2>&1) && fail "find_package(Velmor 99.0) succeeded"
grep -q "$version" <<<"$out" || fail "the version refusal does not name the installed version: $out"
echo "installed tree OK: $classes service classes through the example host, three ways"
