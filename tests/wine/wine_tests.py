"""The Windows saver under Wine on Xvfb, one case a test, each in a fresh prefix (win64 where 32-bit cannot run)."""

import os
import re
import sys
import time

import harness as H

NAMES = ("Enable sound", "Pain", "Subliminals")


def case_startup(w, c, args):
    """The settings key a first start writes, arguments of no mode ending at once, values written back
    unchanged, a value longer than 4 bytes replaced by its default."""
    c.check(w.reg_values() == {}, "a fresh prefix has no settings yet")
    t0 = time.time()
    rc, _ = w.call("/x")
    first = time.time() - t0
    c.check(rc == 0 and w.dwords(*NAMES) == (1, 3, 1) and len(w.reg_values()) == 3,
            f"an unknown argument ends the process ({rc}) after writing the defaults alone ({w.reg_values()})")
    # Arguments that match no mode end just as quickly, with no window left behind.
    for arg in ("//s", "/s:0", "/save", "-"):
        t0 = time.time()
        rc, _ = w.call(arg)
        c.check(rc == 0 and time.time() - t0 < first + 10, f"'{arg}' ends at once (exit code {rc})")
    # Stored values come back unchanged, whatever they are; one too long for 4 bytes becomes the default.
    w.reg_set(H.SETTINGS_KEY, {"Pain": "0900000000000000"}, "REG_BINARY")
    w.reg_set(H.SETTINGS_KEY, {"Subliminals": 0, "Enable sound": 4294967295})
    w.call("/x")
    c.check(w.dwords(*NAMES) == (0xFFFFFFFF, 3, 0), f"an 8-byte Pain becomes REG_DWORD 3, 0 and -1 stay ({w.reg_values()})")
    w.reg_set(H.SETTINGS_KEY, {"Pain": 9})
    w.call("/x")
    c.check(w.dwords("Pain") == (9,), "a stored Pain of 9 is written back unchanged")


def case_seam(w, c, args):
    """SeamProbe: each function of the Windows back-end against real Win32 results."""
    rc, out = w.call(program="SeamProbe.exe", timeout=120)
    print(out, end="")
    c.check(rc == 0 and "FAIL" not in out, f"SeamProbe finished with exit code {rc}, no check failed")


def case_fullscreen(w, c, args):
    """/s at 1024x768: the window covers the virtual screen, the chamber centred on black after the title,
    doors moving; a one-pixel move, a key, a button close it, the first move and the wheel do not."""
    bg, title = H.find_picture(args["art"], 673), H.find_picture(args["art"], 670)
    # Sound on with no audio device: the cues must fail quietly.
    w.reg_set(H.SETTINGS_KEY, {"Enable sound": 1, "Pain": 4, "Subliminals": 1})
    ox, oy = H.centred(w)
    # (what does not close it, what does); the first move is Wine's own at the pointer's place.
    for runs, (harmless, closing) in enumerate(((None, "mousemove 4 3"), ("click 4 click 5", "key shift"),
                                                (None, "click 3")), 1):
        w.xdotool("mousemove", 3, 3)
        p = w.start("/s")
        saw_title = H.watch_start(w, p, bg, title, 90)
        c.check(H.saver_up(w, p, bg, 30), "the chamber's background is on the screen")
        time.sleep(1.0)
        if runs == 1:
            c.check(saw_title, "the title was on the screen before the first frame")
            H.check_chamber(c, w.screenshot(), bg, ox, oy)
            rc, out = w.probe("saverrect")
            n = [int(v) for v in out.split() if v.lstrip("-").isdigit()]
            c.check(rc == 0 and len(n) == 8 and n[:4] == [n[4], n[5], n[4] + n[6], n[5] + n[7]],
                    f"the window covers the virtual screen ({out.strip()})")
            c.check(H.animates(w, ox, oy, 60), "the chamber changes over time (doors animating)")
        w.xdotool(*(harmless or "").split(), "sleep", 1.5)
        c.check(p.poll() is None, f"the first move and '{harmless}' do not close it")
        w.xdotool(*closing.split())
        rc = H.wait_exit(p, 15)
        c.check(rc == 0 and w.read_trace() == "OnDestroy\n" * runs, f"'{closing}' ends it ({rc}), one more OnDestroy")


