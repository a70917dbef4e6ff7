"""Sound on the desktop through SDL's disk audio driver: with a clock fixed like the scene recorder's,
the cues start in the output at the ticks the recorder's log names (each relative to the cue before),
each recognisable by its loudness over time; with "Enable sound" 0 the output is silent."""

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
    path = next((os.path.join(d.replace("art", "sound"), f"{cue}.wav") for d in dirs
                 if os.path.exists(os.path.join(d.replace("art", "sound"), f"{cue}.wav"))), None)
    if path is None:
        raise H.Failure(f"sound {cue} not found")
    with wave.open(path, "rb") as w:
        return loudness(w.readframes(w.getnframes()), w.getframerate(), w.getnchannels())


def mismatch(out, start, tmpl, length):
    """Relative difference of the output's loudness from the cue's over `length` blocks (the first few
    blurred by the cut-off of the sound before and the device's buffer)."""
    o, t = out[start + 3:start + length], tmpl[3:length]
    return 9.0 if len(o) < len(t) or not t else sum(abs(a - b) for a, b in zip(o, t)) / (sum(t) or 1.0)


def play(s, c, bg, sound, seconds):
    """The saver's output over `seconds` with sound on or off, as loudness blocks."""
    out = os.path.join(s.home, f"audio{sound}.raw")
    s.write_registry(settings={"Enable sound": sound, "Pain": 4, "Subliminals": 0})
    p, ok = H.start_saver(s, bg, env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out,
                                      "MORGRAVE_TEST_CLOCK": str(CLOCK), "LD_PRELOAD": s.clock})
    time.sleep(seconds)
    p.send_signal(signal.SIGTERM)
    c.check(ok and H.wait_exit(p, 5) == 0, f"sound {sound}: saver up, ended by SIGTERM")
    with open(out, "rb") if os.path.exists(out) else open(os.devnull, "rb") as f:
        return loudness(f.read(), 44100, 2)  # the device format the saver asks for; the disk driver keeps it


def check(s, c, args):
    bg, s.clock = H.find_picture(args["art"], 673), args["clock"]
    c.check(not any(play(s, c, bg, 0, 6)), "sound off: the output is silent")
    log = os.path.join(s.home, "scene.txt")
    subprocess.run([args["recorder"], "--clock", str(CLOCK), "--ticks", str(SECONDS * 20 + 40), "--pain", "4",
                    "--subliminals", "0", "--sound", "1", "--size", "1024x768", "--log", log], check=True,
                   capture_output=True, timeout=120)
    cues = [(int(t[0]), int(t[2])) for t in map(str.split, H.read_lines(log)) if len(t) == 3 and t[1] == "cue"]
    c.check(len(cues) >= 3, f"the recorder predicts cues ({len(cues)})")
    out = play(s, c, bg, 1, SECONDS)
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
    sys.exit(H.main("sound", check, lambda a: H.Session(a["exe"], 1024, 768)))
