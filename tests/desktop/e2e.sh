#!/usr/bin/env bash
# End-to-end test of Telmo on a real X desktop, driven with the mouse and the keyboard as a
# person would: from a program folder that holds both programs and a phone book, it copies a
# number from the number card, adds an entry in the editor, imports two people from a CSV file
# through the wizard, refreshes the menu and exits. Screenshots of every step go to the output
# folder; look at them.
#
# Usage: e2e.sh <folder holding telmo and telmo-import> <output folder>
# Exit code 0 when every step passed, 1 on a failure, 77 when the tools are missing (skipped).
# shellcheck disable=SC2317 # the helpers run through check and wait_until
set -uo pipefail

# shellcheck source=desktop_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/desktop_lib.sh"
desktop_require Xvfb trayer xdotool xwininfo import
if command -v xclip >/dev/null; then
    clipboard_text() { xclip -o -selection clipboard 2>/dev/null; }
elif command -v xsel >/dev/null; then
    clipboard_text() { xsel --clipboard --output 2>/dev/null; }
else
    echo "SKIPPED: neither xclip nor xsel is installed to read the clipboard (Debian package" \
        "xclip; scripts/setup.sh installs every package the tests need)."
    exit 77
fi

bin=$(realpath "$1")
desktop_start "$2"

# The program folder as an installation lays it out. Copies, not links: the import program
# finds telmo.ini beside its own file, and /proc/self/exe of a symbolic link names the target.
book=$work/telmo
mkdir "$book"
cp "$bin/telmo" "$bin/telmo-import" "$book/" || exit 1
ini=$book/telmo.ini
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
# Two people with a number and one without, who is never offered.
csv=$work/contacts.csv
cat >"$csv" <<'EOF'
First Name,Last Name,Mobile Phone,Work Phone
Anna,Smith,0170 111,
Max,Mustermann,,030 999
Nobody,Here,,
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
# Exact text, a trailing line break included.
clipboard_is() { [ "$(clipboard_text; echo .)" = "$1." ]; }

# Both programs write to telmo.log: a sanitizer's report there is a fault even if all went on.
no_sanitizer_report() { ! grep -q -i -e sanitizer -e 'runtime error' "$out/telmo.log"; }

# The height of the one open menu, in pixels.
menu_height() { menu_geometries | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }
# entry_menu_height: opens the entry menu, measures it and closes it again.
entry_menu_height() {
    click_icon 1
    wait_until 50 menus_shown = 1 || return 1
    menu_height
    xdotool key Escape
    wait_until 30 no_menus_open
}

# pick_number <keys...>: left click and the keys that open an entry's submenu and go to one of
# its numbers; true once the submenu is open.
pick_number() {
    local attempt
    # A click soon after the one before reads as a double click, which opens nothing, and a menu
    # is mapped a moment before it grabs the keyboard, so keys sent in between are lost: a pick
    # that did not open the submenu is closed and made again.
    for attempt in 1 2 3; do
        click_icon 1
        if wait_until 30 menus_shown = 1; then
            xdotool key "$@"
            wait_until 30 menus_shown = 2 && return 0
        fi
        xdotool key Escape Escape
        wait_until 30 no_menus_open
    done
    return 1
}
# open_card <name> <keys...>: picks a number and opens its card, titled with the entry's name.
open_card() {
    local name=$1
    shift
    pick_number "$@" || return 1
    xdotool key Return
    wait_until 100 window_focused "^$name\$"
}
close_card() {
    xdotool key Escape
    wait_until 50 window_gone "^$1\$"
}

# command_menu <keys...>: right click and the keys that choose a command.
command_menu() {
    click_icon 3
    wait_until 50 menus_shown -ge 1 || return 1
    xdotool key "$@"
}

start_tray_host
check "trayer started" wait_until 50 tray_host_shown

# 1. Start: the icon appears.
started=$(date +%s%N)
start_telmo ./telmo "$book"
check "the icon is in the notification area" wait_until 200 icon_shown
shot 01-start
height2=$(entry_menu_height)

# 2. Bakery's home number: its card, where Copy Number is one step back from Close.
check "Bakery's submenu opened" pick_number Down Right
sleep 0.3
shot 02-entry-menu
xdotool key Return
check "the number card opened for Bakery" wait_until 100 window_focused '^Bakery$'
shot 03-number-card
xdotool key shift+Tab space
check "Copy Number put the number on the clipboard" \
    wait_until 50 clipboard_is '+49 (30) 1234-567' || echo "the clipboard holds '$(clipboard_text)'"