CALL = re.compile(r"MULTIMEDIA_PlaySound pszSound='([0-9A-Fa-f]+)' hmod=([0-9A-Fa-f]+) fdwSound=([0-9A-Fa-f]+)")


def run_traced(w, c, bg, sound, seconds):
    """Runs /s for `seconds` with Wine's winmm trace (Pain 4: a door starts within a second or two);
    the PlaySound calls and the trace."""
    w.reg_set(H.SETTINGS_KEY, {"Pain": 4, "Enable sound": sound})
    log = os.path.join(w.home, f"winmm{sound}.log")
    w.xdotool("mousemove", 3, 3)
    with open(log, "w") as err:
        p = w.start("/s", env={"WINEDEBUG": "trace+winmm"}, stderr=err)
        up = H.saver_up(w, p, bg, 90)
        time.sleep(seconds)
        c.check(up and p.poll() is None, f"the saver ran with sound {sound} and no audio device")
        p.kill()
        p.wait(10)
    text = open(log, errors="replace").read()
    return [m.groups() for m in CALL.finditer(text)], text


def case_sound(w, c, args):
    """Every cue through PlaySoundA as a WAVE resource of the saver's own module, asynchronously, seen in
    Wine's winmm trace (no audio device needed); with "Enable sound" 0 nothing is played."""
    bg = H.find_picture(args["art"], 673)
    calls, text = run_traced(w, c, bg, 1, 20)
    ids = [int(x[0], 16) for x in calls]
    c.check(len(ids) >= 3 and ids[0] == 871, f"doors asked for cues, the opening step's 871 first ({ids})")
    c.check(all(int(x[2], 16) == 0x40005 for x in calls), "each with SND_RESOURCE | SND_ASYNC (0x40005)")
    c.check(len({x[1] for x in calls}) == 1 and int(calls[0][1], 16) != 0, "each from the saver's own module")
    c.check("ParentChunk ckid=RIFF fccType=WAVE" in text, "the WAVE resources were found and read")
    c.check(not run_traced(w, c, bg, 0, 15)[0], "Enable sound 0: no PlaySound call at all")


