#!/usr/bin/env bash
# Cross-builds Glowdesk for 64-bit Windows with mingw-w64 (the window over a Qt built
# from Debian's sources by scripts/build_qt_windows.sh, cached outside the tree), and
# runs every test program under Wine. Then, when the Handheld simulator is built,
# connects to it through the Win32 serial layer: a COM number in the Wine prefix is
# linked to the simulator's pseudo-terminal. On a virtual display (Xvfb) it starts the
# window on the Windows platform and drives it, builds the installer, installs it
# silently, starts the installed program and uninstalls it again.
#
#   scripts/wine_tests.sh            build into build-win/ and run
#   GLOWDESK_WIN_BUILD=dir ...       build elsewhere
#   GLOWDESK_SKIP=wingui ...         only the core, without Qt (no window, no installer)
#
# Installs its Debian packages when they are missing; when they cannot be installed it
# says so and exits 0 (skipped). Any build or test failure exits non-zero.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLOWDESK_WIN_BUILD:-$root/build-win}
jobs=$(nproc)
toolchain=$root/cmake/toolchain-mingw64.cmake
started=$SECONDS

say() { printf 'wine: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

# --- packages -------------------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build)
gui=1
[[ " ${GLOWDESK_SKIP:-} " == *" wingui "* ]] && gui=0
if [ $gui = 1 ]; then
    packages+=(gcc-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev qt6-base-dev-tools
        dpkg-dev librsvg2-bin icoutils nsis xvfb xauth x11-utils imagemagick fonts-wine)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    mkdir -p "$build"
    if ! { $sudo apt-get update -q -o DPkg::Lock::Timeout=600 &&
        $sudo apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 \
            "${missing[@]}"; } >"$build/apt.log" 2>&1; then
        say "skipped: could not install ${missing[*]} (see $build/apt.log)"
        exit 0
    fi
    rm -f "$build/apt.log"
fi

wine=""
for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$w" ] && [ -x "$w" ]; then wine=$w; break; fi
done
wineserver=""
for w in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
    if [ -n "$w" ] && [ -x "$w" ]; then wineserver=$w; break; fi
done
[ -n "$wine" ] && [ -n "$wineserver" ] || { say "skipped: no wine64 loader found"; exit 0; }

# --- GoogleTest for the cross target ------------------------------------------------------
gtest=$build/gtest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    say "building GoogleTest for Windows"
    cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null ||
        fail "GoogleTest configure"
    cmake --build "$gtest/build" -j"$jobs" >/dev/null || fail "GoogleTest build"
    cmake --install "$gtest/build" >/dev/null || fail "GoogleTest install"
fi

# --- Qt for Windows ------------------------------------------------------------------------
qt_args=(-DGLOWDESK_GUI=OFF)
win_toolchain=$toolchain
if [ $gui = 1 ]; then
    say "Qt for Windows (built once, then taken from the cache)"
    qt_started=$SECONDS
    qt=$("$root/scripts/build_qt_windows.sh" | tail -n1) || fail "building Qt for Windows"
    say "Qt for Windows: $qt ($((SECONDS - qt_started))s)"
    win_toolchain=$root/cmake/toolchain-mingw64-qt.cmake
    qt_args=(-DGLOWDESK_GUI=ON -DGLOWDESK_QT_WIN="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
fi

# --- the programs and their tests -------------------------------------------------------
say "cross-building the programs and their tests"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build/core" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWDESK_TOOLS=OFF "${qt_args[@]}" "${launcher[@]}" \
    -DGTest_DIR="$gtest/install/lib/cmake/GTest" >/dev/null || fail "configure"
# Keeps going past a test program that does not build, so the others still run.
build_log=$build/build.log
broken=""
if ! cmake --build "$build/core" -j"$jobs" -- -k 0 >"$build_log" 2>&1; then
    grep -E -A12 '^FAILED:' "$build_log" | head -80
    broken=$(sed -n 's/^FAILED: CMakeFiles\/\([A-Za-z0-9_]*\)\.dir.*/\1/p' "$build_log" | sort -u)
    broken=${broken:-unknown}
    case " $(echo $broken) " in
    *" glowdesk_core "* | *" glowdesk_testsupport "* | *" glowdesk_gui "* | *" glowdesk "* | \
        *" glowdesk_deploy "* | *" unknown "*) fail "build ($broken)" ;;
    esac
fi
grep -E -i 'warning' "$build_log" | head -40
built=$((SECONDS - started))

# --- Wine -------------------------------------------------------------------------------
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko: the tests need neither, and asking for them stalls a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
mkdir -p "$WINEPREFIX"
# One server for all the runs, ended on the way out (it serves this prefix only).
# Its output goes nowhere: on the way out it dumps its object table to stderr.
"$wineserver" -p >/dev/null 2>&1 || fail "wineserver"
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    "$wineserver" -k >/dev/null 2>&1
}
trap cleanup EXIT
"$wine" cmd /c exit >/dev/null 2>&1 # creates or updates the prefix outside any timing

