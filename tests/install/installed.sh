#!/usr/bin/env bash
# kelvo as another project meets it: installed into a fresh prefix, a C host built against that
# prefix alone, once through CMake's find_package and once through pkg-config, each run against
# the installed kelvo-sim; then the installed kelvoctl runs its demo from an unrelated folder.
# Usage: installed.sh BUILD_DIR VERSION ADDRESS DEMO_ADDRESS
set -euo pipefail
build=$1 version=$2 address=$3 demo_address=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$(dirname "$0")/../support/scripttest.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name "libkelvo_dll.so.$version")")

soname=$(readelf -d "$libdir/libkelvo_dll.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname == "libkelvo_dll.so.${version%%.*}" ]] || fail "SONAME is '$soname'"
[[ -e $libdir/$soname ]] || fail "$soname is not installed"
runpath=$(readelf -d "$prefix/bin/kelvoctl" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
# shellcheck disable=SC2016  # $ORIGIN is the loader's, not the shell's
[[ $runpath == '$ORIGIN/../lib' ]] || fail "kelvoctl's RUNPATH is '$runpath'"

# Nothing of the build tree or the system may stand in for the prefix.
cmake -S "$here/consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF >/dev/null
found=$(sed -n 's/^kelvo_DIR:PATH=//p' "$work/cmake/CMakeCache.txt")
[[ $found == "$prefix"/* ]] || fail "find_package found kelvo in '$found'"
cmake --build "$work/cmake" >/dev/null

export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
pkg-config --exact-version="$version" kelvo || fail "pkg-config does not give kelvo $version"
# shellcheck disable=SC2046  # the flags are words
cc -o "$work/pc-consumer" "$here/consumer/consumer.c" $(pkg-config --cflags --libs kelvo) \
    -Wl,-rpath,"$(pkg-config --variable=libdir kelvo)"

"$prefix/bin/kelvo-sim" --listen "$address" </dev/null >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do
    grep -q "listening on" "$work/sim.out" && break
    sleep 0.1
done
grep -q "listening on" "$work/sim.out" || fail "kelvo-sim did not listen: $(cat "$work/sim.out")"

for consumer in "$work/cmake/consumer" "$work/pc-consumer"; do
    out=$("$consumer" "$address") || fail "$consumer: $out"
    echo "$consumer:"
    echo "$out"
    grep -qx "header $version" <<<"$out" || fail "the header is not version $version"
    grep -qx "library $version" <<<"$out" || fail "kelvo_version() is not $version"
    grep -q "^loaded $prefix/" <<<"$out" || fail "the library was not loaded from the prefix"
done
kill "$sim"
wait "$sim" 2>/dev/null || true
sim=

mkdir "$work/elsewhere"
out=$(cd "$work/elsewhere" && PATH=/usr/bin:/bin "$prefix/bin/kelvoctl" demo --address "$demo_address" 2>&1) ||
    fail "the installed kelvoctl demo: $out"
[[ $(grep -c "at kelvo-sim: R" <<<"$out") == 3 ]] || fail "the demo's samples did not arrive: $out"
[[ -z $(ls -A "$work/elsewhere") ]] || fail "the demo left files in the current directory"
echo "installed kelvoctl demo: done"
