#!/usr/bin/env bash
# End-to-end test of Telmo on a real desktop, driven with the mouse and the keyboard as a person
# would. Screenshots of every step go to the output folder; look at them.
#
# trayer (an XEmbed tray, the default): the whole path. From a program folder holding both
# programs and a phone book: start-up (the icon, the main window never shown, a second start
# that ends at once), a number copied from its card, the entry edited from the card, a new
# entry, two people imported through the wizard, Refresh, a double click, Exit; then a
# notification area that appears late, one restarted under a running telmo, and none at all.
#
# The StatusNotifierItem hosts, each as its users run it: sni (gtk-sni-tray), xfce (xfce4-panel),
# lxqt (lxqt-panel) on X11; sway (waybar), gnome (GNOME Shell with the AppIndicator extension)
# and kde (Plasma) on Wayland, telmo through Xwayland. On each: the icon shows, a left click
# shows the phone book at the click, Escape, a click beside it, a second click on the icon and
# the host's menu each close it, a number opens its card, a right click shows the command menu
# once, New Entry opens the editor focused and not filling the screen, a double click never
# shows two menus, Exit ends telmo, and the area comes late and is restarted under it.
#
# wayland (weston with XWayland, which gives no way to click a notification area: the host's
# part is played over D-Bus): the menus left to the host, and what its items do.
#
# package (trayer, the unpacked Debian package's programs): where a shared installation keeps
# the phone book.
#
# Usage: e2e.sh <folder holding telmo and telmo-import> <output folder>
#               [trayer|sni|xfce|lxqt|sway|gnome|kde|wayland|package]
# Exit code 0 when every step passed, 1 on a failure, 77 when the tools are missing (skipped).
# shellcheck disable=SC2317 # the helpers run through check and wait_until
set -uo pipefail

variant=${3:-trayer}
desktop_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=desktop_lib.sh
source "$desktop_dir/desktop_lib.sh"
case $variant in
trayer | sni | xfce | lxqt | package)
    tray_host=$variant
    [ "$variant" = package ] && tray_host=trayer
    # shellcheck source=host_x11.sh
    source "$desktop_dir/host_x11.sh"
    ;;
wayland)
    # shellcheck disable=SC2034 # read by host_x11.sh
    tray_host=sni
    source "$desktop_dir/host_x11.sh"
    ;;
sway)
    # shellcheck source=host_sway.sh
    source "$desktop_dir/host_sway.sh"
    run_unprivileged "$0" "$@"
    ;;
gnome)
    # shellcheck source=host_gnome.sh
    source "$desktop_dir/host_gnome.sh"
    ;;
kde)
    # shellcheck source=host_kde.sh
    source "$desktop_dir/host_kde.sh"
    ;;
*)
    echo "unknown variant $variant: trayer, sni, xfce, lxqt, sway, gnome, kde, wayland or package"
    exit 2
    ;;
esac
# shellcheck disable=SC2046 # one word a tool
if [ "$variant" = wayland ]; then
    desktop_require weston weston-screenshooter Xwayland xdotool xwininfo xprop dbus-run-session \
        status-notifier-watcher gtk-sni-tray-standalone
else
    desktop_require dbus-run-session $(host_tools)
fi
# A session bus of its own: nothing of the user's desktop or of another run is seen.
if [ -z "${TELMO_E2E_PRIVATE_BUS:-}" ]; then
    TELMO_E2E_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

bin=$(realpath "$1")
desktop_scratch "$2"
[ "$variant" = wayland ] || host_desktop_start

# The program folder as an installation lays it out. Copies, not links: the import program
# finds telmo.ini beside its own file, and /proc/self/exe of a symbolic link names the target.
# The package's programs stay where it put them, and the phone book starts where an earlier
# installation into ~/.local kept it.
book=$work/telmo
mkdir "$book"
if [ "$variant" = package ]; then
    ini=$HOME/.local/lib/telmo/telmo.ini
    mkdir -p "$(dirname "$ini")"
else
    cp "$bin/telmo" "$bin/telmo-import" "$book/" || exit 1
    ini=$book/telmo.ini
