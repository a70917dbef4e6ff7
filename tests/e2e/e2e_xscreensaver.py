"""The saver as an XScreenSaver hack: drawing in the daemon's window, SIGTERM, refusing bad window ids."""

import signal
import sys
import time

import harness as H


def check(s, c, args):
    bg = H.find_picture(args["art"], 673)
    s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
    starts = {"env": lambda w: s.start("s", env={"XSCREENSAVER_WINDOW": f"0x{w.id:x}"}),
              "--window-id": lambda w: s.start("s", "--window-id", str(w.id)),
              "-window-id hex": lambda w: s.start("-s", "-window-id", f"0x{w.id:x}"),
              "--window-id and 1 MB more": lambda w: s.start("s", "--window-id", str(w.id), *["x" * 1023] * 1024)}
    for runs, (how, start) in enumerate(starts.items(), 1):
        # The daemon's window: 800 x 600 at (100, 80); the chamber is centred in it, nothing drawn beside it.
        win = H.ParentWindow(s, 100, 80, 800, 600)
        p, ox, oy = start(win), win.x + 80, win.y + 60
        c.check(H.wait_until(lambda: H.shows_chamber(s, bg, ox, oy), 15, 0.1), f"{how}: the chamber drawn in the window")
        shot = s.screenshot()
        H.check_chamber(c, shot, bg, ox, oy, what=f"{how}: ")
        c.check(shot.pixel(win.x + 5, win.y + 5) == H.BLACK and shot.pixel(win.x - 1, win.y - 1) == H.BLACK and
                shot.pixel(win.x + 810, win.y) == H.BLACK, f"{how}: black inside the window, nothing beside it")
        c.check(H.animates(s, ox, oy, 30), f"{how}: the scene runs (not the preview picture)")
        s.xdotool("mousemove", 300, 300, "mousemove", 500, 400, "key", "a", "sleep", 0.7)  # input belongs to the daemon
        c.check(p.poll() is None, f"{how}: input does not end the hack")
        p.send_signal(signal.SIGTERM)
        rc = H.wait_exit(p, 5)
        c.check(rc == 0 and s.read_trace() == "OnDestroy\n" * runs, f"{how}: SIGTERM ends it cleanly ({rc}), OnDestroy")
        win.destroy()

    # The daemon's window resized: the chamber is centred in it again; the window going away ends it.
    win = H.ParentWindow(s, 0, 0, 800, 600)
    p = s.start("s", "--window-id", str(win.id))
    c.check(H.wait_until(lambda: H.shows_chamber(s, bg, 80, 60), 15, 0.1), "up at 800 x 600")
    win.resize(1000, 700)
    c.check(H.wait_until(lambda: H.shows_chamber(s, bg, 180, 110), 5, 0.1), "resized to 1000 x 700: centred again")
    win.destroy()
    c.check(H.wait_exit(p, 5) == 0, "its window destroyed: the hack ends")

    # Refusals: each ends at once with one line on stderr; none may cover the screen.
    refusals = [(["s", "--window-id", v], None) for v in ("garbage", "0", "-1", "9" * 20)] + [(["s", "--window-id"], None)]
    refusals += [(["s"], {"XSCREENSAVER_WINDOW": v}) for v in ("garbage", "0x1fffffff")]
    refusals += [(m.split(), {"DISPLAY": None}) for m in ("s", "p 1", "c")]
    for argv, env in refusals:
        p = s.start(*argv, env=env)
        rc = H.wait_exit(p, 5)
        out = p.stdout.read() if rc is not None else ""
        c.check(rc == 1 and out.count("\n") == 1, f"{argv} {env}: exit code {rc}, stderr {out!r}")
    # The daemon's window destroyed right after the start: the saver ends either way, in time.
    for delay in (0, 0.02, 0.05, 0.2):
        win = H.ParentWindow(s, 0, 0, 320, 240)
        p = s.start("s", "--window-id", str(win.id))
        time.sleep(delay)
        win.destroy()
        rc = H.wait_exit(p, 10)
        c.check(rc in (0, 1), f"window gone after {delay} s: the saver ends (exit code {rc})")


if __name__ == "__main__":
    sys.exit(H.main("xscreensaver", check, lambda a: H.Session(a["exe"], 1024, 768)))
