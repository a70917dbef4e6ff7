"""Full-screen saver on Xvfb: the chamber centred on black at several screen sizes, the title shown
while the pictures load and gone after the first frames, the doors moving over time, a one-pixel move
ending it; also on a 30-bit display, whose pixels SDL cannot draw."""

import sys

import harness as H

SCREENS = {"640": (640, 480, 24), "1024": (1024, 768, 24), "1920": (1920, 1080, 24), "depth30": (800, 600, 30)}


def check(s, c, args):
    bg, title = H.find_picture(args["art"], 673), H.find_picture(args["art"], 670)
    s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
    s.xdotool("mousemove", 3, 3)
    p = s.start("s")
    saw_title = H.watch_start(s, p, bg, title, 10)
    if s.x.width == 1024:
        c.check(saw_title, "the title was on the screen before the first frame")
    c.check(p.poll() is None and H.loads_no_dialogs(p.pid), "the saver runs without the dialog module or GTK")
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


if __name__ == "__main__":
    sys.exit(H.main("fullscreen", check, lambda a: H.Session(a["exe"], *SCREENS[a.get("case", "1024")])))
