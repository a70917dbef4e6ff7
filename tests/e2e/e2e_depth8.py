"""An 8-bit display: the full-screen saver refuses with its message box (caption and text on a readable
white box), and once the box is answered the process ends."""

import re
import sys
import time

import harness as H


def check(s, c, args):
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
        s.xdotool("mousemove", x + w // 2, y + h - 28)
        time.sleep(0.2)
        s.xdotool("click", 1)
    rc = H.wait_exit(p, 10)
    c.check(rc == 0, f"after OK the process ends (exit code {rc})")


if __name__ == "__main__":
    sys.exit(H.main("depth 8", check, lambda a: H.Session(a["exe"], 1024, 768, 8)))
