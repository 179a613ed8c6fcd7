#!/usr/bin/env bash
# The run command: builds the programs, brings up a virtual Mac in a temporary system root with
# a workload that rises and falls, installs the helper daemon into it with Brisvane
# --install-helper, and runs Brisvane with the Cool preset — windowed when there is a display
# ($DISPLAY or $WAYLAND_DISPLAY), else --headless with one status line per sample. Ctrl-C quits
# Brisvane, which hands the fans back to macOS, and takes the virtual Mac down.
# BRISVANE_RUN_SECONDS=N stops after N seconds; BRISVANE_PROFILE picks another machine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Brisvane BrisvaneHelper brisvane-vsmc brisvane-sim >/dev/null

root=$(mktemp -d /tmp/brisvane-mac-XXXXXX)
sim=build/bin/brisvane-sim
vsmc=build/bin/brisvane-vsmc
app=build/bin/Brisvane
export BRISVANE_SYSTEM_ROOT=$root
# The virtual Mac has no system bus: the daemon runs without sleep handling.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$root/var/run/dbus/system_bus_socket"
app_pid=""
workload_pid=""

cleanup() {
    # Every step runs, whatever the one before it did.
    set +e
    trap - INT TERM
    [ -n "$workload_pid" ] && kill "$workload_pid" 2>/dev/null
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        echo "run: quitting Brisvane (the fans go back to macOS)"
        kill -TERM "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [ -S "$root/var/run/iokit/vsmc.control" ]; then
        echo "run: fans after quitting: $("$vsmc" ctl --root "$root" status |
            grep -o '"mode":[0-9]*\|"ftst":[0-9a-z]*' | tr '\n' ' ')"
    fi
    "$sim" down "$root" >/dev/null 2>&1 || true
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

"$sim" up "$root" --profile "${BRISVANE_PROFILE:-two-fan-laptop}"

# Load on the two dies, rising to full and falling back to idle, over and over.
workload() {
    while :; do
        for load in "0.2 0.1" "0.5 0.3" "0.8 0.6" "1 1" "1 0.8" "0.6 0.4" "0.3 0.1" "0 0"; do
            # shellcheck disable=SC2086
            "$vsmc" ctl --root "$root" load $load >/dev/null 2>&1 || return 0
            sleep 6
        done
    done
}
workload &
workload_pid=$!

"$app" --install-helper

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    mode=()
    echo "run: Brisvane with the Cool preset in its window; Ctrl-C here quits it"
else
    mode=(--headless)
    echo "run: no display, so Brisvane --headless with the Cool preset; Ctrl-C quits it"
fi
# A session of its own: the terminal's Ctrl-C reaches this script, which asks Brisvane to quit
# exactly once and waits for its quit sequence.
setsid "$app" "${mode[@]}" -ActivatePreset Cool &
app_pid=$!

if ((${BRISVANE_RUN_SECONDS:-0} > 0)); then
    for ((i = 0; i < BRISVANE_RUN_SECONDS; i++)); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 1
    done
else
    wait "$app_pid" || true
fi