shot 04-number-copied
check "the card closed" close_card Bakery

# 3. New Entry: the name has the focus, Tab goes to the home phone, Enter saves.
command_menu Down Return
check "New Entry opened the editor" wait_until 100 window_focused '^Telmo$'
xdotool type --delay 20 'Carol'
xdotool key Tab
xdotool type --delay 20 '030 555-0199'
shot 05-new-entry
xdotool key Return
check "Enter saved and closed the editor" wait_until 50 window_gone '^Telmo$'
check "telmo.ini holds Carol between Bakery and Zoo" \
    has_entry Item2 Carol HomePhone '030 555-0199' 1
check "the icon came back" wait_until 50 icon_shown
height3=$(entry_menu_height)

# 4. Import Entries: the wizard, page by page.
command_menu Down Down Down Down Right
wait_until 30 menus_shown = 2
sleep 0.3
shot 06-import-command
xdotool key Return
check "Import Entries opened the wizard" wait_until 150 visible_window '^Wizard$'
wizard=$(window_named '^Wizard$')
wizard_pid=$(xdotool getwindowpid "$wizard" 2>/dev/null)
check "the wizard names its process" test -n "$wizard_pid" && pids+=("$wizard_pid")
# A person moves the pointer onto the wizard and types there; twm's focus follows the pointer.
xdotool mousemove --window "$wizard" 20 20
check "the wizard has the keyboard focus" wait_until 50 window_focused '^Wizard$'
shot 07-wizard-import-from
# Qt handles each key in turn, and Enter (Next) sets up the next page before the next key is
# read, so the keys need no pauses; the pauses only let the screenshots catch up.
xdotool key Return
xdotool type --delay 10 "$csv"
sleep 0.3
shot 08-wizard-select-file
xdotool key Return
sleep 0.3
shot 09-wizard-match-fields
# Page 4 starts on Delete Existing Entries; the names list and Select All follow.
xdotool key Return Tab Tab space
sleep 0.3
shot 10-wizard-select-names
# Enter would press the focused Select All again: Finish by its mnemonic.
xdotool key alt+f
check "the import finished" wait_until 100 visible_window '^Done$'
shot 11-import-done
xdotool key Return
check "the wizard ended" wait_until 100 process_ended "$wizard_pid"
check "telmo.ini holds Anna Smith first" has_entry Item3 'Anna Smith' CellPhone '0170 111' 0
check "telmo.ini holds Max Mustermann fourth" \
    has_entry Item4 'Max Mustermann' WorkPhone '030 999' 3
check "telmo.ini counts five entries, the last at position 4" \
    test "$(ini_value General Count)" = 5 -a "$(ini_value General TopPos)" = 4

# 5. The menu shows the imported people only after Refresh.
check "before Refresh the menu is unchanged" test "$(entry_menu_height)" = "$height3"
command_menu Down Down Down Return
wait_until 30 no_menus_open
click_icon 1
wait_until 50 menus_shown = 1
sleep 0.3
shot 12-refreshed-menu
height5=$(menu_height)
xdotool key Escape
wait_until 30 no_menus_open
row=$((height3 - height2))
echo "menu heights: 2 rows $height2, 3 rows $height3, after Refresh $height5 (row $row)"
check "the refreshed menu has five rows" test "$row" -gt 0 -a "$height5" = $((height3 + 2 * row))
check "Anna Smith is first in the menu" open_card 'Anna Smith' Down Right Down Down
shot 13-imported-card
check "the card closed" close_card 'Anna Smith'
check "Max Mustermann is fourth in the menu" \
    open_card 'Max Mustermann' Down Down Down Down Right Down
check "the card closed" close_card 'Max Mustermann'

# 6. Exit: the process ends and the icon goes with it.
command_menu Down Down Down Down Down Down Down Return
check "Exit ended telmo" wait_until 100 process_ended "$telmo_pid"
check "the icon left with it" wait_until 30 icon_gone
shot 14-exit
check "no sanitizer reported an error" no_sanitizer_report
echo "run time: $(( ($(date +%s%N) - started) / 1000000 )) ms"

desktop_finish