def case_password(w, c, args):
    """With the test services beside the saver: a Password.cpl that refuses, then accepts (8/9 trace
    pairs, three swallowed moves), inputs during the check, no service; MPR.DLL's password change."""
    bg, pwd_log = H.find_picture(args["art"], 673), os.path.join(w.saver_dir, "pwd.log")
    w.reg_set(H.SETTINGS_KEY, {"Enable sound": 0})
    w.reg_set(H.DESKTOP_KEY, {"ScreenSaveUsePassword": 1})

    def run(what, answers, wait_ms=0):
        """The saver up with the service answering `answers`, then a key."""
        for f in (pwd_log, w.trace):
            if os.path.exists(f):
                os.remove(f)
        w.xdotool("mousemove", 3, 3)
        p = w.start("/s", env={"MG_PWD_LOG": r"C:\saver\pwd.log", "MG_PWD_ANSWERS": answers, "MG_PWD_WAIT_MS": str(wait_ms)})
        c.check(H.saver_up(w, p, bg, 90), f"{what}: the saver is up")
        time.sleep(1.0)
        w.xdotool("key", "a")
        return p

    # Refused, then three moves swallowed, then the fourth asks again and is accepted.
    p = run("refused", "01")
    c.check(H.wait_until(lambda: w.read_trace() == "8\n9\n", 15, 0.1), f"one check: 8, 9 ({w.read_trace()!r})")
    time.sleep(1.0)
    c.check(p.poll() is None, "a refused password keeps the saver running")
    w.xdotool("mousemove", 300, 400, "sleep", 0.7, "mousemove", 500, 400, "sleep", 0.7, "mousemove", 700, 400, "sleep", 0.7)
    c.check(p.poll() is None and w.read_trace() == "8\n9\n", "three moves far away are swallowed")
    w.xdotool("mousemove", 701, 400)
    c.check(H.wait_exit(p, 15) == 0 and w.read_trace() == "8\n9\n8\n9\nOnDestroy\n",
            f"the fourth move asks again; accepted, the saver ends ({w.read_trace()!r})")
    calls = [line.split() for line in H.read_lines(pwd_log)]
    c.check([x[2] for x in calls] == ["0", "1"] and all(x[1] == "1" and x[0] == calls[0][0] for x in calls),
            f"answered no, then yes; each check got the saver's live window, the same both times ({calls})")

    # A second closing input while the service's own loop runs does nothing more.
    p = run("a slow service", "1", 4000)
    w.xdotool("sleep", 1.5, "key", "b", "click", 1)
    rc = H.wait_exit(p, 20)
    c.check(rc == 0 and len(H.read_lines(pwd_log)) == 1 and w.read_trace() == "8\n9\nOnDestroy\n",
            f"accepted after the wait, the saver ends; inputs during the check start no second one ({rc})")

    # No service at all: the saver closes, no 8/9 lines.
    os.remove(os.path.join(w.saver_dir, "Password.cpl"))
    p = run("no Password.cpl", "0")
    rc = H.wait_exit(p, 15)
    c.check(rc == 0 and w.read_trace() == "OnDestroy\n", f"no service lets it close, no 8/9 ({rc}, {w.read_trace()!r})")

    # The password change: "SCRSAVE", the owner from argument 2, 0, 0; without MPR.DLL it ends quietly.
    env = {"MG_MPR_LOG": r"C:\saver\mpr.log", "WINEDLLOVERRIDES": w.env["WINEDLLOVERRIDES"] + ";mpr=n"}
    mpr_log = os.path.join(w.saver_dir, "mpr.log")
    for argv, want in ((("/a", "1234"), "SCRSAVE 1234 0 0"), (("-A", "+77abc"), "SCRSAVE 77 0 0")):
        rc, _ = w.call(*argv, env=env)
        c.check(rc == 0 and H.read_lines(mpr_log)[-1:] == [want], f"{argv}: {want} ({rc}, {H.read_lines(mpr_log)})")
    os.remove(os.path.join(w.saver_dir, "MPR.DLL"))
    t0 = time.time()
    rc, _ = w.call("/a", "1234", env=env)
    c.check(rc is not None and time.time() - t0 < 30, f"no MPR.DLL: ends quietly (rc {rc})")


PX, PY = 100, 100  # where PreviewHost puts the parent's client area


