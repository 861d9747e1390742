# shellcheck shell=bash
# KDE Plasma 5.27 on kwin_wayland, nested in an Xvfb window (the window fills the Xvfb screen,
# so KWin's coordinates are Xvfb's). Sourced by e2e.sh after desktop_lib.sh. xdotool on the Xvfb
# screen is the user's mouse and keyboard; telmo runs on KWin's Xwayland. The watcher lives in
# kded5, the notification area in plasmashell (its panel along the bottom): restarting the area
# is restarting plasmashell, as after a crash or a `plasmashell --replace`.

host_tools() { echo Xvfb kwin_wayland kded5 plasmashell xdotool xwininfo xprop import convert python3 dbus-send; }
host_screen() { echo 1024 768; }
host_panel() { echo 720 768; }
host_menus() { echo combined; }
host_menus_take_keys() { true; }
host_menus_at_pointer() { false; }
host_draws_on_wayland() { true; }

host_desktop_start() {
    start_xvfb 1024 768
    outer_display=$xvfb_display
    # kwin_wayland carries file capabilities, which a container refuses to honour; a copy has none.
    # KWin loads its own Qt platform plugin only into a program of that name.
    mkdir -p "$work/bin"
    cp "$(command -v kwin_wayland)" "$work/bin/kwin_wayland"
    export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    "$work/bin/kwin_wayland" --x11-display "$outer_display" --width 1024 --height 768 \
        --socket telmo-kde --xwayland --no-lockscreen --no-global-shortcuts >"$out/kwin.log" 2>&1 &
    kwin_pid=$!
    pids+=("$kwin_pid")
    wait_until 120 kwin_has_xwayland || { echo "FAILED: KWin started no Xwayland within 120 s"; exit 1; }
    DISPLAY=$(kwin_xwayland)
    export DISPLAY WAYLAND_DISPLAY=telmo-kde
    echo "KWin on $outer_display, Xwayland: $DISPLAY"
    # Plasma's own services, Wayland clients; telmo keeps to Xwayland.
    QT_QPA_PLATFORM=wayland "$(kde_libexec)/kactivitymanagerd" >>"$out/host.log" 2>&1 &
    pids+=($!)
    QT_QPA_PLATFORM=wayland kded5 >>"$out/host.log" 2>&1 &
    pids+=($!)
    wait_until 120 dbus-send --session --print-reply --dest=org.kde.kded5 /kded \
        org.kde.kded5.loadModule string:statusnotifierwatcher >/dev/null ||
        { echo "FAILED: kded5 loaded no StatusNotifierWatcher within 120 s"; exit 1; }
}
kde_libexec() { echo "/usr/lib/$(gcc -print-multiarch 2>/dev/null || echo x86_64-linux-gnu)/libexec"; }
kwin_has_xwayland() { kwin_xwayland >/dev/null; }
kwin_xwayland() {
    local child
    for child in $(pgrep -P "$kwin_pid" Xwayland); do
        tr '\0' ' ' <"/proc/$child/cmdline" | awk '{ print $2 }' | grep '^:'
        return
    done
    return 1
}

host_click() {
    local repeat=()
    [ "${4:-1}" -gt 1 ] && repeat=(--repeat "$4" --delay 80)
    DISPLAY=$outer_display xdotool mousemove "$1" "$2" click "${repeat[@]}" "$3"
}
host_move() { DISPLAY=$outer_display xdotool mousemove "$1" "$2"; }
host_keys() { DISPLAY=$outer_display xdotool key "$@"; }
host_screenshot() { DISPLAY=$outer_display import -window root "$1" 2>/dev/null; }
# Plasma's menus are used with the pointer: its submenus, filled only when they open, may miss a
# key pressed as they appear. host_item_point <x y width height of the menu> <rows under the
# item> <separators under it>: the middle of an item as Breeze draws it, rows of 26 px and
# separators of 7 px, measured from the foot of the menu.
host_item_point() { echo "$(($1 + $3 / 2)) $(($2 + $4 - 14 - 26 * $5 - 7 * $6))"; }
# An entry's numbers open beside it, level with it, right of the menu.
host_first_number_point() { menu_boxes | awk -v y="$2" '{ if ($1 + $3 > right) right = $1 + $3 } END { print right - 60, y }'; }

start_tray_host() {
    QT_QPA_PLATFORM=wayland plasmashell >>"$out/host.log" 2>&1 &
    tray_pids=($!)
    pids+=("${tray_pids[@]}")
}
stop_tray_host() {
    kill "${tray_pids[@]}" 2>/dev/null
    wait "${tray_pids[@]}" 2>/dev/null
}
tray_host_shown() { host_registered && icon_panel_drawn; }
# The panel is drawn once its bottom rows are no longer the wallpaper's.
icon_panel_drawn() { grab_screen && [ "$(convert "$work/screen.png" -crop 1024x4+0+764 -format '%[fx:mean>0.7]' info:)" = 1 ]; }
