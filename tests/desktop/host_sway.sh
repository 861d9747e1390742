# shellcheck shell=bash
# sway 1.7 with waybar's tray, headless, Xwayland on. Sourced by e2e.sh after desktop_lib.sh.
# sway refuses to run as root: e2e.sh runs this whole variant as an unprivileged user (see
# run_unprivileged). A headless sway has no input device: wl_input.py gives it a mouse and a
# keyboard for the whole run. waybar draws the menu telmo exports, for both clicks.

host_tools() { echo sway waybar grim swaymsg xdotool xwininfo xprop convert python3 dbus-send; }
host_screen() { echo 1024 768; }
host_panel() { echo 0 30; }
host_menus() { echo combined; }
# waybar's menus take no keys under sway 1.7 (the bar is a layer surface without keyboard
# interactivity): they are used with the pointer.
host_menus_take_keys() { false; }
host_menus_at_pointer() { true; }
host_draws_on_wayland() { true; }

host_desktop_start() {
    mkdir -p "$work/sway" "$work/waybar"
    cat >"$work/sway/config" <<'EOF'
output HEADLESS-1 resolution 1024x768 position 0,0
xwayland enable
focus_follows_mouse no
EOF
    cat >"$work/waybar/config" <<'EOF'
{ "position": "top", "height": 30, "modules-left": [], "modules-center": [],
  "modules-right": ["tray"], "tray": { "icon-size": 22, "spacing": 4 } }
EOF
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$work/sway/config" >"$out/sway.log" 2>&1 &
    pids+=($!)
    wait_until 60 sway_socket || { echo "FAILED: sway did not start within 60 s"; exit 1; }
    WAYLAND_DISPLAY=$(sway_socket)
    SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
    export WAYLAND_DISPLAY SWAYSOCK
    # sway reserves Xwayland's display at start and gives it to the programs it starts.
    swaymsg exec "echo \$DISPLAY >'$work/sway-display'" >/dev/null
    # wlroots gives up when X displays :0 to :32 are all taken (by other X servers of the machine).
    wait_until 60 grep -q : "$work/sway-display" ||
        { echo "FAILED: sway started no Xwayland (are X displays :0 to :32 all taken?)"; exit 1; }
    DISPLAY=$(cat "$work/sway-display")
    export DISPLAY
    echo "sway: $WAYLAND_DISPLAY, Xwayland: $DISPLAY, notification area: waybar"
    coproc WL_INPUT { WL_INPUT_EXTENT=1024x768 python3 "$desktop_dir/wl_input.py" 2>&1; }
    pids+=("$WL_INPUT_PID")
    local ready=
    read -r -t 60 ready <&"${WL_INPUT[0]}"
    [ "$ready" = ready ] || { echo "FAILED: no mouse and keyboard for sway: $ready"; exit 1; }
}
sway_socket() { find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'wayland-*' -type s -printf '%f\n' | head -1 | grep .; }
# wl_input <command>: one command to the mouse and keyboard, answered once sway has handled it.
wl_input() {
    local reply=
    echo "$*" >&"${WL_INPUT[1]}" && read -r -t 30 reply <&"${WL_INPUT[0]}" && [ "$reply" = ok ]
}

host_click() { wl_input move "$1" "$2" && wl_input click "$3" "${4:-1}"; }
host_move() { wl_input move "$1" "$2"; }
host_keys() { wl_input key "$@"; }
host_screenshot() { grim "$1" 2>/dev/null; }
# host_item_point <x y width height of the menu> <rows under the item> <separators under it>: the
# middle of a menu item as GTK draws waybar's menus: rows of 24 px, separators of 1 px, measured
# from the foot of the menu as seen on the screen.
host_item_point() { echo "$(($1 + $3 / 2)) $(($2 + $4 - 21 - 24 * $5 - $6))"; }
# host_first_number_point <x y of the entry clicked>: an entry's numbers open beside it, level
# with it: left of a menu at the screen's right edge, right of one further in. The two menus may
# touch and show as one box; the entry is in the middle of its menu.
host_first_number_point() {
    menu_boxes | awk -v x="$1" -v y="$2" '
        NR == 1 || $1 < left { left = $1 }
        NR == 1 || $1 + $3 > right { right = $1 + $3 }
        END { print (x - left < right - x ? 2 * x - left : left) + 40, y }'
}

start_tray_host() {
    waybar -c "$work/waybar/config" >>"$out/host.log" 2>&1 &
    tray_pids=($!)
    pids+=("${tray_pids[@]}")
}
stop_tray_host() {
    kill "${tray_pids[@]}" 2>/dev/null
    wait "${tray_pids[@]}" 2>/dev/null
}
tray_host_shown() { host_registered; }

# run_unprivileged <script> <arguments...>: as root, runs the script again as the user nobody,
# with the output folder made its own: sway refuses root, and everything of the session (bus,
# bar, telmo) must be one user's. Returns when not root.
run_unprivileged() {
    [ "$(id -u)" = 0 ] || return 0
    local script=$1 output=$3
    mkdir -p "$output"
    chown nobody "$output"
    HOME=/tmp exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$script" "${@:2}"
}
