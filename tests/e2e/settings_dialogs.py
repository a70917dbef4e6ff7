"""Settings and password-change modes on Xvfb: the three dialogs driven with xdotool, and what gets stored."""

import os
import re
import sys
import time

import harness as H

SETTINGS, CREDITS, LEGAL = "Morgrave Viduzev Glimmerfiend", "Torturers", "Legalities"


def stored(s):
    """{name: signed value} of the Settings key's REG_DWORD values in the store file."""
    values, inside = {}, False
    for line in map(str.strip, H.read_lines(s.registry)):
        if line.startswith("["):
            inside = line.lower().endswith(r"\morgrave\settings]")
        m = re.match(r'^"([^"]+)"=dword:([0-9a-fA-F]{1,8})$', line)
        if inside and m:
            values[m[1]] = int(m[2], 16) - (1 << 32 if int(m[2], 16) >= 1 << 31 else 0)
    return values


def find_window(s, title, seconds=10):
    look = lambda: s.run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$").stdout.split()  # noqa: E731
    found = []
    return int(found[0]) if H.wait_until(lambda: found.extend(look()) or found, seconds, 0.1) else None


def gone(s, title):
    return H.wait_until(lambda: find_window(s, title, 0) is None, 5, 0.1)


def centre(g):
    return g[0] + g[2] // 2, g[1] + g[3] // 2


def keys(s, *names):
    s.xdotool("key", "--delay", 80, *names, "sleep", 0.08)


def click(s, x, y, button=1):
    s.xdotool("mousemove", x, y, "sleep", 0.2, "click", button, "sleep", 0.2)


def focus(s, wid):
    s.xdotool("windowfocus", "--sync", wid, "sleep", 0.1)


def save_picture(s, wid, name):
    """The dialog as a picture in $MORGRAVE_MEDIA_DIR, for the documentation."""
    if os.environ.get("MORGRAVE_MEDIA_DIR"):
        os.makedirs(os.environ["MORGRAVE_MEDIA_DIR"], exist_ok=True)
        s.run("sh", "-c", f"xwd -silent -id {wid} | convert xwd:- {os.path.join(os.environ['MORGRAVE_MEDIA_DIR'], name)}")


class Dialog:
    """One run of the saver in the settings mode, up to its settings dialog."""

    def __init__(self, s, c, *args, store=None):
        s.write_registry(settings=store)  # none: an empty store
        self.s, self.c = s, c
        s.xdotool("mousemove", 1, 1)
        self.proc = s.start(*args)
        self.wid = find_window(s, SETTINGS)
        if self.wid is None:
            raise H.Failure("the settings dialog did not appear")
        time.sleep(0.3)
        self.g = s.geometry(self.wid)
        focus(s, self.wid)
        crops = [self.crop()]  # the level's name once the dialog has been drawn: the same crop twice
        H.wait_until(lambda: time.sleep(0.1) or crops.append(self.crop()) or crops[-1] == crops[-2], 3, 0.0)
        self.label = crops[-1]

    def at(self, fx, fy):
        """A point at fractions of the dialog's width and height."""
        return self.g[0] + int(self.g[2] * fx), self.g[1] + int(self.g[3] * fy)

    def above(self, fx, pixels):
        """A point at a fraction of the width, `pixels` above the bottom edge (the controls keep their height)."""
        return self.g[0] + int(self.g[2] * fx), self.g[1] + self.g[3] - pixels

    def crop(self):
        """Where the level's name stands (left of the slider, in the group box): nothing else there changes."""
        return self.s.screenshot().region_hash(*self.at(0.045, 0.42), *self.at(0.203, 0.68))

    def wait_label(self, old):
        """The name after a move: the first crop that differs from `old` (or the last when time runs out).
        Quick: a press held on the slider for long turns GTK's fine-tuning on."""
        crops = [old]
        H.wait_until(lambda: crops.append(self.crop()) or crops[-1] != old, 3, 0.05)
        self.label = crops[-1]
        return self.label

    def move(self, *key_names):
        old = self.label
        keys(self.s, *key_names)
        return self.wait_label(old)

    def finish(self, what, quiet=True):
        code = H.wait_exit(self.proc, 10)
        out = self.proc.stdout.read().lower() if code is not None else ""
        # GTK itself complains when another client destroys its window; that case skips the warnings.
        self.c.check(code == 0 and (not quiet or ("critical" not in out and "warning" not in out)),
                     f"{what}: the process ended after the dialog (exit code {code}), no toolkit warnings")
        return stored(self.s)


