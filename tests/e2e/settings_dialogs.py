"""Settings and password modes on Xvfb: the three dialogs driven with xdotool, and what gets stored."""

import os
import re
import subprocess
import sys
import time

import e2e_lib as L

SETTINGS_TITLE = "Morgrave Viduzev Glimmerfiend"
CREDITS_TITLE = "Torturers"
LEGAL_TITLE = "Legalities"
SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Tarnwick Productions Ltd\morgrave\Settings"


# ---- the settings store, as the saver left it ------------------------------------------------------

def stored_settings(s):
    """{name: signed value} of the Settings key's REG_DWORD values in the store file."""
    try:
        with open(s.registry) as f:
            text = f.read()
    except FileNotFoundError:
        return {}
    values, inside = {}, False
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("["):
            inside = line == "[" + SETTINGS_KEY + "]"
            continue
        m = re.match(r'^"([^"]+)"=dword:([0-9a-fA-F]{1,8})$', line)
        if inside and m:
            v = int(m.group(2), 16)
            values[m.group(1)] = v - (1 << 32) if v >= 1 << 31 else v
    return values


# ---- windows ---------------------------------------------------------------------------------------

def visible(s, title):
    return [int(w) for w in s.run("xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$").stdout.split()]


def find_window(s, title, seconds=10):
    found = []

    def look():
        found[:] = visible(s, title)
        return bool(found)

    return found[0] if L.wait_until(look, seconds, 0.1) else None


def gone(s, title, seconds=5):
    return L.wait_until(lambda: not visible(s, title), seconds, 0.1)


