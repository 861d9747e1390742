#!/usr/bin/env bash
# Smoke test of telmo on a real X desktop, once for each kind of notification area: Xvfb as the
# screen, twm as the window manager when it is installed, xdotool as the user, and trayer (an
# XEmbed tray), gtk-sni-tray-standalone beside status-notifier-watcher (a StatusNotifierItem
# host that shows the menu an icon exports) or xfce4-panel (a real desktop's panel) as the
# notification area. It clicks the icon, picks an entry, edits it, adds one with New Entry from
# the command menu and exits, then starts the area late, restarts it under a running telmo and
# checks the desktops without a notification area. Screenshots of every step go to the output
# folder; look at them.
#
# Usage: desktop_smoke.sh <telmo executable> <output folder> [trayer|sni|xfce]
# Exit code 0 when every step passed, 1 on a failure, 77 when the tools are missing (skipped).
set -uo pipefail

tray_host=${3:-trayer}
# shellcheck source=../../tests/desktop/desktop_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/desktop/desktop_lib.sh"
# shellcheck disable=SC2046 # one word a tool
desktop_require Xvfb xdotool xwininfo xprop import $(desktop_tray_tools)
# A StatusNotifierItem host lives on a session bus: a private one, so nothing outside is seen.
if [ "$tray_host" != trayer ] && [ -z "${TELMO_SMOKE_PRIVATE_BUS:-}" ]; then
    desktop_require dbus-run-session
    TELMO_SMOKE_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
echo "notification area: $tray_host"

telmo=$(realpath "$1")
desktop_start "$2"

cat >"$work/telmo.ini" <<'EOF'
[General]
Count=3
TopPos=2
[Item0]
Name=Office
HomePhone=
WorkPhone=1-800-Work-Now
CellPhone=
Beeper=
Fax=202
Pos=1
Deleted=0
[Item1]
Name=Bakery
HomePhone=203
WorkPhone=
CellPhone=
Beeper=
Fax=
Pos=0
Deleted=0
[Item2]
Name=Zoo
HomePhone=
WorkPhone=
CellPhone=555 12
Beeper=
Fax=
Pos=2
Deleted=0
EOF

start_tray_host
wait_until 150 tray_host_shown || fail "the notification area ($tray_host) did not start"

# Start-up: the icon appears and the main window never shows, not even for a moment.
start_telmo "$telmo" "$work"
flashed=0
for _ in $(seq 200); do
    visible_window '^Telmo$' && flashed=1
    icon_shown && break
    sleep 0.02
done
icon_shown && pass "the icon is in the notification area" || fail "no icon after start-up"
[ "$flashed" = 0 ] && pass "the main window stayed hidden" || fail "the main window flashed"
shot 01-start

# A second start ends at once and leaves one icon.
mkdir "$work/second"
(cd "$work/second" && timeout 20 "$telmo") && pass "a second start ended by itself" ||
    fail "a second start did not end"
[ -z "$(ls -A "$work/second")" ] || fail "the second start wrote files"
if [ "$tray_host" = trayer ]; then
    count=$(xwininfo -root -tree | grep -c '"telmo": ("telmo" "telmo")  22x22')
else
    count=$(registered_icons)
fi
[ "$count" = 1 ] && pass "one icon" || fail "$count icons after a second start"

# Left click: the phone book. Office (second), its Work number (second item) opens the card.
click_icon 1
wait_until 30 menus_shown -ge 1 && pass "a left click opened the entry menu" ||
    fail "no entry menu after a left click"
xdotool key Down Down Right
wait_until 30 menus_shown -eq 2 || fail "the entry's submenu did not open"
shot 02-entry-menu
xdotool key Down Return
wait_until 50 visible_window '^Office$' && pass "the number card opened for Office" ||
    fail "no number card"
sleep 0.3
shot 03-number-card

# Edit on the card: the editor, with the focus on the Work field and the icon gone.
card=$(xdotool search --onlyvisible --name '^Office$' | head -1)
if [ -n "$card" ]; then
    eval "$(xdotool getwindowgeometry --shell "$card")"
    xdotool mousemove --window "$card" $((WIDTH - 52)) $((HEIGHT - 23)) click 1
fi
wait_until 50 visible_window '^Telmo$' && pass "Edit opened the editor" || fail "no editor"
wait_until 30 icon_gone && pass "the icon hides while the editor shows" ||
    fail "icon and editor shown together"
