"""Shared pieces of the Wine tests: a fresh Wine prefix and X server per test, the saver and its
test helpers installed in C:\\saver, registry access through `wine reg`, the trace file.

The tests run the real 32-bit .scr in a 32-bit prefix wherever the machine can start 32-bit
programs. A kernel without 32-bit support cannot run 32-bit Wine at all; there they run the same
sources built for 64-bit Windows (the win64 preset) in a 64-bit prefix, and say so."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_lib as L  # noqa: E402  (Xvfb, screenshots, pictures, checks: shared with the Linux tests)

SETTINGS_KEY = r"HKCU\Software\Tarnwick Productions Ltd\Morgrave\Settings"
DESKTOP_KEY = r"HKCU\Control Panel\desktop"
NO_AUDIO = "winealsa.drv,winepulse.drv,wineoss.drv=d"


def can_run_32bit():
    """Whether this machine starts the 32-bit Wine loader (the kernel may lack 32-bit support)."""
    loader = "/usr/lib/wine/wine"
    if not os.path.exists(loader):
        return False
    try:
        r = subprocess.run([loader, "--version"], capture_output=True, text=True, timeout=30)
        return r.returncode == 0 and r.stdout.startswith("wine")
    except (OSError, subprocess.TimeoutExpired):
        return False


def parse_args(argv):
    """--win32 DIR --win64 DIR [--art DIRS] [--case NAME]: build trees of the two Windows builds."""
    args = {"art": []}
    it = iter(argv)
    for a in it:
        if a in ("--win32", "--win64", "--case"):
            args[a[2:]] = next(it)
        elif a == "--art":
            args["art"] = [d for d in next(it).split(";") if d]
    return args


class Build:
    """The Windows build the tests run: paths of the .scr and the helpers, and how to start Wine."""

    def __init__(self, args):
        self.bits = 32 if can_run_32bit() else 64
        root = args.get("win32" if self.bits == 32 else "win64", "")
        self.scr = os.path.join(root, "src", "Morgrave.scr")
        self.helpers = os.path.join(root, "tests", "wine")
        if self.bits == 32:
            self.wine, self.wineserver, self.arch = "wine", "wineserver", "win32"
        else:
            self.wine, self.wineserver, self.arch = "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64", "win64"
        missing = [p for p in (self.scr, os.path.join(self.helpers, "WineProbe.exe")) if not os.path.exists(p)]
        if missing:
            raise L.Failure(f"Windows build missing: {missing} (build the win{self.bits} preset first)")
        print(f"wine: {self.bits}-bit prefix, {self.scr}", flush=True)


class WineWorld:
    """One test's world: an X server, a fresh prefix, C:\\saver with the .scr and chosen helpers."""

    def __init__(self, build, width=1024, height=768, depth=24, helpers=()):
        self.build = build
        self.x = L.Xvfb(width, height, depth)
        self.tmp = tempfile.mkdtemp(prefix="morgrave-wine-")
        self.prefix = os.path.join(self.tmp, "prefix")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "MG_"))}
        self.env.update({
            "WINEPREFIX": self.prefix, "WINEARCH": build.arch, "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;" + NO_AUDIO, "DISPLAY": self.x.display,
            "HOME": self.tmp, "XDG_RUNTIME_DIR": self.tmp,
        })
        self.procs = []
        r = subprocess.run([build.wine, "wineboot", "-i"], env=self.env, capture_output=True, text=True,
                           timeout=300)
        subprocess.run([build.wineserver, "-w"], env=self.env, timeout=120)
        if not os.path.isdir(os.path.join(self.prefix, "drive_c")):
            raise L.Failure(f"wineboot failed: {r.stderr[-500:]}")
        self.c = os.path.join(self.prefix, "drive_c")
        self.saver_dir = os.path.join(self.c, "saver")
        os.makedirs(self.saver_dir)
        shutil.copy(build.scr, os.path.join(self.saver_dir, "Morgrave.scr"))
        for h in ("WineProbe.exe", "PreviewHost.exe", *helpers):
            shutil.copy(os.path.join(build.helpers, h), os.path.join(self.saver_dir, h))
        self.trace = os.path.join(self.c, "trace.txt")

    def path(self, name):
        """Windows path of a file in C:\\saver."""
        return "C:\\saver\\" + name

    def start(self, *args, env=None, program="Morgrave.scr", stderr=None):
        e = dict(self.env)
        if env:
            e.update(env)
        p = subprocess.Popen([self.build.wine, self.path(program), *args], env=e, cwd=self.saver_dir,
                             stdout=subprocess.PIPE, stderr=stderr or subprocess.DEVNULL, encoding="utf-8",
                             errors="replace")
        self.procs.append(p)
        return p

    def run(self, *args, env=None, program="Morgrave.scr", timeout=60):
        p = self.start(*args, env=env, program=program)
        try:
            out, _ = p.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            p.kill()
            out, _ = p.communicate()
            return None, out
        return p.returncode, out

    def probe(self, *args, timeout=60):
        rc, out = self.run(*args, program="WineProbe.exe", timeout=timeout)
        return rc, (out or "").replace("\r\n", "\n")

    def reg(self, *args):
        return subprocess.run([self.build.wine, "reg", *args], env=self.env, capture_output=True, text=True,
                              timeout=60)

    def reg_values(self, key=SETTINGS_KEY):
        """{name: (type, data)} of a key, read back with `wine reg query`."""
        out = self.reg("query", key).stdout.replace("\r\n", "\n")
        values = {}
        for line in out.splitlines():
            m = re.match(r"^\s+(.+?)\s+(REG_\w+)\s+(.*?)\s*$", line)
            if m:
                values[m.group(1)] = (m.group(2), m.group(3))
        return values

    def reg_set(self, key, name, kind, data):
        return self.reg("add", key, "/v", name, "/t", kind, "/d", str(data), "/f").returncode == 0

    def read_trace(self):
        try:
            with open(self.trace, "rb") as f:
                return f.read().decode(errors="replace").replace("\r\n", "\n")
        except FileNotFoundError:
            return ""

    def screenshot(self):
        out = subprocess.run(["xwd", "-silent", "-root"], env=self.env, capture_output=True, timeout=30).stdout
        return Xwd(out)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=self.env, capture_output=True, timeout=30)

    def close(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait(10)
        subprocess.run([self.build.wineserver, "-k"], env=self.env, capture_output=True, timeout=60)
        self.x.close()
        shutil.rmtree(self.tmp, ignore_errors=True)


class Xwd(L.Xwd):
    """A screenshot; also reads the packed 24-bit pixels that Xvfb sometimes dumps."""

    def raw(self, x, y):
        if self.bpp != 24:
            return super().raw(x, y)
        at = y * self.bytes_per_line + 3 * x
        v = self.pixels[at: at + 3]
        return int.from_bytes(v, "little" if self.byte_order == 0 else "big")

    def region_hash(self, x0, y0, x1, y1):
        if self.bpp != 24:
            return super().region_hash(x0, y0, x1, y1)
        rows = [self.pixels[y * self.bytes_per_line + 3 * x0: y * self.bytes_per_line + 3 * min(x1, self.width)]
                for y in range(max(y0, 0), min(y1, self.height))]
        return hash(b"".join(rows))


def dword(values, name):
    """The integer of a REG_DWORD value, or None when it is missing or of another type."""
    v = values.get(name)
    if v is None or v[0] != "REG_DWORD":
        return None
    return int(v[1], 16)


def wait_exit(proc, seconds):
    return L.wait_exit(proc, seconds)


def wait_until(predicate, seconds, step=0.1):
    return L.wait_until(predicate, seconds, step)


def saver_up(w, p, seconds=90):
    """Until the full-screen window is up at 1024x768: something other than black inside the
    chamber (its edges fade to black, so its corner tells nothing)."""
    def up():
        shot = w.screenshot()
        return p.poll() is None and any(shot.pixel(x, y) != (0, 0, 0) for x, y in ((512, 384), (400, 300), (620, 470)))
    return wait_until(up, seconds, 0.2)


def controls(dump):
    """{id: {field: value}} from WineProbe's dialog listing (fields first, the text last)."""
    out = {}
    for line in dump.splitlines():
        line = line.strip()
        if line.startswith("control "):
            head, _, text = line.partition(" text=")
            fields = dict(part.partition("=")[::2] for part in head.split()[1:])
            fields["text"] = text
            out[int(fields["id"])] = fields
    return out


def read_lines(path):
    """The lines of a file the helpers write, or [] while there is none."""
    try:
        with open(path, errors="replace") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def main(name, body, width=1024, height=768, depth=24, helpers=()):
    """One Wine test: `body(w, c, args)` in a fresh world that is torn down after; the exit code."""
    args = parse_args(sys.argv[1:])
    c = L.Checks(name)
    w = WineWorld(Build(args), width, height, depth, helpers)
    try:
        body(w, c, args)
    finally:
        w.close()
    return c.finish()
