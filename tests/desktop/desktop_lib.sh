# shellcheck shell=bash
# Shared by the steps of the desktop test: the scratch folder, the tally of passed and failed
# steps, waits, and the look-ups a person does with their eyes (is the icon there, which menus and
# windows are open, where), on whatever desktop the host file sourced beside it runs. Sourced,
# never run.
#
# A host file (host_x11.sh, host_weston.sh, host_sway.sh, host_gnome.sh, host_kde.sh) gives:
#   host_desktop_start        the screen and session; exports DISPLAY (the X server telmo uses)
#   start_tray_host, stop_tray_host, tray_host_shown
#   host_click X Y BUTTON [N] a click (N clicks in a row) at a point of the screen
#   host_move X Y             the pointer to a point of the screen
#   host_keys KEY...          keys typed as on a keyboard, to whatever has the focus
#   host_screenshot FILE      the whole screen as the user sees it, as PNG
#   host_panel                "top bottom": the rows of the screen the panel takes
#   host_screen               "width height" of the screen
#   host_menus                "own": telmo's own phone book and the host's command menu, or
#                             "combined": the host draws one menu, the phone book then the commands
#   host_menus_take_keys      true when the keyboard reaches the open menus
#   host_menus_at_pointer     true when the host opens its menu where the pointer is once the
#                             menu is ready, not where it was clicked
#   host_draws_on_wayland     true when the host's menus are Wayland surfaces, seen on the screen
#                             only (not as X windows)
#
# Every wait is for a condition, bounded generously so that a loaded machine only makes the run
# slower: wait_until returns as soon as the condition holds.
# Without its steps a script would pass every step unchecked: a copy made without them fails.
# shellcheck source=../support/steps.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/steps.sh" ||
    { echo "FAILED: the test steps (tests/support/steps.sh) are missing"; exit 1; }

# The Debian package that brings a tool, for the skip message.
desktop_package_of() {
    case $1 in
    Xvfb) echo xvfb ;;
    xwininfo | xprop) echo x11-utils ;;
    import | convert) echo imagemagick ;;
    status-notifier-watcher) echo haskell-status-notifier-item-utils ;;
    gtk-sni-tray-standalone) echo haskell-gtk-sni-tray-utils ;;
    dbus-send | dbus-update-activation-environment) echo dbus-bin ;;
    dbus-run-session) echo dbus-daemon ;;
    weston-screenshooter) echo weston ;;
    Xwayland) echo xwayland ;;
    kwin_wayland) echo kwin-wayland ;;
    plasmashell) echo plasma-desktop ;;
    kded5) echo kded5 ;;
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
    rm -rf "$work"
}

# desktop_scratch <output folder>: an empty output folder and a private scratch folder, which
# also holds the lock folder ($XDG_RUNTIME_DIR) and the settings of the hosts, so that nothing of
# the user's or of another run is seen; removed at exit.
desktop_scratch() {
    out=$1
    mkdir -p "$out"
    find "$out" -mindepth 1 -delete
    work=$(mktemp -d)
    mkdir -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
    export XDG_DATA_HOME=$work/data HOME=$work/home
    mkdir -p "$HOME"
    # No accessibility bus for the GTK hosts: it would outlive the test and hold its output open.
    export NO_AT_BRIDGE=1
    unset WAYLAND_DISPLAY XDG_SESSION_TYPE TELMO_QT_PLATFORM XAUTHORITY
    pids=()
    failures=0
    trap desktop_cleanup EXIT
}

