#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each for the given seconds (default
# 60), one after the other. Prints per target: runs, coverage points, corpus entries, findings.
# The corpus grows in build-fuzz/fuzz-corpus/<target>/, seeded from fuzz/corpus/ and
# fuzz/regressions/; findings land in build-fuzz/findings/<target>/.
# Usage: fuzz/run.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(fuzz_framedecoder fuzz_jsonwire fuzz_strictjson fuzz_dispatch fuzz_instructions fuzz_transfer
             fuzz_queuepayload)
fi
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVO_FUZZ=ON -DKELVO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# Queue points are 200 bytes each: room for a queue past the frame limit.
max_len() {
    case $1 in
        fuzz_queuepayload) echo 70000 ;;
        *) echo 8192 ;;
    esac
}

summary=()
for target in "${targets[@]}"; do
    corpus=$build/fuzz-corpus/$target
    findings=$build/findings/$target
    log=$build/fuzz-logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    seeds=(fuzz/corpus/"$target")
    [[ -d fuzz/regressions/$target ]] && seeds+=(fuzz/regressions/"$target")
    echo "== $target: ${seconds} s"
    ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1} \
        "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len="$(max_len "$target")" \
        -dict=fuzz/kelvo.dict -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "${seeds[@]}" >"$log" 2>&1 || true
    runs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' ||
        grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#' || true)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
    corp=$(grep -o 'corp: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
    found=$(find "$findings" -type f | wc -l)
    summary+=("$(printf '%-20s runs %10s  cov %6s  corpus %6s  findings %3s' \
        "$target" "${runs:-?}" "${cov:-?}" "${corp:-?}" "$found")")
done
echo
printf '%s\n' "${summary[@]}"
