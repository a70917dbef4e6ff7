"""Sound under Wine: every cue goes through PlaySoundA as a WAVE resource of the saver's own module,
asynchronously (SND_RESOURCE | SND_ASYNC), and the resource is found and parsed; with "Enable sound"
0 nothing is played. Wine's winmm trace shows each call; no audio device is needed."""

import os
import re
import sys
import time

import wine_lib as W

L = W.L
CUES = {761, 762, 763, 764, 765, 766, 767, 768, 769, 774, 775, 860, 864, 869, 871}
CALL = re.compile(r"MULTIMEDIA_PlaySound pszSound='([0-9A-Fa-f]+)' hmod=([0-9A-Fa-f]+) fdwSound=([0-9A-Fa-f]+)")


def run_traced(w, seconds):
    """Runs /s for `seconds` with Wine's winmm trace; returns the trace lines."""
    log = os.path.join(w.tmp, "winmm.log")
    w.xdotool("mousemove", 3, 3)
    with open(log, "w") as err:
        p = w.start("/s", env={"WINEDEBUG": "trace+winmm"}, stderr=err)
        running = W.saver_up(w, p)
        time.sleep(seconds)
        alive = p.poll() is None
        p.kill()
        p.wait(10)
    with open(log, errors="replace") as f:
        return running and alive, f.read().splitlines()


def check(w, c, args):
    # Pain 4: a door starts within a second or two and asks for its cues.
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 4)
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 1)
    ok, lines = run_traced(w, 20)
    c.check(ok, "the saver ran with sound on and no audio device")
    calls = [CALL.search(line).groups() for line in lines if CALL.search(line)]
    ids = [int(x[0], 16) for x in calls]
    c.check(len(calls) >= 3, f"doors asked for cues ({ids})")
    c.check(ids[:1] == [871], f"the first cue is the opening step's 871 ({ids[:1]})")
    c.check(set(ids) <= CUES, f"only the saver's cue ids ({sorted(set(ids) - CUES)} unknown)")
    c.check(all(int(x[2], 16) == 0x40005 for x in calls), "each with SND_RESOURCE | SND_ASYNC (0x40005)")
    c.check(len({x[1] for x in calls}) == 1 and int(calls[0][1], 16) != 0 if calls else False,
            "each from the saver's own module")
    parsed = sum(1 for line in lines if "ParentChunk ckid=RIFF fccType=WAVE" in line)
    c.check(parsed >= 1, f"the WAVE resources were found and read ({parsed} parsed)")

    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 0)
    ok, lines = run_traced(w, 15)
    c.check(ok, "the saver ran with sound off")
    c.check(not any(CALL.search(line) for line in lines), "Enable sound 0: no PlaySound call at all")


if __name__ == "__main__":
    sys.exit(W.main("wine sound", check))
