# shellcheck shell=bash
# Shared by the steps of the desktop test: a private desktop (Xvfb as the screen, a notification
# area, no window manager: Qt gives its windows the focus itself), the look-ups a person does with
# their eyes (is the icon there, which windows and menus are open), screenshots and the tally of
# passed and failed steps. Sourced, never run.
#
# The notification area is $tray_host: trayer (an XEmbed tray), sni (status-notifier-watcher
# with gtk-sni-tray-standalone, a StatusNotifierItem host that shows the menu an icon exports)
# or xfce (xfce4-panel 4.18 with its notification area plugin, which speaks both and prefers
# StatusNotifierItem). Every run has a session bus of its own: run the test under
# dbus-run-session.
#
# Every wait is for a condition, bounded generously so that a loaded machine only makes the run
# slower: wait_until returns as soon as the condition holds.
tray_host=${tray_host:-trayer}
# shellcheck source=../support/steps.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/steps.sh"

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
# also holds the lock folder ($XDG_RUNTIME_DIR) and the settings of the GTK hosts, so that
# nothing of the user's or of another run is seen; removed at exit.
desktop_scratch() {
    out=$1
    rm -rf "$out"
    mkdir -p "$out"
    work=$(mktemp -d)
    mkdir -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
    export XDG_DATA_HOME=$work/data
    # No accessibility bus for the GTK hosts: it would outlive the test and hold its output open.
    export NO_AT_BRIDGE=1
    pids=()
    failures=0
    trap desktop_cleanup EXIT
}

# The tools the notification area $tray_host needs.
desktop_tray_tools() {
    case $tray_host in
    trayer) echo trayer ;;
    sni) echo status-notifier-watcher gtk-sni-tray-standalone dbus-send ;;
    xfce) echo xfce4-panel dbus-send dbus-update-activation-environment ;;
    esac
}

# desktop_start <output folder>: desktop_scratch and a private X desktop on a display number
# Xvfb picks itself, so that runs side by side never share a screen.
desktop_start() {
    desktop_scratch "$1"
    exec 3>"$work/display"
    # -noreset: by default the server resets when its last client leaves, and a client that
    # connects meanwhile (a probe ends just as a program starts) is refused.
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    exec 3>&-
    if ! wait_until 60 test -s "$work/display"; then
        echo "FAILED: Xvfb did not report its display within 60 s"
        exit 1
    fi
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY XDG_SESSION_TYPE TELMO_QT_PLATFORM
    echo "display: $DISPLAY, notification area: $tray_host"
    if [ "$tray_host" = xfce ]; then
        xfce_panel_config
        # The panel's settings service starts through the bus, with the bus's environment.
        dbus-update-activation-environment XDG_CONFIG_HOME XDG_CACHE_HOME DISPLAY
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

# shot <name>: a screenshot once the screen has settled (two grabs in a row alike), so that a
# window just mapped is drawn in it.
shot() {
    wait_until 10 screen_settled
    convert "$work/screen.ppm" "$out/$1.png"
}
screen_settled() {
    [ -f "$work/screen.ppm" ] && mv "$work/screen.ppm" "$work/screen-before.ppm"
    import -window root "$work/screen.ppm" && cmp -s "$work/screen.ppm" "$work/screen-before.ppm"
}

# The panel's settings: one panel along the top holding the notification area alone.
xfce_panel_config() {
    local folder=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
    mkdir -p "$folder"
    cat >"$folder/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF
}

start_tray_host() {
    tray_pids=()
    case $tray_host in
    trayer)
        trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
            --transparent false >>"$out/host.log" 2>&1 &
        tray_pids+=($!)
        ;;
    sni)
        status-notifier-watcher >>"$out/host.log" 2>&1 &
        tray_pids+=($!)
        # The host registers with the watcher once, when it starts.
        wait_until 60 bus_name_owned org.kde.StatusNotifierWatcher ||
            echo "the StatusNotifierWatcher took no bus name within 60 s"
        gtk-sni-tray-standalone --top --end >>"$out/host.log" 2>&1 &
        tray_pids+=($!)
        ;;
    xfce)
        xfce4-panel --disable-wm-check >>"$out/host.log" 2>&1 &
        tray_pids+=($!)
        ;;
    esac
    pids+=("${tray_pids[@]}")
}
stop_tray_host() {
    kill "${tray_pids[@]}" 2>/dev/null
    wait "${tray_pids[@]}" 2>/dev/null
}
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
tray_host_shown() {
    case $tray_host in
    trayer) xdotool search --classname '^panel$' >/dev/null 2>&1 ;;
    *)
        xdotool search --onlyvisible --class "$(host_window_class)" >/dev/null 2>&1 &&
            watcher_property IsStatusNotifierHostRegistered | grep -q 'boolean true'
        ;;
    esac
}
host_window_class() { [ "$tray_host" = sni ] && echo '^gtk-sni-tray-standalone$' || echo '^xfce4-panel$'; }
# Where the host draws the only icon: gtk-sni-tray at the right end of its bar, the XFCE panel
# at the left end.
icon_point() { [ "$tray_host" = sni ] && echo "785 15" || echo "12 15"; }
# The colour of the middle of the icon as the program draws it.
icon_colour='#2F6FDB'
colour_at() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}'; }
# How many icons the watcher holds.
registered_icons() { watcher_property RegisteredStatusNotifierItems | grep -c '^ *string "'; }
icons_registered() { [ "$(registered_icons)" = "$1" ]; }

