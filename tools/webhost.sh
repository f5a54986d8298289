#!/usr/bin/env bash
# Starts or stops the local web host in the background: webhost.sh start PORT PIDFILE [LOG] | stop PORT PIDFILE
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
action=$1 port=$2 pidfile=$3 log=${4:-/dev/null}
case "$action" in
start)
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then exit 0; fi
    rm -f "$pidfile"
    nohup python3 "$here/webhost/devserver.py" --port "$port" --pidfile "$pidfile" --log "$log" \
        >/dev/null 2>&1 &
    for _ in $(seq 100); do
        [ -s "$pidfile" ] && exit 0
        sleep 0.1
    done
    echo "the local web host did not start on port $port" >&2
    exit 1
    ;;
stop)
    if [ -f "$pidfile" ]; then
        pid=$(cat "$pidfile")
        kill "$pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        rm -f "$pidfile"
    fi
    ;;
esac
