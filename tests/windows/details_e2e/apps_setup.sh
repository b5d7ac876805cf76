#!/bin/sh
# The applications tab's part of a managed computer, played by this machine
# under its Wine computer name (see apps_setup.cpp), and \\<name>\C$, the
# administrative share of its drive C:, as the prefix's drive C:. The name,
# as Wine's GetComputerName gives it, goes to <name file> for the client.
#   apps_setup.sh <details_apps_setup.exe> <name file>
set -eu
name=$(wine "$1" | tr -d '\r')
[ -n "$name" ]
printf '%s\n' "$name" >"$2"
prefix=${WINEPREFIX:-$HOME/.wine}
mkdir -p "$prefix/dosdevices/unc/$name"
ln -sfn "$prefix/drive_c" "$prefix/dosdevices/unc/$name/C\$"
printf '%s is %s\n' "\\\\$name\\C\$" "$prefix/drive_c"
