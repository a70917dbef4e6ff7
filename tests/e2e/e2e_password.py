"""The password check on the desktop: with the desktop flag on, a service that refuses keeps the
saver running, swallows the next three moves and asks again on the fourth, leaving "8","9" pairs
in the trace file; one that accepts ends it; the flag on with no service installed ends it. A
service that crashes, aborts, exits or is a truncated file refuses without ending the saver; one
that never answers leaves the saver responsive to SIGTERM; a FIFO or a service found through a
relative HOME is no service."""

import os
import shutil
import signal
import sys
import time

import e2e_lib as L


def main():
    args = L.parse_common_args(sys.argv[1:])
    c = L.Checks("password")
    bg = L.find_picture(args["art"], 673)
    modules = args["modules"]
    s = L.Session(args["exe"], 800, 600)
    try:
        log = os.path.join(s.home, "password-calls.txt")

        def clear_trace():
            if os.path.exists(s.trace):
                os.remove(s.trace)

        def calls():
            try:
                with open(log) as f:
                    return f.read().count("verify")
            except FileNotFoundError:
                return 0

        s.write_registry(settings={"Enable sound": 0}, password_flag=1)
        env = {"MORGRAVE_MODULE_DIR": os.path.join(modules, "refuse"), "MORGRAVE_TEST_PASSWORD_LOG": log}
        s.xdotool("mousemove", 400, 300)
        p, ok = L.start_saver(s, bg, env=env)
        c.check(ok, "saver up with a refusing service")
        s.xdotool("mousemove", 410, 300)
        c.check(L.wait_until(lambda: calls() == 1, 5), "a move away asks the service once")
        time.sleep(0.5)
        c.check(p.poll() is None, "refused: the saver keeps running")
        c.check(s.read_trace() == "8\n9\n", f"trace holds one 8/9 pair ({s.read_trace()!r})")
        for x, y in ((20, 20), (700, 500), (300, 100)):
            s.xdotool("mousemove", x, y)
            time.sleep(0.3)
        c.check(calls() == 1 and p.poll() is None, "the next three moves are swallowed")
        s.xdotool("mousemove", 600, 200)
        c.check(L.wait_until(lambda: calls() == 2, 5), "the fourth move asks again")
        time.sleep(0.3)
        c.check(s.read_trace() == "8\n9\n8\n9\n", f"two 8/9 pairs ({s.read_trace()!r})")
        p.send_signal(signal.SIGTERM)
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"SIGTERM ends it cleanly (exit code {rc})")
        c.check(s.read_trace() == "8\n9\n8\n9\nOnDestroy\n", "then OnDestroy")

        # A service that accepts: the first close request ends the saver.
        os.remove(s.trace)
        env["MORGRAVE_MODULE_DIR"] = os.path.join(modules, "accept")
        p, ok = L.start_saver(s, bg, env=env)
        c.check(ok, "saver up with an accepting service")
        s.xdotool("key", "space")
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"accepted: the saver ends (exit code {rc})")
        c.check(calls() == 3, "the service was asked")
        c.check(s.read_trace() == "8\n9\nOnDestroy\n", f"trace 8, 9, OnDestroy ({s.read_trace()!r})")

        # The flag on but no service anywhere (this test's home has none, and neither has the system).
        os.remove(s.trace)
        env["MORGRAVE_MODULE_DIR"] = os.path.join(s.home, "empty")
        p, ok = L.start_saver(s, bg, env=env)
        c.check(ok, "saver up without a service")
        s.xdotool("click", 1)
        rc = L.wait_exit(p, 5)
        c.check(rc == 0, f"no service: the saver ends (exit code {rc})")
        c.check(s.read_trace() == "OnDestroy\n", f"no 8/9 lines ({s.read_trace()!r})")

        # Broken services: the check runs apart from the saver, so none of these ends it.
        bad = os.path.join(s.home, "bad")
        os.makedirs(bad)
        so = os.path.join(bad, "password.so")
        for kind in ("crash", "abort", "exit", "truncated"):
            clear_trace()
            if kind == "truncated":  # dlopen itself dies of SIGBUS on it
                with open(os.path.join(modules, "accept", "password.so"), "rb") as f, open(so, "wb") as out:
                    out.write(f.read(4096))
                env["MORGRAVE_MODULE_DIR"] = bad
            else:
                env["MORGRAVE_MODULE_DIR"] = os.path.join(modules, kind)
            p, ok = L.start_saver(s, bg, env=env)
            s.xdotool("key", "space")
            c.check(ok and L.wait_until(lambda: s.read_trace() == "8\n9\n", 5), f"{kind}: the service was tried")
            time.sleep(0.5)
            c.check(p.poll() is None, f"{kind}: counts as refused, the saver keeps running")
            p.send_signal(signal.SIGTERM)
            c.check(L.wait_exit(p, 5) == 0 and s.read_trace() == "8\n9\nOnDestroy\n", f"{kind}: SIGTERM still ends it")

        # A service that never answers: the saver stays responsive and SIGTERM ends it, and the check.
        clear_trace()
        env["MORGRAVE_MODULE_DIR"] = os.path.join(modules, "hang")
        p, ok = L.start_saver(s, bg, env=env)
        before = calls()
        s.xdotool("key", "space")
        c.check(ok and L.wait_until(lambda: calls() == before + 1, 5), "hang: the service is asked")
        s.xdotool("key", "a")
        time.sleep(0.5)
        c.check(p.poll() is None and calls() == before + 1, "hang: more input during the check asks nothing")
        with open(log) as f:
            helper = int(f.read().split()[-1])
        p.send_signal(signal.SIGTERM)
        c.check(L.wait_exit(p, 5) == 0 and s.read_trace() == "8\n9\nOnDestroy\n", "hang: SIGTERM ends the saver")
        c.check(L.wait_until(lambda: not os.path.exists(f"/proc/{helper}"), 2), "hang: and the check's process too")

        # A FIFO where the service would be, and a service only a relative HOME would find.
        for kind in ("fifo", "relative HOME"):
            clear_trace()
            if kind == "fifo":
                os.remove(so)
                os.mkfifo(so)
                env["MORGRAVE_MODULE_DIR"], cwd = bad, None
            else:
                rel = os.path.join(s.home, "rel", ".local", "lib", "morgrave")
                os.makedirs(rel)
                shutil.copy(os.path.join(modules, "refuse", "password.so"), rel)
                env.update({"MORGRAVE_MODULE_DIR": None, "HOME": "rel"})
                cwd = s.home
            p, ok = L.start_saver(s, bg, env=env, cwd=cwd)
            before = calls()
            s.xdotool("key", "space")
            rc = L.wait_exit(p, 5)
            c.check(ok and rc == 0 and calls() == before, f"{kind}: no service, the saver ends (exit code {rc})")
            c.check(s.read_trace() == "OnDestroy\n", f"{kind}: no 8/9 lines ({s.read_trace()!r})")
    finally:
        s.close()
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
