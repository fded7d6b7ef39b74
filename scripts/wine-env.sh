# Sourced by the scripts that run Windows programs: one Wine prefix per build tree, code page
# 936, a virtual screen when there is no display, and one wineserver kept alive between processes.
#
#   zendalo_wine_setup BUILD_DIR   sets WINEPREFIX and friends, DISPLAY, boots the prefix once
#   zendalo_wine_stop BUILD_DIR    ends the wineserver and the virtual screen of that build tree
#   (the server stays until then, so scripts that start one end it)

zendalo_wine_environment() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wine-prefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine's WinInet takes these as the preconfigured proxy and ignores no_proxy.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ftp_proxy all_proxy ALL_PROXY no_proxy
}

# A screen of 1024 x 768 from Xvfb, started once for the build tree and found again later.
zendalo_wine_display() {
    local build_dir=$1 state="$1/wine-xvfb"
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    if [ -f "$state.pid" ] && kill -0 "$(cat "$state.pid")" 2>/dev/null; then
        export DISPLAY=":$(cat "$state.display")"
        return 0
    fi
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
    echo $! >"$state.pid"
    local number
    read -r number <"$fifo"
    rm -f "$fifo"
    echo "$number" >"$state.display"
    export DISPLAY=":$number"
}

# Every Windows process starts through here. LC_ALL, not LANG alone, gives ANSI code page 936
# without a generated glibc locale; it is set for Wine only, so the shell does not complain.
zendalo_wine() {
    env LC_ALL=zh_CN.UTF-8 wine "$@"
}

# Top-level windows unmanaged: with no window manager on the virtual screen, Wine then draws their
# frames (title bar, icon, close box) itself, and hiding or destroying a window no longer waits
# two seconds for a window manager's answer that never comes.
zendalo_wine_frames_drawn_by_wine() {
    zendalo_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
}

# The caption buttons' glyphs come from the Marlett font, which Wine ships (fonts-wine) but
# does not find on its own here: without it the close box shows a plain "r".
zendalo_wine_caption_glyphs() {
    local marlett=/usr/share/wine/fonts/marlett.ttf
    if [ -f "$marlett" ]; then
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
}

zendalo_wine_setup() {
    local build_dir
    build_dir=$(cd "$1" && pwd)
    mkdir -p "$build_dir"
    zendalo_wine_environment "$build_dir"
    mkdir -p "$WINEPREFIX"  # wineserver refuses a prefix folder that does not exist yet
    exec 9>"$build_dir/wine-prefix.lock"
    flock 9
    zendalo_wine_display "$build_dir"
    # A new prefix is booted once on its own and given its settings, then shut down: the
    # prefix's processes read the settings when they start.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        zendalo_wine wineboot --init >/dev/null 2>&1 </dev/null || true
        zendalo_wine_frames_drawn_by_wine
        zendalo_wine_caption_glyphs
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    # One persistent server, and the prefix's own services started from here with no output
    # attached: a service started by a test would inherit the test's output pipe and hold its
    # reader until the service ends. Later processes then start in a few hundredths of a second.
    if wineserver -p >/dev/null 2>&1 </dev/null; then
        zendalo_wine wineboot >/dev/null 2>&1 </dev/null || true
    fi
    flock -u 9
    exec 9>&-
}

zendalo_wine_stop() {
    local build_dir
    build_dir=$(cd "$1" && pwd)
    zendalo_wine_environment "$build_dir"
    if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    local pid_file="$build_dir/wine-xvfb.pid"
    if [ -f "$pid_file" ]; then
        kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file" "$build_dir/wine-xvfb.display"
    fi
}
