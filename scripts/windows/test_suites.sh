#!/usr/bin/env bash
# The program-level test suites cross-built for Windows (GoogleTest built with mingw-w64),
# run by ctest under Wine in a fresh prefix. Runs under xvfb-run. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/windows/wine_env.sh
ctest --test-dir build-windows-test --timeout 120 -j "${SALVORIN_JOBS:-2}" "$@"
