#!/usr/bin/env bash
# The installation's smoke test, after a build of the default preset. Installs the app (what a
# plain `cmake --install` installs) and the virtual-mac component into a temporary DESTDIR with
# the prefix /usr, checks the list of installed files and that none names the source or build
# folder, moves the tree elsewhere and, from there only: prints --version, brings up a virtual
# Mac with the installed brisvane-sim, runs -DumpSMCKeys against it, installs the helper with
# --install-helper (the daemon put in place must be the moved tree's, not the build tree's), and
# lets Brisvane --headless drive the fans and hand them back. Validates the desktop entry and
# the AppStream metainfo, builds the .deb and .tar.gz packages with CPack, checks what the .debs
# hold and runs lintian on them (fails on any error; warnings are printed). BUILD (default
# build/) is the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

work=$(mktemp -d /tmp/brisvane-install-XXXXXX)
stage=$work/stage
tree=$work/moved
root=$work/mac
app_pid=""

cleanup() {
    # Every step runs, whatever the one before it did.
    set +e
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -TERM "$app_pid"
        wait "$app_pid"
    fi
    [ -x "$tree/bin/brisvane-sim" ] && "$tree/bin/brisvane-sim" down "$root" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "test-install: $*" >&2
    exit 1
}
# The files under a folder, relative to it, one a line, sorted.
files_under() {
    (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
}
expect_files() {
    local what=$1 actual=$2 expected=$3
    if [ "$actual" != "$expected" ]; then
        diff -u <(echo "$expected") <(echo "$actual") >&2 || true
        fail "$what: not the expected files (- expected, + found)"
    fi
}

profiles=$(cd platform/virtual-mac/profiles && ls ./*.json | sed 's|^\./|share/brisvane/virtual-mac/profiles/|')
app_files="bin/Brisvane
libexec/brisvane/BrisvaneHelper
share/applications/org.brisvane.Brisvane.desktop
share/brisvane/org.brisvane.Brisvane.helper.plist
share/doc/brisvane/changelog.gz
share/doc/brisvane/copyright
share/icons/hicolor/scalable/apps/org.brisvane.Brisvane.svg
share/man/man1/Brisvane.1.gz
share/metainfo/org.brisvane.Brisvane.metainfo.xml"
vmac_files=$(printf '%s\n' bin/brisvane-sim bin/brisvane-vsmc \
    libexec/brisvane/virtual-mac/launchctl libexec/brisvane/virtual-mac/osascript \
    "$profiles" share/doc/brisvane-virtual-mac/changelog.gz \
    share/doc/brisvane-virtual-mac/copyright share/man/man1/brisvane-sim.1.gz \
    share/man/man1/brisvane-vsmc.1.gz | LC_ALL=C sort)

echo "test-install: cmake --install (app, then virtual-mac) into $stage"
# Stripped, so that the installed daemon differs from the build tree's and the check below can
# tell which one --install-helper put in place.
DESTDIR=$stage cmake --install "$build" --prefix /usr --strip >/dev/null
expect_files "cmake --install" "$(files_under "$stage/usr")" "$app_files"
DESTDIR=$stage cmake --install "$build" --prefix /usr --strip --component virtual-mac >/dev/null
expect_files "the app and the virtual Mac" "$(files_under "$stage/usr")" \
    "$(printf '%s\n%s\n' "$app_files" "$vmac_files" | LC_ALL=C sort)"
mv "$stage/usr" "$tree"
rm -rf "$stage"
# Nothing installed may name the tree it was built from, as UTF-8 or as the UTF-16 of a Qt
# string literal: a moved or packaged tree has none.
/usr/bin/python3 - "$PWD" "$tree" <<'EOF_PY' || fail "installed files name the source or build folder $PWD"
import pathlib, sys
folder, tree = sys.argv[1], pathlib.Path(sys.argv[2])
if folder.count("/") < 2:
    sys.exit(0)  # a folder as short as /src could be any string of the programs
needles = [folder.encode(), folder.encode("utf-16-le")]
named = [str(f) for f in tree.rglob("*") if f.is_file() and any(n in f.read_bytes() for n in needles)]
for f in named:
    print(f, file=sys.stderr)
sys.exit(1 if named else 0)
EOF_PY

echo "test-install: the metadata"
desktop-file-validate "$tree/share/applications/org.brisvane.Brisvane.desktop"
appstreamcli validate --no-net --explain "$tree/share/metainfo/org.brisvane.Brisvane.metainfo.xml"

echo "test-install: the moved tree in $tree"
app=$tree/bin/Brisvane
vsmc=$tree/bin/brisvane-vsmc
mkdir -p "$work/user"
for folder in HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR; do
    mkdir -p "$work/user/$folder"
    export "$folder=$work/user/$folder"
done
chmod 700 "$XDG_RUNTIME_DIR"
export BRISVANE_SYSTEM_ROOT=$root
# No system bus in the virtual Mac: the daemon runs without sleep handling.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$root/var/run/dbus/system_bus_socket"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
unset BRISVANE_BUNDLE_PREFIX BRISVANE_VSMC_PROFILES DISPLAY WAYLAND_DISPLAY

version=$("$app" --version)
[ "$version" = "Brisvane 1.0 (1), helper 1.0.2" ] || fail "--version printed: $version"

"$tree/bin/brisvane-sim" up "$root" --profile two-fan-laptop >/dev/null
report=$("$app" -DumpSMCKeys)
for line in "SMC connection: OK" "FNum           : 2" "End of dump."; do
    grep -qxF "$line" <<<"$report" || fail "-DumpSMCKeys lacks \"$line\":
$report"
done

installed=$("$app" --install-helper) || fail "--install-helper failed: $installed"
grep -qF "The helper answers: version 1.0.2, phase idle" <<<"$installed" ||
    fail "--install-helper printed: $installed"
placed=$root/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper
cmp -s "$placed" "$tree/libexec/brisvane/BrisvaneHelper" ||
    fail "the daemon put in place is not the moved tree's"
! cmp -s "$placed" "$build/libexec/brisvane/BrisvaneHelper" ||
    fail "the moved tree's daemon is the build tree's: the check above proves nothing"

# Cool at 64 °C asks 49 %, 3552 RPM, more than macOS's own target and the safety floor.
fan_state() {
    "$vsmc" ctl --root "$root" status | /usr/bin/python3 -c '
import json, sys
fans = json.load(sys.stdin)["fans"]
if all(f.get("mode") == 1 and f.get("target", 0) >= 3551.5 for f in fans):
    print("cool")
elif all(f.get("mode") == 0 for f in fans):
    print("automatic")
else:
    print("other")'
}
"$vsmc" ctl --root "$root" load 1 1 >/dev/null
"$vsmc" ctl --root "$root" temp 64 >/dev/null
"$app" --headless -ActivatePreset Cool >"$work/headless.log" 2>&1 &
app_pid=$!
for ((i = 0; i < 100; i++)); do
    [ "$(fan_state)" = cool ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.2
done
[ "$(fan_state)" = cool ] || fail "Brisvane --headless did not drive the fans by Cool:
$(cat "$work/headless.log")"
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
app_pid=""
((status == 0)) || fail "Brisvane --headless ended with $status:
$(cat "$work/headless.log")"
[ "$(fan_state)" = automatic ] || fail "the fans were not handed back:
$(cat "$work/headless.log")"
"$tree/bin/brisvane-sim" down "$root" >/dev/null

echo "test-install: the packages"
packages=$build/packages
rm -rf "$packages"
(cd "$build" && cpack -G "DEB;TGZ" >/dev/null) || fail "cpack failed"
arch=$(dpkg --print-architecture)
deb_files() {
    dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | LC_ALL=C sort
}
expect_files "brisvane .deb" "$(deb_files "$packages/brisvane_1.0_$arch.deb")" "$app_files"
expect_files "brisvane-virtual-mac .deb" \
    "$(deb_files "$packages/brisvane-virtual-mac_1.0_$arch.deb")" "$vmac_files"
for tgz in "$packages"/brisvane-1.0-Linux-app.tar.gz "$packages"/brisvane-1.0-Linux-virtual-mac.tar.gz; do
    [ -s "$tgz" ] || fail "$tgz is missing"
done
dpkg-deb --field "$packages/brisvane_1.0_$arch.deb" Depends | grep -q 'libqt6quick6' ||
    fail "the app's .deb does not depend on the Qt libraries it links"
for deb in "$packages"/*.deb; do
    echo "test-install: lintian $(basename "$deb")"
    lintian --fail-on error "$deb"
done
echo "test-install: all good"
