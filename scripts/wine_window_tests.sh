#!/usr/bin/env bash
# The window of the Windows build on a virtual display, under Wine: started and driven
# on the Windows platform (connect, "rd all programs", about box, editor), the program
# itself started from the build folder, then the installer: built, installed silently,
# the installed programs started, uninstalled silently, nothing left behind.
#
#   scripts/wine_window_tests.sh BUILD_DIR
#
# Called by scripts/wine_tests.sh with WINE, WINESERVER and WINEPREFIX set and its
# wineserver running. Pictures of each step are left in BUILD_DIR/shots.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
: "${WINE:?}" "${WINEPREFIX:?}"
shots=$build/shots
failed=()

say() { printf 'wine window: %s\n' "$*"; }
failure() { say "FAILED: $*"; failed+=("$*"); }
winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# --- a display, and the fonts Wine's own do not cover ---------------------------------
display=""
for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 100); do
    xwininfo -root >/dev/null 2>&1 && break
    sleep 0.1
done
xwininfo -root >/dev/null 2>&1 || { say "FAILED: Xvfb did not start"; exit 1; }
# Wine does not look for the fonts of fonts-wine by itself.
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
rm -rf "$shots"
mkdir -p "$shots"

# Waits up to 30 s for a top-level window whose title starts with $1.
wait_window() {
    for _ in $(seq 300); do
        xwininfo -root -tree 2>/dev/null | grep -q "\"$1" && return 0
        sleep 0.1
    done
    return 1
}
# Starts a Windows program with the window's test arguments, waits for its window,
# takes a picture and ends it.
start_window() { # name exe
    local name=$1 exe=$2
    "$WINE" "$exe" -p 1 -e 1 -f "$(winpath "$root/examples/demo.ini")" >"$shots/$name.log" 2>&1 &
    app_pid=$!
    if wait_window "Glowdesk Programmer (EMU)"; then
        sleep 1
        import -window root "$shots/$name.png" 2>/dev/null || true
        say "$name: the window is up"
    else
        failure "$name: no window appeared"
        cat "$shots/$name.log"
    fi
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
}

# --- the window driven on the Windows platform --------------------------------------------
if "$WINE" "$build/test_qt_start.exe" "$(winpath "$root/examples")" "$(winpath "$shots")" \
    >"$shots/start_check.log" 2>&1; then
    say "window start check passed: $(grep -c '^window start check:' "$shots/start_check.log") steps"
else
    failure "window start check"
    cat "$shots/start_check.log"
fi
start_window built "$build/glowdesk.exe"

# --- the installer -------------------------------------------------------------------------
say "building the installer"
rm -f "$build"/Glowdesk-*-setup.exe
if ! (cd "$build" && cpack -G NSIS >"$build/cpack.log" 2>&1); then
    tail -30 "$build/cpack.log"
    failure "cpack -G NSIS"
else
    setup=$(ls "$build"/Glowdesk-*-setup.exe)
    say "$(basename "$setup"): $(du -h "$setup" | cut -f1)"
    dir="$WINEPREFIX/drive_c/Program Files/Glowdesk"
    rm -rf "$dir"
    "$WINE" "$setup" /S >/dev/null 2>&1 || failure "silent install"
    expected=(glowdesk.exe glowdesk-cli.exe Uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll
        libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll
        platforms/qoffscreen.dll styles/qwindowsvistastyle.dll examples/demo.ini LICENSE.txt
        QT-LICENSE.txt)
    for f in "${expected[@]}"; do
        [ -f "$dir/$f" ] || failure "not installed: $f"
    done
    menu=$(find "$WINEPREFIX/drive_c" -name 'Glowdesk.lnk' 2>/dev/null | head -n1)
    [ -n "$menu" ] || failure "no Start-menu entry"
    if [ -f "$dir/glowdesk.exe" ]; then
        # Only the DLLs shipped beside it and Windows' own are there to be found.
        start_window installed "$dir/glowdesk.exe"
        version=$("$WINE" "$dir/glowdesk-cli.exe" --version 2>&1 | tr -d '\r')
        grep -q '^glowdesk-cli ' <<<"$version" || failure "installed glowdesk-cli: $version"
    fi
    if [ -f "$dir/Uninstall.exe" ]; then
        "$WINE" "$dir/Uninstall.exe" /S >/dev/null 2>&1 || failure "silent uninstall"
        # The uninstaller copies itself away and finishes in the background: the folder
        # and the Start-menu entry go at moments of their own.
        for _ in $(seq 300); do
            [ -e "$dir" ] || { [ -n "$menu" ] && [ -e "$menu" ]; } || break
            sleep 0.1
        done
        [ -e "$dir" ] && failure "left after uninstall: $(cd "$dir" && find . -type f | head)"
        [ -n "$menu" ] && [ -e "$menu" ] && failure "Start-menu entry left after uninstall"
    fi
fi

if [ ${#failed[@]} -gt 0 ]; then
    say "FAILED: ${failed[*]}"
    exit 1
fi
say "passed (pictures in $shots)"
