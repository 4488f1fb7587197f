#!/usr/bin/env bash
# Reads a generated corpus of program files with the INI layer and with the Windows
# profile functions under Wine (one Wine process for all files), and fails on any
# difference but those of the kinds where Wine is known to read otherwise than Windows,
# which it lists.
#
#   scripts/ini_differential.sh [WORK]    WORK: folder for the corpus (default build-win/ini)
#
# Environment: GLOWDESK_NATIVE_BUILD (a native build folder; default build/, else one is
# configured under WORK), WINE (the loader), WINEPREFIX (default WORK/wineprefix),
# GLOWDESK_INI_SEED and GLOWDESK_INI_FILES (the corpus). scripts/wine_tests.sh calls it
# with its own prefix and running wineserver.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build-win/ini}
seed=${GLOWDESK_INI_SEED:-27}
files=${GLOWDESK_INI_FILES:-300}

say() { printf 'ini: %s\n' "$*"; }
fail() { say "FAILED: $*"; exit 1; }

wine=${WINE:-}
for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [ -z "$wine" ] && [ -n "$w" ] && [ -x "$w" ] && wine=$w
done
[ -n "$wine" ] || { say "skipped: no wine64 loader found"; exit 0; }
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { say "skipped: no $cxx"; exit 0; }
export WINEPREFIX=${WINEPREFIX:-$work/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win64
# The profile functions answer in the ANSI code page, which Wine takes from the locale
# (1252 for this one; ProfileAnswers.exe checks).
export LC_ALL=C.UTF-8

native=${GLOWDESK_NATIVE_BUILD:-$root/build}
if ! grep -qs '^GLOWDESK_TOOLS:BOOL=ON' "$native/CMakeCache.txt"; then
    native=$work/native
    [ -f "$native/CMakeCache.txt" ] ||
        cmake -S "$root" -B "$native" -G Ninja -DGLOWDESK_GUI=OFF -DGLOWDESK_TESTS=OFF \
            -DGLOWDESK_TOOLS=ON >/dev/null || fail "native configure"
fi
cmake --build "$native" --target ini_differential >/dev/null || fail "native build"
tool=$native/ini_differential

corpus=$work/corpus
rm -rf "$corpus" && mkdir -p "$corpus" || fail "no folder $corpus"
"$tool" make "$corpus/" "$seed" "$files" || fail "corpus"
for f in "$root"/tests/ini_differential/files/*.ini; do
    [ -e "$f" ] && cp "$f" "$corpus/" && basename "$f" >>"$corpus/manifest.txt"
done
exe=$work/ProfileAnswers.exe
"$cxx" -std=c++20 -O1 -static -I"$root" -o "$exe" \
    "$root/tests/ini_differential/ProfileAnswers.cpp" || fail "Windows build"

"$tool" answer "$corpus/" >"$work/layer.txt" || fail "INI layer answers"
"$wine" "$exe" "Z:${corpus//\//\\}\\" "Z:${work//\//\\}\\windows.txt" ||
    fail "profile function answers (Wine)"
[ -s "$work/windows.txt" ] || fail "no answers from Wine"

# Each differing line's file, counted by its kind.
known=" $("$tool" wine-only | tr '\n' ' ') "
known_re=$(echo $known | tr ' ' '|')
diff "$work/layer.txt" "$work/windows.txt" >"$work/diff.txt"
bad=0
while read -r count kind; do
    if [[ $known == *" $kind "* ]]; then
        say "known Wine-only difference: $kind ($count lines)"
    else
        say "difference: $kind ($count lines)"
        bad=1
    fi
done < <(sed -n 's/^[<>] [0-9]*-\([a-z0-9]*\)\.ini\t.*/\1/p; s/^[<>] \([^\t]*\)\.ini\t.*/\1/p' \
    "$work/diff.txt" | sort | uniq -c)
if [ $bad -ne 0 ]; then
    # The first differing lines of other kinds, each cut to 300 characters.
    grep -E '^[<>] ' "$work/diff.txt" | grep -v -E "^[<>] [0-9]+-($known_re)\.ini" |
        head -20 | cut -c1-300
    fail "the INI layer and the profile functions differ (layer <, Windows >: $work/diff.txt)"
fi
say "$(wc -l <"$corpus/manifest.txt") files, $(wc -l <"$work/layer.txt") answers compared"
