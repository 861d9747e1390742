#!/usr/bin/env bash
# Builds Telmo and starts the tray program in its own folder, where it keeps telmo.ini and from
# where it starts the import program. Installs what is missing on a Debian 12 machine first.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
telmo_install_missing_packages
telmo_build "$TELMO_ROOT/build" -DTELMO_BENCHMARKS=OFF

cd "$TELMO_ROOT/build/bin"
exec ./telmo