# start_xvfb <width> <height>: an X server on a display number it picks itself, so that runs side
# by side never share a screen; xvfb_display names it. Run in this shell, not in $(...), so that
# the server is among the processes ended at exit.
start_xvfb() {
    exec 3>"$work/display"
    # -noreset: by default the server resets when its last client leaves, and a client that
    # connects meanwhile (a probe ends just as a program starts) is refused.
    Xvfb -displayfd 3 -screen 0 "${1}x${2}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    exec 3>&-
    if ! wait_until 60 test -s "$work/display"; then
        echo "FAILED: Xvfb did not report its display within 60 s"
        exit 1
    fi
    xvfb_display=":$(cat "$work/display")"
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

# wait_until <seconds> <command...>: true once the command succeeds, false when it has not
# within the time.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
# never_within <seconds> <command...>: true when the command has not succeeded within the time,
# for what must not happen (a second menu); a slow machine can only hide such a fault, never
# invent one.
never_within() { ! wait_until "$@"; }

# The screen as the user sees it, fresh on every call; "screen settled" once two grabs in a row
# are alike, so that a window just mapped is drawn in it.
grab_screen() { host_screenshot "$work/screen.png"; }
screen_settled() {
    [ -f "$work/screen.png" ] && mv "$work/screen.png" "$work/screen-before.png"
    grab_screen && [ -f "$work/screen-before.png" ] &&
        [ "$(screen_sum)" = "$(screen_sum "$work/screen-before.png")" ]
}
# screen_sum [screenshot]: a checksum of its pixels, of the last grab unless told.
screen_sum() { convert "${1:-$work/screen.png}" rgb:- | md5sum; }
# shot <name>: a screenshot once the screen has settled.
shot() {
    wait_until 10 screen_settled
    cp "$work/screen.png" "$out/$1.png"
}

# The icon: the pixels of its middle colour in the panel, on a fresh screenshot. Found wherever
# the host puts it, so that no host's layout is written down here. Near the colour: GNOME tones
# its icons down a little.
icon_colour='#2F6FDB'
icon_box() {
    local panel
    read -r -a panel <<<"$(host_panel)"
    grab_screen || return 1
    convert "$work/screen.png" -alpha off -crop "x$((panel[1] - panel[0]))+0+${panel[0]}" +repage \
        -fuzz 6% -fill black +opaque "$icon_colour" -fill white -opaque "$icon_colour" \
        -format '%@ %[fx:mean]' info: 2>/dev/null |
        awk -v top="${panel[0]}" '$2 > 0 { split($1, g, /[x+]/); print g[3], g[4] + top, g[1], g[2] }'
}
icon_shown() { [ -n "$(icon_box)" ]; }
icon_gone() { ! icon_shown; }
# The middle of the icon, "x y", found afresh where it can be: the icon goes while a dialog is
# open, and a host may put it elsewhere when it comes back (Plasma's other icons close up
# meanwhile). The pointer leaves it first, as a host draws the icon under the pointer in other
# colours; where the host keeps it so (Plasma after a double click), the place last seen. Kept
# in a file: callers take the point through a subshell, where a variable would not outlive it.
icon_point() {
    local box
    rest_pointer
    if wait_until 10 icon_shown; then
        read -r -a box <<<"$(icon_box)"
        [ ${#box[@]} = 4 ] && echo "$((box[0] + box[2] / 2)) $((box[1] + box[3] / 2))" >"$work/icon-point"
    fi
    grep . "$work/icon-point" 2>/dev/null
}
# click_icon <button> [count]
click_icon() {
    local at
    at=$(icon_point) || return 1
    # shellcheck disable=SC2086 # the point is two words
    host_click $at "$@"
}

# The first visible window whose title matches, if any (on telmo's X server).
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
visible_window() { window_named "$1" >/dev/null; }
window_gone() { ! visible_window "$1"; }
# True when the window whose title matches has the keyboard focus, so typed keys reach it.
window_focused() {
    local window
    window=$(window_named "$1") && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]
}
# True when the window whose title matches lies whole on the screen and leaves room around it:
# a dialog, not a window tiled or maximised over the screen.
window_not_filling_screen() {
    local X=-1 Y=-1 WIDTH=0 HEIGHT=0 screen
    read -r -a screen <<<"$(host_screen)"
    eval "$(xdotool getwindowgeometry --shell "$(window_named "$1" || echo 0)" 2>/dev/null)"
    echo "$1: ${WIDTH}x${HEIGHT} at $X,$Y on ${screen[0]}x${screen[1]}" >>"$out/geometry.txt"
    [ "$WIDTH" -gt 0 ] && [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] &&
        [ $((X + WIDTH)) -le "${screen[0]}" ] && [ $((Y + HEIGHT)) -le "${screen[1]}" ] &&
        [ $((WIDTH * 10)) -le $((screen[0] * 8)) ] && [ $((HEIGHT * 10)) -le $((screen[1] * 8)) ]
}

# The open menus, one "x y width height" a line, whoever draws them. X menus: the viewable
# override-redirect windows that are telmo's (Qt gives its menus no menu type) or have a menu type
# (the notification area's menus). Menus a host draws as Wayland surfaces: what differs from the
# screen at rest outside the panel, in pieces at least a menu's size.
menu_boxes() {
    x_menu_boxes >"$work/x-menus"
    cat "$work/x-menus"
    if host_draws_on_wayland; then
        screen_menu_boxes "$work/x-menus"
    fi
}
x_menu_boxes() {
    local window info
    for window in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        info=$(xwininfo -id "$window" 2>/dev/null)
        grep -q 'Override Redirect State: yes' <<<"$info" || continue
        xprop -id "$window" _NET_WM_WINDOW_TYPE WM_CLASS 2>/dev/null |
            grep -q -e '_MENU' -e '"telmo"' -e '"lxqt-panel"' || continue
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
             /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }' <<<"$info"
    done
}
# The screen at rest: no menu open, the pointer on the panel. What differs from it outside the
# panel (and outside the X menus named in the file given) is a menu the host draws.
remember_screen_at_rest() {
    wait_until 10 screen_settled && cp "$work/screen.png" "$work/rest.png"
}
screen_menu_boxes() {
    local panel masks=() box
    read -r -a panel <<<"$(host_panel)"
    while read -r -a box; do
        [ ${#box[@]} = 4 ] && masks+=(-draw "rectangle $((box[0] - 8)),$((box[1] - 8)) $((box[0] + box[2] + 8)),$((box[1] + box[3] + 8))")
    done <"$1"
    grab_screen || return 0
    convert "$work/rest.png" "$work/screen.png" -alpha off -compose difference -composite \
        -colorspace gray -threshold 4% -morphology Dilate Square:2 -fill black \
        -draw "rectangle 0,${panel[0]} 100000,$((panel[1] - 1))" "${masks[@]}" \
        -define connected-components:verbose=true -define connected-components:area-threshold=1500 \
        -connected-components 8 null: 2>/dev/null |
        awk '/gray\(255|graya\(255|#FFFFFF|srgb\(255,255,255/ { split($2, g, /[x+]/)
             if (g[1] >= 80 && g[2] >= 60) print g[3], g[4], g[1], g[2] }'
}
menus_open() { menu_boxes | grep -c .; }
# menus_shown <test operator> <count>: compares the number of open menus, e.g. menus_shown -ge 1.
menus_shown() { test "$(menus_open)" "$1" "$2"; }
no_menus_open() { [ "$(menus_open)" = 0 ]; }
# The height of the one open menu, in pixels.
menu_height() { menu_boxes | awk 'NR == 1 { print $4 }'; }
# The distance in pixels from a point to the nearest corner of the one open menu.
menu_corner_distance() {
    menu_boxes | awk -v x="$1" -v y="$2" 'NR == 1 {
        best = -1
        for (i = 0; i < 4; i++) {
            cx = $1 + (i % 2) * ($3 - 1); cy = $2 + int(i / 2) * ($4 - 1)
            d = sqrt((cx - x) ^ 2 + (cy - y) ^ 2)
            if (best < 0 || d < best) best = d
        }
        printf "%d\n", best }'
}
process_ended() { [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null; }

# True while another client (an open menu) holds the keyboard of the X server: a menu is mapped a
# moment before it grabs the keyboard, and keys sent in between are lost, or worse, only the
# first ones. Menus a host draws on Wayland take the keys once they are on the screen.
keyboard_grabbed() {
    python3 -c '
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 3 + [ctypes.c_ulong]
x.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
ALREADY_GRABBED = 1
result = x.XGrabKeyboard(display, x.XDefaultRootWindow(display), 0, 1, 1, 0)
if result != ALREADY_GRABBED:
    x.XUngrabKeyboard(display, 0)
x.XCloseDisplay(display)
sys.exit(0 if result == ALREADY_GRABBED else 1)'
}
menu_takes_keys() {
    if [ "$(x_menu_boxes | grep -c .)" -gt 0 ]; then
        keyboard_grabbed
    else
        host_draws_on_wayland && wait_until 10 screen_settled
    fi
}

# open_menu <button>: clicks the icon until a menu is open and takes keys. A click soon after
# the one before reads as a double click: a click that opened nothing is made again. The pointer
# then leaves the icon, where a host shows its tooltip.
open_menu() {
    for _ in 1 2 3; do
        click_icon "$1"
        # A person waits for the menu with the pointer on the icon.
        host_menus_at_pointer && wait_until 10 menus_shown -ge 1
        rest_pointer
        wait_until 10 menus_shown -ge 1 && wait_until 10 menu_takes_keys && return 0
        close_menus
    done
    return 1
}
# Where a person clicks beside the menus (the middle of the desktop) and where the pointer rests
# between steps (on the panel, away from the icon, where it shows no menu and no tooltip).
desktop_point() {
    local screen
    read -r -a screen <<<"$(host_screen)"
    echo "$((screen[0] / 2)) $((screen[1] / 2))"
}
rest_pointer() {
    local screen panel
    read -r -a screen <<<"$(host_screen)"
    read -r -a panel <<<"$(host_panel)"
    host_move $((screen[0] / 3)) $(((panel[0] + panel[1]) / 2))
}
# close_menus: Escape (a click beside them where the host's menus take no keys) until no menu is
# open.
close_menus() {
    for _ in 1 2 3; do
        if host_menus_take_keys; then
            host_keys Escape
        else
            # shellcheck disable=SC2046 # the point is two words
            host_click $(desktop_point) 1
            rest_pointer
        fi
        wait_until 10 no_menus_open && return 0
    done
    return 1
}
# pick_number <keys...>: opens the phone book and goes to one of an entry's numbers with the keys;
# true once the entry's numbers show (a menu beside it, or the entry opened in place). A pick that
# opened none is made again.
pick_number() {
    local before
    for _ in 1 2 3; do
        if open_menu 1; then
            before=$(menu_boxes)
            host_keys "$@"
            # shellcheck disable=SC2317,SC2329 # run through wait_until
            menus_changed() { [ "$(menu_boxes)" != "$before" ]; }
            # A Wayland host's submenu takes the keys once it is drawn whole.
            wait_until 10 menus_changed && { ! host_draws_on_wayland || wait_until 10 screen_settled; } &&
                return 0
        fi
        close_menus
    done
    return 1
}
# start_telmo <executable> <working folder>: telmo_pid is its process.
start_telmo() {
    (cd "$2" && exec "$1") >>"$out/telmo.log" 2>&1 &
    telmo_pid=$!
    pids+=("$telmo_pid")
}
# True once telmo's Qt is connected to the X server (Qt's clipboard window is there), that is
# once it runs and can look for a notification area.
telmo_connected() { xwininfo -root -tree 2>/dev/null | grep -q '"Qt Selection Owner for telmo"'; }

bus_name_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}
# A property of the StatusNotifierWatcher, as dbus-send prints it.
watcher_property() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1" \
        2>/dev/null
}
host_registered() { watcher_property IsStatusNotifierHostRegistered | grep -q 'boolean true'; }
