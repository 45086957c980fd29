"""A person's hands and eyes on an X display: xdotool for the mouse and keyboard, the window
manager's view of the windows (which one is active, which is on top, which owns which), and the
program's accessibility tree (AT-SPI over D-Bus) to find where each control stands on the screen
and what it shows. Nothing here reaches into the program: every input is a real X event."""

import subprocess
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
COMPONENT = "org.a11y.atspi.Component"
TEXT = "org.a11y.atspi.Text"
VALUE = "org.a11y.atspi.Value"
PROPERTIES = "org.freedesktop.DBus.Properties"
ROOT_PATH = "/org/a11y/atspi/accessible/root"

# AT-SPI state bits.
STATE_ENABLED = 8
STATE_FOCUSED = 12
STATE_SHOWING = 25


class WalkFailure(Exception):
    pass


def wait_for(what, check, limit=10.0):
    """Polls `check` until it returns something true; fails naming `what` (a text, or a function
    that gives it then) after `limit` s."""
    deadline = time.monotonic() + limit
    while True:
        try:
            value = check()
        except dbus.exceptions.DBusException:
            value = None  # an object that went away while it was read
        if value:
            return value
        if time.monotonic() > deadline:
            raise WalkFailure(f"waited {limit:.0f} s in vain for "
                              f"{what() if callable(what) else what}")
        time.sleep(0.1)


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


# ---- the X side: input and the window manager's view ----------------------------------------


def click(x, y, button=1):
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))


def type_text(text):
    run("xdotool", "type", "--delay", "40", "--", text)


def key(*keys):
    run("xdotool", "key", "--delay", "60", *keys)


def active_window():
    try:
        return int(run("xdotool", "getactivewindow"))
    except subprocess.CalledProcessError:
        return 0


def window_name(window):
    return run("xdotool", "getwindowname", str(window))


def window_geometry(window):
    """The window's client area on the screen: x, y, width, height."""
    values = {}
    for line in run("xwininfo", "-id", str(window)).splitlines():
        name, _, value = line.strip().partition(":")
        values[name] = value.strip()
    return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                          "Width", "Height"))


def xprop_windows(window, atom):
    """The window ids an xprop WINDOW property holds, in order."""
    args = ["xprop", "-root"] if window is None else ["xprop", "-id", str(window)]
    line = run(*args, atom)
    if "#" not in line:
        return []
    return [int(part.strip(), 16) for part in line.split("#", 1)[1].split(",") if part.strip()]


def stacking():
    """The managed windows from bottom to top."""
    return xprop_windows(None, "_NET_CLIENT_LIST_STACKING")


def owner_of(window):
    owners = xprop_windows(window, "WM_TRANSIENT_FOR")
    return owners[0] if owners else 0


def frame_extents(window):
    line = run("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
    if "=" not in line:
        return (0, 0, 0, 0)
    return tuple(int(part) for part in line.split("=", 1)[1].split(","))


def close_box(window):
    """Where the window manager drew the window's close box: the right end of its title bar."""
    x, y, width, _ = window_geometry(window)
    _, right, top, _ = frame_extents(window)
    if top == 0:
        raise WalkFailure(f"window {window_name(window)!r} has no title bar")
    return x + width + right - top // 2 - 2, y - top // 2


# ---- the program's side: its accessibility tree ------------------------------------------


class Node:
    """One accessible object of the program."""

    def __init__(self, bus, name, path):
        self.bus, self.bus_name, self.path = bus, name, path
        self.proxy = bus.get_object(name, path, introspect=False)

    def __eq__(self, other):
        return isinstance(other, Node) and (self.bus_name, self.path) == (other.bus_name,
                                                                           other.path)

    def __repr__(self):
        return f"<{self.role()} {self.name()!r}>"

    def name(self):
        return str(self.proxy.Get(ACCESSIBLE, "Name", dbus_interface=PROPERTIES))

    def role(self):
        return str(self.proxy.GetRoleName(dbus_interface=ACCESSIBLE))

    def children(self):
        return [Node(self.bus, str(n), str(p))
                for n, p in self.proxy.GetChildren(dbus_interface=ACCESSIBLE)]

    def has_state(self, bit):
        states = self.proxy.GetState(dbus_interface=ACCESSIBLE)
        return bool(int(states[bit // 32]) >> (bit % 32) & 1)

    def extents(self):
        x, y, w, h = self.proxy.GetExtents(dbus.UInt32(0), dbus_interface=COMPONENT)
        return int(x), int(y), int(w), int(h)

    def centre(self):
        x, y, w, h = self.extents()
        return x + w // 2, y + h // 2

    def value(self):
        """A range control's value and its maximum."""
        def get(name):
            return float(self.proxy.Get(VALUE, name, dbus_interface=PROPERTIES))
        return get("CurrentValue"), get("MaximumValue")

    def description(self):
        return str(self.proxy.Get(ACCESSIBLE, "Description", dbus_interface=PROPERTIES))

    def text(self):
        return str(self.proxy.GetText(0, -1, dbus_interface=TEXT))

    def find(self, name, role=None):
        """The first object below this one with `name` (and `role`, or one of the roles given
        as a tuple), depth first; or None."""
        for child in self.children():
            if child.name() == name and (role is None or child.role() in role):
                return child
            found = child.find(name, role)
            if found is not None:
                return found
        return None

    def get(self, name, role=None):
        return wait_for(f"{name!r} in {self!r}", lambda: self.find(name, role), limit=5)

    def click(self):
        click(*self.centre())


class Program:
    """The application's accessibility root on the accessibility bus."""

    def __init__(self, application_name):
        session = dbus.SessionBus()
        address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
            dbus_interface="org.a11y.Bus")
        self.bus = dbus.bus.BusConnection(str(address))
        self.application_name = application_name
        self.root = wait_for("the program on the accessibility bus", self._find_root, limit=20)

    def _find_root(self):
        registry = Node(self.bus, "org.a11y.atspi.Registry", ROOT_PATH)
        for application in registry.children():
            if application.name() == self.application_name:
                return application
        return None

    def windows(self):
        return [w for w in self.root.children() if w.has_state(STATE_SHOWING)]

    def window(self, title, containing=None, limit=10):
        """The shown top-level window with `title` (and a control named `containing`)."""
        def look():
            for window in self.windows():
                if window.name() == title and (containing is None or
                                               window.find(containing) is not None):
                    return window
            return None
        return wait_for(f"the window {title!r}", look, limit=limit)

    def gone(self, title):
        wait_for(f"the window {title!r} to close",
                 lambda: all(w.name() != title for w in self.windows()))
