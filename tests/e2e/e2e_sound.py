"""Sound on the desktop through SDL's disk audio driver: with a clock fixed like the scene
recorder's, the cues start in the output at the ticks the recorder's log names (each relative to
the cue before), each recognisable by its loudness over time; with "Enable sound" 0 the output
is silent."""

import array
import os
import signal
import subprocess
import sys
import time
import wave

import e2e_lib as L

RATE, CHANNELS = 44100, 2   # the device format the saver asks for; the disk driver keeps it
BLOCK = RATE // 100         # 10 ms


def envelope_raw(path):
    data = array.array("h")
    with open(path, "rb") as f:
        data.frombytes(f.read())
    if sys.byteorder != "little":
        data.byteswap()
    left = data[0::CHANNELS]
    return [sum(abs(v) for v in left[i:i + BLOCK]) / BLOCK for i in range(0, len(left) - BLOCK + 1, BLOCK)]


def envelope_wav(path):
    with wave.open(path, "rb") as w:
        rate, width, n = w.getframerate(), w.getsampwidth(), w.getnframes()
        if width != 2 or w.getnchannels() != 1:
            raise L.Failure(f"{path}: not 16-bit mono")
        data = array.array("h")
        data.frombytes(w.readframes(n))
    if sys.byteorder != "little":
        data.byteswap()
    block = rate // 100
    return [sum(abs(v) for v in data[i:i + block]) / block for i in range(0, len(data) - block + 1, block)]


def find_sound(dirs, cue):
    for d in dirs:
        p = os.path.join(d, f"{cue}.wav")
        if os.path.exists(p):
            return p
    raise L.Failure(f"sound {cue} not found")


def match_error(out, start, tmpl, length):
    """Relative difference of the output's loudness from the cue's over `length` blocks."""
    skip = 3  # the cut-off of the sound before and the device's buffer blur the first blocks
    o = out[start + skip:start + length]
    t = tmpl[skip:length]
    if len(o) < len(t) or not t:
        return 9.0
    total = sum(t) or 1.0
    return sum(abs(a - b) for a, b in zip(o, t)) / total


def main():
    args = L.parse_common_args(sys.argv[1:])
    recorder, clock_lib = args.get("recorder"), args.get("clock")
    c = L.Checks("sound")
    bg = L.find_picture(args["art"], 673)
    sound_dirs = [d.replace("art", "sound") for d in args["art"]]
    s = L.Session(args["exe"], 1024, 768)
    try:
        clock = 1000000
        seconds = 14.0
        out = os.path.join(s.home, "audio.raw")
        env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out, "MORGRAVE_TEST_CLOCK": str(clock),
               "LD_PRELOAD": clock_lib}

        # Sound off: nothing is ever played, so the output stays silent (or is never opened).
        s.write_registry(settings={"Enable sound": 0, "Pain": 4, "Subliminals": 0})
        p, ok = L.start_saver(s, bg, env=env)
        c.check(ok, "saver up with sound off")
        time.sleep(6)
        p.send_signal(signal.SIGTERM)
        c.check(L.wait_exit(p, 5) == 0, "ended by SIGTERM")
        silent = not os.path.exists(out) or not any(open(out, "rb").read())
        c.check(silent, "sound off: the output is silent")
        if os.path.exists(out):
            os.remove(out)

        # Sound on, the clock fixed as the recorder's: the recorder names the cues and their ticks.
        log = os.path.join(s.home, "scene.txt")
        subprocess.run([recorder, "--clock", str(clock), "--ticks", str(int(seconds * 20) + 40), "--pain", "4",
                        "--subliminals", "0", "--sound", "1", "--size", "1024x768", "--log", log], check=True,
                       capture_output=True, timeout=120)
        cues = []
        with open(log) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and parts[1] == "cue":
                    cues.append((int(parts[0]), int(parts[2])))
        c.check(len(cues) >= 3, f"the recorder predicts cues ({len(cues)})")

        s.write_registry(settings={"Enable sound": 1, "Pain": 4, "Subliminals": 0})
        p, ok = L.start_saver(s, bg, env=env)
        c.check(ok, "saver up with sound on")
        time.sleep(seconds)
        p.send_signal(signal.SIGTERM)
        c.check(L.wait_exit(p, 5) == 0, "ended by SIGTERM")
        c.check(os.path.exists(out) and os.path.getsize(out) > 0, "sound on: the disk driver wrote output")
        env_out = envelope_raw(out) if os.path.exists(out) else []
        loud = [i for i, v in enumerate(env_out) if v > 200]
        c.check(bool(loud), "sound on: the output is not silent")
        if not loud or len(cues) < 3:
            return c.finish()

        # The device opens with the first cue, so the output's time 0 is about the first cue's
        # start. Each later cue must start (its ticks after the cue before) x 50 ms after that
        # cue, give or take the timer's and the disk driver's own pacing (the driver sleeps a
        # buffer's length between writes, so its time runs a little slow).
        first_tick = cues[0][0]
        t0 = envelope_wav(find_sound(sound_dirs, cues[0][1]))
        n0 = min(len(t0), 60, (cues[1][0] - first_tick) * 5)
        prev_found, prev_tick = min(range(0, 30), key=lambda st: match_error(env_out, st, t0, n0)), first_tick
        matched, checked = 0, 0
        for k, (tick, cue) in enumerate(cues):
            gap = (tick - prev_tick) * 5
            expected = prev_found + gap
            nxt = cues[k + 1][0] if k + 1 < len(cues) else None
            tmpl = envelope_wav(find_sound(sound_dirs, cue))
            length = min(len(tmpl), 60, (nxt - tick) * 5 if nxt else 60)
            slack = 10 + gap // 5
            if expected + slack + length + 100 > len(env_out):
                break  # the run ended before this cue could be heard in full
            checked += 1
            best = min(range(max(expected - slack, 0), expected + slack + 1),
                       key=lambda st: match_error(env_out, st, tmpl, length))
            err = match_error(env_out, best, tmpl, length)
            matched += err < 0.4
            print(f"      cue {cue} at tick {tick}: expected block {expected}, found {best} (error {err:.2f})",
                  flush=True)
            prev_found, prev_tick = best, tick
        c.check(checked >= 3, f"{checked} predicted cues fall inside the run")
        # A machine under load stretches the timer's and the driver's pacing now and then; a cue
        # that is missing, wrong or unconverted does not match at all.
        c.check(matched >= max(3, (3 * checked + 3) // 4),
                f"the cues start where the scene log puts them ({matched} of {checked})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