fi
cat >"$ini" <<'EOF'
[General]
Count=2
TopPos=1
[Item0]
Name=Zoo
HomePhone=
WorkPhone=
CellPhone=555 12
Beeper=
Fax=
Pos=1
Deleted=0
[Item1]
Name=Bakery
HomePhone=+49 (30) 1234-567
WorkPhone=
CellPhone=
Beeper=
Fax=
Pos=0
Deleted=0
EOF

# ini_value <section> <key>: the value as the file holds it.
ini_value() {
    awk -v section="[$1]" -v key="$2" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$ini"
}
# has_entry <section> <name> <key> <number> <pos>: the entry as the tray program shows it.
has_entry() {
    [ "$(ini_value "$1" Name)" = "$2" ] && [ "$(ini_value "$1" "$3")" = "$4" ] &&
        [ "$(ini_value "$1" Pos)" = "$5" ] && [ "$(ini_value "$1" Deleted)" = 0 ]
}

# Both programs write to telmo.log: a sanitizer's report there is a fault even if all went on.
no_sanitizer_report() { ! grep -q -i -e sanitizer -e 'runtime error' "$out/telmo.log"; }

# The Down presses that reach the first command: in a menu that holds the phone book first, past
# its two entries and the separator.
first_command_keys() { [ "$(host_menus)" = combined ] && echo Down Down Down || echo Down; }
# command_menu <keys...>: right click and the keys that choose a command, counted from the first.
command_menu() {
    open_menu 3 || return 1
    # shellcheck disable=SC2046 # one word a key
    host_keys $(first_command_keys) "$@"
}
# entry_menu_height: opens the entry menu, measures it and closes it again.
entry_menu_height() {
    open_menu 1 || return 1
    menu_height
    close_menus
}
# open_card <name> <keys...>: picks a number and opens its card, titled with the entry's name.
open_card() {
    local name=$1
    shift
    pick_number "$@" || return 1
    host_keys Return
    wait_until 30 window_focused "^$name\$"
}
close_card() {
    host_keys Escape
    wait_until 30 window_gone "^$1\$"
}
# The menus as telmo exports them, an "i" an item and an "s" a separator: the phone book, the
# commands, the phone book then the commands as one menu.
phone_book_layout="i i"
command_layout="i i i i s i i s i"
combined_layout="$phone_book_layout s $command_layout"
# item_point <layout> <place>: the middle of the item at that place (counted from 1, separators
# not counted) of the open menu, where the host's menus take no keys.
item_point() {
    local box below
    read -r -a box <<<"$(menu_boxes | head -1)"
    [ ${#box[@]} = 4 ] || return 1
    # The rows and separators under the item: the host measures from the menu's foot, which no
    # panel hides.
    below=$(awk -v place="$2" '{ n = 0; for (i = 1; i <= NF; i++) if ($i == "i" && ++n == place) break
        rows = 0; seps = 0; for (j = i + 1; j <= NF; j++) if ($j == "i") rows++; else seps++
        print rows, seps }' <<<"$1")
    # shellcheck disable=SC2086 # words on purpose
    host_item_point "${box[@]}" $below
}
# open_number_card: Bakery's first number from a left click: by keys, or by the pointer where
# the host's menus are better used so (host_item_point).
open_number_card() {
    if ! declare -F host_item_point >/dev/null; then
        pick_number Down Right && host_keys Return
        return
    fi
    local layout=$phone_book_layout entry before
    [ "$(host_menus)" = combined ] && layout=$combined_layout
    open_menu 1 && read -r -a entry <<<"$(item_point "$layout" 1)" && [ ${#entry[@]} = 2 ] || return 1
    before=$(menu_boxes)
    host_click "${entry[@]}" 1
    menus_changed() { [ "$(menu_boxes)" != "$before" ]; }
    # shellcheck disable=SC2046 # the point is two words
    wait_until 10 menus_changed && host_click $(host_first_number_point "${entry[@]}") 1
}
# run_command <place>: the command at that place (1 New Entry ... 7 Exit) from a right click.
run_command() {
    if ! declare -F host_item_point >/dev/null; then
        local keys=()
        while [ $((${#keys[@]} + 1)) -lt "$1" ]; do keys+=(Down); done
        command_menu "${keys[@]}" Return
    else
        local layout=$command_layout place=$1
        [ "$(host_menus)" = combined ] && layout=$combined_layout && place=$((place + 2))
        # shellcheck disable=SC2046 # the point is two words
        open_menu 3 && host_click $(item_point "$layout" "$place") 1
    fi
}
# A right click opens one menu, whoever shows it (telmo, or the host its exported menu).
one_command_menu() { open_menu 3 && never_within 1 menus_shown -ge 2; }
telmo_started() {
    start_telmo "$book/telmo" "$book"
    check "the icon is in the notification area" wait_until 60 icon_shown
}
# Exit from the command menu, the last command: the process ends and the icon goes with it.
exit_telmo() {
    run_command 7
    check "Exit ended telmo" wait_until 30 process_ended "$telmo_pid"
    check "the icon left with it" wait_until 30 icon_gone
}
# A double click never opens two menus: they would lie on top of each other. Whether the second
# click closes the menu the first opened, or lands on it and opens an entry's numbers beside it,
# depends on where the menu opens and on when the click comes, which a loaded machine decides.
menus_stacked() { menu_boxes | sort | uniq -d | grep -q .; }
double_click() {
    click_icon 1 2
    check "a double click opened no second menu" never_within 2 menus_stacked
    shot "${1}double-click"
    close_menus
}
both_clicks_work() {
    open_menu 1 && close_menus && open_menu 3 && close_menus
}
# A notification area that appears after telmo has started, and one restarted under it (a
# panel restarted): the icon shows as soon as the area does, and both clicks work.
late_and_restarted_area() {
    stop_tray_host
    wait_until 30 icon_gone
    start_telmo "$book/telmo" "$book"
    check "telmo runs without a notification area" wait_until 60 telmo_connected
    start_tray_host
    check "the icon appeared with a late notification area" wait_until 120 icon_shown
    shot "${1}late-notification-area"
    check "both clicks work with a late notification area" both_clicks_work

    stop_tray_host
    check "the icon went with its notification area" wait_until 30 icon_gone
    start_tray_host
    check "the icon came back with the restarted notification area" wait_until 120 icon_shown
    shot "${1}restarted-notification-area"
    check "both clicks work after the restart" both_clicks_work
    kill "$telmo_pid"
    wait_until 30 process_ended "$telmo_pid"
}

# New Entry, from the one command menu: the name has the focus, Tab goes to the home phone, Enter
# saves Carol between Bakery and Zoo.
new_entry_carol() {
    check "a right click opened one menu" one_command_menu
    shot 06-command-menu
    xdotool key Down Return
    check "New Entry opened the editor with the focus" wait_until 30 window_focused '^Telmo$'
    xdotool type --delay 20 'Carol'
    xdotool key Tab
    xdotool type --delay 20 '030 555-0199'
    shot 07-new-entry
    xdotool key Return
    check "Enter saved and closed the editor" wait_until 30 window_gone '^Telmo$'
    check "telmo.ini holds Carol between Bakery and Zoo" \
        has_entry Item2 Carol HomePhone '030 555-0199' 1
    check "the icon came back" wait_until 30 icon_shown
}
# Import Entries: the wizard, page by page, brings in two people after three entries. Qt handles
# each key in turn, and Enter (Next) sets up the next page before the next key is read, so the
# keys need no pauses.
# turn_page <keys...>: a page of the wizard turned with the keys, once the screen has changed and
# settled again. Page 4 lists the names beside the wizard, with its controls disabled meanwhile:
# keys typed before they are listed would be lost.
turn_page() {
    local before
    grab_screen && before=$(screen_sum)
    xdotool key "$@"
    screen_differs() { grab_screen && [ "$(screen_sum)" != "$before" ]; }
    wait_until 30 screen_differs && wait_until 10 screen_settled
}
import_two_people() {
    local wizard wizard_pid
    printf '%s\n' 'First Name,Last Name,Mobile Phone,Work Phone' 'Anna,Smith,0170 111,' \
        'Max,Mustermann,,030 999' 'Nobody,Here,,' >"$work/contacts.csv"
    command_menu Down Down Down Right
    wait_until 10 menus_shown = 2
    shot 08-import-command
    xdotool key Return
    check "Import Entries opened the wizard" wait_until 60 visible_window '^Wizard$'
    wizard=$(window_named '^Wizard$')
    wizard_pid=$(xdotool getwindowpid "$wizard" 2>/dev/null)
    check "the wizard names its process" test -n "$wizard_pid" && pids+=("$wizard_pid")
    # A person moves the pointer onto the wizard to type there.
    xdotool mousemove --window "$wizard" 20 20
    check "the wizard has the keyboard focus" wait_until 30 window_focused '^Wizard$'
    shot 09-wizard-import-from
    xdotool key Return
    xdotool type --delay 10 "$work/contacts.csv"
    shot 10-wizard-select-file
    xdotool key Return
    shot 11-wizard-match-fields
    check "the names were listed" turn_page Return
    # Page 4 starts on Delete Existing Entries; the names list and Select All follow.
    xdotool key Tab Tab space
    shot 12-wizard-select-names
    # Enter would press the focused Select All again: Finish by its mnemonic.
    xdotool key alt+f
    check "the import finished" wait_until 60 visible_window '^Done$'
    shot 13-import-done
    xdotool key Return
    check "the wizard ended" wait_until 30 process_ended "$wizard_pid"
    # The one without a number is never offered.
    check "telmo.ini holds Anna Smith first" has_entry Item3 'Anna Smith' CellPhone '0170 111' 0
    check "telmo.ini holds Max Mustermann fourth" \
        has_entry Item4 'Max Mustermann' WorkPhone '030 999' 3
    check "telmo.ini counts five entries, the last at position 4" \
        test "$(ini_value General Count)" = 5 -a "$(ini_value General TopPos)" = 4
}

# The whole path under trayer.
trayer_path() {
    local started flashed=0 height2 height3 height5 row
    start_tray_host
    check "trayer started" wait_until 60 tray_host_shown || desktop_finish

    # 1. Start: the icon appears, the main window never shows, not even for a moment.
    started=$(date +%s%N)
    start_telmo "$book/telmo" "$book"
    icon_without_window() {
        visible_window '^Telmo$' && flashed=1
        icon_shown
    }
    check "the icon is in the notification area" wait_until 60 icon_without_window || desktop_finish
    check "the main window stayed hidden" test "$flashed" = 0
    shot 01-start
    # A second start ends at once, writes nothing and leaves one icon.
    mkdir "$work/second"
    check "a second start ended by itself" bash -c "cd '$work/second' && timeout 60 '$book/telmo'"
    check "the second start wrote nothing" test -z "$(ls -A "$work/second")"
    check "one icon" test "$(xwininfo -root -tree | grep -c '"telmo": ("telmo" "telmo")  22x22')" = 1
    height2=$(entry_menu_height)

    # 2. Bakery's home number: its card, where Copy Number is one step back from Close.
    check "Bakery's submenu opened" pick_number Down Right
    shot 02-entry-menu
    xdotool key Return
    check "the number card opened for Bakery" wait_until 30 window_focused '^Bakery$'
    shot 03-number-card
    xdotool key shift+Tab space
    clipboard_is() { [ "$(xclip -o -selection clipboard 2>/dev/null; echo .)" = "$1." ]; }
    check "Copy Number put the number on the clipboard" \
        wait_until 30 clipboard_is '+49 (30) 1234-567'
    shot 04-number-copied

    # Edit on the card: the editor with the focus on that number, and the icon gone meanwhile.
    eval "$(xdotool getwindowgeometry --shell "$(window_named '^Bakery$' || echo 0)")"
    xdotool mousemove --window "$(window_named '^Bakery$')" $((WIDTH - 52)) $((HEIGHT - 23)) click 1
    check "Edit opened the editor in place of the card" wait_until 30 window_focused '^Telmo$'
    check "the icon hides while the editor shows" wait_until 30 icon_gone
    shot 05-editor
    xdotool key ctrl+a type --delay 20 '030 4711'
    xdotool key Return
    check "Enter saved and closed the editor" wait_until 30 window_gone '^Telmo$'
    check "telmo.ini holds Bakery's new home number" has_entry Item1 Bakery HomePhone '030 4711' 0
    check "the icon came back" wait_until 30 icon_shown
    check "telmo runs on after the editor closed" kill -0 "$telmo_pid"

    # 3. A new entry, then two people imported.
    new_entry_carol
    height3=$(entry_menu_height)
    import_two_people

    # 4. The menu shows the imported people only after Refresh.
    check "before Refresh the menu is unchanged" test "$(entry_menu_height)" = "$height3"
    command_menu Down Down Return
    wait_until 10 no_menus_open
    open_menu 1
    shot 14-refreshed-menu
    height5=$(menu_height)
    close_menus
    row=$((height3 - height2))
    echo "menu heights: 2 rows $height2, 3 rows $height3, after Refresh $height5 (row $row)"
    check "the refreshed menu has five rows" test "$row" -gt 0 -a "$height5" = $((height3 + 2 * row))
    check "Anna Smith is first in the menu" open_card 'Anna Smith' Down Right Down Down
    shot 15-imported-card
    check "the card closed" close_card 'Anna Smith'
    check "Max Mustermann is fourth in the menu" \
        open_card 'Max Mustermann' Down Down Down Down Right Down
    check "the card closed" close_card 'Max Mustermann'

    # 5. A double click, then Exit.
    double_click 16-
    exit_telmo
    shot 17-exit
    echo "run time of the person's path: $((($(date +%s%N) - started) / 1000000)) ms"

    late_and_restarted_area 18-

    # No notification area at all: the user is told once, and No ends telmo.
    stop_tray_host
    start_telmo "$book/telmo" "$book"
    check "the user was told there is no notification area" wait_until 60 visible_window '^Telmo$'
    check "told once" test "$(xdotool search --onlyvisible --name '^Telmo$' | grep -c .)" = 1
    shot 19-no-notification-area
    xdotool key Escape
    check "No ended telmo" wait_until 30 process_ended "$telmo_pid"
}

# The phone book right after a left click: the one menu open, telmo's own where telmo draws it,
# with a corner within 40 px of the click; GNOME hangs its menus from the panel under the icon,
# centred, and there the menu is the phone book if it opens under the icon.
phone_book_at_click() {
    local at box distance panel
    at=$(icon_point) && open_menu 1 && never_within 1 menus_shown -ge 2 || return 1
    read -r -a box <<<"$(menu_boxes | head -1)"
    # shellcheck disable=SC2086 # the point is two words
    distance=$(menu_corner_distance $at)
    echo "phone book ${box[*]} (x y width height) for a click at $at: nearest corner $distance px" |
        tee -a "$out/geometry.txt"
    if [ "$(host_menus)" = own ] && ! x_menu_boxes_of telmo | grep -q .; then
        echo "the menu open is not telmo's phone book"
        return 1
    fi
    if [ "$variant" = gnome ]; then
        read -r -a panel <<<"$(host_panel)"
        read -r -a at <<<"$at"
        [ "${box[1]}" -le $((panel[1] + 40)) ] && [ "${box[0]}" -le "${at[0]}" ] &&
            [ $((box[0] + box[2])) -ge "${at[0]}" ]
    else
        [ "$distance" -le 40 ]
    fi
}
x_menu_boxes_of() {
    local window
    for window in $(xdotool search --onlyvisible --maxdepth 1 --class "^$1\$" 2>/dev/null); do
        xwininfo -id "$window" 2>/dev/null | grep -q 'Override Redirect State: yes' && echo "$window"
    done
}
# <what> closes the phone book: opened anew, the phone book goes and no menu comes back.
phone_book_closed_by() {
    open_menu 1 || return 1
    "$@"
    wait_until 10 no_menus_open && never_within 1 menus_shown -ge 1
    local closed=$?
    if [ "$closed" != 0 ]; then
        # What stayed open, for the one reading the failure.
        echo "open after $*: $(menu_boxes | tr '\n' ';')" | tee -a "$out/geometry.txt"
        shot "not-closed-by-$1"
    fi
    rest_pointer
    return "$closed"
}
escape() { host_keys Escape; }
# shellcheck disable=SC2046 # the point is two words
click_beside() { host_click $(desktop_point) 1; }
second_click() { click_icon 1; }
# The host's menu (a right click) takes the phone book's place: never both. Where telmo draws the
# phone book on X11 it holds the pointer, so the right click only closes it; where the host draws
# both, the right click opens or closes its one menu.
host_menu_replaces_phone_book() {
    open_menu 1 || return 1
    click_icon 3
    wait_until 10 phone_book_gone && never_within 1 menus_shown -ge 2
}
phone_book_gone() {
    menus_shown -le 1 && { [ "$(host_menus)" = combined ] || ! x_menu_boxes_of telmo | grep -q .; }
}

# The package's programs, installed for every user of the machine. Started by name from the home
# folder, as from a terminal, the tray program takes the phone book of an earlier installation
# into ~/.local over into the user's data folder; it and the import wizard it starts write that
# book, and the earlier one stays as it was.
package_path() {
    local earlier=$ini
    cp "$earlier" "$work/earlier-book"
    ini=$XDG_DATA_HOME/telmo/telmo.ini
    start_tray_host
    check "trayer started" wait_until 60 tray_host_shown || desktop_finish
    start_telmo "$bin/telmo" "$HOME"
    check "the icon is in the notification area" wait_until 60 icon_shown || desktop_finish
    shot 01-start
    check "the earlier phone book was taken over" cmp "$earlier" "$ini"
    check "Bakery's submenu opened" pick_number Down Right
    shot 02-entry-menu
    close_menus
    new_entry_carol
    import_two_people
    check "the earlier phone book stayed as it was" cmp "$work/earlier-book" "$earlier"
    exit_telmo
}

# A StatusNotifierItem host, as its users click it.
host_path() {
    start_tray_host
    check "the notification area ($variant) started" wait_until 120 tray_host_shown ||
        desktop_finish
    telmo_started || desktop_finish
    rest_pointer
    host_draws_on_wayland && remember_screen_at_rest
    shot 01-start

    check "a left click shows the phone book next to the icon" phone_book_at_click
    shot 02-phone-book
    close_menus
    if host_menus_take_keys; then
        check "Escape closes the phone book" phone_book_closed_by escape
    else
        echo "not run: Escape closes the phone book (the host's menus take no keys)"
    fi
    check "a click beside the phone book closes it" phone_book_closed_by click_beside
    check "a second click on the icon closes the phone book" phone_book_closed_by second_click
    check "the host's menu takes the phone book's place" host_menu_replaces_phone_book
    shot 03-host-menu-after-phone-book
    close_menus

    open_number_card
    check "the number card opened for Bakery" wait_until 30 window_focused '^Bakery$'
    shot 05-number-card
    check "the card closed" close_card Bakery

    check "a right click shows the command menu once" one_command_menu
    shot 06-command-menu
    close_menus
    run_command 1
    check "New Entry opened the editor with the focus" wait_until 30 window_focused '^Telmo$'
    check "the editor is a dialog, not filling the screen" window_not_filling_screen '^Telmo$'
    shot 07-new-entry
    host_keys Escape
    check "Escape closed the editor" wait_until 30 window_gone '^Telmo$'
    check "the icon came back" wait_until 30 icon_shown
    rest_pointer
    double_click 08-
    exit_telmo
    late_and_restarted_area 09-
}

# Wayland: weston's headless backend with XWayland, which has no way to click a notification
# area: the host's part is played over D-Bus, as a host does it. In a Wayland session the host
# draws the menus telmo exports: a left click's Activate is refused, the exported menu holds the
# phone book then the commands, and its items clicked do what they say.
wayland_path() {
    local item labels
    export GDK_BACKEND=x11
    unset DISPLAY QT_QPA_PLATFORM TELMO_QT_PLATFORM
    weston --backend=headless-backend.so --use-pixman --xwayland --debug --socket=telmo-test \
        --width=800 --height=600 --idle-time=0 >"$work/weston.log" 2>&1 &
    pids+=($!)
    wait_until 60 test -S "$XDG_RUNTIME_DIR/telmo-test" ||
        { fail "weston did not start within 60 s"; return; }
    export WAYLAND_DISPLAY=telmo-test
    wait_until 60 grep -q 'xserver listening on display' "$work/weston.log" ||
        { fail "weston started no XWayland within 60 s"; return; }
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -1)
    export DISPLAY
    # weston-screenshooter writes into the folder it runs in.
    wshot() { (cd "$work" && weston-screenshooter >/dev/null 2>&1 && mv wayland-screenshot*.png "$out/$1.png"); }

    start_tray_host
    check "the notification area started" wait_until 60 tray_host_shown || desktop_finish
    start_telmo "$book/telmo" "$book"
    icons_registered() { [ "$(watcher_property RegisteredStatusNotifierItems | grep -c '^ *string "')" = 1 ]; }
    check "the icon registered with the host" wait_until 60 icons_registered || desktop_finish
    item=$(watcher_property RegisteredStatusNotifierItems | grep -o '"[^"/]*' | tr -d '"' | head -1)
    wshot 01-start

    activate_refused() {
        ! dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
            org.kde.StatusNotifierItem.Activate int32:780 int32:15 >/dev/null 2>&1
    }
    check "a left click is left to the host's menu (Activate refused)" activate_refused
    check "telmo showed no menu of its own" never_within 1 menus_shown -ge 1
    dbus-send --session --print-reply --dest="$item" /MenuBar \
        com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label >"$out/layout.txt"
    labels=$(dbus-send --session --print-reply --dest="$item" /MenuBar \
        com.canonical.dbusmenu.GetLayout int32:0 int32:1 array:string:label |
        grep -o 'string "[^"]*"' | grep -v '"label"' | tr '\n' ' ')
    echo "exported menu: $labels" | tee "$out/menu.txt"
    check "the host's menu holds the phone book, then the commands" \
        grep -q '"Bakery" .*"Zoo" .*"New Entry" .*"Exit"' "$out/menu.txt"

    exported_click "Home:"
    check "a number opens its card" wait_until 30 visible_window '^Bakery$'
    wshot 02-number-card
    xdotool key --window "$(window_named '^Bakery$')" Escape
    check "the card closed" wait_until 30 window_gone '^Bakery$'
    # shellcheck disable=SC2329 # run through check
    host_screen() { echo 800 600; }
    exported_click "New Entry"
    check "New Entry opened the editor" wait_until 30 visible_window '^Telmo$'
    wshot 03-editor
    check "the editor opened whole on the screen, not filling it" window_not_filling_screen '^Telmo$'
    # weston gives the keyboard to a window clicked, and there is no clicking here: Escape is
    # sent to the editor itself.
    xdotool key --window "$(window_named '^Telmo$')" Escape
    check "Escape closed the editor" wait_until 30 window_gone '^Telmo$'
    exported_click Exit
    check "Exit ended telmo" wait_until 30 process_ended "$telmo_pid"
}
# exported_click <label>: the first item of the exported menu whose label begins so, clicked as
# a host reports it: the menu opened, the item clicked, the menu closed. The icon registers anew
# each time it shows again (after a dialog), under a new name.
exported_click() {
    local id
    wait_until 30 icons_registered
    item=$(watcher_property RegisteredStatusNotifierItems | grep -o '"[^"/]*' | tr -d '"' | head -1)
    id=$(dbus-send --session --print-reply --dest="$item" /MenuBar \
        com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label |
        awk -v label="string \"$1" '$1 == "int32" { id = $2 } index($0, label) { print id; exit }')
    menu_event 0 opened
    menu_event "${id:-0}" clicked
    menu_event 0 closed
}
menu_event() {
    dbus-send --session --print-reply --dest="$item" /MenuBar com.canonical.dbusmenu.Event \
        int32:"$1" "string:$2" variant:int32:0 uint32:0 >/dev/null
}

case $variant in
trayer) trayer_path ;;
wayland) wayland_path ;;
package) package_path ;;
*) host_path ;;
esac
check "no sanitizer reported an error" no_sanitizer_report
desktop_finish
