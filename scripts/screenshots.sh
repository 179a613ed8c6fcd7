#!/usr/bin/env bash
# Renders the gallery and every screen that exists, light and dark, at scale 1 and 2, into
# build/screenshots/<screen>-<light|dark>@<scale>x.png, and the main window's header in each
# caption state and with nine preset slots at 800 and 1,400 wide, into
# build/screenshots/header-<state>[-<width>]-<light|dark>.png, and the dashboard in each of its
# states over a synthetic half hour into build/screenshots/dashboard-<state>-<light|dark>@<scale>x.png,
# and the presets section (a fresh grid, three presets of the user's, a drag held over a card, a
# card's menu, both dialogs) into build/screenshots/presets-<state>-<light|dark>@2x.png.
# and the settings in each helper state into build/screenshots/settings-<state>-<light|dark>@2x.png.
# The screens show a virtual Mac whose
# temperature is pinned (55 °C unless BRISVANE_SHOT_CELSIUS says otherwise), so that pictures
# from two runs can be compared. Needs no display: Qt renders offscreen.
# Then it renders every screen again in German, light at scale 2, into build/screenshots/de/:
# long words find the labels that cannot grow. BRISVANE_SHOT_LANGUAGE=de renders only those.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target brisvane-screenshot brisvane-vsmc brisvane-sim >/dev/null

out=build/screenshots
schemes="light dark"
scales="1 2"
# Numbers as a Mac user in the US reads them ("2,400"), whatever the machine's locale.
export LANGUAGE=en LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
if [ "${BRISVANE_SHOT_LANGUAGE:-en}" = de ]; then
    out=build/screenshots/de schemes=light scales=2
    export LANGUAGE=de LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
fi
mkdir -p "$out"
root=$(mktemp -d /tmp/brisvane-shots-XXXXXX)
home=$(mktemp -d /tmp/brisvane-shots-home-XXXXXX)
cleanup() {
    set +e
    build/bin/brisvane-sim down "$root" >/dev/null 2>&1
    rm -rf "$root" "$home"
}
trap cleanup EXIT

# The user's own settings and presets stay out of the pictures.
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export BRISVANE_SYSTEM_ROOT=$root QT_QPA_PLATFORM=offscreen
build/bin/brisvane-sim up "$root" --profile two-fan-laptop >/dev/null
build/bin/brisvane-vsmc ctl --root "$root" temp "${BRISVANE_SHOT_CELSIUS:-55}" >/dev/null
build/bin/brisvane-vsmc ctl --root "$root" load 0.5 0.3 >/dev/null

# Renders SCREEN in every scheme at each of SCALES into $out/<SCREEN, ":" as "-">-<scheme>@<scale>x.png.
shoot() {
    local screen=$1 scales_of_screen=$2 scheme scale
    for scheme in $schemes; do
        for scale in $scales_of_screen; do
            QT_SCALE_FACTOR=$scale build/bin/brisvane-screenshot "$screen" "$scheme" \
                "$out/${screen/:/-}-$scheme@${scale}x.png" 2>/dev/null
        done
    done
}

for screen in gallery main-window tray-label tray-label:square; do
    shoot "$screen" "$scales"
done
for state in waiting two-fans parked-fan stalled-fan unlocking failed helper-missing boost-35 boost-88 rounded; do
    shoot "menubar-$state" "$scales"
done

for scheme in $schemes; do
    for state in automatic preset starting boosting helper-missing firmware-failure reorder; do
        build/bin/brisvane-screenshot "header:$state" "$scheme" \
            "$out/header-$state-$scheme.png" 2>/dev/null
    done
    for width in 800 1400; do
        build/bin/brisvane-screenshot header:nine-slots "$scheme" \
            "$out/header-nine-slots-$width-$scheme.png" "$width" 2>/dev/null
    done
done

# The sections are taller than the offscreen platform's default screen: give them a tall one,
# so that the window fits its content as it would on a laptop's display.
screen_config=$root/screen.json
echo '{"screens":[{"name":"tall","x":0,"y":0,"width":1600,"height":2400,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}' \
    >"$screen_config"
export QT_QPA_PLATFORM="offscreen:configfile=$screen_config"
for state in loading two-fans three-fans parked-fan stalled-fan one-sample unsupported helper-missing; do
    shoot "dashboard:$state" "$scales"
done
# The curve editor: a built-in preset read-only with its note, a user preset with the live
# overlay, a point held mid-drag with its callout, the hover ghost and readout, a preset whose
# fans have curves of their own (the other fan's faint behind), the question "All fans" asks
# on it, the empty state.
for state in builtin live drag hover per-fan unify empty; do
    shoot "curves:$state" "$scales"
done
for state in fresh three-presets drag menu rename delete; do
    shoot "presets:$state" 2
done
for state in not-installed installed unreachable outdated failed unlocking installing install-error; do
    shoot "settings:$state" 2
done

if [ "${BRISVANE_SHOT_LANGUAGE:-en}" = en ]; then
    trap - EXIT
    cleanup
    BRISVANE_SHOT_LANGUAGE=de exec "$0"
fi
