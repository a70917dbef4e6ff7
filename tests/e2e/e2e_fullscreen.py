"""Full-screen saver on Xvfb: the chamber centred on black at several screen sizes, the title
shown while the pictures load and gone after the first frames, and the doors moving over time;
also on a 30-bit display, whose pixels SDL cannot draw."""

import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    width, height, depth = {"640": (640, 480, 24), "1024": (1024, 768, 24), "1920": (1920, 1080, 24),
                            "depth30": (800, 600, 30)}[args.get("case", "1024")]
    c = L.Checks(f"fullscreen {width}x{height}x{depth}")
    bg = L.find_picture(args["art"], 673)
    title = L.find_picture(args["art"], 670)
    s = L.Session(args["exe"], width, height, depth)
    try:
        s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
        s.xdotool("mousemove", 3, 3)
        ox, oy = (width - 640) // 2, (height - 480) // 2
        tx, ty = (width - title.width) // 2, (height - title.height) // 2
        cx, cy = width // 2, height // 2  # the middle of the chamber, under the middle of the title
        title_at_centre = title.pixel(cx - tx, cy - ty)
        bg_at_centre = bg.pixel(cx - ox, cy - oy)
        (ax, ay), (bx, by) = L.landmarks(bg)
        # A second point near the title's left edge that tells title from background, to check
        # the title's placement at ((w - 520) / 2, (h - 147) / 2) and not just its middle.
        edge = next(((x, y) for y in range(title.height // 3, title.height) for x in range(4, 60)
                     if title.pixel(x, y) != (255, 0, 255) and
                     not L.close_colour(title.pixel(x, y), bg.pixel(tx + x - ox, ty + y - oy), 24)), None)
        p = s.start("s")

        # The title goes straight to the screen while the figure pictures load.
        saw_title = False
        probe = L.PixelProbe(s)
        deadline = time.time() + (10 if depth == 24 else 0)  # the probe reads 24-bit pixels only
        while time.time() < deadline:
            here = probe.pixel(cx, cy)
            if here and L.close_colour(here, title_at_centre) and not L.close_colour(here, bg_at_centre):
                saw_title = saw_title or edge is None or L.close_colour(
                    probe.pixel(tx + edge[0], ty + edge[1]), title.pixel(*edge))
            if here and L.close_colour(probe.pixel(ox + ax, oy + ay), bg.pixel(ax, ay)) and L.close_colour(here, bg_at_centre):
                break
            time.sleep(0.002)  # leave the single-threaded server to the saver
        probe.close()
        if width == 1024:
            # Only checked where the title picture differs from the background beneath it.
            if title_at_centre != bg_at_centre:
                c.check(saw_title, f"the title at ({tx},{ty}) was on the screen before the first frame")
        c.check(p.poll() is None, "the saver runs")
        c.check(L.loads_no_dialogs(p.pid), "the saver runs without the dialog module or GTK")
        # The scene follows the title after its hold.
        L.wait_until(lambda: L.close_colour(s.screenshot().pixel(cx, cy), bg_at_centre), 15, 0.1)
        time.sleep(0.5)
        shot = s.screenshot()
        c.check(L.close_colour(shot.pixel(ox + ax, oy + ay), bg.pixel(ax, ay)),
                f"background's landmark at ({ox + ax},{oy + ay}): {shot.pixel(ox + ax, oy + ay)} vs {bg.pixel(ax, ay)}")
        c.check(L.close_colour(shot.pixel(ox + bx, oy + by), bg.pixel(bx, by)),
                f"background's second landmark at ({ox + bx},{oy + by})")
        c.check(L.close_colour(shot.pixel(cx, cy), bg_at_centre), "the title is gone after the first frames")
        if ox > 0:
            c.check(shot.pixel(ox - 1, oy) == (0, 0, 0) and shot.pixel(0, 0) == (0, 0, 0), "black left of the chamber")
            c.check(shot.pixel(width - 1, height - 1) == (0, 0, 0), "black at the far corner of the screen")
        if oy > 0:
            c.check(shot.pixel(ox, oy - 1) == (0, 0, 0), "black above the chamber")

        # The doors move: the chamber's pixels change between frames over a few seconds.
        base = shot.region_hash(ox, oy, ox + 640, oy + 480)
        changed = L.wait_until(lambda: s.screenshot().region_hash(ox, oy, ox + 640, oy + 480) != base, 30, 0.25)
        c.check(changed, "the chamber changes over time (doors animating)")
        c.check(p.poll() is None, "still running without input")

        s.xdotool("mousemove", 4, 3)
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"a one-pixel move ends it with exit code 0 (got {rc})")
        c.check(s.read_trace().endswith("OnDestroy\n"), "trace ends with OnDestroy")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
