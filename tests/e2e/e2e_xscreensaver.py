"""The saver as an XScreenSaver hack: given the daemon's window by $XSCREENSAVER_WINDOW or by
"--window-id ID" / "-window-id ID" (hex or decimal) after "s", it draws the running scene into
that window at its size, leaves input to the daemon, and ends cleanly on SIGTERM."""

import os
import signal
import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    c = L.Checks("xscreensaver")
    bg = L.find_picture(args["art"], 673)
    (ax, ay), (bx, by) = L.landmarks(bg)
    s = L.Session(args["exe"], 1024, 768)
    try:
        s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
        runs = 0
        for how in ("env", "--window-id", "-window-id hex"):
            # The daemon's window: 800 x 600 at (100, 80); the chamber is centred in it.
            win = L.ParentWindow(s, 100, 80, 800, 600)
            ox, oy = win.x + (800 - 640) // 2, win.y + (600 - 480) // 2
            if how == "env":
                p = s.start("s", env={"XSCREENSAVER_WINDOW": f"0x{win.id:x}"})
            elif how == "--window-id":
                p = s.start("s", "--window-id", str(win.id))
            else:
                p = s.start("-s", "-window-id", f"0x{win.id:x}")

            def up():
                return L.close_colour(s.screenshot().pixel(ox + ax, oy + ay), bg.pixel(ax, ay))

            c.check(L.wait_until(up, 15, 0.1), f"{how}: the chamber centred in the given window")
            shot = s.screenshot()
            c.check(shot.pixel(win.x + 5, win.y + 5) == (0, 0, 0) and shot.pixel(ox - 1, oy) == (0, 0, 0),
                    f"{how}: black around it inside the window")
            c.check(shot.pixel(win.x - 1, win.y - 1) == (0, 0, 0) and shot.pixel(win.x + 810, win.y) == (0, 0, 0),
                    f"{how}: nothing drawn beside the window")
            c.check(L.close_colour(shot.pixel(ox + bx, oy + by), bg.pixel(bx, by)), f"{how}: a second landmark")
            base = shot.region_hash(ox, oy, ox + 640, oy + 480)
            c.check(L.wait_until(lambda: s.screenshot().region_hash(ox, oy, ox + 640, oy + 480) != base, 30, 0.25),
                    f"{how}: the scene runs (not the preview picture)")
            # Input belongs to the daemon: the hack does not end on it.
            s.xdotool("mousemove", 300, 300)
            s.xdotool("mousemove", 500, 400)
            s.xdotool("key", "a")
            time.sleep(0.7)
            c.check(p.poll() is None, f"{how}: input does not end the hack")
            p.send_signal(signal.SIGTERM)
            rc = L.wait_exit(p, 5)
            c.check(rc == 0, f"{how}: SIGTERM ends it cleanly (exit code {rc})")
            runs += 1
            c.check(s.read_trace() == "OnDestroy\n" * runs, f"{how}: OnDestroy in the trace")
            win.destroy()

        # The daemon's window going away ends the hack too.
        win = L.ParentWindow(s, 0, 0, 320, 240)
        p = s.start("s", "--window-id", str(win.id))
        time.sleep(1.5)
        c.check(p.poll() is None, "running in a 320 x 240 window")
        win.destroy()
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"its window destroyed: the hack ends (exit code {rc})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
