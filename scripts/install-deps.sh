#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian's packages.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libsdl2-dev libgtest-dev libgmock-dev
          xvfb xauth clang)
# The end-to-end test reads every WAV file it writes with readers that are not ours.
packages+=(python3 sox)
# A recording saved whole past 4 GiB (RF64) is read back with ffprobe as well as sox.
packages+=(ffmpeg)
# The format suggestion's corpus: real recordings made into temporary files by sox (speech
# prompts, channel announcements, desktop sound effects, sound icons, game effects and music).
packages+=(alsa-utils sound-theme-freedesktop asterisk-core-sounds-en-wav sound-icons
           lbreakout2-data parsec47-data torus-trooper-data tumiki-fighters-data)
# The real-server tests (SDL's, and Wine's own wave-out over its PulseAudio driver) play into
# a private PulseAudio server and record its null sink.
packages+=(pulseaudio pulseaudio-utils)
# The package check (cpack, dpkg-shlibdeps, appstreamcli, desktop-file-validate) and the
# accessibility check (a private session bus, the AT-SPI bus and its Python binding).
packages+=(python3 dpkg-dev file appstream desktop-file-utils
           dbus dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0)
# The real-input tests click and type on the real windows under Xvfb, with a window manager
# (Wine waits for one to confirm that a window it hides is gone).
packages+=(xdotool openbox x11-utils)
# The Windows program (scripts/build-windows.sh, scripts/test-windows.sh): the cross compiler,
# GoogleTest's sources to build for it, Wine and its fonts, the installer and zip tools, and
# what drives and pictures the program under Xvfb.
if [ "${1:-}" = "--windows" ]; then
    packages+=(g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine nsis zip unzip
               xdotool x11-apps netpbm)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep 'install ok installed' >/dev/null || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
