"""The preview mode: `p <window id>` draws the preview picture centred on white inside a window the
test made in another process and follows it when it is resized; destroying that window ends the saver;
a missing, zero or bogus handle ends the process at once."""

import sys
import time

import harness as H


def shows_preview(shot, pic, parent):
    """The picture centred in the parent, white up to its edges, nothing drawn outside it."""
    px, py = parent.x + (parent.width - pic.width) // 2, parent.y + (parent.height - pic.height) // 2
    whites = ((parent.x, parent.y), (parent.x + parent.width - 1, parent.y + parent.height - 1), (px - 1, py),
              (px, py - 1), (px + pic.width, py + pic.height - 1))
    probes = ((0, 0), (pic.width - 1, pic.height - 1), (pic.width // 2, pic.height // 2), (10, pic.height - 20))
    return (all(shot.pixel(x, y) == H.WHITE for x, y in whites) and shot.pixel(parent.x - 1, parent.y) == H.BLACK and
            all(H.close_colour(shot.pixel(px + x, py + y), pic.pixel(x, y), 24) for x, y in probes))


def check(s, c, args):
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


if __name__ == "__main__":
    sys.exit(H.main("preview", check, lambda a: H.Session(a["exe"], 800, 600)))
