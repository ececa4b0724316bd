#!/usr/bin/env bash
# Set-up, build and run. Usage: scripts/kelvo.sh demo | test | build | docs
# (ThreadSanitizer, too slow for the test command: scripts/tsan.sh.)
# Installs what is missing (Debian 12, as root), builds in build/, then runs the demo (kelvoctl
# against the simulated controller), the tests, or the documentation site (build/docs).
set -euo pipefail
cd "$(dirname "$0")/.."

# locales: localedef builds the decimal-comma locale some tests run under; mono runs the C# face;
# python3-mypy checks the Python package's types; chromium drives the dashboard's browser tests;
# doxygen, Sphinx with MyST and help2man build the documentation.
packages=(cmake g++ clang ninja-build pkg-config qtbase5-dev libjsoncpp-dev zlib1g-dev
          libgtest-dev libgmock-dev libbenchmark-dev locales python3-pytest python3-venv
          python3-mypy mono-mcs mono-runtime python3-aiohttp chromium chromium-driver
          python3-selenium fonts-wqy-microhei libsimdjson-dev doxygen python3-sphinx
          python3-myst-parser help2man)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

jobs=$(nproc)

configure() {  # configure DIR [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

build() {  # build DIR [cmake options...]
    configure "$@"
    cmake --build "$1" -j "$jobs"
}

run_tests() {  # run_tests DIR
    (cd "$1" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

# The Python package's tests against DIR's library and kelvo-sim, under Debian's Python whatever
# python3 comes first on the PATH. Python cannot load an ASan build, so the plain one only.
run_python_tests() {  # run_python_tests DIR
    local status=0
    env -u KELVO_LIBRARY KELVO_BUILD_DIR="$PWD/$1" \
        /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests || status=$?
    if ((status == 5)); then
        echo "pytest found no tests in python/tests" >&2
    fi
    return "$status"
}

# The site into build/docs: the pages and the Python API by Sphinx, the C API by Doxygen (copied
# in as c-api/), the kelvoctl man page by help2man (man/kelvoctl.1). Any warning fails the build.
build_docs() {
    configure build
    cmake --build build -j "$jobs" --target kelvo_dll kelvoctl kelvo-sim
    rm -rf build/docs build/docs-generated
    mkdir -p build/docs-generated/man
    (cat docs/Doxyfile && echo "OUTPUT_DIRECTORY = build/docs-generated") | doxygen -
    local version
    version=$(sed -n 's/^project(kelvo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    help2man --no-info --no-discard-stderr --version-string="$version" \
        --name="remote control of a robot controller through the kelvo library" \
        --output=build/docs-generated/man/kelvoctl.1 build/tools/kelvoctl
    KELVO_DOXYGEN_DIR="$PWD/build/docs-generated" KELVO_LIBRARY="$PWD/build/src/libkelvo_dll.so" \
        /usr/bin/python3 -m sphinx -E -W -n --keep-going -q -b html -d build/docs-doctrees docs build/docs
}

# The snippets of docs/: C compiled (and run where marked), Python and kelvoctl run against kelvo-sim.
check_docs() {
    env -u KELVO_LIBRARY KELVO_BUILD_DIR="$PWD/build" \
        /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/docs
}

install_missing
case "${1:-demo}" in
    demo)
        configure build
        cmake --build build -j "$jobs" --target kelvoctl kelvo-sim
        ./build/tools/kelvoctl demo
        ;;
    test)
        build build
        run_tests build
        echo "== the Python package =="
        run_python_tests build
        (cd python && /usr/bin/python3 -m mypy --strict --cache-dir=/dev/null kelvo ../examples/python)
        echo "== the documentation =="
        build_docs
        check_docs
        echo "== again with AddressSanitizer and UndefinedBehaviorSanitizer =="
        # Unoptimised with line tables only: a third of the compile time of -O2 -g under ASan.
        build build-asan -DKELVO_SANITIZE=ON -DKELVO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
            -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1"
        # LeakSanitizer too; lsan.supp says why each suppression is there.
        LSAN_OPTIONS="suppressions=$PWD/lsan.supp print_suppressions=0" \
            UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan
        echo "== build with clang =="
        # Build only, unoptimised: the second compiler checks portability and its warnings; a
        # third run of the suite would not fit the time CI has.
        CC=clang CXX=clang++ build build-clang -DKELVO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
            -DCMAKE_CXX_FLAGS_DEBUG="-O0"
        ;;
    docs)
        build_docs
        echo "The site: build/docs/index.html"
        ;;
    build)
        build build
        ;;
    *)
        echo "usage: $0 demo | test | build | docs" >&2
        exit 2
        ;;
esac
