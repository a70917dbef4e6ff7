"""An 8-bit display under Wine: full screen refuses with the "Unsupported Screen Mode" message box
and ends once it is closed; the preview still draws its picture."""

import sys
import time

import wine_lib as W

L = W.L
CAPTION = "Unsupported Screen Mode"
TEXT = "This Glimmerfiend requires 16-bit colour mode or higher to run."


def check(w, c, args):
    w.xdotool("mousemove", 3, 3)
    p = w.start("/s")
    rc, _ = w.probe("find", CAPTION, "60000", timeout=90)
    c.check(rc == 0, "/s on an 8-bit display shows the message box")
    rc, dump = w.probe("dialog", CAPTION)
    texts = [f["text"] for f in W.controls(dump).values()]
    c.check(TEXT in texts, f"its text ({texts})")
    c.check(any(t == "OK" for t in texts) and len([t for t in texts if t in ("Cancel", "&Yes", "&No")]) == 0,
            "one OK button only")
    time.sleep(1.0)
    c.check(p.poll() is None, "the saver waits for the box to be closed")
    w.probe("post", CAPTION, "0x111", "1", "0")
    rc = W.wait_exit(p, 20)
    c.check(rc is not None, f"closing the box ends the process (rc {rc})")
    c.check(w.read_trace() in ("", "OnDestroy\n"), f"no password lines in the trace ({w.read_trace()!r})")

    # The refusal belongs to full screen only: the preview draws its picture on white.
    p = w.start("inproc", "200", "150", "6", program="PreviewHost.exe")
    white = W.wait_until(lambda: L.close_colour(w.screenshot().pixel(101, 101), (255, 255, 255)), 60, 0.3)
    c.check(white, "the preview paints its white ground at 8 bits per pixel")
    shot = w.screenshot()
    c.check(not L.close_colour(shot.pixel(100 + 26 + 73, 100 + 13 + 62), (255, 255, 255), 0),
            "and its picture in the middle")
    rc = W.wait_exit(p, 60)
    c.check(rc == 0, f"the preview ends with its parent (rc {rc})")


if __name__ == "__main__":
    sys.exit(W.main("wine 8-bit display", check, depth=8))