sleep 0.3
shot 04-editor
xdotool key ctrl+a type --delay 20 '1-800-Work-Later'
xdotool key Return
wait_until 50 window_gone '^Telmo$' && pass "Enter saved and hid the editor" ||
    fail "Enter did not close the editor"
wait_until 50 icon_shown && pass "the icon came back" || fail "the icon did not come back"
grep -q '^WorkPhone=1-800-Work-Later$' "$work/telmo.ini" && pass "the new number is in the file" ||
    fail "the edited number was not saved"
kill -0 "$telmo_pid" && pass "telmo runs on after the editor closed" || fail "telmo ended"

# Right click: the command menu, once, whoever shows it: New Entry is its first command.
click_icon 3
wait_until 30 menus_shown -ge 1 && pass "a right click opened the command menu" ||
    fail "no command menu after a right click"
# Long enough for a second menu, were one coming, to be on screen.
sleep 0.5
shot 05-command-menu
[ "$(menus_open)" = 1 ] && pass "one menu for one right click" ||
    fail "$(menus_open) menus for one right click"
xdotool key Down Return
wait_until 50 window_focused '^Telmo$' && pass "New Entry opened the editor with the focus" ||
    fail "New Entry did not open a focused editor"
xdotool type --delay 20 'Hardware Store'
xdotool key Tab type --delay 20 '555 0100'
sleep 0.3
shot 06-new-entry
xdotool key Return
wait_until 50 window_gone '^Telmo$' || fail "Enter did not save the new entry"
wait_until 50 grep -q '^Name=Hardware Store$' "$work/telmo.ini" && pass "the new entry was saved" ||
    fail "the new entry is not in the file"
wait_until 50 icon_shown || fail "the icon did not come back after New Entry"

# A double click never opens two menus: they would lie on top of each other. Where the area
# reports clicks over D-Bus (XFCE), the second click lands outside the menu the first opened and
# closes it, as any click beside an open menu does.
click_icon --repeat 2 --delay 80 1
sleep 0.8
shot 07-double-click
least=1
[ "$tray_host" = xfce ] && least=0
stacked=$(menu_geometries | sort | uniq -d | grep -c .)
[ "$(menus_open)" -ge "$least" ] && [ "$stacked" = 0 ] &&
    pass "a double click opened no second menu" ||
    fail "a double click opened $(menus_open) menus, $stacked of them stacked"
xdotool key Escape Escape Escape
wait_until 30 no_menus_open || fail "the menus did not close"

# Exit: the process ends and the icon goes with it.
click_icon 3
wait_until 30 menus_shown -eq 1 || fail "no command menu for Exit"
xdotool key Down Down Down Down Down Down Down Return
wait_until 100 process_ended "$telmo_pid" && pass "Exit ended telmo" || fail "telmo still runs"
wait_until 30 icon_gone && pass "the icon left with it" || fail "the icon stayed after Exit"
shot 08-exit

# A notification area that appears after telmo: the icon shows as soon as it does, and both
# clicks work.
stop_tray_host
wait_until 30 icon_gone
start_telmo "$telmo" "$work"
sleep 3 # the area starts late on purpose
start_tray_host
wait_until 150 icon_shown && pass "the icon appeared with a late notification area" ||
    fail "no icon once the notification area appeared"
shot 09-late-notification-area
both_clicks_work() {
    click_icon 1
    wait_until 30 menus_shown -eq 1 || return 1
    xdotool key Escape
    wait_until 30 no_menus_open || return 1
    click_icon 3
    wait_until 30 menus_shown -eq 1 || return 1
    xdotool key Escape
    wait_until 30 no_menus_open
}
check "both clicks work with a late notification area" both_clicks_work

# The notification area goes away under a running telmo (a panel restarted): the icon comes back
# by itself.
stop_tray_host
wait_until 50 icon_gone || fail "the icon stayed without its notification area"
start_tray_host
wait_until 150 icon_shown && pass "the icon came back with the restarted notification area" ||
    fail "no icon after the notification area restarted"
shot 10-restarted-notification-area
check "both clicks work after the restart" both_clicks_work
kill "$telmo_pid"
wait_until 50 process_ended "$telmo_pid"

# No notification area at all: the user is told, and No ends telmo.
stop_tray_host
start_telmo "$telmo" "$work"
wait_until 200 visible_window '^Telmo$' && pass "the user was told there is no notification area" ||
    fail "no notice without a notification area"
sleep 0.3
shot 11-no-notification-area
xdotool key Escape
wait_until 50 process_ended "$telmo_pid" && pass "No ended telmo" || fail "telmo ran on after No"

desktop_finish
