"""The preview mode: `p <window id>` draws the preview picture centred on white inside a window
the test made in another process and follows it when it is resized; destroying that window ends
the saver; a missing, zero or bogus handle ends the process at once."""

import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    c = L.Checks("preview")
    pic = L.find_picture(args["art"], 873)
    s = L.Session(args["exe"], 800, 600)
    try:
        s.xdotool("mousemove", 790, 590)
        parent = L.ParentWindow(s, 100, 50, 200, 150)
        p = s.start("p", str(parent.id))
        # The picture (147 x 124) centred in 200 x 150: at (26, 13) of the parent.
        px, py = parent.x + (200 - pic.width) // 2, parent.y + (150 - pic.height) // 2

        def painted():
            return s.screenshot().pixel(parent.x + 2, parent.y + 2) == (255, 255, 255)

        c.check(L.wait_until(painted, 15, 0.1), "the preview paints its window white")
        shot = s.screenshot()
        c.check(all(shot.pixel(x, y) == (255, 255, 255) for x, y in (
            (parent.x, parent.y), (parent.x + 199, parent.y + 149), (px - 1, py), (px, py - 1),
            (px + pic.width, py + pic.height - 1))), "white around the picture, up to the window's edges")
        probes = [(0, 0), (pic.width - 1, pic.height - 1), (pic.width // 2, pic.height // 2), (10, pic.height - 20)]
        c.check(all(L.close_colour(shot.pixel(px + x, py + y), pic.pixel(x, y), 24) for x, y in probes),
                f"the picture at ({px - parent.x}, {py - parent.y}) of the window")
        c.check(shot.pixel(parent.x - 1, parent.y) == (0, 0, 0), "nothing drawn outside the window")
        # A resized window: white up to its new edges and the picture centred again.
        parent.resize(300, 250)
        qx, qy = parent.x + (300 - pic.width) // 2, parent.y + (250 - pic.height) // 2

        def recentred():
            shot = s.screenshot()
            return (shot.pixel(parent.x + 299, parent.y + 249) == (255, 255, 255) and
                    all(L.close_colour(shot.pixel(qx + x, qy + y), pic.pixel(x, y), 24) for x, y in probes))

        c.check(L.wait_until(recentred, 5, 0.1), "resized to 300 x 250: white to its edges, the picture centred")
        time.sleep(0.5)
        c.check(p.poll() is None, "the preview keeps running")
        c.check(L.loads_no_dialogs(p.pid), "the preview runs without the dialog module or GTK")
        parent.destroy()
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"destroying the parent ends the process (exit code {rc})")

        for what, argv in (("a bogus handle", ["p", "12345"]), ("handle 0", ["p", "0"]), ("no handle", ["p"]),
                           ("a number that is no window", ["p", "-5"]), ("text", ["p", "preview"])):
            t0 = time.time()
            q = s.start(*argv)
            rc = L.wait_exit(q, 5)
            c.check(rc == 0 and time.time() - t0 < 3, f"{what} ends at once (exit code {rc})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
