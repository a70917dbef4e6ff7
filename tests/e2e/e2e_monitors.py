"""Full-screen saver on today's desktops: one X screen holding two monitors of different sizes (Xephyr
with Xinerama heads, inside Xvfb) shows the chamber centred on each monitor; Scale 0 on a 3200x1080
screen shows it enlarged twice (1280x960, as far as the height allows), pixel for pixel."""

import sys

import harness as H


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


def check(s, c, args):
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


if __name__ == "__main__":
    sys.exit(H.main("monitors", check, lambda a: H.Session(a["exe"], 3200, 1080)))