TO_SLIDER = ("Tab", "Tab", "Tab")  # OK (first), Cancel, "The Damned", the slider
# (mode, store, keys, what the store must then hold): Pain outside 1..4, check boxes other than 0/1.
STORES = (
    ("-C", None, TO_SLIDER + ("Left", "Tab", "space", "Return"), {"Enable sound": 1, "Pain": 2, "Subliminals": 0}),
    ("/c", {"Enable sound": 1, "Pain": 9, "Subliminals": 1}, ("Return",), {"Pain": 4}),
    ("c", {"Enable sound": 1, "Pain": 0, "Subliminals": 1}, TO_SLIDER + ("Right", "Left", "Return"), {"Pain": 1}),
    ("/C", {"Enable sound": 1, "Pain": -3 & 0xFFFFFFFF, "Subliminals": 1}, ("Return",), {"Pain": 1}),
    ("/c", {"Enable sound": 7, "Pain": 3, "Subliminals": 2}, ("Escape",), {"Enable sound": 0, "Pain": 3, "Subliminals": 2}),
    ("/c", {"Enable sound": 7, "Pain": 3, "Subliminals": 2}, ("Return",), {"Enable sound": 0, "Subliminals": 1}),
    ("/c", {"Enable sound": 0, "Pain": 2, "Subliminals": 1}, ("Tab", "Tab", "space", "Tab", "Tab", "space", "Return"),
     {"Enable sound": 1, "Pain": 2, "Subliminals": 0}),
    ("/c", {"Enable sound": 1, "Pain": 2, "Subliminals": 1}, ("Tab", "Tab", "space", "Return"), {"Enable sound": 0}),
)


