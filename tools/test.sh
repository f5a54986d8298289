#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Extra arguments go to ctest (e.g. -R ui_draw).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
trap lark_stop_all EXIT

lark_install_deps
lark_build
lark_prepare_prefix
lark_start_display
lark_start_wineserver
ctest --test-dir "$LARK_BUILD" --output-on-failure --timeout 300 "$@"
