# Sourced by the Windows scripts: a fresh Wine prefix under a temporary folder, quiet Wine,
# and helpers to run a Windows program there. The caller runs under xvfb-run.
wine_tmp=$(mktemp -d "${TMPDIR:-/tmp}/salvorin-wine.XXXXXX")
export WINEPREFIX="$wine_tmp/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$wine_tmp"
}
trap wine_cleanup EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
# One server for the whole run: tests started in parallel then never race to start their own.
wineserver -p
# The prefix's C: drive as a Linux path, and its user's temporary folder.
wine_c="$WINEPREFIX/drive_c"
wine_temp="$wine_c/users/$(id -un)/Temp"
mkdir -p "$wine_temp"
