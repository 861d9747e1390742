#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Telmo need, when any is missing.
# Sourced by run.sh and test.sh.
set -euo pipefail

TELMO_PACKAGES=(
    cmake g++ ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    libxcb1-dev libudev-dev
    xvfb xauth trayer xdotool xclip imagemagick x11-utils dbus desktop-file-utils
    haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils xfce4-panel
    lxqt-panel openbox sway waybar grim
    weston xwayland qt6-wayland
    clang libclang-rt-14-dev
    dbus-daemon python3-dbusmock
    dpkg-dev file lintian appstream groff-base man-db
)

# The large desktops, for the desktop test's GNOME Shell and KDE Plasma runs (test.sh
# --all-desktops) only: Plasma's shell package and Qt 5's Wayland plugin come beside its programs.
# shellcheck disable=SC2034 # read by test.sh
TELMO_LARGE_DESKTOP_PACKAGES=(
    gnome-shell gnome-shell-extension-appindicator
    kwin-wayland plasma-workspace plasma-desktop kactivitymanagerd kded5 qtwayland5
)

# telmo_install_missing_packages [more packages...]: TELMO_PACKAGES and those given.
telmo_install_missing_packages() {
    local missing=()
    local package
    for package in "${TELMO_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Missing packages (${missing[*]}) and no sudo to install them." >&2
            exit 1
        }
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# telmo_build <build folder> [cmake options...]: optimised as Debian builds (-O2, not CMake's
# -O3), without debug information, unless the options say otherwise.
telmo_build() {
    local folder=$1
    shift
    cmake -S "$TELMO_ROOT" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" "$@" >/dev/null
    cmake --build "$folder" -j2
}

TELMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
