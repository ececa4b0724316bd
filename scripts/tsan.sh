#!/usr/bin/env bash
# ThreadSanitizer over the lifecycle stress and the session and event suites. Too slow for the
# test command's time, so run on demand: scripts/tsan.sh [SECONDS] (the stress's length, 60).
# Builds in build-tsan; the suppressions in tsan.supp say why each is there.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B build-tsan -G Ninja -DKELVO_TSAN=ON -DKELVO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" >/dev/null
cmake --build build-tsan -j "$(nproc)" --target test_api lifecycle_host kelvo-sim

export TSAN_OPTIONS="suppressions=$PWD/tsan.supp halt_on_error=0 exitcode=66 history_size=4"
status=0
build-tsan/tests/api/test_api --gtest_filter='Sessions.*:Events.*:Reentry.*' || status=$?
build-tsan/tests/soak/lifecycle_host 127.0.28.20 "$seconds" || status=$?
exit "$status"
