"""Full-screen saver on today's desktops: one X screen holding two monitors of different sizes
(Xephyr with Xinerama heads, inside Xvfb) shows the chamber centred on each monitor; Scale 0 on a
1920x1080 screen shows it enlarged twice (1280x960), pixel for pixel."""

import os
import sys

import e2e_lib as L


def chamber_at(shot, bg, ox, oy, scale):
    """The chamber's two landmarks at (ox, oy), each an enlarged pixel seen at both of its corners;
    black just outside the chamber."""
    inside = all(L.close_colour(shot.pixel(ox + x * scale + d, oy + y * scale + d), bg.pixel(x, y))
                 for x, y in L.landmarks(bg) for d in (0, scale - 1))
    outside = shot.pixel(ox - 1, oy) == (0, 0, 0) and shot.pixel(ox + 640 * scale, oy + 480 * scale - 1) == (0, 0, 0)
    return inside and outside


def run_saver(s, c, bg, expected, what, shot_name=None):
    """Starts the saver, waits for the scene after the title, checks every chamber, ends it
    ($E2E_SHOT_DIR/<shot_name>.xwd keeps the screen when asked)."""
    s.xdotool("mousemove", 3, 3)
    p = s.start("s")
    ok = L.wait_until(lambda: all(chamber_at(s.screenshot(), bg, *e) for e in expected), 20, 0.5)
    shot = s.screenshot()
    for ox, oy, scale in expected:
        c.check(chamber_at(shot, bg, ox, oy, scale), f"{what}: chamber at ({ox},{oy}), {640 * scale}x{480 * scale}")
    c.check(ok and p.poll() is None, f"{what}: the saver runs")
    if shot_name and os.environ.get("E2E_SHOT_DIR"):
        s.run("xwd", "-silent", "-root", "-out", os.path.join(os.environ["E2E_SHOT_DIR"], shot_name + ".xwd"))
    s.xdotool("mousemove", 9, 3)
    c.check(L.wait_exit(p, 5) == 0, f"{what}: a move ends it")
    return shot


def main():
    args = L.parse_common_args(sys.argv[1:])
    bg = L.find_picture(args["art"], 673)
    c = L.Checks("monitors")

    # Scale 0 on one 1920x1080 monitor: factor 2, the chamber 1280x960 at (320, 60).
    s = L.Session(args["exe"], 1920, 1080)
    try:
        s.write_registry(settings={"Enable sound": 0, "Pain": 1, "Subliminals": 0, "Scale": 0})
        run_saver(s, c, bg, [(320, 60, 2)], "Scale 0 on 1920x1080", "scale0_1920")
    finally:
        s.close()

    # Two monitors in one X screen: 1920x1080 at 0,0 and 1280x1024 at 1920,0 (root 3200x1080).
    s = L.Session(args["exe"], 3200, 1080)
    xephyr = None
    try:
        xephyr = L.Xvfb(3200, 1080, nested=["Xephyr", "-screen", "1920x1080", "-screen", "1280x1024", "+xinerama"],
                        env=s.env)
        s.env["DISPLAY"] = xephyr.display
        s.write_registry(settings={"Enable sound": 0, "Pain": 1, "Subliminals": 0})
        shot = run_saver(s, c, bg, [(640, 300, 1), (1920 + 320, 272, 1)], "two monitors", "two_monitors")
        c.check(shot.pixel(1920 + 640, 1060) == (0, 0, 0), "black below the smaller monitor")
    finally:
        if xephyr is not None:
            xephyr.close()
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
