# shellcheck shell=bash
# Shared by the tests that drive Telmo on a real X desktop: a private desktop (Xvfb as the
# screen, twm as the window manager when it is installed, trayer as the notification area),
# the look-ups a person does with their eyes (is the icon there, which windows and menus are
# open), screenshots and the tally of passed and failed steps. Sourced, never run.
#
# A test calls desktop_require with the tools it needs (it skips with exit code 77 when one is
# missing), then desktop_start with its output folder, and ends with desktop_finish.
# Afterwards $work is a scratch folder removed at exit, and $out holds the screenshots.

# The Debian package that brings a tool, for the skip message.
desktop_package_of() {
    case $1 in
    Xvfb) echo xvfb ;;
    xwininfo) echo x11-utils ;;
    import) echo imagemagick ;;
    *) echo "$1" ;;
    esac
}

# desktop_require <tool...>: skips the test when a tool is missing.
desktop_require() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIPPED: $tool is not installed (Debian package $(desktop_package_of "$tool");" \
                "scripts/setup.sh installs every package the tests need)."
            exit 77
        fi
    done
}

desktop_cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work" "$runtime"
}

# desktop_start <output folder>: an empty output folder, a scratch folder and a private desktop
# with its own display, its own lock folder and no session bus (so Qt uses the XEmbed tray
# protocol that trayer speaks).
desktop_start() {
    out=$1
    rm -rf "$out"
    mkdir -p "$out"
    work=$(mktemp -d)
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    pids=()
    failures=0
    trap desktop_cleanup EXIT

    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    exec 3>&-
    if ! wait_until 100 test -s "$work/display"; then
        echo "FAILED: Xvfb did not start"
        exit 1
    fi
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    export XDG_RUNTIME_DIR=$runtime
    export QT_QPA_PLATFORM=xcb
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY

    if command -v twm >/dev/null; then
        printf 'RandomPlacement\nNoGrabServer\nDecorateTransients\n' >"$work/twmrc"
        twm -f "$work/twmrc" >/dev/null 2>&1 &
        pids+=($!)
        echo "window manager: twm"
    else
        echo "window manager: none (twm is not installed)"
    fi
}

# desktop_finish: the summary and the exit code of the test.
desktop_finish() {
    echo "screenshots: $out"
    if [ "$failures" -gt 0 ]; then
        echo "$failures step(s) failed"
        exit 1
    fi
    echo "all steps passed"
    exit 0
}

pass() { echo "ok: $1"; }
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
# check <description> <command...>: one step that passes when the command succeeds; answers
# the command's success.
check() {
    local description=$1
    shift
    if "$@"; then
        pass "$description"
        return 0
    fi
    fail "$description"
    return 1
}
shot() { import -window root "$out/$1.png"; }

# wait_until <tenths of a second> <command...>: true once the command succeeds.
wait_until() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_tray_host() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        --transparent false >/dev/null 2>&1 &
    tray_pid=$!
    pids+=("$tray_pid")
}
tray_host_shown() { xdotool search --classname '^panel$' >/dev/null 2>&1; }

# start_telmo <executable> <working folder>: telmo_pid is its process.
start_telmo() {
    (cd "$2" && exec "$1") >>"$out/telmo.log" 2>&1 &
    telmo_pid=$!
    pids+=("$telmo_pid")
}

# The window of telmo's icon inside trayer's panel, if it is there.
icon_window() {
    local panel
    panel=$(xdotool search --classname '^panel$' 2>/dev/null | head -1)
    [ -n "$panel" ] || return 1
    xwininfo -tree -id "$panel" 2>/dev/null | awk '/"telmo"/ { print $1; exit }' | grep .
}
icon_shown() { icon_window >/dev/null; }
icon_gone() { ! icon_window >/dev/null; }
click_icon() { xdotool mousemove --window "$(icon_window)" 11 11 click "$@"; }

visible_window() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
window_gone() { ! visible_window "$1"; }
# The first visible window whose title matches, if any.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
# True when the window whose title matches has the keyboard focus, so typed keys reach it.
window_focused() {
    local window
    window=$(window_named "$1") && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]
}

# The geometries of telmo's open popup menus, one a line: its visible windows but the icon.
menu_geometries() {
    local icon window
    icon=$(printf '%d' "$(icon_window || echo 0)")
    for window in $(xdotool search --onlyvisible --class '^telmo$' 2>/dev/null); do
        [ "$window" = "$icon" ] && continue
        xdotool getwindowgeometry "$window" | tr -d '\n'
        echo
    done | sed 's/^Window [0-9]*//'
}
menus_open() { menu_geometries | grep -c .; }
no_menus_open() { [ "$(menus_open)" = 0 ]; }
process_ended() { [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null; }
