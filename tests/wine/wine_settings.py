"""Settings (/c and no argument) under Wine: the dialog templates as stored in the .scr, read back
through the Win32 API; the live dialog's controls; Cancel and OK storing the settings; the credits
and legal dialogs from the system menu."""

import sys
import time

import wine_lib as W

TITLE = "Morgrave Viduzev Glimmerfiend"

def template_units(listing, dialog):
    """{id: (x, y, cx, cy)} of one dialog's items from WineProbe's template listing of the .scr."""
    units, inside = {}, False
    for line in listing.splitlines():
        if line.startswith("dialog "):
            inside = line.split()[1] == str(dialog)
        elif inside and line.strip().startswith("item "):
            fields = dict(part.partition("=")[::2] for part in line.partition(" text=")[0].split()[1:])
            units[int(fields["id"])] = tuple(int(v) for v in fields["rect"].split(","))
    return units


def geometry_ok(ctrls, units):
    """Every control's pixel rectangle is its dialog-unit rectangle under one horizontal and one
    vertical scale (the font's base units), within rounding."""
    ref, ref_units = ctrls.get(1009), units.get(1009)
    if ref is None or ref_units is None:
        return False
    px = [int(v) for v in ref["px"].split(",")]
    sx, sy = px[2] / ref_units[2], px[3] / ref_units[3]
    for cid, (x, y, cw, ch) in units.items():
        if cid == 65535 or cid == 1021:  # the group box and the icon: no live control of their own to list
            continue
        if cid not in ctrls:
            return False
        got = [int(v) for v in ctrls[cid]["px"].split(",")]
        want = [x * sx, y * sy, cw * sx, ch * sy]
        if any(abs(g - e) > 2.5 for g, e in zip(got, want)):
            print(f"  control {cid}: {got} against {want}")
            return False
    return True


