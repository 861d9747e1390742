#!/usr/bin/env bash
# Telmo in a Wayland session: weston's headless backend with XWayland, status-notifier-watcher
# and gtk-sni-tray-standalone as the notification area. The host's clicks are sent as the host
# sends them, over D-Bus (Activate for the left button, ContextMenu as hosts that do not draw
# the exported menu send it, the exported menu's "clicked" event for New Entry). It checks that telmo runs through XWayland by default, that the phone book menu
# opens once at the pointer as a popup, and that New Entry opens the editor on the screen. weston's screenshots of each step go to the output folder; look at them.
#
# Usage: wayland_smoke.sh <telmo executable> <output folder>
# Exit code 0 when every step passed, 1 on a failure, 77 when the tools are missing (skipped).
set -uo pipefail

# shellcheck disable=SC2034 # read by desktop_lib.sh
tray_host=sni
# shellcheck source=../../tests/desktop/desktop_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/desktop/desktop_lib.sh"
# shellcheck disable=SC2046 # one word a tool
desktop_require weston weston-screenshooter Xwayland xdotool dbus-run-session $(desktop_tray_tools)
if [ -z "${TELMO_SMOKE_PRIVATE_BUS:-}" ]; then
    TELMO_SMOKE_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

telmo=$(realpath "$1")
desktop_scratch "$2"
export NO_AT_BRIDGE=1 GDK_BACKEND=x11
unset DISPLAY QT_QPA_PLATFORM TELMO_QT_PLATFORM

weston --backend=headless-backend.so --use-pixman --xwayland --debug --socket=telmo-test \
    --width=800 --height=600 --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
wait_until 100 test -S "$runtime/telmo-test" || { echo "FAILED: weston did not start"; exit 1; }
export WAYLAND_DISPLAY=telmo-test
wait_until 100 grep -q 'xserver listening on display' "$work/weston.log" ||
    { echo "FAILED: weston started no XWayland"; exit 1; }
DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -1)
export DISPLAY
# weston-screenshooter writes into the folder it runs in.
wshot() { (cd "$work" && weston-screenshooter >/dev/null 2>&1 && mv wayland-screenshot*.png "$out/$1.png"); }

printf '[General]\nCount=1\nTopPos=0\n[Item0]\nName=Bakery\nHomePhone=203\nPos=0\nDeleted=0\n' \
    >"$work/telmo.ini"
start_tray_host
wait_until 150 tray_host_shown || fail "the notification area did not start"
start_telmo "$telmo" "$work"
wait_until 100 icons_registered 1 && pass "the icon registered with the host" ||
    fail "no icon registered"
item=$(watcher_property RegisteredStatusNotifierItems | grep -o '"[^"/]*' | tr -d '"' | head -1)

# The left click: one phone book menu, a popup at the pointer (XWayland's pointer, the middle
# of the screen here: the headless output has no pointer of its own).
dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:780 int32:15 >/dev/null
wait_until 50 menus_shown -eq 1 && pass "Activate opened one menu" ||
    fail "$(menus_open) menus after Activate"
wshot 01-activate
xdotool search --onlyvisible --class '^telmo$' >/dev/null 2>&1 &&
    pass "telmo runs through XWayland" || fail "telmo's menu is no X window"
menu_geometries | tee "$out/menu-geometry.txt"
xdotool key Escape
wait_until 30 no_menus_open || fail "the menu did not close"

# A host that leaves the command menu to the program calls ContextMenu: one menu, telmo's
# command menu (seven commands, far taller than the one-entry phone book).
dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.ContextMenu int32:780 int32:15 >/dev/null
wait_until 50 menus_shown -eq 1 && pass "ContextMenu opened one menu" ||
    fail "$(menus_open) menus after ContextMenu"
wshot 02-context-menu
height=$(menu_geometries | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p' | head -1)
[ "${height:-0}" -gt 100 ] && pass "it is the command menu" || fail "a menu $height pixels tall"
xdotool key Escape
wait_until 30 no_menus_open || fail "the command menu did not close"

# New Entry from the exported menu, as the host clicks it: the editor opens whole on the screen.
# weston places the windows of X programs itself (Qt asks for the middle, other compositors
# keep that), so the place is written down, not checked.
new_entry=$(dbus-send --session --print-reply --dest="$item" /MenuBar \
    com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label |
    grep -B10 '"New Entry"' | grep -o 'int32 [0-9]*' | tail -1 | cut -d' ' -f2)
dbus-send --session --print-reply --dest="$item" /MenuBar com.canonical.dbusmenu.Event \
    int32:"$new_entry" string:clicked variant:int32:0 uint32:0 >/dev/null
wait_until 50 visible_window '^Telmo$' && pass "New Entry opened the editor" || fail "no editor"
wshot 03-editor
X=0 Y=0 WIDTH=0 HEIGHT=0
eval "$(xdotool getwindowgeometry --shell "$(window_named '^Telmo$' || echo 0)" 2>/dev/null)"
echo "editor: ${WIDTH}x${HEIGHT} at $X,$Y" | tee "$out/editor-geometry.txt"
[ "$WIDTH" -gt 0 ] && [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 800 ] &&
    [ $((Y + HEIGHT)) -le 600 ] && pass "the editor opened whole on the screen" ||
    fail "the editor opened off the screen"

desktop_finish
