#!/usr/bin/env bash
# The C# face: it declares every export of the list, its queue point has the C layout, short
# arrays throw ArgumentException, and the example runs on Mono against kelvo-sim, loading the
# library through its dllmap.
# Usage: csharp.sh SOURCE_DIR LIBRARY_DIR KELVO_SIM VERSION ADDRESS
set -euo pipefail
source=$1 libdir=$2 simulator=$3 version=$4 address=$5
bindings=$source/bindings/csharp
source "$(dirname "$0")/../support/scripttest.sh"

missing=()
while read -r name; do
    grep -Eq "extern [^(]* $name\(|EntryPoint = \"$name\"" "$bindings/Kelvo.cs" || missing+=("$name")
done <"$source/src/api/kelvo_exports.txt"
((${#missing[@]} == 0)) || fail "Kelvo.cs does not declare: ${missing[*]}"

mcs -nologo -warnaserror -out:"$work/Layout.exe" "$bindings/Kelvo.cs" "$(dirname "$0")/Layout.cs"
mono "$work/Layout.exe" || fail "ContinuousMotionPoint does not match the C struct"

mcs -nologo -warnaserror -out:"$work/Lengths.exe" "$bindings/Kelvo.cs" "$(dirname "$0")/Lengths.cs"
LD_LIBRARY_PATH=$libdir mono "$work/Lengths.exe" || fail "a short array reached the library"

mcs -nologo -warnaserror -out:"$work/KelvoExample.exe" "$bindings/Kelvo.cs" "$bindings/example/Example.cs"
cp "$bindings/example/KelvoExample.exe.config" "$work/"

"$simulator" --listen "$address" </dev/null >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do
    grep -q "listening on" "$work/sim.out" && break
    sleep 0.1
done
grep -q "listening on" "$work/sim.out" || fail "kelvo-sim did not listen: $(cat "$work/sim.out")"

out=$(LD_LIBRARY_PATH=$libdir mono "$work/KelvoExample.exe" "$address") || fail "the example: $out"
echo "$out"
grep -qx "kelvo $version" <<<"$out" || fail "the example did not read the version"
grep -q "^cartesian 500.000 0.000 850.000" <<<"$out" || fail "the example did not read the position"
grep -q "^din 1-16 0 0 1 0" <<<"$out" || fail "the example did not read input 3 on"
