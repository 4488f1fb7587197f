#!/usr/bin/env bash
# Checks the Debian package end to end: the desktop entry and AppStream data validate,
# `cpack -G DEB` in build/ makes a package lintian finds no errors in, and the package
# installs on this machine, its programs and manual pages work, and removing it
# leaves none of its files behind.
# Installs and removes the package `glowdesk` system-wide: meant for a throw-away
# machine (CI) or one where that is fine. Needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh desktop-file-utils appstream lintian man-db librsvg2-bin dpkg-dev

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
failed=()
fail() {
    echo "FAILED: $*"
    failed+=("$*")
}

echo "--- desktop entry and AppStream data"
desktop-file-validate dist/org.glowdesk.Glowdesk.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net dist/org.glowdesk.Glowdesk.metainfo.xml ||
    fail "appstreamcli validate"

echo "--- building the package"
# Configured again (as ./test.sh does) so that tools installed just now are found.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
rm -f build/glowdesk_*.deb
(cd build && cpack -G DEB >/dev/null)
debs=(build/glowdesk_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAILED: cpack made no single package: ${debs[*]}"
    exit 1
fi
deb=$root/${debs[0]}
echo "$deb"

# The version of the package, of the newest AppStream release and of the changelog agree.
version=$(dpkg-deb -f "$deb" Version)
release=$(grep -o '<release version="[^"]*"' dist/org.glowdesk.Glowdesk.metainfo.xml |
    head -n1 | cut -d'"' -f2)
logged=$(dpkg-parsechangelog -l dist/changelog -S Version)
[ "$release" = "$version" ] || fail "newest AppStream release $release, package $version"
[ "$logged" = "$version" ] || fail "newest changelog entry $logged, package $version"

# Files in the package, without the leading "." and without directories.
mapfile -t packaged < <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}')
expected=(/usr/bin/glowdesk /usr/bin/glowdesk-sim
    /usr/share/applications/org.glowdesk.Glowdesk.desktop
    /usr/share/metainfo/org.glowdesk.Glowdesk.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/org.glowdesk.Glowdesk.svg
    /usr/share/icons/hicolor/48x48/apps/org.glowdesk.Glowdesk.png
    /usr/share/icons/hicolor/256x256/apps/org.glowdesk.Glowdesk.png
    /usr/share/man/man1/glowdesk.1.gz /usr/share/man/man1/glowdesk-sim.1.gz
    /usr/share/doc/glowdesk/copyright /usr/share/doc/glowdesk/changelog.gz
    /usr/share/doc/glowdesk/examples/demo.ini)
if [ -f doc/glowdesk-cli.1 ]; then
    expected+=(/usr/bin/glowdesk-cli /usr/share/man/man1/glowdesk-cli.1.gz)
fi
for f in "${expected[@]}"; do
    printf '%s\n' "${packaged[@]}" | grep -qxF "$f" || fail "not in the package: $f"
done
echo "${#packaged[@]} files in the package"

echo "--- lintian"
lintian_opts=()
if [ "$(id -u)" -eq 0 ] && lintian --help 2>&1 | grep -q -- --allow-root; then
    lintian_opts+=(--allow-root)
fi
lint=$(lintian "${lintian_opts[@]}" --fail-on none --pedantic -I "$deb" 2>&1) || true
if [ -n "$lint" ]; then
    echo "$lint"
fi
if grep -q '^E:' <<<"$lint"; then
    fail "lintian reports errors"
fi
# The programs are built with Debian's hardening flags.
if grep -q 'hardening-' <<<"$lint"; then
    fail "lintian reports missing hardening"
fi
echo "lintian: $(grep -c '^E:' <<<"$lint" || true) errors, $(grep -c '^W:' <<<"$lint" || true) warnings, $(grep -c '^[IP]:' <<<"$lint" || true) notes"

echo "--- installing"
if dpkg-query -W -f='${Status}' glowdesk 2>/dev/null | grep -q "install ok installed"; then
    echo "note: glowdesk was installed already; it is replaced and removed at the end"
fi
if ! $sudo dpkg -i "$deb"; then
    # Dependencies that are not installed yet come from the archive.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -f -y -q --no-install-recommends \
        -o DPkg::Lock::Timeout=600
fi
dpkg-query -W -f='${Status}' glowdesk | grep -q "install ok installed" ||
    { echo "FAILED: the package did not install"; exit 1; }

# Minimal images drop manual pages and documentation on installation through
# path-exclude rules of dpkg (/etc/dpkg/dpkg.cfg.d/). dpkg -L still lists the files
# those rules leave out, but they are not on disk; any other missing file is a fault.
mapfile -t excludes < <(cat /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* 2>/dev/null |
    sed -n 's/^[[:space:]]*path-exclude[[:space:]]*=\{0,1\}[[:space:]]*//p')
excluded() {
    local pattern
    for pattern in "${excludes[@]}"; do
        # shellcheck disable=SC2053 # the pattern is a glob, as dpkg matches it
        [[ $1 == $pattern ]] && return 0
    done
    return 1
}
mapfile -t listed < <(dpkg -L glowdesk)
skipped=()
for f in "${packaged[@]}"; do
    if ! printf '%s\n' "${listed[@]}" | grep -qxF "$f"; then
        fail "not listed by dpkg -L: $f"
    elif [ -e "$f" ]; then
        continue
    elif excluded "$f"; then
        skipped+=("$f")
    else
        fail "not installed: $f"
    fi
done
if [ ${#skipped[@]} -gt 0 ]; then
    echo "left out by this machine's dpkg path-exclude rules (${excludes[*]}):"
    printf '  %s\n' "${skipped[@]}"
fi

echo "--- using it"
missing_libs=$(ldd /usr/bin/glowdesk /usr/bin/glowdesk-sim | grep "not found" || true)
[ -z "$missing_libs" ] || fail "libraries not found: $missing_libs"
usage=$(/usr/bin/glowdesk-sim -h) || fail "glowdesk-sim -h"
grep -q "^usage: glowdesk-sim" <<<"$usage" || fail "glowdesk-sim -h printed: $usage"
if [ -x /usr/bin/glowdesk-cli ]; then
    /usr/bin/glowdesk-cli --version || fail "glowdesk-cli --version"
fi
for page in glowdesk glowdesk-sim; do
    if excluded "/usr/share/man/man1/$page.1.gz"; then
        echo "man -w $page: skipped, manual pages are not installed on this machine"
    elif path=$(man -w "$page"); then
        echo "man -w $page: $path"
        [ "$path" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page found $path"
    else
        fail "man -w $page"
    fi
done

echo "--- removing"
$sudo dpkg -r glowdesk
for f in "${packaged[@]}" /usr/share/doc/glowdesk; do
    if [ -e "$f" ] || [ -L "$f" ]; then
        fail "left after removal: $f"
    fi
done
status=$(dpkg-query -W -f='${db:Status-Status}' glowdesk 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    fail "dpkg still knows glowdesk as $status"
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "package checks FAILED: ${#failed[@]}"
    printf '  %s\n' "${failed[@]}"
    exit 1
fi
echo "package checks passed"
