"""The desktop password check with services that refuse, accept, crash, abort, exit, hang or are no service."""

import os
import shutil
import signal
import sys
import time

import harness as H


def check(s, c, args):
    bg, modules = H.find_picture(args["art"], 673), args["modules"]
    log = os.path.join(s.home, "password-calls.txt")
    calls = lambda: sum(line.startswith("verify") for line in H.read_lines(log))  # noqa: E731
    s.write_registry(settings={"Enable sound": 0}, password_flag=1)
    env = {"MORGRAVE_MODULE_DIR": os.path.join(modules, "refuse"), "MORGRAVE_TEST_PASSWORD_LOG": log}

    def run(kind, folder, closing="key space", cwd=None, **more):
        """A saver with that service folder, and a closing input; the process."""
        if os.path.exists(s.trace):
            os.remove(s.trace)
        env.update(MORGRAVE_MODULE_DIR=folder, **more)
        p = s.start("s", env=env, cwd=cwd)
        c.check(H.saver_up(s, p, bg), f"{kind}: the saver is up")
        s.xdotool(*closing.split())
        return p

    def stopped(p, kind, trace):
        p.send_signal(signal.SIGTERM)
        c.check(H.wait_exit(p, 5) == 0 and s.read_trace() == trace, f"{kind}: SIGTERM ends it, trace {s.read_trace()!r}")

    s.xdotool("mousemove", 400, 300)
    p = run("refuse", env["MORGRAVE_MODULE_DIR"], "mousemove 410 300")
    c.check(H.wait_until(lambda: calls() == 1, 5), "a move away asks the service once")
    time.sleep(0.5)
    c.check(p.poll() is None and s.read_trace() == "8\n9\n", f"refused: running, one 8/9 pair ({s.read_trace()!r})")
    s.xdotool("mousemove", 20, 20, "sleep", 0.3, "mousemove", 700, 500, "sleep", 0.3, "mousemove", 300, 100, "sleep", 0.3)
    c.check(calls() == 1 and p.poll() is None, "the next three moves are swallowed")
    s.xdotool("mousemove", 600, 200)
    c.check(H.wait_until(lambda: calls() == 2, 5), "the fourth move asks again")
    time.sleep(0.3)
    stopped(p, "refuse", "8\n9\n8\n9\nOnDestroy\n")

    for kind, trace in (("accept", "8\n9\nOnDestroy\n"), ("empty", "OnDestroy\n")):  # no service: closes
        p = run(kind, os.path.join(modules if kind == "accept" else s.home, kind), "click 1")
        c.check(H.wait_exit(p, 5) == 0 and s.read_trace() == trace, f"{kind}: the saver ends, trace {s.read_trace()!r}")
    c.check(calls() == 3, "the accepting service was asked")

    # Broken services: the check runs apart from the saver, so none of these ends it.
    bad = os.path.join(s.home, "bad")
    os.makedirs(bad)
    with open(os.path.join(modules, "accept", "password.so"), "rb") as f, open(os.path.join(bad, "password.so"), "wb") as o:
        o.write(f.read(4096))  # truncated: dlopen itself dies of SIGBUS on it
    for kind in ("crash", "abort", "exit", "truncated"):
        p = run(kind, bad if kind == "truncated" else os.path.join(modules, kind))
        c.check(H.wait_until(lambda: s.read_trace() == "8\n9\n", 5), f"{kind}: the service was tried")
        time.sleep(0.5)
        c.check(p.poll() is None, f"{kind}: counts as refused, the saver keeps running")
        stopped(p, kind, "8\n9\nOnDestroy\n")

    before = calls()
    p = run("hang", os.path.join(modules, "hang"))
    c.check(H.wait_until(lambda: calls() == before + 1, 5), "hang: the service is asked")
    s.xdotool("key", "a")
    time.sleep(0.5)
    c.check(p.poll() is None and calls() == before + 1, "hang: more input during the check asks nothing")
    helper = int(H.read_lines(log)[-1].split()[-1])
    stopped(p, "hang", "8\n9\nOnDestroy\n")
    c.check(H.wait_until(lambda: not os.path.exists(f"/proc/{helper}"), 2), "hang: and the check's process too")

    # A FIFO where the service would be, and a service only a relative HOME would find: no service.
    os.remove(os.path.join(bad, "password.so"))
    os.mkfifo(os.path.join(bad, "password.so"))
    rel = os.path.join(s.home, "rel", ".local", "lib", "morgrave")
    os.makedirs(rel)
    shutil.copy(os.path.join(modules, "refuse", "password.so"), rel)
    for kind, folder, more in (("fifo", bad, {}), ("relative HOME", None, {"HOME": "rel"})):
        before = calls()
        p = run(kind, folder, cwd=s.home, **more)
        rc = H.wait_exit(p, 5)
        c.check(rc == 0 and calls() == before and s.read_trace() == "OnDestroy\n",
                f"{kind}: no service, the saver ends (exit code {rc}, trace {s.read_trace()!r})")


if __name__ == "__main__":
    sys.exit(H.main("password", check, lambda a: H.Session(a["exe"], 800, 600)))
