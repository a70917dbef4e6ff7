"""An 8-bit display: the full-screen saver refuses with its message box (caption and text on a
readable white box), and once the box is answered the process ends."""

import re
import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    c = L.Checks("depth 8")
    s = L.Session(args["exe"], 1024, 768, 8)
    try:
        p = s.start("s")
        box = None

        def find_box():
            nonlocal box
            tree = s.run("xwininfo", "-root", "-tree").stdout
            m = re.search(r'(0x[0-9a-f]+) "Unsupported Screen Mode": .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)', tree)
            if m:
                box = tuple(int(v, 0) for v in m.groups())
            return box is not None

        c.check(L.wait_until(find_box, 15, 0.1), 'a box captioned "Unsupported Screen Mode"')
        c.check(p.poll() is None, "the saver waits for the box")
        if box:
            _, w, h, x, y = box
            time.sleep(0.3)
            shot = s.screenshot()
            inside = [shot.pixel(x + i, y + j) for j in range(4, h // 2) for i in range(4, w - 4, 2)]
            whites = sum(1 for px in inside if px == (255, 255, 255))
            darks = sum(1 for px in inside if px == (0, 0, 0))
            # The text line sits in the upper half: black glyphs on white, in the display's own pixels.
            c.check(whites > len(inside) // 2, f"the box is white ({whites} of {len(inside)})")
            c.check(darks > 100, f"with black text on it ({darks} dark pixels)")
            # The one-line text makes the box wider than its caption or button would.
            c.check(w > 300, f"wide enough for the refusal text ({w} pixels)")
            s.xdotool("mousemove", x + w // 2, y + h - 28)
            time.sleep(0.2)
            s.xdotool("click", 1)
        rc = L.wait_exit(p, 10)
        c.check(rc == 0, f"after OK the process ends (exit code {rc})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
