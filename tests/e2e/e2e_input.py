"""Which input ends the full-screen saver: the first pointer position only records, a move of
one pixel ends it, wheel and button release do not, every button press, a key and Alt alone do;
each end leaves the process's exit and "OnDestroy" as the trace file's last line."""

import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    c = L.Checks("input")
    bg = L.find_picture(args["art"], 673)
    s = L.Session(args["exe"], 1024, 768)
    try:
        s.write_registry(settings={"Enable sound": 0, "Pain": 3, "Subliminals": 1})
        runs = 0

        def ended(p, what):
            nonlocal runs
            rc = L.wait_exit(p, 5)
            c.check(rc == 0, f"{what} ends the saver (exit code {rc})")
            if rc is not None:
                runs += 1
                trace = s.read_trace()
                c.check(trace == "OnDestroy\n" * runs, f"after {what}: one more OnDestroy line ({trace.count('OnDestroy')})")

        def still_running(p, what):
            time.sleep(0.7)
            c.check(p.poll() is None, f"{what} does not end the saver")

        # The pointer's first position only records; repeating it closes nothing; one pixel does.
        s.xdotool("mousemove", 100, 100)
        p, ok = L.start_saver(s, bg)
        c.check(ok, "saver up")
        s.xdotool("mousemove", 100, 100)
        still_running(p, "the pointer's first position")
        s.xdotool("mousemove", 101, 100)
        ended(p, "a move of one pixel in x")

        # A button pressed before the saver started and released while it runs; the wheel.
        s.xdotool("mousedown", 1)
        p, ok = L.start_saver(s, bg)
        c.check(ok, "saver up with a button held")
        s.xdotool("mouseup", 1)
        still_running(p, "a button release")
        s.xdotool("click", 4)
        s.xdotool("click", 5)
        still_running(p, "the wheel")
        s.xdotool("click", 1)
        ended(p, "the left button")

        for what, action in (("the middle button", ("click", 2)), ("the right button", ("click", 3)),
                             ("a key", ("key", "a")), ("Alt alone", ("keydown", "Alt_L")),
                             ("Shift alone", ("keydown", "Shift_L"))):
            p, ok = L.start_saver(s, bg)
            c.check(ok, f"saver up for {what}")
            s.xdotool(*action)
            ended(p, what)
            if action[0] == "keydown":
                s.xdotool("keyup", action[1])
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
