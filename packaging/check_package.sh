#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a user's system would meet
# it: its control fields and declared dependencies (dpkg-deb -I), its files (dpkg-deb -c),
# and, unpacked into a scratch root, the launcher, the AppStream file, the icons and the
# binary's libraries.
# Usage: check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
app_id=org.salvorin.salvorin

fail() {
    echo "check_package: $*" >&2
    exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps file appstreamcli python3 ldd; do
    command -v "$tool" >/dev/null || fail "$tool is needed (scripts/install-deps.sh installs it)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack failed"
fi
debs=("$work"/out/salvorin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one salvorin_*.deb, found: ${debs[*]}"
deb=${debs[0]}

echo "== dpkg-deb -I $(basename "$deb")"
dpkg-deb -I "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = salvorin ] || fail "package name is '$(field Package)'"
version=$(sed -n 's/^project(salvorin VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$(field Version)" = "$version" ] || fail "version '$(field Version)', project says '$version'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Section)" = sound ] || fail "section '$(field Section)'"

# Every dependency must be a runtime package Debian has (here: one that is installed,
# since the binary was linked against it), never a -dev package, and Qt 6 Widgets and
# SDL 2 must be among them.
depends=$(field Depends)
[ -n "$depends" ] || fail "no Depends"
names=()
IFS=',' read -ra entries <<<"$depends"
for entry in "${entries[@]}"; do
    name=$(echo "$entry" | sed 's/|.*//; s/(.*)//; s/:any//; s/[[:space:]]//g')
    names+=("$name")
    case "$name" in
    *-dev) fail "depends on a development package: $name" ;;
    esac
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep 'install ok installed' >/dev/null \
        || fail "depends on '$name', which is not an installed Debian package"
done
printf '%s\n' "${names[@]}" | grep -x 'libqt6widgets6' >/dev/null || fail "Qt 6 Widgets missing from Depends: $depends"
printf '%s\n' "${names[@]}" | grep -x 'libsdl2-2.0-0' >/dev/null || fail "SDL 2 missing from Depends: $depends"

echo "== dpkg-deb -c $(basename "$deb")"
dpkg-deb -c "$deb" | tee "$work/contents"
awk '{print $6}' "$work/contents" | sed 's|/$||' >"$work/paths"
expected=(./usr/bin/salvorin
          "./usr/share/applications/$app_id.desktop"
          "./usr/share/metainfo/$app_id.metainfo.xml"
          "./usr/share/icons/hicolor/scalable/apps/$app_id.svg")
for size in 16 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" "$work/paths" || fail "missing from the package: $path"
done
# Nothing else: no headers, libraries, tests or helpers, nothing outside /usr.
while read -r path; do
    case "$path" in
    . | ./usr | ./usr/bin | ./usr/share | ./usr/share/applications | ./usr/share/metainfo) ;;
    ./usr/share/icons | ./usr/share/icons/hicolor | ./usr/share/icons/hicolor/*/apps) ;;
    ./usr/share/icons/hicolor/*x* | ./usr/share/icons/hicolor/scalable) ;;
    *) printf '%s\n' "${expected[@]}" | grep -xF "$path" >/dev/null || fail "unexpected file in the package: $path" ;;
    esac
done <"$work/paths"

echo "== unpacked into a scratch root"
root=$work/root
dpkg-deb -x "$deb" "$root"
file -b "$root/usr/bin/salvorin" | grep 'ELF.*executable' >/dev/null || fail "usr/bin/salvorin is not an executable"
if ldd "$root/usr/bin/salvorin" | grep 'not found'; then
    fail "the installed binary has unresolved libraries"
fi

desktop=$root/usr/share/applications/$app_id.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi
# The file a file manager opens with it is passed on; no MIME type is claimed.
grep -qx 'Exec=salvorin %f' "$desktop" || fail "desktop entry does not start usr/bin/salvorin with the file"
! grep -q '^MimeType=' "$desktop" || fail "desktop entry claims file types"
grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry names another icon"
grep -qx 'Categories=AudioVideo;Audio;' "$desktop" || fail "desktop entry categories"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$app_id.metainfo.xml" \
    || fail "AppStream metainfo does not validate"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not name the launcher"

# The icons: the right sizes, and the two small ones exactly the window's own images.
python3 "$source/tools/icons/draw_icons.py" --check "$source/src/ui/resources/icons.cpp" \
    || fail "icons.cpp no longer matches tools/icons/draw_icons.py"
python3 - "$root/usr/share/icons/hicolor" "$app_id" "$source/src/ui/resources/icons.cpp" \
    "$source/tools/icons" <<'PY' || fail "icon check failed"
import struct, sys, zlib
hicolor, app_id, icons_cpp, tool_dir = sys.argv[1:]
sys.path.insert(0, tool_dir)
import draw_icons

def decode(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, width = 8, b'', 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
            assert (depth, colour) == (8, 6), f'{path}: not 8-bit RGBA'
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    rows, stride = [], 1 + 4 * width
    for y in range(height):
        line = raw[y * stride:(y + 1) * stride]
        assert line[0] == 0, f'{path}: unexpected filter'
        rows.append([tuple(line[1 + 4 * x:5 + 4 * x]) for x in range(width)])
    return rows

def colour(digit):
    return (0, 0, 0, 0) if digit == '.' else draw_icons.PALETTE[int(digit, 16)] + (255,)

own = draw_icons.icons_from_cpp(icons_cpp)
for size in (16, 32, 48, 64, 128, 256):
    rows = decode(f'{hicolor}/{size}x{size}/apps/{app_id}.png')
    assert len(rows) == size and len(rows[0]) == size, f'{size}: wrong dimensions'
    if size in own:
        want = [[colour(c) for c in row] for row in own[size]]
        assert rows == want, f'{size}x{size} differs from the window icon'
    opaque = sum(1 for row in rows for px in row if px[3])
    assert opaque > size * size // 3, f'{size}x{size} is mostly empty'
print('icons ok')
PY

echo "check_package: ok ($(basename "$deb"), Depends: $depends)"
