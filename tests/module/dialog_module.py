"""The settings mode's dialog module: found beside the saver or installed, missing, or without its entry."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import harness as H  # noqa: E402

exe, module, foreign, reldir = sys.argv[1:5]
MODULE, c = os.path.basename(module), H.Checks("dialog module")


def place(folder, source, name):
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, name)
    try:
        os.link(source, target)  # the saver sees its own folder through /proc/self/exe
    except OSError:
        shutil.copy2(source, target)
    return target


# Each ends with status 1. Run without a display: the module is loaded before any window, so a loaded
# module is the one that says there is no display.
# (case, where the module file comes from, its folder relative to the executable's, stderr)
cases = [
    ("beside the executable", module, ".", "cannot open the X display for the settings dialog"),
    ("in the install folder", module, reldir, "cannot open the X display for the settings dialog"),
    ("missing", None, ".", "the dialog module is missing (looked for "),
    ("without the entry", foreign, ".", "has no entry morgrave_dialog_module"),
]
for name, source, folder, message in cases:
    root = tempfile.mkdtemp(prefix="morgrave-module-")
    try:
        bindir = os.path.join(root, "prefix", "bin")
        saver = place(bindir, exe, "morgrave")
        if source:
            place(os.path.normpath(os.path.join(bindir, folder)), source, MODULE)
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(HOME=root, XDG_CONFIG_HOME=os.path.join(root, "config"), XDG_STATE_HOME=os.path.join(root, "state"))
        r = subprocess.run([saver, "c"], env=env, capture_output=True, text=True, timeout=60)
        c.check(r.returncode == 1 and message in r.stderr, f"{name}: status {r.returncode}, stderr {r.stderr.strip()!r}")
    finally:
        shutil.rmtree(root, ignore_errors=True)

needed = subprocess.run(["ldd", exe], capture_output=True, text=True).stdout
c.check("libgtk" not in needed and "libgdk" not in needed, "the saver links no GTK")
sys.exit(c.finish())