# start_telmo <executable> <working folder>: telmo_pid is its process.
start_telmo() {
    (cd "$2" && exec "$1") >>"$out/telmo.log" 2>&1 &
    telmo_pid=$!
    pids+=("$telmo_pid")
}
# True once telmo's Qt is connected to the X server (Qt's clipboard window is there), that is
# once it runs and can look for a notification area.
telmo_connected() { xwininfo -root -tree 2>/dev/null | grep -q '"Qt Selection Owner for telmo"'; }

# The window of telmo's icon inside trayer's panel, if it is there.
icon_window() {
    local panel
    panel=$(xdotool search --classname '^panel$' 2>/dev/null | head -1)
    [ -n "$panel" ] || return 1
    xwininfo -tree -id "$panel" 2>/dev/null | awk '/"telmo"/ { print $1; exit }' | grep .
}
icon_shown() {
    if [ "$tray_host" = trayer ]; then
        icon_window >/dev/null
    else
        # shellcheck disable=SC2046 # the point is two words
        [ "$(colour_at $(icon_point))" = "$icon_colour" ]
    fi
}
icon_gone() { ! icon_shown; }
click_icon() {
    if [ "$tray_host" = trayer ]; then
        xdotool mousemove --window "$(icon_window)" 11 11 click "$@"
    else
        # shellcheck disable=SC2046
        xdotool mousemove $(icon_point) click "$@"
    fi
}

# The first visible window whose title matches, if any.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
visible_window() { window_named "$1" >/dev/null; }
window_gone() { ! visible_window "$1"; }
# True when the window whose title matches has the keyboard focus, so typed keys reach it.
window_focused() {
    local window
    window=$(window_named "$1") && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]
}

# The geometries of the open popup menus, one a line, whoever shows them: the viewable
# override-redirect windows that are telmo's (Qt gives its menus no menu type) or have a menu
# type (the notification area's menus).
menu_geometries() {
    local window info
    for window in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        info=$(xwininfo -id "$window" 2>/dev/null)
        grep -q 'Override Redirect State: yes' <<<"$info" || continue
        xprop -id "$window" _NET_WM_WINDOW_TYPE WM_CLASS 2>/dev/null |
            grep -q -e '_MENU' -e '"telmo"' || continue
        xdotool getwindowgeometry "$window" | tr -d '\n'
        echo
    done | sed 's/^Window [0-9]*//'
}
# menus_shown <test operator> <count>: compares the number of open menus, e.g. menus_shown -ge 1;
# a fresh count on every call, as wait_until needs.
menus_shown() { test "$(menus_open)" "$1" "$2"; }
menus_open() { menu_geometries | grep -c .; }
no_menus_open() { [ "$(menus_open)" = 0 ]; }
# The height of the one open menu, in pixels.
menu_height() { menu_geometries | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p' | head -1; }
process_ended() { [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null; }

# True while another client (an open menu) holds the keyboard: a menu is mapped a moment before
# it grabs the keyboard, and keys sent in between are lost, or worse, only the first ones.
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

# open_menu <button>: clicks the icon until a menu is open and holds the keyboard. A click soon
# after the one before reads as a double click: a click that opened nothing is made again.
open_menu() {
    for _ in 1 2 3; do
        click_icon "$1"
        wait_until 10 menus_shown -ge 1 && wait_until 10 keyboard_grabbed && return 0
        xdotool key Escape
        wait_until 10 no_menus_open
    done
    return 1
}
close_menus() {
    xdotool key Escape Escape
    wait_until 20 no_menus_open
}
# pick_number <keys...>: opens the entry menu and goes to one of an entry's numbers with the
# keys; true once the entry's submenu is open. A pick that opened none is made again.
pick_number() {
    for _ in 1 2 3; do
        if open_menu 1; then
            xdotool key "$@"
            wait_until 10 menus_shown = 2 && return 0
        fi
        close_menus
    done
    return 1
}
# command_menu <keys...>: right click and the keys that choose a command.
command_menu() {
    open_menu 3 || return 1
    xdotool key "$@"
}
