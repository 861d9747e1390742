#!/usr/bin/env bash
# Builds Telmo's Debian package, build/deb/telmo_<version>_<architecture>.deb, from the same
# release build as run.sh and test.sh. Installs what is missing on a Debian 12 machine first.
# Install it with: sudo apt install ./build/deb/telmo_*.deb
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
telmo_install_missing_packages
telmo_build "$TELMO_ROOT/build" -DTELMO_BENCHMARKS=OFF
cpack --config "$TELMO_ROOT/build/CPackConfig.cmake" -B "$TELMO_ROOT/build/deb" >/dev/null
ls "$TELMO_ROOT"/build/deb/telmo_*.deb