class Geometry:
    def __init__(self, s, wid):
        out = s.run("xdotool", "getwindowgeometry", "--shell", str(wid)).stdout
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        self.x, self.y, self.w, self.h = (int(v.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2

    def at(self, fx, fy_from_bottom):
        """A point at a fraction of the width, and some pixels above the bottom edge."""
        return self.x + int(self.w * fx), self.y + self.h - fy_from_bottom


def focus(s, wid):
    s.xdotool("windowfocus", "--sync", wid)
    time.sleep(0.1)


def keys(s, *names):
    for k in names:
        s.xdotool("key", k)
        time.sleep(0.08)


def label_crop(s, g):
    """The part of the settings dialog where the level's name stands (left of the slider, inside the
    group box): nothing else there changes, so a different crop is a different name."""
    shot = s.screenshot()
    return shot.region_hash(g.x + int(g.w * 0.045), g.y + int(g.h * 0.42), g.x + int(g.w * 0.203),
                            g.y + int(g.h * 0.68))


def stable_label(s, g, seconds=3):
    """The label once the freshly shown dialog has been drawn: the same crop twice in a row."""
    crops = [label_crop(s, g)]

    def settled():
        time.sleep(0.1)
        crops.append(label_crop(s, g))
        return crops[-1] == crops[-2]

    L.wait_until(settled, seconds, 0.0)
    return crops[-1]


def wait_label(s, g, old, seconds=3):
    """The label after a move: waits until it differs from `old` (or time runs out)."""
    crop = [old]

    def changed():
        crop[0] = label_crop(s, g)
        return crop[0] != old

    L.wait_until(changed, seconds, 0.05)
    return crop[0]


def save_window_picture(s, wid, name, media_dir):
    if not media_dir:
        return
    os.makedirs(media_dir, exist_ok=True)
    xwd = subprocess.run(["xwd", "-silent", "-id", str(wid)], env=s.env, capture_output=True, timeout=30).stdout
    subprocess.run(["convert", "xwd:-", os.path.join(media_dir, name)], input=xwd, env=s.env, timeout=30)


def send_wm_delete(s, wid):
    """What a window manager sends when the user clicks its close box: WM_DELETE_WINDOW."""
    code = (
        "import ctypes,sys\n"
        "x=ctypes.CDLL('libX11.so.6')\n"
        "x.XOpenDisplay.restype=ctypes.c_void_p; x.XOpenDisplay.argtypes=[ctypes.c_char_p]\n"
        "x.XInternAtom.restype=ctypes.c_ulong; x.XInternAtom.argtypes=[ctypes.c_void_p,ctypes.c_char_p,ctypes.c_int]\n"
        "class Ev(ctypes.Structure):\n"
        " _fields_=[('type',ctypes.c_int),('serial',ctypes.c_ulong),('send_event',ctypes.c_int),"
        "('display',ctypes.c_void_p),('window',ctypes.c_ulong),('message_type',ctypes.c_ulong),"
        "('format',ctypes.c_int),('l',ctypes.c_long*5),('pad',ctypes.c_char*96)]\n"
        "d=x.XOpenDisplay(None); w=int(sys.argv[1])\n"
        "e=Ev(); e.type=33; e.display=d; e.window=w; e.format=32\n"
        "e.message_type=x.XInternAtom(d,b'WM_PROTOCOLS',0); e.l[0]=x.XInternAtom(d,b'WM_DELETE_WINDOW',0)\n"
        "x.XSendEvent.argtypes=[ctypes.c_void_p,ctypes.c_ulong,ctypes.c_int,ctypes.c_long,ctypes.c_void_p]\n"
        "x.XSendEvent(d,w,0,0,ctypes.byref(e)); x.XSync.argtypes=[ctypes.c_void_p,ctypes.c_int]; x.XSync(d,0)\n")
    subprocess.run([sys.executable, "-c", code, str(wid)], env=s.env, timeout=30)


class Dialog:
    """One run of the saver in the settings mode, up to its settings dialog."""

    def __init__(self, s, c, *args, store=None):
        if store is not None:
            s.write_registry(settings=store)
        elif os.path.exists(s.registry):
            os.remove(s.registry)
        self.s, self.c = s, c
        s.xdotool("mousemove", 1, 1)
        self.proc = s.start(*args)
        self.wid = find_window(s, SETTINGS_TITLE)
        if self.wid is None:
            raise L.Failure("the settings dialog did not appear")
        time.sleep(0.3)
        self.g = Geometry(s, self.wid)
        focus(s, self.wid)
        self.label = stable_label(s, self.g)

    def to_slider(self):
        keys(self.s, "Tab", "Tab", "Tab")  # OK (first), Cancel, "The Damned", the slider

    def move(self, key):
        old = self.label
        keys(self.s, key)
        self.label = wait_label(self.s, self.g, old)
        return self.label

    def finish(self, what, quiet=True):
        code = L.wait_exit(self.proc, 10)
        self.c.check(code == 0, f"{what}: the process ended after the dialog (exit code {code})")
        out = self.proc.stdout.read().decode(errors="replace") if code is not None else ""
        # GTK itself complains when another client destroys its window; that case skips this.
        if quiet:
            self.c.check("critical" not in out.lower() and "warning" not in out.lower(),
                         f"{what}: no toolkit warnings: {out.strip()[:200]!r}")
        return stored_settings(self.s)


def stores(s, c, arg, store, key_names, want, what):
    """A dialog over `store`, these keys, then the values stored must include `want`."""
    d = Dialog(s, c, arg, store=store)
    keys(s, *key_names)
    v = d.finish(what)
    c.check(all(v.get(k) == x for k, x in want.items()), f"{what}: stores {want}: {v}")


# ---- the groups of checks ----------------------------------------------------------------------------

def case_defaults(s, c, media):
    d = Dialog(s, c)  # no argument: the settings mode
    c.check(d.g.w > 300 and d.g.h > 80, f"settings dialog {d.g.w}x{d.g.h} at ({d.g.x},{d.g.y})")
    cx, cy = d.g.centre()
    c.check(abs(cx - s.x.width // 2) <= 2 and abs(cy - s.x.height // 2) <= 25,
            "settings dialog centred on the screen")
    save_window_picture(s, d.wid, "settings.png", media)
    twisted = d.label
    d.to_slider()
    terrible = d.move("Right")
    c.check(terrible != twisted, "Right arrow renames the level at once (Twisted -> Terrible)")
    keys(s, "Right")
    time.sleep(0.3)
    c.check(label_crop(s, d.g) == terrible, "the slider stops at 4")
    tame = d.move("Home")
    tortuous = d.move("Right")
    back = d.move("Right")
    c.check(len({tame, tortuous, twisted, terrible}) == 4, "four different names for the four levels")
    c.check(back == twisted, "back at 3 the name is Twisted again")
    keys(s, "Return")  # the slider has the focus: Enter is the default button, OK
    v = d.finish("defaults, Enter")
    c.check(v == {"Enable sound": 1, "Pain": 3, "Subliminals": 1},
            f"OK on the defaults stores both boxes checked and 3: {v}")

    stores(s, c, "-C", None, ["Tab", "Tab", "Tab", "Left", "Tab", "space", "Return"],  # the slider down, "Mystery" off
           {"Enable sound": 1, "Pain": 2, "Subliminals": 0}, "-C, OK")

    # The mouse: a press on the trough's left end jumps there, dragging past the right end
    # renames the level on the way, and a click on "The Damned" unchecks it.
    d = Dialog(s, c, "c")
    tx0, ty = d.g.at(0.235, 64)
    tx1, _ = d.g.at(0.62, 64)
    s.xdotool("mousemove", tx0, ty)
    time.sleep(0.2)
    s.xdotool("mousedown", 1)
    c.check(wait_label(s, d.g, twisted) == tame, "pressing the trough's left end shows Tame at once")
    for x in range(tx0, tx1 + 1, 12):
        s.xdotool("mousemove", x, ty)
        time.sleep(0.03)
    c.check(wait_label(s, d.g, tame) == terrible, "dragging to the right end shows Terrible")
    s.xdotool("mouseup", 1)
    bx, by = d.g.at(0.635, 81)
    s.xdotool("mousemove", bx, by)
    time.sleep(0.2)
    s.xdotool("click", 1)
    time.sleep(0.2)
    keys(s, "Return")
    v = d.finish("mouse, OK")
    c.check(v == {"Enable sound": 0, "Pain": 4, "Subliminals": 1}, f"OK stores what the mouse set: {v}")


def level_names(s, d):
    """The four names' crops, read by moving the focused slider through 1..4 (leaves it at 4)."""
    names = [d.move("Home")]
    for _ in range(3):
        names.append(d.move("Right"))
    return names


def case_pain(s, c, media):
    store = {"Enable sound": 1, "Pain": 9, "Subliminals": 1}
    d = Dialog(s, c, "/c", store=store)
    weird = d.label
    d.to_slider()
    below = d.move("Left")  # shown at 4, one step down is 3
    names = level_names(s, d)
    c.check(len(set(names)) == 4, "four distinct level names")
    c.check(weird not in names, "stored Pain 9 is named Weird, none of the four")
    c.check(below == names[2], "stored 9 shows the slider at 4: one step left is Twisted")
    keys(s, "Escape")
    v = d.finish("Pain 9, Escape")
    c.check(v.get("Pain") == 9, f"Cancel keeps Pain 9: {v}")

    stores(s, c, "/c", store, ["Return"], {"Pain": 4}, "Pain 9, Enter (the slider's end)")

    d = Dialog(s, c, "c", store=dict(store, Pain=0))
    c.check(d.label == weird, "stored Pain 0 is named Weird")
    d.to_slider()
    up = d.move("Right")
    c.check(up == names[1], "stored 0 shows the slider at 1: one step right is Tortuous")
    keys(s, "Left", "Return")
    v = d.finish("Pain 0, Enter")
    c.check(v.get("Pain") == 1, f"OK stores 1 for a stored 0: {v}")

    d = Dialog(s, c, "/C", store=dict(store, Pain=-3 & 0xFFFFFFFF))  # the store holds 32-bit words
    c.check(d.label == weird, "stored Pain -3 is named Weird")
    keys(s, "Return")
    v = d.finish("Pain -3, Enter")
    c.check(v.get("Pain") == 1, f"OK stores 1 for a stored -3: {v}")


def case_checkboxes(s, c, media):
    # A stored 7 shows unchecked and even Cancel stores 0; a stored 2 survives Cancel, OK gives 1.
    store = {"Enable sound": 7, "Pain": 3, "Subliminals": 2}
    stores(s, c, "/c", store, ["Escape"], {"Enable sound": 0, "Pain": 3, "Subliminals": 2}, "sound 7, Escape")
    stores(s, c, "/c", store, ["Return"], {"Enable sound": 0, "Subliminals": 1}, "sound 7, Enter")
    stores(s, c, "/c", {"Enable sound": 0, "Pain": 2, "Subliminals": 1},
           ["Tab", "Tab", "space", "Tab", "Tab", "space", "Return"],  # both boxes toggled
           {"Enable sound": 1, "Pain": 2, "Subliminals": 0}, "both toggled, Enter")


def case_close(s, c, media):
    store = {"Enable sound": 1, "Pain": 2, "Subliminals": 1}

    def changed_then(close, what, quiet=True):
        d = Dialog(s, c, "/c", store=store)
        d.to_slider()
        before = d.label
        c.check(d.move("Right") != before, f"{what}: the slider moved first")
        keys(s, "Tab", "space")  # "Mystery" unchecked: Cancel must drop both changes
        close(d)
        v = d.finish(what, quiet)
        c.check(v == store, f"{what} is Cancel: the store is unchanged: {v}")

    changed_then(lambda d: keys(s, "Escape"), "Escape")

    def close_box(d):
        # The dialog's own title bar: its close box sits at the right end.
        x, y = d.g.x + d.g.w - 20, d.g.y + 20
        s.xdotool("mousemove", x, y)
        time.sleep(0.2)
        s.xdotool("click", 1)

    changed_then(close_box, "the close box")
    changed_then(lambda d: send_wm_delete(s, d.wid), "the window manager's close (WM_DELETE_WINDOW)")
    changed_then(lambda d: keys(s, "alt+F4"), "Alt+F4")
    changed_then(lambda d: keys(s, "alt+space", "Return"), "the menu's Close item")
    changed_then(lambda d: s.xdotool("windowclose", d.wid), "another client destroying the window", quiet=False)

    stores(s, c, "/c", store, ["Tab", "Tab", "space", "Return"],  # Enter with the focus on a check box: OK
           dict(store, **{"Enable sound": 0}), "Enter")


def case_nested(s, c, media):
    store = {"Enable sound": 0, "Pain": 2, "Subliminals": 1}
    d = Dialog(s, c, "/c", store=store)
    initial_label = d.label
    ok_x, ok_y = d.g.at(0.89, 18)  # the OK button, right of where the credits dialog will stand
    settings_centre = d.g.centre()

    # "Credits..." by the keyboard: the sixth tab stop.
    keys(s, "Tab", "Tab", "Tab", "Tab", "Tab", "Return")
    cw = find_window(s, CREDITS_TITLE, 5)
    c.check(cw is not None, "Credits... opens the credits dialog")
    if cw is None:
        return
    time.sleep(0.3)
    cg = Geometry(s, cw)
    cx, cy = cg.centre()
    c.check(abs(cx - settings_centre[0]) <= 6 and abs(cy - settings_centre[1]) <= 30,
            f"credits centred on the settings dialog ({cx},{cy}) vs {settings_centre}")
    save_window_picture(s, cw, "credits.png", media)
    # The settings dialog takes no input meanwhile: a click on its OK button does nothing.
    s.xdotool("mousemove", ok_x, ok_y)
    time.sleep(0.2)
    s.xdotool("click", 1)
    time.sleep(0.5)
    c.check(d.proc.poll() is None and find_window(s, SETTINGS_TITLE, 1) is not None,
            "a click on the settings dialog while the credits are up does nothing")
    focus(s, cw)
    keys(s, "Return")  # "Okay"
    c.check(gone(s, CREDITS_TITLE), "Okay closes the credits")

    # The same dialog from the system menu's stand-in: a right click on the dialog.
    focus(s, d.wid)
    gx, gy = d.g.x + int(d.g.w * 0.12), d.g.y + int(d.g.h * 0.38)  # the group box's edge, no control
    s.xdotool("mousemove", gx, gy)
    time.sleep(0.2)
    s.xdotool("click", 3)
    time.sleep(0.5)
    keys(s, "Down", "Return")  # Close, then the credits item
    cw = find_window(s, CREDITS_TITLE, 5)
    c.check(cw is not None, "the menu's credits item opens the credits dialog")
    if cw is not None:
        c.check(Geometry(s, cw).centre() == (cx, cy), "at the same place")
        focus(s, cw)
        keys(s, "Escape")
        c.check(gone(s, CREDITS_TITLE), "Escape closes the credits")

    # "Legal..." by the keyboard, then its text.
    focus(s, d.wid)
    keys(s, "Tab")  # the focus was left on "Credits...": the next tab stop is "Legal..."
    keys(s, "Return")
    lw = find_window(s, LEGAL_TITLE, 5)
    c.check(lw is not None, "Legal... opens the legal dialog")
    if lw is not None:
        time.sleep(0.3)
        lg = Geometry(s, lw)
        save_window_picture(s, lw, "legal.png", media)
        lx, ly = lg.centre()
        c.check(abs(lx - settings_centre[0]) <= 6, "legal centred on the settings dialog")
        text = (lg.x + int(lg.w * 0.08), lg.y + int(lg.h * 0.2), lg.x + int(lg.w * 0.9), lg.y + int(lg.h * 0.8))
        top = s.screenshot().region_hash(*text)
        focus(s, lw)
        keys(s, "Tab")  # from "Bored?" to the text
        s.xdotool("type", "--delay", "50", "xyz")
        keys(s, "ctrl+Home")
        time.sleep(0.3)
        c.check(s.screenshot().region_hash(*text) == top, "the text starts at the top and typing changes nothing")
        keys(s, "Page_Down", "Page_Down")
        c.check(L.wait_until(lambda: s.screenshot().region_hash(*text) != top, 3, 0.1), "the text scrolls")
        keys(s, "Escape")
        c.check(gone(s, LEGAL_TITLE), "Escape closes the legal dialog")

    # The legal item through Alt+Space.
    focus(s, d.wid)
    keys(s, "alt+space")
    time.sleep(0.4)
    keys(s, "Down", "Down", "Return")
    lw = find_window(s, LEGAL_TITLE, 5)
    c.check(lw is not None, "Alt+Space and the menu's legal item open the legal dialog")
    if lw is not None:
        focus(s, lw)
        keys(s, "Return")
        c.check(gone(s, LEGAL_TITLE), "Bored? closes the legal dialog")

    focus(s, d.wid)
    time.sleep(0.2)
    c.check(label_crop(s, d.g) == initial_label, "the settings dialog is unchanged after the nested dialogs")
    keys(s, "Escape")
    v = d.finish("after the nested dialogs, Escape")
    c.check(v == store, f"the store is unchanged: {v}")


def case_password(s, c, media, modules):
    log = os.path.join(s.home, "mpr.log")
    p = s.start("/a", "1234", env={"MORGRAVE_MODULE_DIR": modules, "MORGRAVE_MPR_LOG": log})
    code = L.wait_exit(p, 10)
    c.check(code is not None, "the a mode with a module ends")
    try:
        with open(log) as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        lines = []
    c.check(lines == ["SCRSAVE 1234 0 0"], f"PwdChangePasswordA got SCRSAVE, the handle, 0, 0: {lines}")
    c.check(find_window(s, SETTINGS_TITLE, 0.2) is None, "no dialog of our own")

    p = s.start("-a", "77")  # the session's module folder is empty
    code = L.wait_exit(p, 10)
    c.check(code is not None, "without a module the a mode ends quietly")
    out = p.stdout.read().decode(errors="replace") if p.stdout else ""
    c.check(out.strip() == "", f"and prints nothing: {out!r}")


def main():
    args = L.parse_common_args(sys.argv[1:])
    case = args.get("case", "defaults")
    media = os.environ.get("MORGRAVE_MEDIA_DIR", "")
    c = L.Checks(f"settings {case}")
    s = L.Session(args["exe"])
    try:
        if case == "password":
            case_password(s, c, media, args.get("modules", ""))
        else:
            {"defaults": case_defaults, "pain": case_pain, "checkboxes": case_checkboxes, "close": case_close,
             "nested": case_nested}[case](s, c, media)
    except L.Failure as e:
        c.check(False, str(e))
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