def case_defaults(s, c, args):
    d = Dialog(s, c)  # no argument: the settings mode
    cx, cy = centre(d.g)
    c.check(d.g[2] > 300 and d.g[3] > 80 and abs(cx - s.x.width // 2) <= 2 and abs(cy - s.x.height // 2) <= 25,
            f"settings dialog {d.g} centred on the screen")
    save_picture(s, d.wid, "settings.png")
    twisted = d.label
    terrible = d.move(*TO_SLIDER, "Right")
    keys(s, "Right")
    time.sleep(0.3)
    c.check(terrible != twisted and d.crop() == terrible, "Right renames the level at once (Twisted -> Terrible), stops at 4")
    names = [d.move("Home"), d.move("Right"), d.move("Right")]
    c.check(len({*names[:2], twisted, terrible}) == 4 and names[2] == twisted, "four names for four levels, 3 is Twisted")
    keys(s, "Return")  # the slider has the focus: Enter is the default button, OK
    v = d.finish("defaults, Enter")
    c.check(v == {"Enable sound": 1, "Pain": 3, "Subliminals": 1}, f"OK on the defaults stores both boxes and 3: {v}")

    # The mouse: a press on the trough's left end jumps there, dragging past the right end renames the
    # level on the way, and a click on "The Damned" unchecks it.
    d = Dialog(s, c, "c")
    (x0, y), (x1, _) = d.above(0.235, 64), d.above(0.62, 64)
    s.xdotool("mousemove", x0, y)
    time.sleep(0.2)
    s.xdotool("mousedown", 1)
    c.check(d.wait_label(twisted) == names[0], "pressing the trough's left end shows Tame at once")
    for x in range(x0, x1 + 1, 12):
        s.xdotool("mousemove", x, y)
        time.sleep(0.03)
    c.check(d.wait_label(names[0]) == terrible, "dragging to the right end shows Terrible")
    s.xdotool("mouseup", 1)
    click(s, *d.above(0.635, 81))
    keys(s, "Return")
    v = d.finish("mouse, OK")
    c.check(v == {"Enable sound": 0, "Pain": 4, "Subliminals": 1}, f"OK stores what the mouse set: {v}")



def case_stores(s, c, args):
    # Out of range: a stored 9 is named Weird and shows the slider at 4, a stored 0 at 1.
    d = Dialog(s, c, "/c", store={"Enable sound": 1, "Pain": 9, "Subliminals": 1})
    weird, below = d.label, d.move(*TO_SLIDER, "Left")
    names = [d.move("Home"), d.move("Right"), d.move("Right"), d.move("Right")]
    c.check(len(set(names)) == 4 and weird not in names and below == names[2], "stored 9: Weird, the slider at 4")
    keys(s, "Escape")
    c.check(d.finish("Pain 9, Escape").get("Pain") == 9, "Cancel keeps Pain 9")
    d = Dialog(s, c, "c", store={"Enable sound": 1, "Pain": 0, "Subliminals": 1})
    c.check(d.label == weird and d.move(*TO_SLIDER, "Right") == names[1], "stored 0: Weird, the slider at 1")
    keys(s, "Escape")
    d.finish("Pain 0, Escape")
    for mode, store, key_names, want in STORES:
        d = Dialog(s, c, mode, store=store)
        keys(s, *key_names)
        v = d.finish(f"{mode} {store} {key_names}")
        c.check(all(v.get(k) == x for k, x in want.items()), f"stores {want}: {v}")


def case_close(s, c, args):
    store = {"Enable sound": 1, "Pain": 2, "Subliminals": 1}
    closes = (("Escape", lambda d: keys(s, "Escape")),
              ("the close box", lambda d: click(s, d.g[0] + d.g[2] - 20, d.g[1] + 20)),  # at the title bar's right end
              ("WM_DELETE_WINDOW", lambda d: H.send_wm_delete(s, d.wid)),
              ("Alt+F4", lambda d: keys(s, "alt+F4")), ("the menu's Close item", lambda d: keys(s, "alt+space", "Return")),
              ("another client destroying the window", lambda d: s.xdotool("windowclose", d.wid)))
    for what, close in closes:
        d = Dialog(s, c, "/c", store=store)
        before = d.label
        c.check(d.move(*TO_SLIDER, "Right") != before, f"{what}: the slider moved first")
        keys(s, "Tab", "space")  # "Mystery" unchecked: Cancel must drop both changes
        close(d)
        v = d.finish(what, quiet=not what.startswith("another"))
        c.check(v == store, f"{what} is Cancel: the store is unchanged: {v}")


def open_nested(s, c, d, title, steps, what):
    """Opens a nested dialog from the settings dialog; its window, or None."""
    focus(s, d.wid)
    steps()
    wid = find_window(s, title, 5)
    c.check(wid is not None, f"{what} opens the {title} dialog")
    if wid is not None:
        time.sleep(0.3)
        g = s.geometry(wid)
        c.check(abs(centre(g)[0] - centre(d.g)[0]) <= 6 and abs(centre(g)[1] - centre(d.g)[1]) <= 30,
                f"{title} centred on the settings dialog ({centre(g)} vs {centre(d.g)})")
        focus(s, wid)
    return wid


def case_nested(s, c, args):
    store = {"Enable sound": 0, "Pain": 2, "Subliminals": 1}
    d = Dialog(s, c, "/c", store=store)
    label = d.label
    menu = lambda *k: (click(s, *d.at(0.12, 0.38), button=3), time.sleep(0.3), keys(s, *k))  # noqa: E731 group box edge
    cw = open_nested(s, c, d, CREDITS, lambda: keys(s, "Tab", "Tab", "Tab", "Tab", "Tab", "Return"), "Credits...")
    if cw is not None:
        save_picture(s, cw, "credits.png")
        # The settings dialog takes no input meanwhile: a click on its OK button does nothing.
        click(s, *d.above(0.89, 18))
        c.check(d.proc.poll() is None and find_window(s, SETTINGS, 1) is not None, "the settings dialog ignores clicks")
        focus(s, cw)
        keys(s, "Return")  # "Okay"
        c.check(gone(s, CREDITS), "Okay closes the credits")
    if open_nested(s, c, d, CREDITS, lambda: menu("Down", "Return"), "the right-click menu's credits item"):
        keys(s, "Escape")
        c.check(gone(s, CREDITS), "Escape closes the credits")
    lw = open_nested(s, c, d, LEGAL, lambda: keys(s, "Tab", "Return"), "Legal...")  # the tab stop after Credits...
    if lw is not None:
        save_picture(s, lw, "legal.png")
        g = s.geometry(lw)
        text = (g[0] + int(g[2] * 0.08), g[1] + int(g[3] * 0.2), g[0] + int(g[2] * 0.9), g[1] + int(g[3] * 0.8))
        top = s.screenshot().region_hash(*text)
        keys(s, "Tab")  # from "Bored?" to the text
        s.xdotool("type", "--delay", "50", "xyz")
        keys(s, "ctrl+Home")
        time.sleep(0.3)
        c.check(s.screenshot().region_hash(*text) == top, "the text starts at the top and typing changes nothing")
        keys(s, "Page_Down", "Page_Down")
        c.check(H.wait_until(lambda: s.screenshot().region_hash(*text) != top, 3, 0.1), "the text scrolls")
        keys(s, "Escape")
        c.check(gone(s, LEGAL), "Escape closes the legal dialog")
    if open_nested(s, c, d, LEGAL, lambda: (keys(s, "alt+space"), time.sleep(0.4), keys(s, "Down", "Down", "Return")),
                   "Alt+Space and the menu's legal item"):
        keys(s, "Return")
        c.check(gone(s, LEGAL), "Bored? closes the legal dialog")
    focus(s, d.wid)
    time.sleep(0.2)
    c.check(d.crop() == label, "the settings dialog is unchanged after the nested dialogs")
    keys(s, "Escape")
    c.check(d.finish("after the nested dialogs, Escape") == store, "the store is unchanged")


def case_password(s, c, args):
    modules = os.path.join(args["modules"], "mpr")
    log = os.path.join(s.home, "mpr.log")
    p = s.start("/a", "1234", env={"MORGRAVE_MODULE_DIR": modules, "MORGRAVE_MPR_LOG": log})
    c.check(H.wait_exit(p, 10) is not None and H.read_lines(log) == ["SCRSAVE 1234 0 0"],
            f"PwdChangePasswordA got SCRSAVE, the handle, 0, 0: {H.read_lines(log)}")
    c.check(find_window(s, SETTINGS, 0.2) is None, "no dialog of our own")
    p = s.start("-a", "77")  # the session's module folder is empty
    code = H.wait_exit(p, 10)
    out = p.stdout.read() if code is not None else ""
    c.check(code is not None and out.strip() == "", f"without a module the a mode ends quietly: {out!r}")


CASES = {"defaults": case_defaults, "stores": case_stores, "close": case_close, "nested": case_nested,
         "password": case_password}

if __name__ == "__main__":
    sys.exit(H.main("settings", lambda s, c, a: CASES[a["case"]](s, c, a), lambda a: H.Session(a["exe"])))
