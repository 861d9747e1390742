#!/usr/bin/env bash
# Builds Telmo and runs every test: once as released, once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs what is missing on a Debian 12 machine first.
# --all-desktops: the released build's desktop test runs on GNOME Shell and KDE Plasma too
# (their packages installed first; about two gigabytes and five more minutes).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
large_desktops=OFF
if [ "${1:-}" = --all-desktops ]; then
    large_desktops=ON
    telmo_install_missing_packages "${TELMO_LARGE_DESKTOP_PACKAGES[@]}"
else
    telmo_install_missing_packages
fi

werror=OFF
[ -n "${CI:-}" ] && werror=ON

# telmo_ctest <build folder>: every test once; a failure is a fault, never retried.
telmo_ctest() {
    (cd "$1" && ctest --output-on-failure -j2)
}

# The benchmarks are programs no test runs; they are built where they are run (README).
telmo_build "$TELMO_ROOT/build" -DTELMO_WERROR=$werror -DTELMO_BENCHMARKS=OFF \
    -DTELMO_LARGE_DESKTOPS=$large_desktops
telmo_ctest "$TELMO_ROOT/build"

# Unoptimised with line tables only: half the compile time of an optimised build, and the
# sanitizers' reports still name file and line.
telmo_build "$TELMO_ROOT/build-sanitize" -DTELMO_WERROR=$werror -DTELMO_SANITIZE=ON -DTELMO_BENCHMARKS=OFF \
    -DTELMO_LARGE_DESKTOPS=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1
ASAN_OPTIONS=detect_leaks=0 telmo_ctest "$TELMO_ROOT/build-sanitize"

# Each parser of outside data under libFuzzer for a short while, where clang is there to build it.
if command -v clang++ >/dev/null; then
    bash "$TELMO_ROOT/scripts/fuzz.sh" 20
else
    echo "clang++ not found: the fuzz targets are skipped."
fi
