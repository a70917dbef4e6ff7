"""Preview (/p) under Wine. Wine shows a child window's drawing only when its parent belongs to
the same process, so the picture is checked with PreviewHost running the saver's own start-up
in-process with "/p <parent>"; the real .scr is then started as its own process into a parent of
the host, as the display settings do, and must end when that parent is destroyed."""

import sys
import time

import wine_lib as W

L = W.L
PX, PY = 100, 100  # where PreviewHost puts the parent's client area


def check_picture(c, shot, pic, width, height):
    x = (width - pic.width) // 2 if width >= pic.width else 0
    y = (height - pic.height) // 2 if height >= pic.height else 0
    vis_w, vis_h = min(pic.width, width - x), min(pic.height, height - y)
    bad = []
    for (u, v) in [(0, 0), (vis_w - 1, 0), (0, vis_h - 1), (vis_w - 1, vis_h - 1), (vis_w // 2, vis_h // 2),
                   (vis_w // 3, vis_h // 4)]:
        got = shot.pixel(PX + x + u, PY + y + v)
        if not L.close_colour(got, pic.pixel(u, v)):
            bad.append(((u, v), got, pic.pixel(u, v)))
    c.check(not bad, f"{width}x{height}: picture 873 at ({x},{y}) of the preview ({bad[:2]})")
    if x > 0 and y > 0:
        whites = [(PX, PY), (PX + width - 1, PY + height - 1), (PX + x - 1, PY + y), (PX + x, PY + y - 1),
                  (PX + x + pic.width, PY + y + pic.height - 1)]
        c.check(all(shot.pixel(a, b) == (255, 255, 255) for a, b in whites), f"{width}x{height}: white around it")
    c.check(shot.pixel(PX + width, PY + height // 2) == (0, 0, 0) or width == 0,
            f"{width}x{height}: nothing drawn right of the parent")


def check(w, c, args):
    pic = L.find_picture(args["art"], 873)
    w.xdotool("mousemove", 1000, 700)
    for width, height in ((200, 150), (100, 100)):
        p = w.start("inproc", str(width), str(height), "8", program="PreviewHost.exe")
        line = p.stdout.readline().strip()
        c.check(line.startswith("parent "), f"the host made its parent window ({line!r})")
        ok = W.wait_until(lambda: w.screenshot().pixel(PX + 1, PY + 1) == (255, 255, 255)
                          or width < pic.width, 60, 0.2)
        time.sleep(1.5)
        shot = w.screenshot()
        c.check(ok, f"{width}x{height}: the preview was painted")
        check_picture(c, shot, pic, width, height)
        rc = W.wait_exit(p, 60)
        out = p.stdout.read().strip() if rc is not None else ""
        c.check(rc == 0 and out.startswith("ended "),
                f"{width}x{height}: the saver's loop ends with its parent ({out!r})")

    # The real .scr in its own process: runs until the parent goes, then ends by itself.
    p = w.start("spawn", "200", "150", "6", w.path("Morgrave.scr"), program="PreviewHost.exe")
    rc = W.wait_exit(p, 90)
    lines = (p.stdout.read() if rc is not None else "").splitlines()
    ended = [ln.split() for ln in lines if ln.startswith("ended ")]
    c.check(rc == 0 and len(ended) == 1, f"the .scr process ends when its parent is destroyed ({lines})")
    if ended:
        c.check(ended[0][1] == "0", f"with exit code 0 (got {ended[0][1]})")
        c.check(int(ended[0][2]) < 10000, f"within 10 s of the parent's end ({ended[0][2]} ms)")


if __name__ == "__main__":
    sys.exit(W.main("wine preview", check))
