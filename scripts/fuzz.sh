#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer) and
# runs each for the given number of seconds (default 30) on a copy of its seed corpus, so the
# seeds in the repository stay as they are. Exits non-zero when a target finds a fault.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

seconds=${1:-30}
shift || true
folder="$TELMO_ROOT/build-fuzz"

CC=clang CXX=clang++ cmake -S "$TELMO_ROOT" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTELMO_FUZZ=ON -DTELMO_BENCHMARKS=OFF >/dev/null
cmake --build "$folder" -j2 --target fuzzers

shopt -s nullglob
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for corpus in "$TELMO_ROOT"/fuzz/corpus/*/; do
        targets+=("$(basename "$corpus")")
    done
fi

# The targets run side by side, so that the run takes the given time whatever their number.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A runs
for target in "${targets[@]}"; do
    mkdir -p "$work/$target"
    (cd "$work" && exec "$folder/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
        "$work/$target" "$TELMO_ROOT/fuzz/corpus/$target" >"$work/$target.log" 2>&1) &
    runs[$target]=$!
done
echo "== ${targets[*]}: $seconds s"
found=0
for target in "${targets[@]}"; do
    if wait "${runs[$target]}"; then
        echo "$target: $(grep -E 'stat::number_of_executed_units' "$work/$target.log")"
    else
        tail -n 40 "$work/$target.log" >&2
        echo "$target found a fault; the input that shows it is in $work" >&2
        found=1
    fi
done
if [ $found -ne 0 ]; then
    trap - EXIT
    exit 1
fi
