# shellcheck shell=bash
# Shared by the tests that drive Telmo on a real X desktop: a private desktop (Xvfb as the
# screen, twm as the window manager when it is installed, a notification area), the look-ups a
# person does with their eyes (is the icon there, which windows and menus are open),
# screenshots and the tally of passed and failed steps. Sourced, never run.
#
# The notification area is $tray_host: trayer (an XEmbed tray, the default), sni
# (status-notifier-watcher with gtk-sni-tray-standalone, a StatusNotifierItem host that shows
# the menu an icon exports) or xfce (xfce4-panel 4.18 with its notification area plugin, which
# speaks both and prefers StatusNotifierItem). The last two need a private session bus: run the
# test under dbus-run-session.
#
# A test calls desktop_require with the tools it needs (it skips with exit code 77 when one is
# missing), then desktop_start with its output folder, and ends with desktop_finish.
# Afterwards $work is a scratch folder removed at exit, and $out holds the screenshots.
tray_host=${tray_host:-trayer}

# The Debian package that brings a tool, for the skip message.
desktop_package_of() {
    case $1 in
    Xvfb) echo xvfb ;;
    xwininfo) echo x11-utils ;;
    import) echo imagemagick ;;
    status-notifier-watcher) echo haskell-status-notifier-item-utils ;;
    gtk-sni-tray-standalone) echo haskell-gtk-sni-tray-utils ;;
    dbus-send | dbus-run-session | dbus-update-activation-environment) echo dbus ;;
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
    rm -rf "$work" "$runtime"
}

# desktop_scratch <output folder>: an empty output folder, a scratch folder and a private lock
# folder, all removed or left as desktop_start leaves them; for tests that bring their own screen.
desktop_scratch() {
    out=$1
    rm -rf "$out"
    mkdir -p "$out"
    work=$(mktemp -d)
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    export XDG_RUNTIME_DIR=$runtime
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

# desktop_start <output folder>: an empty output folder, a scratch folder and a private desktop
# with its own display and its own lock folder. Beside trayer there is no session bus, so Qt
# uses the XEmbed protocol that trayer speaks; the other areas keep the test's private bus.
desktop_start() {
    desktop_scratch "$1"
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
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY XDG_SESSION_TYPE TELMO_QT_PLATFORM
    [ "$tray_host" = trayer ] && unset DBUS_SESSION_BUS_ADDRESS
    # No accessibility bus for the GTK hosts: it would outlive the test and hold its output open.
    export NO_AT_BRIDGE=1
    if [ "$tray_host" = xfce ]; then
        export XDG_CONFIG_HOME=$work/config
        xfce_panel_config
        # The panel's settings service starts through the bus, with the bus's environment.
        dbus-update-activation-environment XDG_CONFIG_HOME DISPLAY
    fi

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
            --transparent false >/dev/null 2>&1 &
        tray_pids+=($!)
        ;;
    sni)
        status-notifier-watcher >/dev/null 2>&1 &
        tray_pids+=($!)
        gtk-sni-tray-standalone --top --end >/dev/null 2>&1 &
        tray_pids+=($!)
        ;;
    xfce)
        xfce4-panel --disable-wm-check >/dev/null 2>&1 &
        tray_pids+=($!)
        ;;
    esac
    pids+=("${tray_pids[@]}")
}
stop_tray_host() {
    kill "${tray_pids[@]}" 2>/dev/null
    wait "${tray_pids[@]}" 2>/dev/null
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

visible_window() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
window_gone() { ! visible_window "$1"; }
# The first visible window whose title matches, if any.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
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
    for window in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ { print $1 }'); do
        info=$(xwininfo -id "$window" 2>/dev/null)
        grep -q 'Map State: IsViewable' <<<"$info" &&
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
process_ended() { [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null; }
