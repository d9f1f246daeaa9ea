#!/usr/bin/env bash
# The program-level test suites cross-built for Windows (GoogleTest built with mingw-w64),
# run by ctest under Wine in a fresh prefix. Runs under xvfb-run. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/windows/wine_env.sh
ctest --test-dir build-windows-test --timeout 120 -j "${SALVORIN_JOBS:-2}" "$@"

# Every caption once more at 150 % (144 dots per inch), as a user of a scaled display sees them.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wineserver -w
wine build-windows-test/tests/test_ui.exe --gtest_filter='TextsFit.*'
