"""Which input ends the full-screen saver: the first pointer position only records, a move of one pixel
ends it, wheel and button release do not, every button press, a key, Alt or Shift alone do; each end
leaves the process's exit and "OnDestroy" as the trace file's last line."""

import sys
import time

import harness as H

# (before the start, what does not end it, what ends it, after)
RUNS = (("mousemove 100 100", "mousemove 100 100", "mousemove 101 100", ""),
        ("mousedown 1", "mouseup 1;click 4;click 5", "click 1", ""),
        ("", "", "click 2", ""), ("", "", "click 3", ""), ("", "", "key a", ""),
        ("", "", "keydown Alt_L", "keyup Alt_L"), ("", "", "keydown Shift_L", "keyup Shift_L"))


def check(s, c, args):
    bg = H.find_picture(args["art"], 673)
    s.write_registry(settings={"Enable sound": 0, "Pain": 3, "Subliminals": 1})
    for runs, (before, harmless, closing, after) in enumerate(RUNS, 1):
        act = lambda steps: [s.xdotool(*step.split()) for step in steps.split(";") if step]  # noqa: E731
        act(before)
        p, ok = H.start_saver(s, bg)
        c.check(ok, f"saver up after '{before}'")
        act(harmless)
        time.sleep(0.7)
        c.check(p.poll() is None, f"'{harmless}' does not end the saver")
        act(closing)
        rc = H.wait_exit(p, 5)
        c.check(rc == 0 and s.read_trace() == "OnDestroy\n" * runs, f"'{closing}' ends it (exit code {rc}), OnDestroy")
        act(after)


if __name__ == "__main__":
    sys.exit(H.main("input", check, lambda a: H.Session(a["exe"], 1024, 768)))
