# shellcheck shell=bash
# GNOME Shell 43 with the AppIndicator extension, nested in an Xvfb window (the window fills the
# Xvfb screen, so the shell's coordinates are Xvfb's). Sourced by e2e.sh after desktop_lib.sh.
# xdotool on the Xvfb screen is the user's mouse and keyboard; telmo runs on the shell's Xwayland.
# The extension draws the menu telmo exports, for both clicks, under the icon. Restarting the
# notification area is switching the extension off and on, as the Extensions app does.

gnome_extension=ubuntu-appindicators@ubuntu.com
host_tools() { echo Xvfb gnome-shell gnome-extensions dbus-daemon xdotool xwininfo xprop import convert python3 dbus-send; }
host_screen() { echo 1024 768; }
host_panel() { echo 0 32; }
host_menus() { echo combined; }
host_menus_take_keys() { true; }
host_menus_at_pointer() { false; }
host_draws_on_wayland() { true; }

host_desktop_start() {
    start_xvfb 1024 768
    outer_display=$xvfb_display
    # A system bus of its own: the shell asks it for accounts and sessions, and must not see
    # the machine's.
    cat >"$work/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=$work/system-bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/>
<allow receive_sender="*"/></policy></busconfig>
EOF
    dbus-daemon --config-file="$work/system-bus.conf" --nofork >/dev/null 2>&1 &
    pids+=($!)
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system-bus
    wait_until 30 test -S "$work/system-bus" || { echo "FAILED: no system bus"; exit 1; }
    # Settings in a file of the run's own; the extension off until the area is started.
    export GSETTINGS_BACKEND=keyfile
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<'EOF'
[org/gnome/shell]
welcome-dialog-last-shown-version='999'
[org/gnome/desktop/interface]
enable-animations=false
[org/gnome/desktop/notifications]
show-banners=false
[org/gnome/desktop/screensaver]
lock-enabled=false
EOF
    DISPLAY=$outer_display MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768 \
        gnome-shell --nested --wayland --wayland-display=telmo-gnome >"$out/shell.log" 2>&1 &
    shell_pid=$!
    pids+=("$shell_pid")
    wait_until 120 shell_has_xwayland || { echo "FAILED: GNOME Shell started no Xwayland within 120 s"; exit 1; }
    read -r DISPLAY XAUTHORITY <<<"$(shell_xwayland)"
    export DISPLAY XAUTHORITY WAYLAND_DISPLAY=telmo-gnome
    wait_until 120 bus_name_owned org.gnome.Shell || { echo "FAILED: GNOME Shell did not start"; exit 1; }
    echo "GNOME Shell on $outer_display, Xwayland: $DISPLAY"
    # The shell starts in the overview; Escape leaves it.
    wait_until 60 shell_started && host_keys Escape
}
# The display and authority file of the Xwayland the shell started: "display authority".
shell_xwayland() {
    local child
    for child in $(pgrep -P "$shell_pid" Xwayland); do
        tr '\0' ' ' <"/proc/$child/cmdline" |
            awk '{ for (i = 1; i < NF; i++) if ($i == "-auth") print $2, $(i + 1) }' | grep .
        return
    done
    return 1
}
shell_has_xwayland() { shell_xwayland >/dev/null; }
shell_started() { grep -q 'GNOME Shell started' "$out/shell.log"; }

host_click() {
    local repeat=()
    [ "${4:-1}" -gt 1 ] && repeat=(--repeat "$4" --delay 80)
    DISPLAY=$outer_display xdotool mousemove "$1" "$2" click "${repeat[@]}" "$3"
}
host_move() { DISPLAY=$outer_display xdotool mousemove "$1" "$2"; }
host_keys() { DISPLAY=$outer_display xdotool key "$@"; }
host_screenshot() { DISPLAY=$outer_display import -window root "$1" 2>/dev/null; }
# The shell's menus are used with the pointer: which item has the keyboard focus when one opens
# depends on how it was opened. host_item_point <x y width height of the menu> <rows under the
# item> <separators under it>: the middle of an item, rows of 36 px and separators of 13 px,
# measured from the foot of the menu.
host_item_point() { echo "$(($1 + $3 / 2)) $(($2 + $4 - 28 - 36 * $5 - 13 * $6))"; }
# An entry's numbers open in place, under the entry.
host_first_number_point() { echo "$1 $(($2 + 36))"; }

start_tray_host() { gnome-extensions enable "$gnome_extension"; }
stop_tray_host() { gnome-extensions disable "$gnome_extension"; }
tray_host_shown() { bus_name_owned org.kde.StatusNotifierWatcher && host_registered; }
