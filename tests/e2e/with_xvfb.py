"""Runs a command with DISPLAY set to a private Xvfb of its own (and a private HOME), then stops
the server; exits with the command's code."""

import os
import shutil
import subprocess
import sys
import tempfile

import e2e_lib as L


def main():
    if len(sys.argv) < 2:
        raise SystemExit("usage: with_xvfb.py COMMAND [ARGS...]")
    x = L.Xvfb(800, 600)
    home = tempfile.mkdtemp(prefix="morgrave-xvfb-")
    try:
        env = dict(os.environ, DISPLAY=x.display, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_STATE_HOME=os.path.join(home, "state"), SDL_AUDIODRIVER="dummy")
        return subprocess.run(sys.argv[1:], env=env).returncode
    finally:
        x.close()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