def focus_on(w, title):
    """Pointer onto the dialog's caption and a click there: the dialog becomes the active window
    and takes the keyboard (there is no window manager to give it focus)."""
    rc, out = w.probe("rect", title)
    if rc == 0:
        left, top, right, bottom = [int(v) for v in out.split()]
        w.xdotool("mousemove", (left + right) // 2, top + 8)
        time.sleep(0.3)
        w.xdotool("click", 1)
        time.sleep(0.5)


def check(w, c, args):
    # No window manager here: Wine draws the dialogs' frames and gives them the keyboard itself.
    w.reg_set(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
    # The templates as stored in the .scr, read back through the Win32 API; the live controls
    # must stand where the settings template puts them.
    rc, listing = w.probe("templates", w.path("Morgrave.scr"))
    units = template_units(listing, 102)
    c.check(rc == 0 and all(f"dialog {d} " in listing for d in (100, 101, 102)) and len(units) >= 8
            and "string 1=Morgrave Screen Saver" in listing, "templates 100-102 and the description read back")

    # /c with stored values outside the controls' ranges; Escape cancels.
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 7)
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 9)
    w.reg_set(W.SETTINGS_KEY, "Subliminals", "REG_DWORD", 2)
    p = w.start("/c")
    rc, _ = w.probe("find", TITLE, "60000", timeout=90)
    c.check(rc == 0, "/c shows the settings dialog")
    rc, dump = w.probe("dialog", TITLE)
    ctrls = W.controls(dump)
    slider = ctrls.get(1009, {})
    c.check((slider.get("pos"), slider.get("min"), slider.get("max")) == ("4", "1", "4"),
            f"Pain 9: slider at 4 of 1..4 ({slider})")
    c.check(ctrls.get(1010, {}).get("text") == "Weird", f"Pain 9 reads Weird ({ctrls.get(1010)})")
    c.check(ctrls.get(1008, {}).get("check") == "0", "Enable sound 7 shows unchecked")
    c.check(geometry_ok(ctrls, units), "controls stand where template 102 puts them")
    c.check(dump.startswith("window style=0x9") and "owner=no" in dump, "a visible popup dialog with no owner")
    focus_on(w, TITLE)
    w.xdotool("key", "Escape")
    rc = W.wait_exit(p, 15)
    v = w.reg_values()
    c.check(rc == 0, f"Escape cancels and ends the process (rc {rc})")
    c.check((W.dword(v, "Enable sound"), W.dword(v, "Pain"), W.dword(v, "Subliminals")) == (0, 9, 2),
            f"Cancel stores 0 for the out-of-range check box and keeps Pain 9, Subliminals 2 ({v})")

    # /c:<window>, as the Screen Saver Settings page passes its own window: owned by it.
    host = w.start("inproc", "200", "150", "90", program="PreviewHost.exe")
    handle = host.stdout.readline().split()[-1]
    p = w.start(f"/c:{handle}")
    rc, _ = w.probe("find", TITLE, "60000", timeout=90)
    _, dump = w.probe("dialog", TITLE)
    c.check(rc == 0 and "owner=yes" in (dump.splitlines() or [""])[0], f"/c:{handle} shows the settings dialog owned by it")
    w.probe("post", TITLE, "0x111", "2", "0")  # WM_COMMAND IDCANCEL
    c.check(W.wait_exit(p, 15) == 0, "and Cancel ends it")
    host.kill()

    # No argument: the same dialog; the system menu's items open credits and legal.
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 1)
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 3)
    w.reg_set(W.SETTINGS_KEY, "Subliminals", "REG_DWORD", 1)
    p = w.start()
    rc, _ = w.probe("find", TITLE, "60000", timeout=90)
    c.check(rc == 0, "no argument shows the settings dialog")
    ctrls = W.controls(w.probe("dialog", TITLE)[1])
    c.check(ctrls.get(1009, {}).get("pos") == "3" and ctrls.get(1010, {}).get("text") == "Twisted"
            and ctrls.get(1008, {}).get("check") == "1" and ctrls.get(1011, {}).get("check") == "1",
            "defaults: both boxes checked, slider 3, Twisted")
    for command, title, cid in ((0x10, "Torturers", 1014), (0x20, "Legalities", 1015)):
        w.probe("post", TITLE, "0x112", str(command), "0")
        rc, _ = w.probe("find", title, "20000")
        sub = W.controls(w.probe("dialog", title)[1]) if rc == 0 else {}
        text = sub.get(cid, {}).get("text", "")
        c.check(rc == 0 and len(text) > 40, f"system command {command} opens {title} with its text")
        if cid == 1014:
            c.check(text.startswith("Programming:") and "\\nPrevious\\n" in text, "credits start with Programming:")
        else:
            c.check(int(sub.get(cid, {}).get("style", "0"), 16) & 0x800 != 0, "the legal text is read-only")
        c.check("enabled=0" in w.probe("dialog", TITLE)[1].splitlines()[0], f"settings disabled under {title}")
        w.probe("post", title, "0x111", "1", "0")
        c.check(w.probe("gone", title, "10000")[0] == 0, f"{title} closes on its button")
        c.check("enabled=1" in w.probe("dialog", TITLE)[1].splitlines()[0], f"settings enabled again after {title}")

    # OK through the keyboard: Tab to the slider, one step left, Tab, Space, Enter.
    focus_on(w, TITLE)
    for key in ("Tab", "Tab", "Tab", "Left"):
        w.xdotool("key", key)
        time.sleep(0.3)
    ctrls = W.controls(w.probe("dialog", TITLE)[1])
    c.check(ctrls.get(1010, {}).get("text") == "Tortuous", f"the label follows the slider ({ctrls.get(1010)})")
    for key in ("Tab", "space", "Return"):
        w.xdotool("key", key)
        time.sleep(0.3)
    rc = W.wait_exit(p, 20)
    v = w.reg_values()
    c.check(rc == 0 and (W.dword(v, "Enable sound"), W.dword(v, "Pain"), W.dword(v, "Subliminals")) == (1, 2, 0),
            f"OK stores sound 1, Pain 2, Subliminals 0 (rc {rc}, {v})")


if __name__ == "__main__":
    sys.exit(W.main("wine settings", check))