total=0
failed=()
for target in $broken; do
    failed+=("$target (does not build)")
done
run_test() { # program [env...]; adds the count of passed tests, records failures
    local exe=$1 out
    shift
    out=$(env "$@" "$wine" "$exe" --gtest_brief=1 2>&1)
    local rc=$?
    printf '%s\n' "$out" | grep -E '^\[  (FAILED|SKIPPED) ' | grep -v 'listed below' || true
    local n
    n=$(printf '%s\n' "$out" | sed -n 's/^\[==========\] \([0-9]\+\) tests\? from .* ran.*/\1/p')
    total=$((total + ${n:-0}))
    if [ $rc -ne 0 ] || [ -z "$n" ]; then
        printf '%s\n' "$out" | tail -40
        failed+=("$(basename "$exe")")
    else
        say "$(basename "$exe"): $n tests passed"
    fi
}

for exe in "$build"/core/test_*.exe; do
    [ -e "$exe" ] || continue
    name=$(basename "$exe" .exe)
    [ "$name" = test_win32_line ] || [ "$name" = test_qt_start ] && continue
    # A stale program of an earlier build says nothing about this one.
    printf '%s\n' $broken | grep -qx "$name" && continue
    run_test "$exe"
done

# --- the Win32 serial layer on a real line ----------------------------------------------
line_exe=$build/core/test_win32_line.exe
sim=""
if [ -x "$line_exe" ] && [ -f "$root/tools/glowdesk_sim.cpp" ] &&
    ! printf '%s\n' $broken | grep -qx test_win32_line; then
    # The normal build's folder when there is one (./test.sh has just built it).
    native=$root/build
    [ -f "$native/CMakeCache.txt" ] || native=$build/native
    say "building the Handheld simulator in $native"
    if { [ -f "$native/CMakeCache.txt" ] ||
        cmake -S "$root" -B "$native" -G Ninja -DGLOWDESK_GUI=OFF -DGLOWDESK_TESTS=OFF \
            -DGLOWDESK_TOOLS=ON >/dev/null; } &&
        cmake --build "$native" --target glowdesk_sim >/dev/null; then
        sim=$native/glowdesk_sim
    else
        failed+=("glowdesk_sim (native build)")
    fi
fi
if [ -n "$sim" ]; then
    com=42
    link=$WINEPREFIX/dosdevices/com$com
    # Answers at once (-s 0); the simulator links the COM number to its pty itself.
    "$sim" -s 0 -l "$link" >"$build/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 200); do
        [ -L "$link" ] && break
        sleep 0.05
    done
    if [ -L "$link" ]; then
        run_test "$line_exe" GLOWDESK_LINE_COM=$com
    else
        failed+=("glowdesk_sim made no link")
        cat "$build/sim.log"
    fi
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
    rm -f "$link"
else
    say "line test not run: the Handheld simulator is not there yet"
fi

# --- program files: the INI layer against the Windows profile functions ------------------
WINE=$wine "$root/scripts/ini_differential.sh" "$build/ini" ||
    failed+=("INI layer against the profile functions")

if [ $gui = 1 ]; then
    WINE=$wine "$root/scripts/wine_window_tests.sh" "$build/core" || failed+=("the window and the installer")
fi

say "$total tests ran under Wine (build ${built}s, total $((SECONDS - started))s)"
if [ ${#failed[@]} -gt 0 ]; then
    fail "${failed[*]}"
fi
