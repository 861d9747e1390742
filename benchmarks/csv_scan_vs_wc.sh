#!/usr/bin/env bash
# Times the import wizard's CSV reader against `wc -l` on one generated file of a million
# rows, in the same run, and prints the speed ratio. The reader must reach a third of the
# speed of `wc -l`. Usage: csv_scan_vs_wc.sh <build>/bin
set -euo pipefail
tool=${1:?usage: csv_scan_vs_wc.sh <folder with contacts_csv>}/contacts_csv
file=$(mktemp /tmp/telmo-contacts-XXXXXX.csv)
trap 'rm -f "$file"' EXIT
"$tool" generate "$file" 1000000

# Best of five runs each, both reading the file from the page cache.
best_ns() { # command...
    local best=0 start end
    for _ in 1 2 3 4 5; do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        if [ $best -eq 0 ] || [ $((end - start)) -lt $best ]; then best=$((end - start)); fi
    done
    echo $best
}
cat "$file" >/dev/null
wc_ns=$(best_ns wc -l "$file")
scan_ns=$(best_ns "$tool" scan "$file")
records=$("$tool" scan "$file")
ratio=$(awk -v w="$wc_ns" -v s="$scan_ns" 'BEGIN { printf "%.2f", w / s }')
echo "file: $(stat -c %s "$file") bytes, $records records"
echo "wc -l: $((wc_ns / 1000000)) ms, reader: $((scan_ns / 1000000)) ms"
echo "reader speed / wc -l speed = $ratio (required: at least 0.33)"
awk -v r="$ratio" 'BEGIN { exit !(r >= 0.333) }'
