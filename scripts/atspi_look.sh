#!/bin/sh
# Runs Glowdesk (emulated Handheld) on a virtual display with its own session and
# accessibility bus, and prints the accessibility tree it exports; arguments go to
# scripts/atspi_tree.py (e.g. --toggle 1). Needs xvfb, dbus, at-spi2-core and
# python3-pyatspi.
set -eu
cd "$(dirname "$0")/.."
exec dbus-run-session -- sh -c '
    Xvfb :77 -screen 0 1024x768x24 >/dev/null 2>&1 &
    XVFB=$!
    export DISPLAY=:77
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    BUS=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb ./build/glowdesk -p 1 -e 1 &
    APP=$!
    sleep 3
    /usr/bin/python3 scripts/atspi_tree.py "$@"
    STATUS=$?
    kill $APP $BUS $XVFB 2>/dev/null
    exit $STATUS
' atspi_look "$@"
