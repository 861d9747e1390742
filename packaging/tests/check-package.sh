#!/usr/bin/env bash
# Builds the Debian package from the build's own programs and checks it as Debian's tools and a
# user would see it: lintian, its files against the intended layout, its control fields (the
# dependencies as dpkg-shlibdeps computes them), the AppStream metadata, the launchers, the
# manual pages, and the programs run from the unpacked package.
#
# Usage: check-package.sh <build folder> <work folder> <file list>
# The package and its unpacked files (<work folder>/root) stay for the desktop test.
set -uo pipefail

build=$(realpath "$1")
work=$2
expected_files=$3
# shellcheck source=../../tests/support/steps.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/support/steps.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate groff man; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAILED: $tool is not installed (scripts/setup.sh installs every package the tests need)"
        exit 1
    fi
done

rm -rf "$work"
mkdir -p "$work"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAILED: cpack did not build the package"
    exit 1
fi
deb=$(echo "$work"/telmo_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root" || exit 1
echo "package: $deb"

# Errors and warnings fail; what lintian only notes is shown for the record.
lintian_clean() {
    lintian --fail-on error,warning --display-info "$deb" 2>&1 | tee "$work/lintian.txt"
}
check "lintian reports no error or warning" lintian_clean

# The layout: every file and link, nothing more. The compiled help is built where chmcmd is.
layout_as_intended() {
    local wanted
    wanted=$(grep -v '^#' "$expected_files")
    [ -e "$build/bin/telmo.CHM" ] || wanted=$(grep -v '\.CHM$' <<<"$wanted")
    diff -u <(LC_ALL=C sort <<<"$wanted") <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {
        sub(/^\.\//, "/", $6); line = $6; if ($7 == "->") line = line " -> " $8; print line }' |
        LC_ALL=C sort)
}
check "the package holds the intended files" layout_as_intended

field() { dpkg-deb -f "$deb" "$1"; }
check "its version is the project's" test "$(field Version)" = "$("$root/usr/bin/telmo" --version |
    cut -d' ' -f2)"
check "its architecture is the machine's" test "$(field Architecture)" = "$(dpkg --print-architecture)"
# The dependencies are what dpkg-shlibdeps computes for the programs now, Qt among them.
computed_depends() {
    local scratch
    scratch=$(mktemp -d)
    mkdir "$scratch/debian"
    printf 'Source: telmo\n\nPackage: telmo\nArchitecture: any\n' >"$scratch/debian/control"
    (cd "$scratch" && dpkg-shlibdeps -O -e"$root/usr/lib/telmo/telmo" \
        -e"$root/usr/lib/telmo/telmo-import" -e"$root/usr/lib/telmo/telmo-export" 2>/dev/null) |
        sed -n 's/^shlibs:Depends=//p'
    rm -rf "$scratch"
}
depends=$(field Depends)
echo "Depends: $depends"
check "Depends is what dpkg-shlibdeps computes" test "$depends" = "$(computed_depends)"
check "Depends names Qt's widgets" grep -q 'libqt6widgets6 (>= ' <<<"$depends"

metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
check "appstreamcli validates the metadata" appstreamcli validate --no-net "$metainfo"
app_id=$(basename "$metainfo" .metainfo.xml)
check "the metadata launches the menu entry of its own id" \
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"
for entry in "$root/usr/share/applications/$app_id.desktop" \
    "$root/usr/share/telmo/autostart/$app_id.desktop"; do
    check "desktop-file-validate accepts ${entry#"$root"}" desktop-file-validate "$entry"
done
check "the menu entry starts the tray program in its folder" \
    grep -qx -e 'Exec=/usr/lib/telmo/telmo' "$root/usr/share/applications/$app_id.desktop"

# renders_quietly <command...>: the command renders a page and writes nothing to standard error.
renders_quietly() {
    local errors
    if ! errors=$("$@" 2>&1 >/dev/null) || [ -n "$errors" ]; then
        echo "$errors"
        return 1
    fi
}
groff_page() { zcat "$1" | groff -ww -man -Tutf8; }
for page in "$root"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page" .gz)
    check "groff -ww renders $name without a warning" renders_quietly groff_page "$page"
    check "man -l renders $name without a warning" \
        renders_quietly env MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page"
done

# The programs from the unpacked package, in a home of their own and without a display.
home=$work/home
mkdir -p "$home/data" "$home/runtime"
chmod 700 "$home/runtime"
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u TELMO_QT_PLATFORM HOME="$home" \
        XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" "$@"
}
answers_version() { test "$(run "$root/usr/bin/$1" --version)" = "$1 $(field Version)"; }
answers_help() { run "$root/usr/bin/$1" --help | grep -q "^Usage: .*$1 \[options\]"; }
refuses() {
    run env QT_QPA_PLATFORM=offscreen "$root/usr/bin/$1" --no-such-option 2>"$work/stderr"
    [ $? = 2 ] && grep -q "Unknown option 'no-such-option'" "$work/stderr"
}
for program in telmo telmo-import telmo-export; do
    check "$program --version answers without a display" answers_version "$program"
    check "$program --help answers without a display" answers_help "$program"
    check "$program refuses an unknown option with exit status 2" refuses "$program"
done
check "none of them wrote a phone book" test ! -e "$home/data/telmo/telmo.ini"

echo "lintian said:"
sed 's/^/    /' "$work/lintian.txt"
if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
