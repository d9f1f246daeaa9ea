#!/usr/bin/env bash
# The Windows program: cross-built with mingw-w64, its installer and zip made, and tested
# under Wine (a fresh prefix per run, WINEDEBUG=-all, under xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh
xvfb-run -a scripts/windows/test_installer.sh
