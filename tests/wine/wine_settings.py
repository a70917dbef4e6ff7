"""Settings (/c and no argument) under Wine: the dialog templates as stored in the .scr, read back
through the Win32 API; the live dialog's controls; Cancel and OK storing the settings; the credits
and legal dialogs from the system menu."""

import sys
import time

import wine_lib as W

L = W.L
TITLE = "Morgrave Viduzev Glimmerfiend"

# The templates as the saver's settings, credits and legal dialogs define them.
EXPECTED_TEMPLATES = """\
dialog 100 style=0x80C800C0 exstyle=0x00000000 rect=34,22,255,202 menu= class= font=8,MS Sans Serif title=Legalities
  item id=1 class=#128 style=0x50030001 exstyle=0x00000000 rect=88,181,30,14 text=Bored?
  item id=1015 class=#129 style=0x50A10804 exstyle=0x00000000 rect=10,12,235,164 text=
dialog 101 style=0x80C800C0 exstyle=0x00000000 rect=34,22,187,181 menu= class= font=8,MS Sans Serif title=Torturers
  item id=1 class=#128 style=0x50030001 exstyle=0x00000000 rect=69,165,50,14 text=Okay
  item id=1014 class=#130 style=0x50021001 exstyle=0x00000000 rect=11,10,165,150 text=Blah
dialog 102 style=0x90C800C0 exstyle=0x00000000 rect=0,0,267,61 menu= class= font=8,MS Sans Serif title=Morgrave Viduzev Glimmerfiend
  item id=1 class=#128 style=0x50010001 exstyle=0x00000000 rect=215,45,44,14 text=OK
  item id=2 class=#128 style=0x50010000 exstyle=0x00000000 rect=165,45,44,14 text=Cancel
  item id=1008 class=#128 style=0x50010003 exstyle=0x00000000 rect=165,10,57,10 text=The Damned
  item id=1009 class=MSCTLS_TRACKBAR32 style=0x50010001 exstyle=0x00000000 rect=55,15,100,20 text=Slider1
  item id=1010 class=#130 style=0x50020002 exstyle=0x00000000 rect=15,20,35,10 text=Static
  item id=1011 class=#128 style=0x50010003 exstyle=0x00000000 rect=165,25,51,10 text=Mystery
  item id=1016 class=#128 style=0x50010000 exstyle=0x00000000 rect=10,45,44,15 text=Credits...
  item id=1017 class=#128 style=0x50010000 exstyle=0x00000000 rect=60,45,44,15 text=Legal...
  item id=65535 class=#128 style=0x50000007 exstyle=0x00000000 rect=10,5,150,35 text=Pain
  item id=1021 class=#130 style=0x50000803 exstyle=0x00000000 rect=235,10,18,20 text=#671
string 1=Morgrave Screen Saver
string 101=&Credits for Morgrave Screen Saver...
string 59142=&Legal mumbo-jumbo for Morgrave Screen Saver...
"""

# Dialog-unit rectangles of template 102, to check the live controls' pixel geometry against.
UNITS = {1: (215, 45, 44, 14), 2: (165, 45, 44, 14), 1008: (165, 10, 57, 10), 1009: (55, 15, 100, 20),
         1010: (15, 20, 35, 10), 1011: (165, 25, 51, 10), 1016: (10, 45, 44, 15), 1017: (60, 45, 44, 15)}


def controls(dump):
    """{id: {field: value}} from WineProbe's dialog listing (fields first, the text last)."""
    out = {}
    for line in dump.splitlines():
        line = line.strip()
        if not line.startswith("control "):
            continue
        head, _, text = line.partition(" text=")
        fields = dict(part.partition("=")[::2] for part in head.split()[1:])
        fields["text"] = text
        out[int(fields["id"])] = fields
    return out


def geometry_ok(ctrls):
    """Every control's pixel rectangle is its dialog-unit rectangle under one horizontal and one
    vertical scale (the font's base units), within rounding."""
    ref = ctrls.get(1009)
    if ref is None:
        return False
    px = [int(v) for v in ref["px"].split(",")]
    sx, sy = px[2] / UNITS[1009][2], px[3] / UNITS[1009][3]
    for cid, (x, y, cw, ch) in UNITS.items():
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


def main():
    build = W.Build(W.parse_args(sys.argv[1:]))
    c = L.Checks("wine settings")
    w = W.WineWorld(build, 1024, 768)
    try:
        # No window manager here: Wine draws the dialogs' frames and gives them the keyboard itself.
        w.reg_set(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
        rc, out = w.probe("templates", w.path("Morgrave.scr"))
        got, want = out.splitlines(), EXPECTED_TEMPLATES.splitlines()
        diff = [(a, b) for a, b in zip(got, want) if a != b]
        c.check(rc == 0 and len(got) == len(want) and not diff,
                f"templates 100-102 and strings read back from the .scr ({diff[:2] or len(got)})")

        # /c with stored values outside the controls' ranges; Escape cancels.
        w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 7)
        w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 9)
        w.reg_set(W.SETTINGS_KEY, "Subliminals", "REG_DWORD", 2)
        p = w.start("/c")
        rc, _ = w.probe("find", TITLE, "60000", timeout=90)
        c.check(rc == 0, "/c shows the settings dialog")
        rc, dump = w.probe("dialog", TITLE)
        ctrls = controls(dump)
        slider = ctrls.get(1009, {})
        c.check((slider.get("pos"), slider.get("min"), slider.get("max")) == ("4", "1", "4"),
                f"Pain 9: slider at 4 of 1..4 ({slider})")
        c.check(ctrls.get(1010, {}).get("text") == "Weird", f"Pain 9 reads Weird ({ctrls.get(1010)})")
        c.check(ctrls.get(1008, {}).get("check") == "0", "Enable sound 7 shows unchecked")
        c.check(geometry_ok(ctrls), "controls stand where template 102 puts them")
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
        ctrls = controls(w.probe("dialog", TITLE)[1])
        c.check(ctrls.get(1009, {}).get("pos") == "3" and ctrls.get(1010, {}).get("text") == "Twisted"
                and ctrls.get(1008, {}).get("check") == "1" and ctrls.get(1011, {}).get("check") == "1",
                "defaults: both boxes checked, slider 3, Twisted")
        for command, title, cid in ((0x10, "Torturers", 1014), (0x20, "Legalities", 1015)):
            w.probe("post", TITLE, "0x112", str(command), "0")
            rc, _ = w.probe("find", title, "20000")
            sub = controls(w.probe("dialog", title)[1]) if rc == 0 else {}
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
        ctrls = controls(w.probe("dialog", TITLE)[1])
        c.check(ctrls.get(1010, {}).get("text") == "Tortuous", f"the label follows the slider ({ctrls.get(1010)})")
        for key in ("Tab", "space", "Return"):
            w.xdotool("key", key)
            time.sleep(0.3)
        rc = W.wait_exit(p, 20)
        v = w.reg_values()
        c.check(rc == 0 and (W.dword(v, "Enable sound"), W.dword(v, "Pain"), W.dword(v, "Subliminals")) == (1, 2, 0),
                f"OK stores sound 1, Pain 2, Subliminals 0 (rc {rc}, {v})")
    finally:
        w.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
