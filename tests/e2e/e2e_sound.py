"""Sound through SDL's disk driver at the scene recorder's fixed clock: cues where its log puts them."""

import array
import os
import signal
import subprocess
import sys
import time
import wave

import harness as H

CLOCK, SECONDS = 1000000, 14


def loudness(samples, rate, channels):
    """Mean loudness of the first channel per 10 ms block."""
    data = array.array("h", samples)
    if sys.byteorder != "little":
        data.byteswap()
    left, block = data[0::channels], rate // 100
    return [sum(map(abs, left[i:i + block])) / block for i in range(0, len(left) - block + 1, block)]


def cue_loudness(dirs, cue):
    with wave.open(H.find_file([d.replace("art", "sound") for d in dirs], f"{cue}.wav"), "rb") as w:
        return loudness(w.readframes(w.getnframes()), w.getframerate(), w.getnchannels())


def mismatch(out, start, tmpl, length):
    """Relative difference of the output's loudness from the cue's over `length` blocks (the first few
    blurred by the cut-off of the sound before and the device's buffer)."""
    o, t = out[start + 3:start + length], tmpl[3:length]
    return 9.0 if len(o) < len(t) or not t else sum(abs(a - b) for a, b in zip(o, t)) / (sum(t) or 1.0)


def play(s, c, args, stored, seconds, *options, window=None):
    """The saver over `seconds` with these stored sound, Pain and Subliminals (and options after "s"), in
    XScreenSaver's `window` or full screen, ended by SIGTERM: the output's loudness blocks, what it
    printed, whether the store stayed as it was."""
    out = os.path.join(s.home, "audio.raw")
    if os.path.exists(out):
        os.remove(out)
    s.write_registry(settings=dict(zip(("Enable sound", "Pain", "Subliminals"), stored)))
    before = open(s.registry, "rb").read()
    p = s.start("s", *options, env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out, "LD_PRELOAD": args["clock"],
                                    "MORGRAVE_TEST_CLOCK": str(CLOCK), "XSCREENSAVER_WINDOW": window and f"0x{window.id:x}"})
    ok = window or H.saver_up(s, p, H.find_picture(args["art"], 673))
    time.sleep(seconds)
    p.send_signal(signal.SIGTERM)
    c.check(ok and H.wait_exit(p, 5) == 0, f"stored {stored}, options {options}: up, ended by SIGTERM")
    with open(out, "rb") if os.path.exists(out) else open(os.devnull, "rb") as f:
        # The device format the saver asks for; the disk driver keeps it.
        return loudness(f.read(), 44100, 2), p.stdout.read(), open(s.registry, "rb").read() == before


def scene_cues(s, args, pain, ticks):
    """(tick, cue) of each cue in the scene recorder's log at the fixed clock."""
    log = os.path.join(s.home, "scene.txt")
    subprocess.run([args["recorder"], "--clock", str(CLOCK), "--ticks", str(ticks), "--pain", str(pain), "--subliminals",
                    "0", "--sound", "1", "--size", "1024x768", "--log", log], check=True, capture_output=True, timeout=120)
    return [(int(t[0]), int(t[2])) for t in map(str.split, H.read_lines(log)) if len(t) == 3 and t[1] == "cue"]


def case_options(s, c, args):
    # At this clock Pain 4 opens doors with sound in the first 6 seconds, Pain 1 none.
    c.check(not scene_cues(s, args, 1, 120) and len(scene_cues(s, args, 4, 120)) >= 2, "the scene log: cues at Pain 4 only")
    win = H.ParentWindow(s, 0, 0, 800, 600)
    for stored, options, loud in (((0, 1, 0), ("--pain", "4", "--bogus", "--sound", "1"), True),
                                  ((1, 4, 0), ("--sound", "0"), False), ((1, 4, 0), ("--pain", "1"), False)):
        out, printed, kept = play(s, c, args, stored, 6, *options, window=win)
        c.check(any(out) == loud and kept, f"{options}: {'sound' if loud else 'silence'}, the store unchanged")
        c.check(printed.count("unknown option") == options.count("--bogus"), f"{options}: says so of --bogus only")
    win.destroy()


def case_sound(s, c, args):
    c.check(not any(play(s, c, args, (0, 4, 0), 6)[0]), "sound off: the output is silent")
    cues = scene_cues(s, args, 4, SECONDS * 20 + 40)
    c.check(len(cues) >= 3, f"the recorder predicts cues ({len(cues)})")
    out = play(s, c, args, (1, 4, 0), SECONDS)[0]
    c.check(any(v > 200 for v in out), "sound on: the output is not silent")
    if len(cues) < 3:
        return
    # The device opens with the first cue, so the output's time 0 is about its start. Each later cue
    # must start (its ticks after the cue before) x 50 ms after that cue, give or take the timer's and
    # the disk driver's own pacing (the driver sleeps a buffer's length between writes).
    t0 = cue_loudness(args["art"], cues[0][1])
    n0 = min(len(t0), 60, (cues[1][0] - cues[0][0]) * 5)
    prev_found, prev_tick, matched, checked = min(range(30), key=lambda b: mismatch(out, b, t0, n0)), cues[0][0], 0, 0
    for k, (tick, cue) in enumerate(cues):
        gap, tmpl = (tick - prev_tick) * 5, cue_loudness(args["art"], cue)
        expected, slack = prev_found + gap, 10 + gap // 5
        length = min(len(tmpl), 60, (cues[k + 1][0] - tick) * 5 if k + 1 < len(cues) else 60)
        if expected + slack + length + 100 > len(out):
            break  # the run ended before this cue could be heard in full
        best = min(range(max(expected - slack, 0), expected + slack + 1), key=lambda b: mismatch(out, b, tmpl, length))
        err = mismatch(out, best, tmpl, length)
        checked, matched = checked + 1, matched + (err < 0.4)
        print(f"      cue {cue} at tick {tick}: expected block {expected}, found {best} (error {err:.2f})", flush=True)
        prev_found, prev_tick = best, tick
    # Load stretches the pacing now and then; a cue that is missing, wrong or unconverted never matches.
    c.check(checked >= 3 and matched >= max(3, (3 * checked + 3) // 4),
            f"the cues start where the scene log puts them ({matched} of {checked})")


if __name__ == "__main__":
    sys.exit(H.main("sound", lambda s, c, a: (case_options if a.get("case") == "options" else case_sound)(s, c, a),
                    lambda a: H.Session(a["exe"], 1024, 768)))
