"""The saver as an XScreenSaver hack: given the daemon's window by $XSCREENSAVER_WINDOW or by
"--window-id ID" / "-window-id ID" (hex or decimal) after "s", it draws the running scene into
that window at its size, leaves input to the daemon, and ends cleanly on SIGTERM. A window id
that is no usable window, or no X display at all, ends it at once with exit status 1 and one
line on stderr, never with a window over the screen. With "--case options": the options
XScreenSaver's settings panel passes after "s" replace the stored settings for that run (heard in
the sound, with a clock fixed like the scene recorder's) and never reach the store."""

import os
import signal
import subprocess
import sys
import tempfile
import time

import e2e_lib as L


def options(args):
    c = L.Checks("xscreensaver_options")
    clock, ticks = 1000000, 120
    # The scene log: at this clock Pain 4 opens doors with sound in the first 6 seconds, Pain 1 none.
    cues = {}
    with tempfile.TemporaryDirectory() as tmp:
        for pain in (1, 4):
            log = os.path.join(tmp, f"pain{pain}.txt")
            subprocess.run([args["recorder"], "--clock", str(clock), "--ticks", str(ticks), "--pain", str(pain),
                            "--subliminals", "0", "--log", log], check=True, capture_output=True, timeout=120)
            with open(log) as f:
                cues[pain] = sum(1 for line in f if line.split()[1:2] == ["cue"])
    c.check(cues[1] == 0 and cues[4] >= 2, f"the scene log: cues at Pain 1 {cues[1]}, at Pain 4 {cues[4]}")
    s = L.Session(args["exe"], 800, 600)
    try:
        win = L.ParentWindow(s, 0, 0, 800, 600)
        out = os.path.join(s.home, "audio.raw")
        env = {"XSCREENSAVER_WINDOW": f"0x{win.id:x}", "SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out,
               "MORGRAVE_TEST_CLOCK": str(clock), "LD_PRELOAD": args["clock"]}
        # (stored settings, options, sound expected)
        for stored, opts, loud in (((0, 1), ["--pain", "4", "--bogus", "--sound", "1"], True),
                                   ((1, 4), ["--sound", "0"], False),
                                   ((1, 4), ["--pain", "1"], False)):
            what = f"stored sound {stored[0]} Pain {stored[1]}, options {' '.join(opts)}"
            s.write_registry(settings={"Enable sound": stored[0], "Pain": stored[1], "Subliminals": 0})
            with open(s.registry, "rb") as f:
                before = f.read()
            if os.path.exists(out):
                os.remove(out)
            p = s.start("s", *opts, env=env)
            time.sleep(ticks / 20)
            p.send_signal(signal.SIGTERM)
            c.check(L.wait_exit(p, 5) == 0, f"{what}: ended by SIGTERM")
            heard = os.path.exists(out) and any(open(out, "rb").read())
            c.check(heard == loud, f"{what}: {'sound' if loud else 'silence'}")
            printed = p.stdout.read().decode(errors="replace")
            c.check(printed.count("unknown option") == opts.count("--bogus"), f"{what}: says so of --bogus only")
            with open(s.registry, "rb") as f:
                c.check(f.read() == before, f"{what}: the store is unchanged")
        win.destroy()
    finally:
        s.close()
    return c.finish()


def main():
    args = L.parse_common_args(sys.argv[1:])
    if args.get("case") == "options":
        return options(args)
    c = L.Checks("xscreensaver")
    bg = L.find_picture(args["art"], 673)
    (ax, ay), (bx, by) = L.landmarks(bg)
    s = L.Session(args["exe"], 1024, 768)
    try:
        s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
        runs = 0
        for how in ("env", "--window-id", "-window-id hex", "--window-id and 1 MB more"):
            # The daemon's window: 800 x 600 at (100, 80); the chamber is centred in it.
            win = L.ParentWindow(s, 100, 80, 800, 600)
            ox, oy = win.x + (800 - 640) // 2, win.y + (600 - 480) // 2
            if how == "env":
                p = s.start("s", env={"XSCREENSAVER_WINDOW": f"0x{win.id:x}"})
            elif how == "--window-id":
                p = s.start("s", "--window-id", str(win.id))
            elif how == "-window-id hex":
                p = s.start("-s", "-window-id", f"0x{win.id:x}")
            else:
                p = s.start("s", "--window-id", str(win.id), *["x" * 1023] * 1024)

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

        # The daemon's window resized: the chamber is centred in it again.
        win = L.ParentWindow(s, 0, 0, 800, 600)
        p = s.start("s", "--window-id", str(win.id))
        probes = ((320, 240), (100, 400), (500, 100), (639, 479))

        def chamber_at(ox, oy):
            shot = s.screenshot()
            return all(L.close_colour(shot.pixel(ox + x, oy + y), bg.pixel(x, y)) for x, y in probes)

        c.check(L.wait_until(lambda: chamber_at(80, 60), 15, 0.1), "up at 800 x 600")
        win.resize(1000, 700)
        c.check(L.wait_until(lambda: chamber_at(180, 110), 5, 0.1), "resized to 1000 x 700: the chamber centred again")
        p.send_signal(signal.SIGTERM)
        L.wait_exit(p, 5)
        win.destroy()

        # The daemon's window going away ends the hack too.
        win = L.ParentWindow(s, 0, 0, 320, 240)
        p = s.start("s", "--window-id", str(win.id))
        time.sleep(1.5)
        c.check(p.poll() is None, "running in a 320 x 240 window")
        win.destroy()
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"its window destroyed: the hack ends (exit code {rc})")

        # Refusals: each ends at once with one line on stderr; none may cover the screen.
        refusals = [(f"--window-id {v}", ["s", "--window-id", v], None) for v in ("garbage", "0", "-1", "9" * 20)]
        refusals += [("--window-id without a value", ["s", "--window-id"], None)]
        refusals += [(f"XSCREENSAVER_WINDOW={v}", ["s"], {"XSCREENSAVER_WINDOW": v}) for v in ("garbage", "0x1fffffff")]
        refusals += [(f"no X display, {m}", m.split(), {"DISPLAY": None}) for m in ("s", "p 1", "c")]
        for what, argv, env in refusals:
            p = s.start(*argv, env=env)
            rc = L.wait_exit(p, 5)
            out = p.stdout.read().decode(errors="replace") if rc is not None else ""
            c.check(rc == 1 and out.count("\n") == 1, f"{what}: exit code {rc}, stderr {out!r}")
        # The daemon's window destroyed right after the start: the saver ends either way, in time.
        for delay in (0, 0.02, 0.05, 0.2):
            win = L.ParentWindow(s, 0, 0, 320, 240)
            p = s.start("s", "--window-id", str(win.id))
            time.sleep(delay)
            win.destroy()
            rc = L.wait_exit(p, 10)
            c.check(rc in (0, 1), f"window gone after {delay} s: the saver ends (exit code {rc})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
