#!/usr/bin/env bash
# The release program holds no test seam: none of the testing library's functions, none of
# the Win32 calls only tests make, and no fault check (the hook points compile to nothing
# outside the testing library).
# Usage: check_no_seams.sh <salvorin binary>   (NM: the nm for its target, nm by default)
set -euo pipefail
seams='FaultInject|FaultClearAll|FaultCallCount|FaultShouldFail|MessageBoxScript[A-Za-z]*|MessageBoxLog[A-Za-z]*|MessageBoxUnscriptedCount|FileDialogScript[A-Za-z]*|FileDialogLog[A-Za-z]*|FileDialogUnscriptedCount|FileDialogShown|FileDialogUser[A-Za-z]*|OnNextFileDialog|OnNextModalLoop|TakeNextModalAction|PumpMessages|User(Click|PickComboRow|TypeComboText|PressKey|CloseWindow|OpenMenu|ChooseMenuItem|Slider)|QueryStaticTextColor|MenuItemText|WindowIcon|IconPixel|ActiveModalDialog|SaveWindowImage|WaveOutUseTestDevice|TestDevice[A-Za-z]*|kTestBackend'
# The Win32 calls only tests make: on Linux the platform layer's own, so they must be absent;
# on Windows they are the system's, and its C runtime may import some (WaitForSingleObject).
if [ -z "${SALVORIN_SYSTEM_CALLS_ARE_THE_SYSTEMS:-}" ]; then
    seams="$seams|CreateDialogParamA|DestroyWindow|IsWindowEnabled|IsWindowVisible|GetWindowTextA|GetWindowRect|MapDialogRect|GetObjectA|GetMenu|GetMenuState|WaitForSingleObject"
fi
found=$("${NM:-nm}" -C "$1" | grep -Ew "($seams)" || true)
if [ -n "$found" ]; then
    echo "seam symbols in $1:" >&2
    echo "$found" >&2
    exit 1
fi
echo "no seam symbols in $1"
