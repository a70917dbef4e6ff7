"""The Linux saver's screen modes on Xvfb, one case a test: full screen, input, monitors, preview, 8 bits."""

import re
import sys
import time

import harness as H

SCREENS = {"640": (640, 480, 24), "1024": (1024, 768, 24), "1920": (1920, 1080, 24), "depth30": (800, 600, 30)}


def case_fullscreen(s, c, args):
    """The chamber centred on black at several sizes (also at 30 bits, which SDL cannot draw), the title
    first, doors moving, a one-pixel move ending it."""
    bg, title = H.find_picture(args["art"], 673), H.find_picture(args["art"], 670)
    s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
    s.xdotool("mousemove", 3, 3)
    p = s.start("s")
    saw_title = H.watch_start(s, p, bg, title, 10)
    if s.x.width == 1024:
        c.check(saw_title, "the title was on the screen before the first frame")
    c.check(p.poll() is None and H.loads_no_dialogs(p.pid), "the saver runs without the dialog module or GTK")
    windows = [s.geometry(w) for w in s.run("xdotool", "search", "--onlyvisible", "--pid", str(p.pid)).stdout.split()]
    c.check((0, 0, s.x.width, s.x.height) in windows, f"its window covers the screen: {windows}")
    ox, oy = H.centred(s)
    H.wait_until(lambda: H.shows_chamber(s, bg, ox, oy), 15, 0.1)
    shot = s.screenshot()
    H.check_chamber(c, shot, bg, ox, oy)
    cx, cy = s.x.width // 2, s.x.height // 2
    c.check(H.close_colour(shot.pixel(cx, cy), bg.pixel(cx - ox, cy - oy)), "the title is gone after the first frames")
    c.check(H.animates(s, ox, oy, 30) and p.poll() is None, "the chamber changes over time (doors animating)")
    s.xdotool("mousemove", 4, 3)
    c.check(H.wait_exit(p, 5) == 0, "a one-pixel move ends it with exit code 0")
    c.check(s.read_trace().endswith("OnDestroy\n"), "trace ends with OnDestroy")


# (before the start, what does not end it, what ends it, after)
RUNS = (("mousemove 100 100", "mousemove 100 100", "mousemove 101 100", ""),
        ("mousedown 1", "mouseup 1;click 4;click 5", "click 1", ""),
        ("", "", "click 2", ""), ("", "", "click 3", ""), ("", "", "key a", ""),
        ("", "", "keydown Alt_L", "keyup Alt_L"), ("", "", "keydown Shift_L", "keyup Shift_L"))


def case_input(s, c, args):
    """The first pointer position only records; wheel and button release close nothing; a one-pixel move,
    every button, a key, Alt or Shift alone close it, each leaving one more OnDestroy in the trace."""
    bg = H.find_picture(args["art"], 673)
    s.write_registry(settings={"Enable sound": 0, "Pain": 3, "Subliminals": 1})
    for runs, (before, harmless, closing, after) in enumerate(RUNS, 1):
        act = lambda steps: [s.xdotool(*step.split()) for step in steps.split(";") if step]  # noqa: E731
        act(before)
        p = s.start("s")
        c.check(H.saver_up(s, p, bg), f"saver up after '{before}'")
        act(harmless + ";sleep 0.7")
        c.check(p.poll() is None, f"'{harmless}' does not end the saver")
        act(closing)
        rc = H.wait_exit(p, 5)
        c.check(rc == 0 and s.read_trace() == "OnDestroy\n" * runs, f"'{closing}' ends it (exit code {rc}), OnDestroy")
        act(after)


def run_saver(s, c, bg, expected, what):
    """Starts the saver, waits for the scene after the title, checks every chamber (ox, oy, scale)."""
    s.xdotool("mousemove", 3, 3)
    p = s.start("s")
    H.wait_until(lambda: all(H.shows_chamber(s, bg, *e) for e in expected), 20, 0.5)
    shot = s.screenshot()
    for e in expected:
        H.check_chamber(c, shot, bg, *e, what=f"{what}: ")
    c.check(p.poll() is None, f"{what}: the saver runs")
    s.xdotool("mousemove", 9, 3)
    c.check(H.wait_exit(p, 5) == 0, f"{what}: a move ends it")


