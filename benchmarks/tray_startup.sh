#!/usr/bin/env bash
# Start-up time (launch to icon in the notification area) and resident memory at rest of telmo,
# against minimal_tray, a Qt program that only shows a tray icon. Both run in turn on the same
# Xvfb screen with trayer as the notification area; the medians of several runs are compared.
# Targets: telmo within 1.3 times the time and 1.2 times the memory.
#
# Usage: tray_startup.sh [runs]   (from the folder that holds telmo and minimal_tray)
set -uo pipefail

runs=${1:-10}
bin=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../tests/desktop/desktop_lib.sh
source "@TELMO_DESKTOP_LIB@"
desktop_require Xvfb trayer xdotool xwininfo
desktop_start "${TMPDIR:-/tmp}/telmo-startup-benchmark"
start_tray_host
wait_until 100 tray_host_shown || {
    echo "trayer did not start" >&2
    exit 1
}
panel=$(xdotool search --classname '^panel$' | head -1)

# The phone book telmo starts with: three entries.
mkdir "$work/telmo"
printf '[General]\nCount=3\nTopPos=2\n' >"$work/telmo/telmo.ini"
for n in 0 1 2; do
    printf '[Item%d]\nName=Person %d\nHomePhone=555 010%d\nPos=%d\nDeleted=0\n' \
        "$n" "$n" "$n" "$n" >>"$work/telmo/telmo.ini"
done

# measure <program>: prints "<milliseconds to icon> <resident kB at rest>".
measure() {
    local program=$1 start end pid rss
    export XDG_RUNTIME_DIR=$(mktemp -d)
    start=$(date +%s%N)
    (cd "$work/telmo" && exec "$bin/$program") >/dev/null 2>&1 &
    pid=$!
    until xwininfo -tree -id "$panel" 2>/dev/null | grep -q "\"$program\""; do
        kill -0 "$pid" 2>/dev/null || {
            echo "$program ended before its icon showed" >&2
            return 1
        }
    done
    end=$(date +%s%N)
    sleep 2
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null
    rm -rf "$XDG_RUNTIME_DIR"
    # Let trayer drop the icon before the next run.
    while xwininfo -tree -id "$panel" 2>/dev/null | grep -q "\"$program\""; do sleep 0.05; done
    echo "$(((end - start) / 1000000)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/telmo.times"
: >"$work/minimal.times"
for _ in $(seq "$runs"); do
    measure minimal_tray >>"$work/minimal.times" || exit 1
    measure telmo >>"$work/telmo.times" || exit 1
done

minimal_ms=$(cut -d' ' -f1 "$work/minimal.times" | median)
telmo_ms=$(cut -d' ' -f1 "$work/telmo.times" | median)
minimal_kb=$(cut -d' ' -f2 "$work/minimal.times" | median)
telmo_kb=$(cut -d' ' -f2 "$work/telmo.times" | median)

awk -v tm="$telmo_ms" -v mm="$minimal_ms" -v tk="$telmo_kb" -v mk="$minimal_kb" -v runs="$runs" '
BEGIN {
    printf "medians of %d runs each        telmo   minimal_tray   ratio   target\n", runs
    printf "start-up to icon shown (ms)  %7.0f   %12.0f   %5.2f   <= 1.30 %s\n", tm, mm, tm / mm, (tm / mm <= 1.3 ? "met" : "MISSED")
    printf "resident memory at rest (kB) %7.0f   %12.0f   %5.2f   <= 1.20 %s\n", tk, mk, tk / mk, (tk / mk <= 1.2 ? "met" : "MISSED")
}'
