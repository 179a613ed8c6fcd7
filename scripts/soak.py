"""The fault soak: a virtual Mac, the real daemon run by the stand-in launchctl, and
Brisvane --headless, under a seeded stream of random faults for MINUTES minutes. At the end
Brisvane quits, and the soak prints how many faults of each kind it injected, the virtual
Mac's safety-monitor findings and the fans' final state. Exit status 1 on any finding, a fan
still manual or the firmware unlock still held after the final quit; 2 when the soak itself
could not run. Run it through scripts/soak.sh; a failing run is replayed with its seed.
"""

import argparse
import collections
import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

LABEL = "org.brisvane.Brisvane.helper"
# The two-fan laptop's own unlock delay, restored after a spell of refusing firmware.
PROFILE = "two-fan-laptop"
FANS = 2
NORMAL_UNLOCK_SECONDS = "3"
# kern_return_t values a broken SMC connection answers with.
TRANSPORT_FAULTS = {"not-responding": "0xE00002ED", "timeout": "0xE00002D6",
                    "not-permitted": "0xE00002E2"}
# Presets a switch picks, by weight: mostly ones that drive the fans.
PRESETS = {"Cool": 3, "Full Speed": 2, "Automatic": 1}
# Relative frequency of each fault kind.
WEIGHTS = {
    "smc-stall": 10,
    "refused-mode-write": 8,
    "refused-target-write": 8,
    "refused-ftst-write": 5,
    "transport-fault": 8,
    "kill-9-app": 4,
    "kill-9-daemon": 4,
    "sigterm-app": 3,
    "sigterm-daemon": 3,
    "sleep-wake": 5,
    "firmware-refuses-manual": 2,
    "fan-stall": 3,
    "workload-swing": 10,
    "preset-switch": 5,
}
# Mean pause between two injections: 60 minutes give well over 500 faults, and the fans are
# back under control between many of them.
MEAN_PAUSE_SECONDS = 4.0


class SoakError(Exception):
    """The soak itself could not do something (not a finding about the system under test)."""


def log(message):
    print(f"soak: {message}", flush=True)