def case_monitors(s, c, args):
    """Scale 0 enlarges the chamber twice as far as the height allows; two Xinerama monitors of one screen
    (Xephyr inside Xvfb) each show it centred."""
    bg = H.find_picture(args["art"], 673)
    s.write_registry(settings={"Enable sound": 0, "Pain": 1, "Subliminals": 0, "Scale": 0})
    run_saver(s, c, bg, [(960, 60, 2)], "Scale 0 on 3200x1080")
    # Two monitors in one X screen: 1920x1080 at 0,0 and 1280x1024 at 1920,0; black below the smaller.
    xephyr = H.Xvfb(3200, 1080, nested=["Xephyr", "-screen", "1920x1080", "-screen", "1280x1024", "+xinerama"], env=s.env)
    try:
        s.env["DISPLAY"] = xephyr.display
        s.write_registry(settings={"Enable sound": 0, "Pain": 1, "Subliminals": 0})
        run_saver(s, c, bg, [(640, 300, 1), (1920 + 320, 272, 1)], "two monitors")
    finally:
        xephyr.close()


def shows_preview(shot, pic, parent):
    """The picture centred in the parent, white up to its edges, nothing drawn outside it."""
    px, py = parent.x + (parent.width - pic.width) // 2, parent.y + (parent.height - pic.height) // 2
    whites = ((parent.x, parent.y), (parent.x + parent.width - 1, parent.y + parent.height - 1), (px - 1, py),
              (px, py - 1), (px + pic.width, py + pic.height - 1))
    probes = ((0, 0), (pic.width - 1, pic.height - 1), (pic.width // 2, pic.height // 2), (10, pic.height - 20))
    return (all(shot.pixel(x, y) == H.WHITE for x, y in whites) and shot.pixel(parent.x - 1, parent.y) == H.BLACK and
            all(H.close_colour(shot.pixel(px + x, py + y), pic.pixel(x, y), 24) for x, y in probes))


def case_preview(s, c, args):
    """`p <window id>`: the picture centred on white in another client's window, following its size; the
    window's end ends the saver; a missing, zero or bogus handle ends it at once."""
    pic = H.find_picture(args["art"], 873)
    s.xdotool("mousemove", 790, 590)
    parent = H.ParentWindow(s, 100, 50, 200, 150)
    p = s.start("p", str(parent.id))
    for size in ((200, 150), (300, 250)):
        if size != (parent.width, parent.height):
            parent.resize(*size)
        c.check(H.wait_until(lambda: shows_preview(s.screenshot(), pic, parent), 15, 0.1),
                f"{size}: the picture centred on white inside the window, nothing outside")
    time.sleep(0.5)
    c.check(p.poll() is None and H.loads_no_dialogs(p.pid), "the preview runs without the dialog module or GTK")
    parent.destroy()
    c.check(H.wait_exit(p, 5) == 0, "destroying the parent ends the process")
    for argv in (["p", "12345"], ["p", "0"], ["p"], ["p", "-5"], ["p", "preview"]):
        t0 = time.time()
        rc = H.wait_exit(s.start(*argv), 5)
        c.check(rc == 0 and time.time() - t0 < 3, f"{' '.join(argv)} ends at once (exit code {rc})")


def case_depth8(s, c, args):
    """An 8-bit display: the refusal's message box (black text on white); answered, the process ends."""
    p, box = s.start("s"), []

    def find_box():
        m = re.search(r'0x[0-9a-f]+ "Unsupported Screen Mode": .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)',
                      s.run("xwininfo", "-root", "-tree").stdout)
        box[:] = [int(v) for v in m.groups()] if m else []
        return bool(box)

    c.check(H.wait_until(find_box, 15, 0.1) and p.poll() is None, 'a box captioned "Unsupported Screen Mode" waits')
    if box:
        w, h, x, y = box
        time.sleep(0.3)
        shot = s.screenshot()
        inside = [shot.pixel(x + i, y + j) for j in range(4, h // 2) for i in range(4, w - 4, 2)]
        # The text line sits in the upper half: black glyphs on white, wider than caption or button.
        c.check(inside.count(H.WHITE) > len(inside) // 2 and inside.count(H.BLACK) > 100 and w > 300,
                f"black text on a white box {w} wide ({inside.count(H.WHITE)} white, {inside.count(H.BLACK)} black)")
        s.xdotool("mousemove", x + w // 2, y + h - 28, "sleep", 0.2, "click", 1)
    rc = H.wait_exit(p, 10)
    c.check(rc == 0, f"after OK the process ends (exit code {rc})")


CASES = {"input": (case_input, (1024, 768)), "monitors": (case_monitors, (3200, 1080)), "preview": (case_preview, (800, 600)),
         "depth8": (case_depth8, (1024, 768, 8)), **{f"fullscreen_{k}": (case_fullscreen, v) for k, v in SCREENS.items()}}

if __name__ == "__main__":
    case, screen = CASES[H.parse_args(sys.argv[1:])["case"]]
    sys.exit(H.main(case.__name__[5:], case, lambda a: H.Session(a["exe"], *screen)))
