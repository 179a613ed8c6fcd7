#!/usr/bin/env bash
# The fault soak: builds the programs, then runs the real daemon (under the stand-in launchctl),
# Brisvane --headless and a virtual Mac for MINUTES minutes (default 10) under random faults —
# SMC stalls, stalled fans, refused writes of mode keys, targets and Ftst, transport faults, kill -9 and
# SIGTERM of app and daemon, sleep and wake, firmware refusing manual mode, workload swings,
# preset switches. Prints the faults injected per kind, the safety monitor's findings and the
# fans' final state; exits non-zero on any finding or a fan left manual after the final quit.
# A run prints its seed: `scripts/soak.sh MINUTES --seed N` replays the same sequence of faults.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Brisvane BrisvaneHelper brisvane-vsmc brisvane-sim >/dev/null
# Debian's interpreter: the one with python3-dbusmock and python3-dbus.
exec /usr/bin/python3 scripts/soak.py "$@"
