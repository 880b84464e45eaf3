#!/usr/bin/env bash
# What `make install` puts where: the program, its manual page, the menu entry, the
# software-centre record, the icon at every theme size and the package's documentation, accepted
# by the desktop's own validators, all under the prefix.
set -u
build=${SNIPWELL_BUILD:?build folder}
cmake=${CMAKE_COMMAND:-cmake}
app_id=io.github.snipwell.Snipwell
sizes=(16 22 24 32 48 64 128 256)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"

# install ROOT PREFIX: as `make install DESTDIR=ROOT PREFIX=PREFIX` does it.
install_into() {
    DESTDIR=$1 "$cmake" --install "$build" --prefix "$2" >"$work/install.log" 2>&1 || cat "$work/install.log"
}
files_under() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

expected=$(
    {
        echo bin/snipwell
        echo share/man/man1/snipwell.1.gz
        echo share/doc/snipwell/copyright
        echo share/doc/snipwell/changelog.gz
        echo share/applications/$app_id.desktop
        echo share/metainfo/$app_id.metainfo.xml
        for n in "${sizes[@]}"; do echo share/icons/hicolor/${n}x${n}/apps/$app_id.png; done
        echo share/icons/hicolor/scalable/apps/$app_id.svg
    } | LC_ALL=C sort
)

root=$work/root
install_into "$root" /usr
usr=$root/usr
check "installs exactly the program, the menu entry, the metainfo and the icons under /usr" \
    test "$(files_under "$root")" = "$(sed 's|^|usr/|' <<<"$expected")"
check "the program is an executable" test -x "$usr/bin/snipwell"

sizes_ok() {
    local n got ok=0
    for n in "${sizes[@]}"; do
        got=$(identify -format '%m %wx%h' "$usr/share/icons/hicolor/${n}x${n}/apps/$app_id.png" 2>&1)
        [ "$got" = "PNG ${n}x${n}" ] || { echo "  ${n}x${n}: $got"; ok=1; }
    done
    got=$(identify -format '%m' "$usr/share/icons/hicolor/scalable/apps/$app_id.svg" 2>&1)
    [ "$got" = SVG ] || { echo "  scalable: $got"; ok=1; }
    return $ok
}
check "every icon is a picture of its folder's size" sizes_ok

desktop=$usr/share/applications/$app_id.desktop
validate_desktop() {
    local out
    out=$(desktop-file-validate "$desktop" 2>&1)
    local rc=$?
    [ -n "$out" ] && echo "$out"
    [ $rc -eq 0 ] && [ -z "$out" ]
}
check "desktop-file-validate: no error, no warning" validate_desktop
# Strict: warnings and hints fail too, pedantic remarks (the upper-case letter of the id) don't;
# the tree check also finds the launchable's desktop file and the icon.
check "appstreamcli validate-tree --strict: no issue" appstreamcli validate-tree --no-net --strict "$usr"

entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(entry Exec)
check "the menu starts the installed program in the clip folder of the home folder (Exec=$exec_line)" \
    test -x "$usr/bin/${exec_line%% *}" -a "${exec_line#* }" = --from-menu
check "the menu's icon name is the installed icon's (Icon=$(entry Icon))" \
    test -f "$usr/share/icons/hicolor/48x48/apps/$(entry Icon).png"

# The manual page, its roff dashes read as dashes, names every option that --help names.
same_options() {
    local page option missing=0
    page=$(gzip -dc "$usr/share/man/man1/snipwell.1.gz" | sed 's/\\-/-/g')
    for option in $("$usr/bin/snipwell" --help | grep -oE '(^|[ ,[])--?[a-z][a-z-]*' | tr -d ' ,[' | sort -u); do
        grep -qF -- "$option" <<<"$page" || { echo "  not in the manual page: $option"; missing=1; }
    done
    return $missing
}
check "the manual page names every option of snipwell --help" same_options

# make install's own PREFIX, with and without DESTDIR.
install_into "$work/opt" /opt/snipwell
check "PREFIX=/opt/snipwell with DESTDIR: the same files, all under the prefix" \
    test "$(files_under "$work/opt")" = "$(sed 's|^|opt/snipwell/|' <<<"$expected")"
install_into "" "$work/plain"
check "PREFIX without DESTDIR: the same files, under the prefix" \
    test "$(files_under "$work/plain")" = "$expected"

checks_report package_install
