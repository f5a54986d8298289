#!/usr/bin/env bash
# Runs a Windows program in the build's private Wine prefix (CTest's emulator and the run command).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/${BUILD_DIR:-build}/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
exec wine "$@"
