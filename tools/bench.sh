#!/usr/bin/env bash
# Builds the benchmark and prints its table: start-up against a minimal window, frame costs, idle
# CPU, memory growth and exe size, under the same Wine as the tests. Extra arguments go to the
# benchmark: --runs N (default 5), --cycles N (1000), --hovers N (10000), --idle-seconds N (60).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
trap lark_stop_all EXIT

lark_install_deps
lark_build --target larkbridge
cmake -S "$LARK_ROOT" -B "$LARK_BUILD" -DLARKBRIDGE_BENCH=ON >/dev/null
cmake --build "$LARK_BUILD" --target larkbridge_bench
lark_prepare_prefix
lark_start_display
lark_start_wineserver

"$LARK_ROOT/tools/webhost.sh" start "$LARK_PORT" "$LARK_BUILD/webhost.pid" "$LARK_BUILD/webhost.log"
trap '"$LARK_ROOT/tools/webhost.sh" stop "$LARK_PORT" "$LARK_BUILD/webhost.pid"; lark_stop_all' EXIT

lark_log "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
wine "$LARK_BUILD/bench/larkbridge_bench.exe" "$@"
