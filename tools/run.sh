#!/usr/bin/env bash
# Builds Larkbridge and runs it under Wine against the local web host until it quits or Ctrl+C.
# On a machine without a display it saves a screenshot taken shortly after start-up.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
trap lark_stop_all EXIT

lark_install_deps imagemagick
lark_build --target larkbridge
lark_prepare_prefix
lark_start_display
lark_start_wineserver

"$LARK_ROOT/tools/webhost.sh" start "$LARK_PORT" "$LARK_BUILD/webhost.pid" "$LARK_BUILD/webhost.log"
trap '"$LARK_ROOT/tools/webhost.sh" stop "$LARK_PORT" "$LARK_BUILD/webhost.pid"; lark_stop_all' EXIT
lark_log "local web host on http://127.0.0.1:$LARK_PORT (log: $LARK_BUILD/webhost.log)"

wine "$LARK_BUILD/larkbridge.exe" &
app=$!
if [ "$LARK_HEADLESS" = 1 ]; then
    sleep 6
    shot="$LARK_BUILD/screenshot.png"
    import -window root "$shot" && lark_log "screenshot of the screen after start-up: $shot"
fi
lark_log "running; quit through the tray menu or press Ctrl+C"
wait "$app" || true
