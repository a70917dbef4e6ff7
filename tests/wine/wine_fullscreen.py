"""Full screen (/s) under Wine at 1024x768: the chamber centred on black, the title while the
pictures load, doors moving; which input closes the saver (a key, a button, a one-pixel move) and
which does not (the first move, the wheel); "OnDestroy" in C:\\trace.txt at the end."""

import sys
import time

import wine_lib as W

L = W.L
WIDTH, HEIGHT = 1024, 768


def start_and_wait_for_chamber(w, c, bg, title, check_title):
    ox, oy = (WIDTH - 640) // 2, (HEIGHT - 480) // 2
    tx, ty = (WIDTH - title.width) // 2, (HEIGHT - title.height) // 2
    cx, cy = WIDTH // 2, HEIGHT // 2
    title_at_centre = title.pixel(cx - tx, cy - ty)
    bg_at_centre = bg.pixel(cx - ox, cy - oy)
    (ax, ay), _ = L.landmarks(bg)
    p = w.start("/s")
    saw_title = False
    up = False
    deadline = time.time() + 90
    while time.time() < deadline and p.poll() is None:
        shot = w.screenshot()
        here = shot.pixel(cx, cy)
        if L.close_colour(here, title_at_centre) and not L.close_colour(here, bg_at_centre):
            saw_title = True
        if L.close_colour(shot.pixel(ox + ax, oy + ay), bg.pixel(ax, ay)) and L.close_colour(here, bg_at_centre):
            up = True
            break
        time.sleep(0.02)
    c.check(up, "the chamber's background is on the screen")
    if check_title and title_at_centre != bg_at_centre:
        c.check(saw_title, "the title was on the screen before the first frame")
    return p


def check(w, c, args):
    bg = L.find_picture(args["art"], 673)
    title = L.find_picture(args["art"], 670)
    ox, oy = (WIDTH - 640) // 2, (HEIGHT - 480) // 2
    # Sound on with no audio device: the cues must fail quietly.
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 1)
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 4)
    w.reg_set(W.SETTINGS_KEY, "Subliminals", "REG_DWORD", 1)
    w.xdotool("mousemove", 3, 3)

    # 1. The picture, the doors over time, and a one-pixel move.
    p = start_and_wait_for_chamber(w, c, bg, title, True)
    time.sleep(1.0)
    shot = w.screenshot()
    for lx, ly in L.landmarks(bg):
        c.check(L.close_colour(shot.pixel(ox + lx, oy + ly), bg.pixel(lx, ly)), f"background's landmark at ({ox + lx},{oy + ly})")
    c.check(shot.pixel(ox - 1, oy) == (0, 0, 0) and shot.pixel(0, 0) == (0, 0, 0), "black left of the chamber")
    c.check(shot.pixel(ox, oy - 1) == (0, 0, 0), "black above the chamber")
    c.check(shot.pixel(WIDTH - 1, HEIGHT - 1) == (0, 0, 0), "black at the far corner of the screen")
    rc, out = w.probe("saverrect")
    nums = [int(v) for v in out.split() if v.lstrip("-").isdigit()]
    c.check(rc == 0 and len(nums) == 8 and nums[:4] == [nums[4], nums[5], nums[4] + nums[6], nums[5] + nums[7]],
            f"the window covers the virtual screen ({out.strip()})")
    base = shot.region_hash(ox, oy, ox + 640, oy + 480)
    changed = W.wait_until(lambda: w.screenshot().region_hash(ox, oy, ox + 640, oy + 480) != base, 60, 0.25)
    c.check(changed, "the chamber changes over time (doors animating)")
    c.check(p.poll() is None, "still running without input")
    w.xdotool("mousemove", 4, 3)
    rc = W.wait_exit(p, 15)
    c.check(rc == 0, f"a one-pixel move ends it with exit code 0 (got {rc})")
    c.check(w.read_trace() == "OnDestroy\n", f"the trace file holds OnDestroy (got {w.read_trace()!r})")

    # 2. The first move (Wine's own at the pointer's place when the window appears) and the
    # wheel close nothing; a key does.
    p = start_and_wait_for_chamber(w, c, bg, title, False)
    time.sleep(1.5)
    c.check(p.poll() is None, "the first mouse-move message does not close it")
    w.xdotool("click", 4)
    w.xdotool("click", 5)
    time.sleep(1.5)
    c.check(p.poll() is None, "the wheel does not close it")
    w.xdotool("key", "shift")
    rc = W.wait_exit(p, 15)
    c.check(rc == 0, f"a key (Shift alone) ends it (got {rc})")

    # 3. A button.
    p = start_and_wait_for_chamber(w, c, bg, title, False)
    time.sleep(1.0)
    w.xdotool("click", 3)
    rc = W.wait_exit(p, 15)
    c.check(rc == 0, f"a right button press ends it (got {rc})")
    c.check(w.read_trace() == "OnDestroy\n" * 3, f"one OnDestroy per run, appended (got {w.read_trace()!r})")


if __name__ == "__main__":
    sys.exit(W.main("wine full screen", check, WIDTH, HEIGHT))
