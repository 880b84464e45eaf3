#!/usr/bin/env bash
# The Debian package as `make package` makes it: its control fields and files, and the program
# it carries, unpacked, starting and closing under a real window manager.
build=${SNIPWELL_BUILD:?build folder}
cpack=${CPACK_COMMAND:-cpack}
cmake=${CMAKE_COMMAND:-cmake}
version=${SNIPWELL_VERSION:?project version}

work=$(mktemp -d)
# cpack into a scratch folder of our own: the build folder is only read.
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    rm -rf "$work"
    exit 1
fi
root=$work/root
dpkg -x "$work"/out/*.deb "$root"

export E2E_BINARY=$root/usr/bin/snipwell
source "$(dirname "$0")/../e2e/lib.sh"
trap 'e2e_cleanup; rm -rf "$work"' EXIT

arch=$(dpkg --print-architecture)
deb=$work/out/snipwell_${version}_${arch}.deb
e2e_check "the package is snipwell_${version}_${arch}.deb (got: $(cd "$work/out" && echo *.deb))" test -f "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
e2e_check "Package snipwell, Version $version, Architecture $arch, Section utils" \
    test "$(field Package) $(field Version) $(field Architecture) $(field Section)" = "snipwell $version $arch utils"

depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
depends_on() {
    local p missing=0
    for p in "$@"; do
        grep -qx "$p" <<<"$depends" || { echo "  missing: $p"; missing=1; }
    done
    return $missing
}
# libqt6widgets6, libjpeg62-turbo and libxcb-xkb1 only come from reading the program's libraries.
e2e_check "Depends: the libraries the program links" depends_on libqt6widgets6 libjpeg62-turbo libxcb-xkb1
e2e_check "Depends: the fonts of the layout and Qt's platform plugins" \
    depends_on fonts-wine fonts-croscore qt6-qpa-plugins
# Only a Wayland session without an X server loads it: recommended, not required.
e2e_check "Recommends: Qt's Wayland plugin (got: $(field Recommends))" test "$(field Recommends)" = qt6-wayland
known() {
    local p unknown=0
    for p in $depends; do
        dpkg-query -W "$p" >/dev/null 2>&1 || { echo "  not a package here: $p"; unknown=1; }
    done
    return $unknown
}
e2e_check "every dependency names a package this build machine has" known

DESTDIR=$work/installed "$cmake" --install "$build" --prefix /usr >/dev/null
files_under() { (cd "$1" && find . -type f | LC_ALL=C sort); }
e2e_check "the package holds exactly what make install installs under /usr" \
    test "$(files_under "$root")" = "$(files_under "$work/installed")"
stripped() { file -b "$E2E_BINARY" | grep -q ', stripped'; }
e2e_check "the packaged program carries no debug information" stripped
# Debian's own check. Information tags may stay, but not the hardening ones.
lint() {
    local report
    report=$(lintian --pedantic --display-info --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges')
    [ -z "$report" ] || echo "$report"
    ! grep -qE '^[EW]: |hardening-no-|binary-has-unneeded-section' <<<"$report"
}
e2e_check "lintian --pedantic: no error, no warning, no hardening tag" lint

clips=$work/clips
mkdir -p "$clips"
e2e_start_display || exit 1
e2e_check "the packaged program opens the window Snipwell 1.0" e2e_start_app "$clips"
e2e_screenshot packaged
wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "closing it ends the program with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0

e2e_finish
