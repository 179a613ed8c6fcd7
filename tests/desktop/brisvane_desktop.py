"""Drives the real Brisvane on a private X display as a person would, through the accessibility
tree (AT-SPI) and the pointer (xdotool). Desktop starts Xvfb, D-Bus with the AT-SPI bus, trayer,
a notification server (dunst) and a virtual Mac, and runs Brisvane in them; AppTest is the
desktop tests' TestCase. Runs on Debian's /usr/bin/python3 (pyatspi)."""

import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Generous: the machine that runs the tests may be loaded many times over.
DEFAULT_TIMEOUT = 45.0
POLL_INTERVAL = 0.2
SCREEN = "1280x1024x24"
# The roles a section picker's segment may have, by Qt version and style.
SEGMENT_ROLES = ("page tab", "push button", "toggle button", "radio button")


# Pop-ups bottom left, where no test clicks, and kept until the test closes them; icons looked
# up among the project's own, as an installed copy's would be in the icon theme.
DUNSTRC = """[global]
icon_path = {icons}
origin = bottom-left
offset = 10x10
width = 320
idle_threshold = 0
[urgency_low]
timeout = 0
[urgency_normal]
timeout = 0
[urgency_critical]
timeout = 0
"""


class Timeout(AssertionError):
    pass


def wait_until(condition, what, timeout=DEFAULT_TIMEOUT):
    """Polls `condition` until it returns something truthy, which is returned."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except Exception as error:  # a half-built tree or a process still starting
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error!r})" if last_error else ""
            raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(POLL_INTERVAL)


def _die_with_parent():
    # Children go down with the test even when it is killed outright.
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessage), ("pad", ctypes.c_long * 24)]


class _XDisplay:
    """A short-lived Xlib connection, for what xdotool cannot do."""

    def __init__(self, name):
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11, self.name, self.display = x11, name, None

    def __enter__(self):
        self.display = self.x11.XOpenDisplay(self.name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {self.name}")
        return self.x11, self.display

    def __exit__(self, *exc):
        self.x11.XCloseDisplay(self.display)


class Desktop:
    def __init__(self, build_dir, artifacts, profile="two-fan-laptop", install_helper=True):
        self.build_dir = os.path.abspath(build_dir)
        self.bin = os.path.join(self.build_dir, "bin")
        self.artifacts = os.path.abspath(artifacts)
        self.profile, self.install_helper = profile, install_helper
        self.tmp = self.root = self.env = self.app = self._display = None
        self._processes = []  # (name, Popen), in start order
        self._mac_up = False

    def start(self):
        """Everything but the app. On failure what was started is stopped again, and so it is
        when the test is interrupted or terminated (as ctest does on a timeout)."""
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(number, self._on_signal)
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _on_signal(self, number, _frame):
        # The virtual Mac's daemons outlive this process unless they are taken down.
        self.stop()
        os._exit(128 + number)

    def _start(self):
        os.makedirs(self.artifacts, exist_ok=True)
        self.tmp = tempfile.mkdtemp(prefix="brisvane-desktop-")
        folders = {name: os.path.join(self.tmp, "user", name)
                   for name in ("home", "config", "data", "cache", "runtime")}
        for folder in folders.values():
            os.makedirs(folder, mode=0o700)
        self.root = os.path.join(self.tmp, "mac")
        os.makedirs(self.root)
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": folders["home"], "XDG_RUNTIME_DIR": folders["runtime"],
            **{f"XDG_{name.upper()}_HOME": folders[name] for name in ("config", "data", "cache")},
            # Numbers as the tests spell them ("2,400 rpm"); Qt reads the locale from here.
            "LANG": "en_US.UTF-8", "LC_ALL": "en_US.UTF-8",
            "BRISVANE_SYSTEM_ROOT": self.root,
            # No system bus in a virtual Mac: the daemon runs without sleep handling.
            "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=" + os.path.join(self.root, "no-bus"),
            "QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        }
        self.env = env
        self._display = env["DISPLAY"] = ":" + self._read_line_from(
            "xvfb", ["Xvfb", "-displayfd", "{fd}", "-screen", "0", SCREEN, "-nolisten", "tcp",
                     "-noreset"], "display number")
        env["DBUS_SESSION_BUS_ADDRESS"] = self._read_line_from(
            "session-bus", ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"],
            "bus address")
        self.spawn("at-spi-bus", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_until(lambda: self._name_has_owner("org.a11y.Bus"), "the AT-SPI bus launcher")
        self.spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype",
                              "request", "--height", "32", "--SetDockType", "false",
                              "--transparent", "false", "--tint", "0x202020"])
        # Brisvane looks for a tray once, at start: the tray must be there first.
        wait_until(self._tray_owned, "trayer to take the system tray selection")
        # The desktop's notification server, its pop-ups in the corner away from the tray and
        # the panel; the tests read what it received with dunstctl.
        config = os.path.join(self.tmp, "dunstrc")
        with open(config, "w") as dunstrc:
            dunstrc.write(DUNSTRC.format(icons=os.path.join(SOURCE_DIR, "share", "icons")))
        self.spawn("dunst", ["dunst", "-config", config, "-verbosity", "info"])
        wait_until(lambda: self._name_has_owner("org.freedesktop.Notifications"),
                   "dunst to serve the notifications")
        self._run("mac", [os.path.join(self.bin, "brisvane-sim"), "up", self.root,
                          "--profile", self.profile])
        self._mac_up = True
        if self.install_helper:
            self._run("install-helper", [os.path.join(self.bin, "Brisvane"), "--install-helper"])
        # This process talks to both buses and the display, as the app does.
        os.environ.update({k: env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})

    def spawn(self, name, argv, env=None, **kwargs):
        """Starts a program in the display and buses; its output goes to <artifacts>/<name>.log."""
        log = open(os.path.join(self.artifacts, name + ".log"), "wb")
        kwargs.setdefault("stdout", log)
        kwargs.setdefault("stderr", subprocess.STDOUT)
        process = subprocess.Popen(argv, env=env or self.env, start_new_session=True,
                                   preexec_fn=_die_with_parent, **kwargs)
        log.close()
        self._processes.append((name, process))
        return process

    def _capture(self, argv, timeout=30):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)

    def _run(self, name, argv, timeout=DEFAULT_TIMEOUT):
        result = self._capture(argv, timeout)
        with open(os.path.join(self.artifacts, name + ".log"), "a") as log:
            log.write(result.stdout + result.stderr)
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(argv)} failed ({result.returncode}): "
                               f"{result.stdout}{result.stderr}")
        return result.stdout

    def _read_line_from(self, process_name, argv, what):
        """Starts a program that writes one line (a display number, a bus address) to a pipe."""
        read_end, write_end = os.pipe()
        argv = [a.replace("{fd}", str(write_end)) for a in argv]
        process = self.spawn(process_name, argv, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            line = pipe.readline().strip()  # ends when the program writes or dies
        if not line:
            raise RuntimeError(f"{process_name} gave no {what} (exit {process.poll()})")
        return line

    def _name_has_owner(self, name):
        return "boolean true" in self._capture(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name],
            timeout=10).stdout

    def _tray_owned(self):
        with _XDisplay(self._display) as (x11, display):
            atom = x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0)
            return x11.XGetSelectionOwner(display, atom) != 0

    def start_app(self, *arguments, extra_env=None):
        """Brisvane with the fixture's environment and `extra_env`; its log is brisvane.log."""
        env = dict(self.env, **(extra_env or {}))
        for key in [k for k, v in env.items() if v is None]:
            del env[key]  # None in `extra_env` takes the variable away
        self.app = self.spawn("brisvane", [os.path.join(self.bin, "Brisvane"), *arguments],
                              env=env)
        return self.app

    def stop(self):
        """Stops everything this fixture started, newest first; never raises."""
        for name, process in reversed(self._processes):
            if name != "brisvane" and self._mac_up:
                self._take_down_mac()  # after the app, which hands the fans back to it
            self.end(process)
        if self._mac_up:
            self._take_down_mac()
        self._processes.clear()
        if self.tmp:
            shutil.rmtree(self.tmp, ignore_errors=True)
            self.tmp = None

    def _take_down_mac(self):
        self._mac_up = False
        try:
            self._capture([os.path.join(self.bin, "brisvane-sim"), "down", self.root])
        except Exception:
            pass

    @staticmethod
    def end(process, grace=10.0):
        if process.poll() is not None:
            return
        try:
            # Each was started in a session of its own: its group is its id.
            os.killpg(process.pid, signal.SIGTERM)
            process.wait(grace)
        except (subprocess.TimeoutExpired, ProcessLookupError):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()

    def quit_app(self, grace=15.0):
        """SIGTERM, as a logout would; the app hands the fans back first."""
        if self.app and self.app.poll() is None:
            self.app.terminate()
            self.app.wait(grace)

    def stored_preset_names(self):
        """The names in the app's preset file, in store order; None while it is missing or
        half written."""
        path = os.path.join(self.env["XDG_DATA_HOME"], "Brisvane", "presets.json")
        try:
            with open(path) as presets:
                return [preset["name"] for preset in json.load(presets)]
        except (OSError, ValueError):
            return None

    def vsmc(self, *words):
        out = self._capture([os.path.join(self.bin, "brisvane-vsmc"), "ctl", "--root", self.root,
                             *words])
        if out.returncode != 0:
            raise RuntimeError(f"vsmc ctl {' '.join(words)}: {out.stdout}{out.stderr}")
        return json.loads(out.stdout)

    def notifications(self):
        """Every notification the desktop's server received so far, oldest first, as dicts of
        its fields ("appname", "summary", "body", "icon_path", ...). Closes those on screen,
        which moves them to the server's history."""
        self._run("dunstctl", ["dunstctl", "close-all"])
        # Closing is queued in the server: its history answers after it.
        wait_until(lambda: self._capture(["dunstctl", "count", "displayed"]).stdout.strip()
                   == "0", "dunst to close its notifications", timeout=10)
        history = json.loads(self._run("dunstctl", ["dunstctl", "history"]))
        entries = [{key: field["data"] for key, field in entry.items()}
                   for entry in history["data"][0]]
        return sorted(entries, key=lambda entry: entry["id"])

    def screenshot(self, name):
        """The whole screen as <artifacts>/<name>.png; the path, or None if it failed."""
        path = os.path.join(self.artifacts, re.sub(r"[^\w.-]+", "_", name) + ".png")
        try:
            subprocess.run(["import", "-window", "root", path], env=self.env,
                           capture_output=True, timeout=30, check=True)
            return path
        except Exception:
            return None

    def app_log(self):
        try:
            with open(os.path.join(self.artifacts, "brisvane.log"), errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def xdotool(self, *arguments):
        result = self._capture(["xdotool", *map(str, arguments)])
        return result.stdout.split() if result.returncode == 0 else []

    def window_geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(word.split("=", 1) for word in out if "=" in word)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y, "click", button)

    def hover(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def close_window(self, window):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW);
        Xvfb runs no window manager to do it."""
        with _XDisplay(self._display) as (x11, display):
            event = _XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
            event.xclient.format = 32
            event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            event.xclient.data[1] = 0  # CurrentTime
            x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
            x11.XFlush(display)

    def visible_windows(self, name):
        """Mapped top-level X windows whose title matches the regular expression `name`."""
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", name)]

    def tray_icons(self):
        """The X windows the tray host embeds: QSystemTrayIcon in XEmbed mode is one of them,
        outside the accessibility tree."""
        tree = self._capture(["xwininfo", "-root", "-tree"]).stdout
        icons, ancestors = [], []  # (indent, class) of the windows above the current line
        for line in tree.splitlines():
            m = re.match(r"^(\s+)(0x[0-9a-f]+) .*?: \((.*?)\)", line)
            if not m:
                continue
            indent, window, wm_class = len(m.group(1)), int(m.group(2), 16), m.group(3)
            while ancestors and ancestors[-1][0] >= indent:
                ancestors.pop()
            if '"Brisvane"' in wm_class and any('"trayer"' in c for _, c in ancestors):
                icons.append(window)
            ancestors.append((indent, wm_class))
        return icons


def _pyatspi():
    # Imported late: it connects to the session bus of the environment it is imported in.
    import pyatspi

    return pyatspi


def application(name="Brisvane", timeout=DEFAULT_TIMEOUT):
    pyatspi = _pyatspi()

    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                # Names and states change under the tests: always ask the app itself.
                from gi.repository import Atspi

                app.set_cache_mask(Atspi.Cache.NONE)
                return app
        return None

    return wait_until(find, f"the application {name!r} on the accessibility bus", timeout)


def descendants(root):
    """Every object under `root`, read fresh (no cached names or states)."""
    try:
        root.clear_cache()
    except Exception:
        pass
    found, stack = [], [root]
    while stack:
        node = stack.pop()
        try:
            children = [node.getChildAtIndex(i) for i in range(node.childCount)]
        except Exception:
            continue
        for child in children:
            if child is not None:
                found.append(child)
                stack.append(child)
    return found


def find_all(root, roles=None, name=None, showing=True):
    """Objects under `root` whose role name is one of `roles` ("label", "push button", ...) and
    whose accessible name matches the regular expression `name`."""
    pattern = re.compile(name) if name else None
    pyatspi = _pyatspi()
    matches = []
    for node in descendants(root):
        try:
            if roles is not None and node.getRoleName() not in roles:
                continue
            if pattern and not pattern.search(node.name or ""):
                continue
            if showing and not node.getState().contains(pyatspi.STATE_SHOWING):
                continue
            matches.append(node)
        except Exception:
            continue
    return matches


def find(root, roles=None, name=None, timeout=DEFAULT_TIMEOUT, showing=True):
    """The first matching object, waiting for it to appear."""
    return wait_until(lambda: (find_all(root, roles, name, showing) or [None])[0],
                      f"an object with role {roles} and name /{name}/", timeout)


def press(accessible):
    """Does the object's press action, as a screen reader's activate command would."""
    actions = accessible.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i).lower() in ("press", "click", "activate"):
            return actions.doAction(i)
    raise AssertionError(f"{accessible.name!r} has no press action")


def set_value(accessible, value):
    accessible.queryValue().currentValue = value


def value(accessible):
    return accessible.queryValue().currentValue


def is_showing(accessible):
    try:
        return accessible.getState().contains(_pyatspi().STATE_SHOWING)
    except Exception:
        return False


def windows(app, name=None):
    return find_all(app, roles=("frame", "window", "dialog"), name=name, showing=False)


def checked(accessible):
    return accessible.getState().contains(_pyatspi().STATE_CHECKED)



# The panel's temperature rows, and the dashboard's cards, which begin with their average.
TEMPERATURE = re.compile(r"^(CPU|GPU)(?: average)?, (-?[\d,]+(?:\.\d)?) °C(?:$|, )")
FAN_SPEED = re.compile(r"^(.+), ([\d,]+) rpm$")
MAIN_TITLE = r"^Brisvane$"
PANEL_TITLE = r"^Brisvane Menu$"
AUTOMATIC_MODE = 0  # the SMC's fan mode while macOS drives the fan


class AppTest(unittest.TestCase):
    """One desktop and one Brisvane for the whole class; a failing test leaves a screenshot and
    the app's log. A process stays on the first accessibility bus it talked to, so a process
    runs one such class."""

    build_dir = "build"
    profile = "two-fan-laptop"
    install_helper = True
    arguments = ()
    panel_title = PANEL_TITLE  # the panel's window title, in the app's language
    app_env = None  # more environment for the app (None as a value takes a variable away)
    pinned_celsius = None  # every sensor of the virtual SMC reads this, if set

    @classmethod
    def setUpClass(cls):
        artifacts = os.path.join(cls.build_dir, "desktop-tests", cls.__name__)
        cls.desktop = Desktop(cls.build_dir, artifacts, profile=cls.profile,
                              install_helper=cls.install_helper).start()
        try:
            if cls.pinned_celsius is not None:
                cls.desktop.vsmc("temp", str(cls.pinned_celsius))
            cls.desktop.start_app(*cls.arguments, extra_env=cls.app_env)
            cls.app = application()
        except BaseException:
            cls.desktop.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.desktop.quit_app()
        cls.desktop.stop()

    def run(self, result=None):
        failures = len(result.failures) + len(result.errors) if result else 0
        outcome = super().run(result)
        if result and len(result.failures) + len(result.errors) > failures:
            path = self.desktop.screenshot(self.id().rsplit(".", 1)[-1])
            print(f"\nscreenshot: {path}\napp log:\n{self.desktop.app_log()[-3000:]}",
                  file=sys.stderr)
        return outcome

    def fans(self):
        return self.desktop.vsmc("status")["fans"]

    def wait_for_fans(self, condition, what, timeout=DEFAULT_TIMEOUT):
        wait_until(lambda: all(condition(fan) for fan in self.fans()), what, timeout)

    def visible_main_window(self):
        return wait_until(lambda: (self.desktop.visible_windows(MAIN_TITLE) or [None])[0],
                          "the main window on screen")

    def hide_main_window(self):
        self.desktop.close_window(self.visible_main_window())
        wait_until(lambda: not self.desktop.visible_windows(MAIN_TITLE),
                   "the main window to be hidden")

    def tray_icon(self):
        return wait_until(lambda: (self.desktop.tray_icons() or [None])[0],
                          "the tray icon in trayer")

    def _showing_panel(self):
        return next((w for w in windows(self.app, self.panel_title) if is_showing(w)), None)

    def panel(self):
        return wait_until(self._showing_panel, "the menu-bar panel on screen")

    def open_panel(self):
        """The menu-bar panel, clicking the tray icon until it is on screen: on a loaded machine
        a click can land before a freshly started app's icon takes input, and a click on a panel
        the app is still closing closes it; the next click opens it again."""
        def attempt():
            if showing := self._showing_panel():
                return showing
            x, y, width, height = self.desktop.window_geometry(self.tray_icon())
            self.desktop.click(x + width // 2, y + height // 2)
            try:
                return wait_until(self._showing_panel, "the panel after a click", timeout=8)
            except Timeout:
                return None

        return wait_until(attempt, "the menu-bar panel on screen")

    def readings_match_status(self, root):
        """The fans [(name, rpm)] under `root`, once its temperatures and fan speeds are the
        virtual SMC's; None before."""
        temperatures, fans = {}, []
        for node in find_all(root, roles=("label", "static text", "progress bar")):
            name = node.name or ""
            if m := TEMPERATURE.match(name):
                temperatures[m.group(1)] = float(m.group(2).replace(",", ""))
            elif m := FAN_SPEED.match(name):
                fans.append((m.group(1), float(m.group(2).replace(",", ""))))
        status = self.desktop.vsmc("status")
        hottest = round(status["hottest"], 1)
        if temperatures != {"CPU": hottest, "GPU": hottest} or len(fans) != len(status["fans"]):
            return None
        # The app shows its last sample (every 2 s) while the fans may still be settling.
        for (_, shown), fan in zip(fans, status["fans"]):
            if abs(shown - fan["actual"]) > 0.02 * fan["max"]:
                return None
        return fans


def main():
    """Runs the tests of the calling script: BUILD_DIR [unittest arguments]."""
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        AppTest.build_dir = sys.argv.pop(1)
    unittest.main(module="__main__", verbosity=2)
