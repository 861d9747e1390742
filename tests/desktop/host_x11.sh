# shellcheck shell=bash
# The notification areas of X11 desktops, on a private Xvfb screen driven with xdotool. Sourced
# by e2e.sh after desktop_lib.sh; $tray_host names the area:
#   trayer  an XEmbed tray: both menus are telmo's own
#   sni     status-notifier-watcher with gtk-sni-tray-standalone, a StatusNotifierItem host
#   xfce    xfce4-panel 4.18 with its notification area plugin (StatusNotifierItem and XEmbed)
#   lxqt    lxqt-panel 1.2 with its status notifier plugin, openbox as the window manager
# The StatusNotifierItem hosts draw the command menu themselves; telmo's phone book opens at the
# point the host reports for a left click.

host_tools() {
    echo Xvfb xdotool xwininfo xprop import convert python3 dbus-send
    case $tray_host in
    trayer) echo trayer xclip ;;
    sni) echo status-notifier-watcher gtk-sni-tray-standalone ;;
    xfce) echo xfce4-panel dbus-update-activation-environment ;;
    lxqt) echo lxqt-panel openbox ;;
    esac
}
host_screen() { echo 800 600; }
host_panel() { [ "$tray_host" = lxqt ] && echo 568 600 || echo 0 32; }
host_menus() { echo own; }
host_menus_take_keys() { true; }
host_menus_at_pointer() { false; }
host_draws_on_wayland() { false; }

host_desktop_start() {
    start_xvfb 800 600
    DISPLAY=$xvfb_display
    export DISPLAY QT_QPA_PLATFORM=xcb
    echo "display: $DISPLAY, notification area: $tray_host"
    case $tray_host in
    xfce)
        xfce_panel_config
        # The panel's settings service starts through the bus, with the bus's environment.
        dbus-update-activation-environment XDG_CONFIG_HOME XDG_CACHE_HOME DISPLAY
        ;;
    lxqt)
        lxqt_panel_config
        # A window manager of the desktop, as LXQt users have one: dialogs meet its placement.
        openbox >/dev/null 2>&1 &
        pids+=($!)
        ;;
    esac
}

host_click() {
    local repeat=()
    [ "${4:-1}" -gt 1 ] && repeat=(--repeat "$4" --delay 80)
    xdotool mousemove "$1" "$2" click "${repeat[@]}" "$3"
}
host_move() { xdotool mousemove "$1" "$2"; }
host_keys() { xdotool key "$@"; }
host_screenshot() { import -window root "$1" 2>/dev/null; }

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
# One panel along the bottom holding the status notifier plugin alone, and LXQt's look (without
# it the panel draws itself black).
lxqt_panel_config() {
    mkdir -p "$XDG_CONFIG_HOME/lxqt"
    cp /usr/share/lxqt/lxqt.conf "$XDG_CONFIG_HOME/lxqt/"
    cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<'EOF'
panels=panel1
[panel1]
plugins=statusnotifier
position=Bottom
desktop=0
[statusnotifier]
alignment=Right
type=statusnotifier
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
    lxqt)
        lxqt-panel >>"$out/host.log" 2>&1 &
        tray_pids+=($!)
        ;;
    esac
    pids+=("${tray_pids[@]}")
}
stop_tray_host() {
    kill "${tray_pids[@]}" 2>/dev/null
    wait "${tray_pids[@]}" 2>/dev/null
}
tray_host_shown() {
    case $tray_host in
    trayer) xdotool search --classname '^panel$' >/dev/null 2>&1 ;;
    *) xdotool search --onlyvisible --class "$(host_window_class)" >/dev/null 2>&1 && host_registered ;;
    esac
}
host_window_class() {
    case $tray_host in
    sni) echo '^gtk-sni-tray-standalone$' ;;
    xfce) echo '^xfce4-panel$' ;;
    lxqt) echo '^lxqt-panel$' ;;
    esac
}
