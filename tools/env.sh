# Shared by tools/run.sh and tools/test.sh: installs what is missing, builds, prepares the private
# Wine prefix and a display, and stops everything it started when the calling script exits.
# Sourced, not run.

LARK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-build}
LARK_BUILD=$LARK_ROOT/$BUILD_DIR
export BUILD_DIR

# Each build folder gets its own port, so two builds can test side by side.
if [ "$BUILD_DIR" = build ]; then
    LARK_PORT=18089
else
    LARK_PORT=$((18100 + $(printf '%s' "$BUILD_DIR" | cksum | cut -d' ' -f1) % 800))
fi
LARK_PIDS=()

lark_log() { printf '[larkbridge] %s\n' "$*" >&2; }

# Extra package names (e.g. imagemagick for screenshots) may be given as arguments.
lark_install_deps() {
    local packages=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
        binutils-mingw-w64-i686 xvfb xauth x11-utils fonts-wqy-microhei locales googletest cmake
        ninja-build python3 "$@")
    local missing=()
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        lark_log "installing: ${missing[*]}"
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
        lark_log "generating the zh_CN.UTF-8 locale"
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
}

lark_build() {
    if [ ! -f "$LARK_BUILD/build.ninja" ]; then
        cmake -S "$LARK_ROOT" -B "$LARK_BUILD" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$LARK_ROOT/cmake/mingw-i686.cmake" \
            -DLARKBRIDGE_WEB_HOST="http://127.0.0.1:$LARK_PORT" \
            -DLARKBRIDGE_TEST_PORT="$LARK_PORT" \
            -DLARKBRIDGE_NODE_ADDRESS=127.0.0.1 >/dev/null
    fi
    cmake --build "$LARK_BUILD" "$@"
}

lark_stop_all() {
    local pid
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
    for pid in "${LARK_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${LARK_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    LARK_PIDS=()
}

lark_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        LARK_HEADLESS=0
        return
    fi
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    LARK_PIDS+=($!)
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    LARK_HEADLESS=1
}

# A private prefix inside the build folder: 32-bit, Chinese locale (ANSI code page 936) and the
# two Chinese UI fonts mapped to WenQuanYi Micro Hei.
lark_prepare_prefix() {
    export WINEPREFIX="$LARK_BUILD/wineprefix" WINEARCH=win32 WINEDEBUG=-all
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
    # Web addresses the program opens are noted here instead of reaching a browser.
    export LARK_OPENED_URLS="$LARK_BUILD/opened-urls.txt"
    local stamp="$WINEPREFIX/.larkbridge-prefix-v2"
    if [ ! -f "$stamp" ]; then
        lark_log "creating the Wine prefix in $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
        wineserver -w
        local reg="$LARK_BUILD/prefix-settings.reg"
        python3 - "$reg" "$LARK_ROOT/tools/record-url.sh" <<'PY'
import sys
text = "\r\n".join([
    "Windows Registry Editor Version 5.00", "",
    r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]",
    '"宋体"="WenQuanYi Micro Hei"', '"SimSun"="WenQuanYi Micro Hei"',
    '"微软雅黑"="WenQuanYi Micro Hei"', '"Microsoft YaHei"="WenQuanYi Micro Hei"', "",
    r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]", '"ShowCrashDialog"=dword:00000000', "",
    r"[HKEY_CURRENT_USER\Software\Wine\WineBrowser]",
    '"Browsers"="' + sys.argv[2].replace("\\", "\\\\") + '"', "", ""])
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PY
        wine regedit "$reg" >/dev/null 2>&1
        wineserver -w
        touch "$stamp"
    fi
}

# Keeps one wineserver alive for the whole run; starting programs is then much cheaper. Wine's
# background services start with the first program: start them here, away from ctest's output
# pipes, or ctest waits for those pipes to close long after the test has ended.
lark_start_wineserver() {
    wineserver -p >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