def in_process(w, c, pic, width, height, tolerance=8):
    """PreviewHost with the saver in-process: the picture on white in a width x height parent."""
    p = w.start("inproc", str(width), str(height), "8", program="PreviewHost.exe")
    c.check(p.stdout.readline().startswith("parent "), "the host made its parent window")
    x, y = max((width - pic.width) // 2, 0), max((height - pic.height) // 2, 0)
    vis_w, vis_h = min(pic.width, width - x), min(pic.height, height - y)
    spots = [(0, 0), (vis_w - 1, 0), (0, vis_h - 1), (vis_w - 1, vis_h - 1), (vis_w // 2, vis_h // 2),
             (vis_w // 3, vis_h // 4)]
    whites = [(0, 0), (width - 1, height - 1), (x - 1, y), (x, y - 1), (x + pic.width, y + pic.height - 1)] if x and y else []

    def shown():
        shot = w.screenshot()
        return (all(H.close_colour(shot.pixel(PX + x + u, PY + y + v), pic.pixel(u, v), tolerance) for u, v in spots) and
                all(shot.pixel(PX + u, PY + v) == H.WHITE for u, v in whites) and
                shot.pixel(PX + width, PY + height // 2) == H.BLACK)

    c.check(H.wait_until(shown, 60, 0.3), f"{width}x{height}: picture 873 at ({x},{y}) on white, nothing beside the parent")
    rc = H.wait_exit(p, 60)
    out = p.stdout.read().strip() if rc is not None else ""
    c.check(rc == 0 and out.startswith("ended "), f"{width}x{height}: the saver's loop ends with its parent ({out!r})")


def case_preview(w, c, args):
    """/p: Wine shows a child's drawing only when its parent belongs to the same process, so PreviewHost
    runs the saver in-process for the picture; the real .scr in its own process must end with its parent."""
    pic = H.find_picture(args["art"], 873)
    w.xdotool("mousemove", 1000, 700)
    for width, height in ((200, 150), (100, 100)):
        in_process(w, c, pic, width, height)
    # The real .scr in its own process: runs until the parent goes, then ends by itself, in time.
    p = w.start("spawn", "200", "150", "6", w.path("Morgrave.scr"), program="PreviewHost.exe")
    rc = H.wait_exit(p, 90)
    ended = [ln.split() for ln in (p.stdout.read() if rc is not None else "").splitlines() if ln.startswith("ended ")]
    c.check(rc == 0 and len(ended) == 1 and ended[0][1] == "0" and int(ended[0][2]) < 10000,
            f"the .scr process ends with exit code 0 within 10 s of its parent ({ended})")


TITLE = "Morgrave Viduzev Glimmerfiend"


def shown(w, *argv, title=TITLE):
    """Starts the saver with `argv` and waits for the dialog; (process, its controls, its window line)."""
    p = w.start(*argv) if argv != (None,) else None
    ok = w.probe("find", title, "60000", timeout=90)[0] == 0
    dump = w.probe("dialog", title)[1]
    return p, H.controls(dump) if ok else {}, (dump.splitlines() or [""])[0]


def keys(w, *names, focus=True):
    """Pointer onto the dialog's caption and a click there first: the dialog becomes the active window and
    takes the keyboard (there is no window manager to give it focus)."""
    if focus:
        left, top, right, _ = [int(v) for v in w.probe("rect", TITLE)[1].split()]
        w.xdotool("mousemove", (left + right) // 2, top + 8, "sleep", 0.3, "click", 1)
    w.xdotool("sleep", 0.3, "key", "--delay", 300, *names)


def case_settings(w, c, args):
    """/c, /c:<window> and no argument: the live controls for stored values in and out of range, Cancel
    and OK storing, the owner, credits and legal from the system menu with the settings disabled meanwhile."""
    # No window manager here: Wine draws the dialogs' frames and gives them the keyboard itself.
    w.reg_set(r"HKCU\Software\Wine\X11 Driver", {"Managed": "N"}, "REG_SZ")
    # /c with stored values outside the controls' ranges; Escape cancels.
    w.reg_set(H.SETTINGS_KEY, dict(zip(NAMES, (7, 9, 2))))
    p, ctrls, top = shown(w, "/c")
    slider = ctrls.get(1009, {})
    c.check((slider.get("pos"), slider.get("min"), slider.get("max")) == ("4", "1", "4") and
            ctrls[1010]["text"] == "Weird" and ctrls[1008]["check"] == "0",
            "Pain 9: slider at 4 of 1..4, Weird; sound 7 unchecked")
    c.check(top.startswith("window style=0x9") and "owner=no" in top, "a visible popup dialog with no owner")
    keys(w, "Escape")
    c.check(H.wait_exit(p, 15) == 0 and w.dwords(*NAMES) == (0, 9, 2),
            f"Escape cancels: 0 stored for the out-of-range box, Pain 9 and Subliminals 2 kept ({w.reg_values()})")

    # /c:<window>, as the Screen Saver Settings page passes its own window: owned by it.
    host = w.start("inproc", "200", "150", "90", program="PreviewHost.exe")
    handle = host.stdout.readline().split()[-1]
    p, ctrls, top = shown(w, f"/c:{handle}")
    c.check(ctrls and "owner=yes" in top, f"/c:{handle} shows the settings dialog owned by it")
    w.probe("post", TITLE, "0x111", "2", "0")  # WM_COMMAND IDCANCEL
    c.check(H.wait_exit(p, 15) == 0, "and Cancel ends it")
    host.kill()

    # No argument: the same dialog; the system menu's items open credits and legal.
    w.reg_set(H.SETTINGS_KEY, dict(zip(NAMES, (1, 3, 1))))
    p, ctrls, _ = shown(w)
    c.check((ctrls[1009]["pos"], ctrls[1010]["text"], ctrls[1008]["check"], ctrls[1011]["check"]) == ("3", "Twisted", "1", "1"),
            "no argument: both boxes checked, slider 3, Twisted")
    for command, title, cid in ((0x10, "Torturers", 1014), (0x20, "Legalities", 1015)):
        w.probe("post", TITLE, "0x112", str(command), "0")
        _, sub, _ = shown(w, None, title=title)
        text = sub.get(cid, {}).get("text", "")
        c.check(text.startswith("Programming:") and "\\nPrevious\\n" in text if cid == 1014 else
                len(text) > 40 and int(sub[cid]["style"], 16) & 0x800, f"system command {command} opens {title} with its text")
        c.check("enabled=0" in shown(w, None)[2], f"settings disabled under {title}")
        w.probe("post", title, "0x111", "1", "0")
        c.check(w.probe("gone", title, "10000")[0] == 0 and "enabled=1" in shown(w, None)[2],
                f"{title} closes, settings enabled")

    # OK through the keyboard: Tab to the slider, one step left (the label follows), Tab, Space, Enter.
    keys(w, "Tab", "Tab", "Tab", "Left", "sleep", 0.3)
    c.check(shown(w, None)[1].get(1010, {}).get("text") == "Tortuous", "the label follows the slider")
    keys(w, "Tab", "space", "Return", focus=False)
    c.check(H.wait_exit(p, 20) == 0 and w.dwords(*NAMES) == (1, 2, 0), "OK stores sound 1, Pain 2, Subliminals 0")


CAPTION = "Unsupported Screen Mode"


def case_8bit(w, c, args):
    """An 8-bit display: /s refuses with its message box and ends once it is closed; the preview still draws."""
    p = w.start("/s")
    rc, _ = w.probe("find", CAPTION, "60000", timeout=90)
    texts = [f["text"] for f in H.controls(w.probe("dialog", CAPTION)[1]).values()]
    c.check(rc == 0 and "This Glimmerfiend requires 16-bit colour mode or higher to run." in texts and
            texts.count("OK") == 1 and not {"Cancel", "&Yes", "&No"} & set(texts), f"/s shows the box, one OK ({texts})")
    time.sleep(1.0)
    c.check(p.poll() is None, "the saver waits for the box to be closed")
    w.probe("post", CAPTION, "0x111", "1", "0")
    rc = H.wait_exit(p, 20)
    c.check(rc is not None and w.read_trace() in ("", "OnDestroy\n"), f"closing it ends the process ({rc})")
    # The refusal belongs to full screen only: the preview draws its picture on white.
    p = w.start("inproc", "200", "150", "6", program="PreviewHost.exe")
    c.check(H.wait_until(lambda: H.close_colour(w.screenshot().pixel(101, 101), H.WHITE), 60, 0.3) and
            w.screenshot().pixel(100 + 26 + 73, 100 + 13 + 62) != H.WHITE, "the preview paints white and its picture")
    c.check(H.wait_exit(p, 60) == 0, "the preview ends with its parent")


CASES = {
    "startup": (case_startup, {}),
    "seam": (case_seam, dict(helpers=("SeamProbe.exe",))),
    "fullscreen": (case_fullscreen, {}),
    "sound": (case_sound, {}),
    "password": (case_password, dict(helpers=("Password.cpl", "MPR.DLL"))),
    "preview": (case_preview, {}),
    "settings": (case_settings, {}),
    "8bit": (case_8bit, dict(depth=8)),
}

if __name__ == "__main__":
    case, world = CASES[H.parse_args(sys.argv[1:])["case"]]
    sys.exit(H.main(f"wine {case.__name__[5:]}", case, lambda a: H.WineWorld(a, **world)))