class Soak:
    def __init__(self, build, minutes, seed):
        self.build = Path(build)
        self.minutes = minutes
        self.seed = seed
        self.random = random.Random(seed)
        self.counts = collections.Counter()
        self.root = Path(tempfile.mkdtemp(prefix="brisvane-soak-"))
        self.home = self.root / "soak-user"
        self.bus_address = f"unix:path={self.root}/var/run/dbus/system_bus_socket"
        self.processes = {}  # name -> Popen of what the soak started itself
        self.app = None
        self.replaced = []  # copies of Brisvane told to quit by a newer one
        self.app_exits = []  # exit statuses of copies that ended unasked
        self.preset = "Cool"
        self.firmware_restore_at = None
        self.stalled_fans = {}  # fan index -> monotonic time its rotor turns again
        self.vsmc_stopped = False
        self.samples = collections.Counter()
        self.timeline = []  # (model time, kind, detail)

    # Programs and the virtual Mac

    def program(self, name):
        for folder in ("bin", "libexec/brisvane"):
            path = self.build / folder / name
            if path.exists():
                return str(path)
        raise SoakError(f"{name} is not built under {self.build}")

    def environment(self):
        env = dict(os.environ)
        env.update({
            "BRISVANE_SYSTEM_ROOT": str(self.root),
            "DBUS_SYSTEM_BUS_ADDRESS": self.bus_address,
            "HOME": str(self.home / "home"),
            "XDG_CONFIG_HOME": str(self.home / "config"),
            "XDG_DATA_HOME": str(self.home / "data"),
            "XDG_RUNTIME_DIR": str(self.home / "runtime"),
            "QT_QPA_PLATFORM": "offscreen",
            "LC_ALL": "C.UTF-8",
        })
        return env

    def ctl(self, *args):
        """One request to the virtual SMC's control socket; its JSON answer."""
        result = subprocess.run([self.program("brisvane-vsmc"), "ctl", "--root", str(self.root),
                                 *args], capture_output=True, text=True, timeout=15)
        try:
            answer = json.loads(result.stdout)
        except json.JSONDecodeError:
            raise SoakError(f"ctl {' '.join(args)}: {result.stdout}{result.stderr}")
        if not answer.get("ok"):
            raise SoakError(f"ctl {' '.join(args)}: {answer}")
        return answer

    def vsmc_pid(self):
        return int((self.root / "var/run/brisvane-vsmc.pid").read_text())

    def daemon_pid(self):
        """The daemon's pid as the stand-in launchd records it, or None between runs."""
        try:
            state = json.loads((self.root / "var/run/launchd" / f"{LABEL}.json").read_text())
        except (OSError, json.JSONDecodeError):
            return None
        pid = state.get("pid")
        if not isinstance(pid, int):
            return None
        # Never signal a pid the daemon has already given up.
        try:
            command = Path(f"/proc/{pid}/cmdline").read_bytes()
        except OSError:
            return None
        return pid if LABEL.encode() in command else None

    def start_bus(self):
        folder = self.root / "var/run/dbus"
        folder.mkdir(parents=True, exist_ok=True)
        config = folder / "bus.conf"
        config.write_text(f"""<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path={folder}/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
""")
        logs = self.root / "var/log"
        self.spawn("dbus-daemon", ["/usr/bin/dbus-daemon", "--nofork", "--nopidfile",
                                   f"--config-file={config}"], logs / "dbus-daemon.log")
        self.wait_for(lambda: (folder / "system_bus_socket").exists(), 10, "dbus-daemon")
        self.spawn("logind", ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind"],
                   logs / "dbusmock-logind.log", {"DBUS_SYSTEM_BUS_ADDRESS": self.bus_address})
        import dbus  # Debian's python3-dbus, beside dbusmock
        self.bus = dbus.bus.BusConnection(self.bus_address)
        self.wait_for(lambda: self.bus.name_has_owner("org.freedesktop.login1"), 20,
                      "the logind mock")
        self.logind = self.bus.get_object("org.freedesktop.login1", "/org/freedesktop/login1")

    def prepare_for_sleep(self, sleeping):
        import dbus
        self.logind.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                               [dbus.Boolean(sleeping)],
                               dbus_interface="org.freedesktop.DBus.Mock")

    def spawn(self, name, argv, logfile, extra_env=None):
        env = dict(os.environ)
        env.update(extra_env or {})
        with open(logfile, "ab") as out:
            self.processes[name] = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out,
                                                    stderr=out, env=env)
        return self.processes[name]

    def wait_for(self, condition, seconds, what):
        deadline = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > deadline:
                raise SoakError(f"{what} did not come up within {seconds} s")
            time.sleep(0.05)

    def up(self):
        for folder in ("home", "config", "data", "runtime"):
            (self.home / folder).mkdir(parents=True, exist_ok=True)
        os.chmod(self.home / "runtime", 0o700)
        subprocess.run([self.program("brisvane-sim"), "up", str(self.root), "--profile", PROFILE],
                       check=True, stdout=subprocess.DEVNULL)
        self.start_bus()
        # The helper is installed as a user installs it: by Brisvane, through the stand-in
        # osascript and launchctl, with the system bus in the environment launchd hands on.
        result = subprocess.run([self.program("Brisvane"), "--install-helper"],
                                env=self.environment(), capture_output=True, text=True,
                                timeout=60)
        if result.returncode != 0:
            raise SoakError(f"Brisvane --install-helper: {result.stdout}{result.stderr}")
        self.wait_for(lambda: self.daemon_pid() is not None, 10, "the daemon")
        self.start_app(self.preset)

    def start_app(self, preset):
        # A new copy makes a running one quit (one copy per user): that is how a preset switch
        # reaches a headless Brisvane.
        self.preset = preset
        with open(self.root / "var/log/brisvane-app.log", "ab") as out:
            self.app = subprocess.Popen(
                [self.program("Brisvane"), "--headless", "-ActivatePreset", preset],
                stdin=subprocess.DEVNULL, stdout=out, stderr=out, env=self.environment(),
                start_new_session=True)

    def reap_app(self, seconds):
        """Waits for the app to end; False if it is still running after `seconds`."""
        try:
            self.app.wait(timeout=seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    # Faults

    def note(self, t, kind, detail=""):
        """One line of the fault timeline, at the virtual Mac's model time (its monitor's
        clock) when the fault began, so that a finding can be set beside the faults before it."""
        self.timeline.append((t, kind, detail))
        with open(self.root / "var/log/soak-faults.log", "a") as out:
            out.write(f"t={t:8.1f}  {kind} {detail}\n")

    def inject(self, kind, t):
        """Injects a fault of `kind`, beginning at model time `t`."""
        self.counts[kind] += 1
        r = self.random
        if kind == "smc-stall":
            # The SMC stops answering: every call in flight times out, then it answers again.
            seconds = r.uniform(0.5, 4.0)
            self.note(t, kind, f"{seconds:.1f} s")
            pid = self.vsmc_pid()
            os.kill(pid, signal.SIGSTOP)
            self.vsmc_stopped = True
            try:
                time.sleep(seconds)
            finally:
                os.kill(pid, signal.SIGCONT)
                self.vsmc_stopped = False
            return
        detail = ""
        if kind in ("refused-mode-write", "refused-target-write", "refused-ftst-write"):
            key = {"refused-mode-write": f"F{r.randrange(FANS)}Md",
                   "refused-target-write": f"F{r.randrange(FANS)}Tg",
                   "refused-ftst-write": "Ftst"}[kind]
            count = str(r.randint(1, 3))
            self.ctl("fault", key, "write", "0x86", count)
            detail = f"{key} x{count}"
        elif kind == "transport-fault":
            name = r.choice(sorted(TRANSPORT_FAULTS))
            count = str(r.randint(1, 6))
            self.ctl("transport-fault", TRANSPORT_FAULTS[name], count)
            detail = f"{name} x{count}"
        elif kind == "kill-9-app":
            self.app.kill()
            self.app.wait()
            time.sleep(r.uniform(0.0, 2.0))
            self.start_app(self.preset)
        elif kind == "kill-9-daemon":
            # The stand-in launchd starts it again, as KeepAlive says.
            detail = self.signal_daemon(kind, signal.SIGKILL)
        elif kind == "sigterm-app":
            self.app.send_signal(signal.SIGTERM)
            if not self.reap_app(15):
                raise SoakError("Brisvane did not quit within 15 s of SIGTERM")
            time.sleep(r.uniform(0.0, 2.0))
            self.start_app(self.preset)
        elif kind == "sigterm-daemon":
            detail = self.signal_daemon(kind, signal.SIGTERM)
        elif kind == "sleep-wake":
            seconds = r.uniform(0.5, 3.0)
            detail = f"{seconds:.1f} s asleep"
            self.prepare_for_sleep(True)
            time.sleep(seconds)
            self.prepare_for_sleep(False)
        elif kind == "firmware-refuses-manual":
            # A spell of firmware that refuses manual mode, while other faults go on.
            seconds = r.uniform(5.0, 20.0)
            detail = f"for {seconds:.1f} s"
            self.ctl("firmware", "accept-mode-after", "never")
            self.firmware_restore_at = time.monotonic() + seconds
        elif kind == "fan-stall":
            # A blocked rotor for a while: the monitor judges targets, so nothing may change.
            fans = len(self.ctl("status")["fans"])
            if fans == 0:
                self.counts[kind] -= 1
                return
            fan = r.randrange(fans)
            seconds = r.uniform(10.0, 40.0)
            detail = f"fan {fan} for {seconds:.1f} s"
            self.ctl("fan", str(fan), "stall")
            self.stalled_fans[fan] = time.monotonic() + seconds
        elif kind == "workload-swing":
            detail = f"cpu {r.random():.2f} gpu {r.random():.2f}"
            self.ctl("load", *detail.split()[1::2])
        elif kind == "preset-switch":
            # The copy it replaces quits on its own: the new one asks it to.
            self.replaced.append(self.app)
            choices = [p for p in PRESETS if p != self.preset]
            self.start_app(r.choices(choices, [PRESETS[p] for p in choices])[0])
            detail = self.preset
        else:
            raise AssertionError(kind)
        self.note(t, kind, detail)

    def signal_daemon(self, kind, number):
        pid = self.daemon_pid()
        if pid is None:
            self.counts[kind] -= 1  # between two runs of the daemon: nothing to hit
            return "skipped: no daemon running"
        os.kill(pid, number)
        return f"pid {pid}"

    def reap_replaced(self, seconds=0.0):
        """Copies replaced by a newer one must end (within 2 s, by the newer one's kill if need
        be); those still running after `seconds` are returned."""
        deadline = time.monotonic() + seconds
        while self.replaced:
            self.replaced = [app for app in self.replaced if app.poll() is None]
            if not self.replaced or time.monotonic() >= deadline:
                break
            time.sleep(0.1)
        return self.replaced

    def restore_firmware_if_due(self):
        if self.firmware_restore_at and time.monotonic() >= self.firmware_restore_at:
            self.ctl("firmware", "accept-mode-after", NORMAL_UNLOCK_SECONDS)
            self.firmware_restore_at = None
        now = time.monotonic()
        for fan, until in list(self.stalled_fans.items()):
            if now >= until:
                self.ctl("fan", str(fan), "spin")
                del self.stalled_fans[fan]

    def sample(self):
        """What the fans are doing now, for the run's summary; returns the model time."""
        status = self.ctl("status")
        manual = any(f["mode"] == 1 for f in status["fans"])
        self.samples["manual" if manual else "automatic"] += 1
        return status["t"]

    def run(self):
        kinds = sorted(WEIGHTS)
        weights = [WEIGHTS[k] for k in kinds]
        end = time.monotonic() + self.minutes * 60
        log(f"{self.minutes:g} min, seed {self.seed}, virtual Mac in {self.root}")
        # Brisvane's first takeover before the first fault.
        time.sleep(5)
        while time.monotonic() < end:
            self.restore_firmware_if_due()
            self.reap_replaced()
            if self.app.poll() is not None:
                # Nothing here ends Brisvane without starting it again: it ended on its own.
                self.app_exits.append(self.app.returncode)
                self.start_app(self.preset)
            # Sampled before each fault, after the system had the pause to recover from the last.
            # One status read serves the sample and the fault's start time.
            t = self.sample()
            self.inject(self.random.choices(kinds, weights)[0], t)
            pause = self.random.expovariate(1.0 / MEAN_PAUSE_SECONDS)
            time.sleep(min(pause, max(0.0, end - time.monotonic())))

    def finish(self):
        """Every fault lifted, Brisvane quits; the monitor's findings and the fans after it."""
        self.ctl("fault", "clear")
        self.ctl("transport-fault", "clear")
        self.ctl("firmware", "accept-mode-after", NORMAL_UNLOCK_SECONDS)
        self.firmware_restore_at = None
        for fan in list(self.stalled_fans):
            self.ctl("fan", str(fan), "spin")
        self.stalled_fans.clear()
        # Brisvane runs a little longer with nothing failing, then quits as a user quits it.
        time.sleep(3)
        self.app.send_signal(signal.SIGTERM)
        quit_ok = self.reap_app(15) and not self.reap_replaced(15)
        # The hand-back is retried each second until the SMC accepts: give it a few.
        deadline = time.monotonic() + 10
        while True:
            status = self.ctl("status")
            released = all(f["mode"] == 0 for f in status["fans"]) and not status.get("ftst")
            if released or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        violations = self.ctl("violations")["violations"]
        # The whole write journal, to read a finding against.
        with open(self.root / "var/log/smc-writes.log", "w") as out:
            for write in self.ctl("writes")["writes"]:
                out.write(json.dumps(write, sort_keys=True) + "\n")
        return quit_ok, status, violations

    def down(self):
        if self.vsmc_stopped:
            os.kill(self.vsmc_pid(), signal.SIGCONT)
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        subprocess.run([self.program("brisvane-sim"), "down", str(self.root)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for app in self.replaced:
            app.kill()
            app.wait()
        for process in self.processes.values():
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("minutes", nargs="?", type=float, default=10.0)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--build-dir", default=str(Path(__file__).resolve().parent.parent / "build"))
    parser.add_argument("--keep", action="store_true", help="keep the virtual Mac's folder")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1, 2**31)

    soak = Soak(args.build_dir, args.minutes, seed)
    try:
        soak.up()
        soak.run()
        quit_ok, status, violations = soak.finish()
    except (SoakError, subprocess.SubprocessError, OSError) as error:
        log(f"could not run: {error} (seed {seed}, logs kept in {soak.root}/var/log)")
        soak.down()
        return 2
    except KeyboardInterrupt:
        soak.down()
        return 130
    manual = [f["index"] for f in status["fans"] if f["mode"] != 0]
    unlock_held = bool(status.get("ftst"))

    print()
    log(f"summary of {args.minutes:g} min, seed {seed} "
        f"(replay: scripts/soak.sh {args.minutes:g} --seed {seed})")
    log(f"faults injected: {sum(soak.counts.values())}")
    for kind in sorted(WEIGHTS):
        log(f"  {kind:<26} {soak.counts[kind]}")
    total = sum(soak.samples.values()) or 1
    log(f"fans under Brisvane's control at {100 * soak.samples['manual'] // total}% of "
        f"{sum(soak.samples.values())} samples")
    log(f"monitor findings: {len(violations)}")
    for finding in violations:
        log(f"  {json.dumps(finding, sort_keys=True)}")
        for t, kind, detail in soak.timeline:
            if finding["from"] - 15 <= t <= finding["to"]:
                log(f"      fault at t={t:.1f}: {kind} {detail}")
    for fan in status["fans"]:
        log(f"fan {fan['index']} after the final quit: mode {fan['mode']}, target "
            f"{fan['target']:.0f}, actual {fan['actual']:.0f} rpm")
    log(f"firmware unlock (Ftst) after the final quit: {status.get('ftst')}")
    if not quit_ok:
        log("a copy of Brisvane did not quit within 15 s")
    if soak.app_exits:
        log(f"Brisvane ended unasked {len(soak.app_exits)} times (status {soak.app_exits})")
    failed = (bool(violations) or bool(manual) or unlock_held or not quit_ok
              or bool(soak.app_exits))
    log("FAIL" if failed else "PASS")
    if args.keep or failed:
        log(f"logs kept in {soak.root}/var/log")
    soak.down()
    if not (args.keep or failed):
        shutil.rmtree(soak.root, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
