#!/usr/bin/env bash
# Builds Qt 6 (qtbase only) for 64-bit Windows with Debian's mingw-w64 compilers, from
# Debian's own qt6-base source package at the version of the installed host Qt, into a
# cache folder outside the tree. Prints the installed prefix on its last line.
#
#   scripts/build_qt_windows.sh          build when the cache lacks this recipe, else reuse
#   GLOWDESK_QT_WIN_CACHE=dir ...        cache folder (default ~/.cache/glowdesk/qt-win)
#
# The cache keeps only the installed prefix, one per recipe: a prefix is named after the
# host Qt version and a hash of its configure switches and the toolchain file, so changing either
# builds anew. The switches turn off what the window does not use. About 35 minutes on two cores; 80 MB kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${GLOWDESK_QT_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glowdesk/qt-win}
toolchain=$root/cmake/toolchain-mingw64-qt.cmake
jobs=$(nproc)

say() { printf 'qt-win: %s\n' "$*" >&2; }

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
"$root/scripts/setup.sh" qt6-base-dev-tools g++-mingw-w64-x86-64-posix \
    gcc-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev >&2

version=$(dpkg-query -W -f='${Version}' libqt6core6)
off=(
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_androiddeployqt=OFF -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF
    -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF
    -DFEATURE_directwrite3=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF -DFEATURE_pkg_config=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_libb2=OFF -DFEATURE_system_sqlite=OFF -DFEATURE_system_textmarkdownreader=OFF
)
# The recipe: the configure switches and the toolchain file.
recipe=$( (printf '%s\n' "${off[@]}"; cat "$toolchain") | sha256sum | cut -c1-12)
prefix=$cache/qtbase-${version//[^A-Za-z0-9.]/_}-$recipe
if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi

# --- the source package ------------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/glowdesk-qt-win.XXXXXX")
trap 'rm -rf "$work"' EXIT
has_src() { grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; }
if ! has_src; then
    # The same archives as the configured binary entries, for sources.
    src=/etc/apt/sources.list.d/glowdesk-deb-src.sources
    say "adding source entries in $src"
    entries=""
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        entries+=$(awk 'BEGIN { RS = ""; ORS = "\n\n" }
            /(^|\n)Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f")
        entries+=$'\n\n'
    done
    if [ -f /etc/apt/sources.list ]; then
        list=$(sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list)
        [ -n "$list" ] && printf '%s\n' "$list" | $sudo tee /etc/apt/sources.list.d/glowdesk-deb-src.list >/dev/null
    fi
    [ -n "${entries//[$'\n ']/}" ] && printf '%s' "$entries" | $sudo tee "$src" >/dev/null
    $sudo apt-get update -q -o DPkg::Lock::Timeout=600 >&2
fi
say "fetching qt6-base $version"
# dpkg-source applies Debian's patches: the tree is the one Debian builds.
(cd "$work" && apt-get source -q --download-only "qt6-base=$version" >&2 &&
    dpkg-source -x qt6-base_*.dsc src >&2)

# --- configure and build -----------------------------------------------------------------
say "configuring"
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$prefix.part" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DFEATURE_freetype=ON "${off[@]}" >"$work/configure.log" 2>&1 ||
    { tail -60 "$work/configure.log" >&2; exit 1; }
say "building with $jobs jobs (about 35 minutes on two cores)"
started=$SECONDS
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
    { grep -A20 '^FAILED' "$work/build.log" | head -80 >&2; exit 1; }
rm -rf "$prefix.part"
cmake --install "$work/build" >/dev/null
# A half-written prefix never counts as a cache hit: it is renamed once complete.
mv "$prefix.part" "$prefix"
say "built in $((SECONDS - started)) s: $prefix"
echo "$prefix"
