"""The password path under Wine with the test services built beside the saver: a "Password.cpl"
that refuses and then accepts (trace "8","9" pairs, three swallowed moves), a second closing input
during the check, a missing service, and an "MPR.DLL" whose PwdChangePasswordA records its call."""

import os
import sys
import time

import wine_lib as W

L = W.L


def check(w, c, args):
    pwd_log = os.path.join(w.saver_dir, "pwd.log")
    env = {"MG_PWD_LOG": r"C:\saver\pwd.log", "MG_PWD_ANSWERS": "01"}
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 0)
    w.reg_set(W.DESKTOP_KEY, "ScreenSaveUsePassword", "REG_DWORD", 1)
    w.xdotool("mousemove", 3, 3)

    # Refused, then three moves swallowed, then the fourth asks again and is accepted.
    p = w.start("/s", env=env)
    c.check(W.saver_up(w, p), "the saver is up")
    time.sleep(1.0)
    w.xdotool("key", "a")
    c.check(W.wait_until(lambda: w.read_trace() == "8\n9\n", 15), f"one check: 8, 9 (got {w.read_trace()!r})")
    time.sleep(1.0)
    c.check(p.poll() is None, "a refused password keeps the saver running")
    for x in (300, 500, 700):
        w.xdotool("mousemove", x, 400)
        time.sleep(0.7)
    c.check(p.poll() is None and w.read_trace() == "8\n9\n", "three moves far away are swallowed")
    w.xdotool("mousemove", 701, 400)
    rc = W.wait_exit(p, 15)
    c.check(rc == 0, f"the fourth move asks again; accepted, the saver ends (got {rc})")
    c.check(w.read_trace() == "8\n9\n8\n9\nOnDestroy\n", f"trace 8 9 8 9 OnDestroy (got {w.read_trace()!r})")
    calls = [line.split() for line in W.read_lines(pwd_log)]
    c.check([x[2] for x in calls] == ["0", "1"], f"the service answered no, then yes ({calls})")
    c.check(all(x[1] == "1" and x[0] == calls[0][0] for x in calls),
            "each check got the saver's live window handle, the same both times")

    # A second closing input while the service's own loop runs does nothing more.
    os.remove(pwd_log)
    os.remove(w.trace)
    w.xdotool("mousemove", 3, 3)
    p = w.start("/s", env={**env, "MG_PWD_ANSWERS": "1", "MG_PWD_WAIT_MS": "4000"})
    c.check(W.saver_up(w, p), "the saver is up again")
    time.sleep(1.0)
    w.xdotool("key", "a")
    time.sleep(1.5)
    w.xdotool("key", "b")
    w.xdotool("click", 1)
    rc = W.wait_exit(p, 20)
    c.check(rc == 0, f"accepted after the wait, the saver ends (got {rc})")
    n = len(W.read_lines(pwd_log))
    c.check(n == 1 and w.read_trace() == "8\n9\nOnDestroy\n",
            f"inputs during the check start no second one ({n} checks, trace {w.read_trace()!r})")

    # No service at all: the saver closes, no 8/9 lines.
    os.remove(os.path.join(w.saver_dir, "Password.cpl"))
    os.remove(w.trace)
    w.xdotool("mousemove", 3, 3)
    p = w.start("/s", env=env)
    c.check(W.saver_up(w, p), "the saver is up without a password service")
    time.sleep(1.0)
    w.xdotool("key", "a")
    rc = W.wait_exit(p, 15)
    c.check(rc == 0 and w.read_trace() == "OnDestroy\n",
            f"a missing Password.cpl lets it close, no 8/9 (rc {rc}, trace {w.read_trace()!r})")

    # The password change: "SCRSAVE", the owner from argument 2, 0, 0.
    mpr_env = {"MG_MPR_LOG": r"C:\saver\mpr.log", "WINEDLLOVERRIDES": w.env["WINEDLLOVERRIDES"] + ";mpr=n"}
    mpr_log = os.path.join(w.saver_dir, "mpr.log")
    rc, _ = w.run("/a", "1234", env=mpr_env, timeout=60)
    mpr = W.read_lines(mpr_log)
    c.check(rc == 0 and mpr == ["SCRSAVE 1234 0 0"], f"PwdChangePasswordA(SCRSAVE, 1234, 0, 0) (rc {rc}, {mpr})")
    rc, _ = w.run("-A", "+77abc", env=mpr_env, timeout=60)
    mpr = W.read_lines(mpr_log)
    c.check(rc == 0 and mpr[-1:] == ["SCRSAVE 77 0 0"], f"-A +77abc gives the handle 77 ({mpr[-1:]})")
    os.remove(os.path.join(w.saver_dir, "MPR.DLL"))
    t0 = time.time()
    rc, _ = w.run("/a", "1234", env=mpr_env, timeout=60)
    c.check(rc is not None and time.time() - t0 < 30, f"no MPR.DLL: ends quietly (rc {rc})")


if __name__ == "__main__":
    sys.exit(W.main("wine password", check, helpers=("Password.cpl", "MPR.DLL")))
