"""Shared pieces of the desktop, Wine and package tests: private X servers and homes, screenshots, checks."""

import ctypes
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SETTINGS_KEY = r"HKCU\Software\Tarnwick Productions Ltd\Morgrave\Settings"
DESKTOP_KEY = r"HKCU\Control Panel\desktop"
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


class Failure(Exception):
    """A test world that could not be set up: one failed check."""


class Checks:
    """Counts checks and prints the closing 'N passed, N failed' line."""
    def __init__(self, name):
        self.name, self.passed, self.failed = name, 0, 0

    def check(self, ok, what):
        ok = bool(ok)
        self.passed, self.failed = self.passed + ok, self.failed + (not ok)
        print(f"{'ok  ' if ok else 'FAIL'}  {what}", flush=True)
        return ok

    def finish(self):
        print(f"{self.name}: {self.passed} passed, {self.failed} failed", flush=True)
        return 0 if self.failed == 0 and self.passed > 0 else 1


def wait_exit(proc, seconds):
    """The exit code, or None when the process still runs after `seconds`."""
    try:
        return proc.wait(seconds)
    except subprocess.TimeoutExpired:
        return None


def wait_until(predicate, seconds, step=0.05):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def parse_args(argv):
    """--name value pairs (--exe, --art DIR[;DIR], --case, --modules, --recorder, --clock, --win32, --win64)."""
    args = {k[2:]: v for k, v in zip(argv[0::2], argv[1::2])}
    args["art"] = [d for d in args.get("art", "").split(";") if d]
    return args


def main(name, body, make):
    """One test script: `body(world, checks, args)` in the world `make(args)` builds; the exit code."""
    args, c, w = parse_args(sys.argv[1:]), Checks(name), None
    try:
        w = make(args)
        body(w, c, args)
    except Failure as e:
        c.check(False, str(e))
    finally:
        if w is not None:
            w.close()
    return c.finish()


class Xvfb:
    """An X server on the first free display number; `nested` runs another (Xephyr) inside `env`'s display."""

    def __init__(self, width, height, depth=24, nested=None, env=None):
        r, w = os.pipe()
        server = nested or ["Xvfb", "-screen", "0", f"{width}x{height}x{depth}"]
        self.proc = subprocess.Popen([server[0], "-displayfd", str(w), *server[1:], "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(w,), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.display = ":" + f.readline().strip()  # empty when the server died
        if self.display == ":":
            raise Failure(f"{server[0]} did not start")
        self.width, self.height, self.depth = width, height, depth

    def close(self):
        self.proc.terminate()
        if wait_exit(self.proc, 5) is None:
            self.proc.kill()


class World:
    """What every test world has: its X server, its environment, the processes it started."""

    def __init__(self, width, height, depth, prefix):
        self.x = Xvfb(width, height, depth)
        self.home = tempfile.mkdtemp(prefix=prefix)
        self.procs = []

    def popen(self, argv, env=None, stderr=subprocess.STDOUT, cwd=None):
        e = {k: v for k, v in dict(self.env, **(env or {})).items() if v is not None}  # None unsets
        p = subprocess.Popen(argv, env=e, stdout=subprocess.PIPE, stderr=stderr, cwd=cwd, text=True,
                             errors="replace")
        self.procs.append(p)
        return p

    def run(self, *args, **kw):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=60, **kw)

    def xdotool(self, *args):
        self.run("xdotool", *[str(a) for a in args])

    def geometry(self, window):
        """(x, y, width, height) of a window."""
        v = dict(line.split("=", 1) for line in self.run("xdotool", "getwindowgeometry", "--shell", str(window)).stdout.split())
        return tuple(int(v.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def screenshot(self, window="root"):
        where = ["-root"] if window == "root" else ["-id", str(window)]
        return Xwd(subprocess.run(["xwd", "-silent", *where], env=self.env, capture_output=True, timeout=30).stdout)

    def read_trace(self):
        return "".join(line + "\n" for line in read_lines(self.trace))

    def close(self):
        for p in self.procs:
            p.kill()
            p.wait(10)
        self.x.close()
        shutil.rmtree(self.home, ignore_errors=True)


class Session(World):
    """The Linux saver's world: a temporary home with XDG folders, and the saver's store and trace."""

    def __init__(self, exe, width=1024, height=768, depth=24):
        super().__init__(width, height, depth, "morgrave-e2e-")
        self.exe = exe
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_") and k not in (
            "XSCREENSAVER_WINDOW", "SDL_DISKAUDIOFILE")}
        self.env.update({"DISPLAY": self.x.display, "HOME": self.home, "SDL_AUDIODRIVER": "dummy",
                         "MORGRAVE_MODULE_DIR": os.path.join(self.home, "no-modules")})
        self.env.update({f"XDG_{k.upper()}_HOME": os.path.join(self.home, k) for k in ("config", "state", "data", "cache")})
        self.env["XDG_RUNTIME_DIR"] = os.path.join(self.home, "run")
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        self.trace = os.path.join(self.env["XDG_STATE_HOME"], "morgrave", "trace.txt")
        self.registry = os.path.join(self.env["XDG_CONFIG_HOME"], "morgrave", "registry.reg")

    def write_registry(self, settings=None, password_flag=None):
        """The store the saver reads: its settings and the desktop's password flag."""
        os.makedirs(os.path.dirname(self.registry), exist_ok=True)
        keys = {r"Software\Tarnwick Productions Ltd\morgrave\Settings": settings} if settings else {}
        if password_flag is not None:
            keys[r"Control Panel\desktop"] = {"ScreenSaveUsePassword": password_flag}
        with open(self.registry, "w") as f:
            for key, values in keys.items():
                f.write(f"[HKEY_CURRENT_USER\\{key}]\n" + "".join(f'"{n}"=dword:{v:08x}\n' for n, v in values.items()))

    def start(self, *args, env=None, cwd=None):
        return self.popen([self.exe, *args], env=env, cwd=cwd)


def read_lines(path):
    """The lines of a file, or [] while there is none (a trace, a helper's log)."""
    try:
        with open(path, errors="replace") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


class Xwd:
    """A screenshot in X Window Dump form; pixel(x, y) gives (r, g, b) in 8-bit channels."""

    def __init__(self, data):
        if len(data) < 100:
            raise Failure("no screenshot")
        f = struct.unpack(">25I", data[:100])
        header_size, fmt, self.width, self.height = f[0], f[2], f[4], f[5]
        self.byte_order, self.bpp, self.bytes_per_line, self.visual_class = f[7], f[11], f[12], f[13]
        self.masks, ncolors = f[14:17], f[19]
        entries = [struct.unpack_from(">IHHH", data, header_size + 12 * i) for i in range(ncolors)]
        self.colormap = {e[0]: (e[1] >> 8, e[2] >> 8, e[3] >> 8) for e in entries}
        self.pixels = data[header_size + 12 * ncolors:]
        if fmt != 2 or self.bpp not in (8, 16, 24, 32) or len(self.pixels) < self.bytes_per_line * self.height:
            raise Failure("unexpected screenshot format")

    def pixel(self, x, y):
        n = self.bpp // 8  # xwd composes windows of several visuals as packed 24-bit pixels
        at = y * self.bytes_per_line + n * x
        v = int.from_bytes(self.pixels[at:at + n], "little" if self.byte_order == 0 else "big")
        if self.visual_class not in (4, 5) and self.bpp != 24:  # not TrueColor or DirectColor
            return self.colormap.get(v, (v, v, v))
        return tuple(((v & m) >> ((m & -m).bit_length() - 1)) * 255 // ((m >> ((m & -m).bit_length() - 1)) or 1)
                     for m in self.masks)

    def region_hash(self, x0, y0, x1, y1):
        n = max(self.bpp // 8, 1)
        return hash(b"".join(self.pixels[y * self.bytes_per_line + x0 * n: y * self.bytes_per_line + min(x1, self.width) * n]
                             for y in range(max(y0, 0), min(y1, self.height))))


class Bmp:
    """An uncompressed 8-bit .bmp as the resource script names it; pixel(x, y) gives (r, g, b)."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        hdr = struct.unpack_from("<IiiHHIIiiII", data, 14)
        if data[:2] != b"BM" or hdr[4] != 8 or hdr[5] != 0:
            raise Failure(f"{path} is no uncompressed 8-bit bitmap")
        self.width, self.height, self.bottom_up = hdr[1], abs(hdr[2]), hdr[2] > 0
        table = data[14 + hdr[0]:]
        self.colors = [(table[4 * i + 2], table[4 * i + 1], table[4 * i]) for i in range(hdr[9] or 256)]
        self.stride = (self.width + 3) & ~3
        self.bits = data[struct.unpack_from("<I", data, 10)[0]:]

    def pixel(self, x, y):
        return self.colors[self.bits[(self.height - 1 - y if self.bottom_up else y) * self.stride + x]]


def find_file(dirs, name):
    for path in (os.path.join(d, name) for d in dirs):
        if os.path.exists(path):
            return path
    raise Failure(f"{name} not found in {dirs}")


def find_picture(art_dirs, resource_id):
    return Bmp(find_file(art_dirs, f"{resource_id}.bmp"))


def close_colour(a, b, tolerance=8):
    return a is not None and all(abs(int(p) - int(q)) <= tolerance for p, q in zip(a, b))


def landmarks(chamber):
    """Two bright points of the 640x480 chamber that no door or title covers (torch flames, top left and
    bottom left). The picture's corners fade to the screen's black, so they cannot show where it is."""
    def brightest(x0, y0, x1, y1):
        return max(((x, y) for y in range(y0, y1) for x in range(x0, x1)), key=lambda p: sum(chamber.pixel(*p)))
    return brightest(0, 0, 240, 160), brightest(0, 314, 240, 480)


def chamber(shot, bg, ox, oy, scale=1):
    """(ok, what) pairs for the chamber drawn at (ox, oy) with `scale` screen pixels per picture pixel: its
    two landmarks (an enlarged pixel at both its corners) and black just outside its left, top and right
    edges and at the screen's far corner, where those lie on the screen."""
    out = [(all(close_colour(shot.pixel(ox + x * scale + d, oy + y * scale + d), bg.pixel(x, y)) for d in {0, scale - 1}),
            f"the background's landmark at ({ox + x * scale},{oy + y * scale})") for x, y in landmarks(bg)]
    for px, py in ((ox - 1, oy), (ox, oy - 1), (ox + 640 * scale, oy + 480 * scale - 1), (shot.width - 1, shot.height - 1)):
        inside = ox <= px < ox + 640 * scale and oy <= py < oy + 480 * scale
        if 0 <= px < shot.width and 0 <= py < shot.height and not inside:
            out.append((shot.pixel(px, py) == BLACK, f"black at ({px},{py}), outside the chamber at ({ox},{oy})"))
    return out


def check_chamber(c, shot, bg, ox, oy, scale=1, what=""):
    return all([c.check(ok, what + text) for ok, text in chamber(shot, bg, ox, oy, scale)])


def shows_chamber(w, bg, ox, oy, scale=1):
    return all(ok for ok, _ in chamber(w.screenshot(), bg, ox, oy, scale))


def centred(w, size=(640, 480)):
    return (w.x.width - size[0]) // 2, (w.x.height - size[1]) // 2


def saver_up(w, p, bg, seconds=15):
    """Whether the full-screen chamber's first landmark (clear of the title) shows before time runs out."""
    (ax, ay), _ = landmarks(bg)
    ox, oy = centred(w)
    ok = wait_until(lambda: p.poll() is not None or close_colour(w.screenshot().pixel(ox + ax, oy + ay), bg.pixel(ax, ay)),
                    seconds, 0.1)
    time.sleep(0.3)  # the first frames and the first pointer position
    return ok and p.poll() is None


def animates(w, ox, oy, seconds):
    """Whether the chamber's pixels change within `seconds` (doors moving)."""
    base = w.screenshot().region_hash(ox, oy, ox + 640, oy + 480)
    return wait_until(lambda: w.screenshot().region_hash(ox, oy, ox + 640, oy + 480) != base, seconds, 0.25)


def watch_start(w, p, bg, title, seconds):
    """Watches a full-screen start until the scene replaces the title; whether the title was seen at its
    place first, at its middle and near its left edge. Single pixels straight from the server: the
    title may stay for only the milliseconds between two frames."""
    ox, oy = centred(w)
    tx, ty = centred(w, (title.width, title.height))
    cx, cy = w.x.width // 2, w.x.height // 2
    at_centre, bg_centre = title.pixel(cx - tx, cy - ty), bg.pixel(cx - ox, cy - oy)
    (ax, ay), _ = landmarks(bg)
    # A point near the title's left edge that tells title from background: the title's place, not just its middle.
    edge = next(((x, y) for y in range(title.height // 3, title.height) for x in range(4, 60) if title.pixel(x, y) !=
                 (255, 0, 255) and not close_colour(title.pixel(x, y), bg.pixel(tx + x - ox, ty + y - oy), 24)), None)
    probe, saw, deadline = PixelProbe(w), False, time.time() + seconds
    try:
        while time.time() < deadline and p.poll() is None:
            here = probe.pixel(cx, cy)
            if close_colour(here, at_centre) and not close_colour(here, bg_centre):
                saw = saw or edge is None or close_colour(probe.pixel(tx + edge[0], ty + edge[1]), title.pixel(*edge))
            if close_colour(here, bg_centre) and close_colour(probe.pixel(ox + ax, oy + ay), bg.pixel(ax, ay)):
                break
            time.sleep(0.002)  # leave the single-threaded server to the saver
    finally:
        probe.close()
    return saw or at_centre == bg_centre


def loads_no_dialogs(pid):
    """True when the process has neither the dialog module nor GTK mapped (the saver modes)."""
    maps = "\n".join(read_lines(f"/proc/{pid}/maps"))
    return "morgrave-dialogs" not in maps and "libgtk" not in maps


# ---- Xlib through ctypes: windows of the test's own, single pixels, a window manager's close ----

def xlib():
    x = ctypes.CDLL("libX11.so.6")
    p, u, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
    for name, res, argtypes in (("XOpenDisplay", p, [ctypes.c_char_p]), ("XDefaultRootWindow", u, [p]),
                                ("XCreateSimpleWindow", u, [p, u, i, i, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, u, u]),
                                ("XMapWindow", i, [p, u]), ("XDestroyWindow", i, [p, u]), ("XSync", i, [p, i]),
                                ("XResizeWindow", i, [p, u, ctypes.c_uint, ctypes.c_uint]), ("XCloseDisplay", i, [p]),
                                ("XGetImage", p, [p, u, i, i, ctypes.c_uint, ctypes.c_uint, u, i]),
                                ("XGetPixel", u, [p, i, i]), ("XDestroyImage", i, [p]),
                                ("XInternAtom", u, [p, ctypes.c_char_p, i]), ("XSendEvent", i, [p, u, i, ctypes.c_long, p])):
        getattr(x, name).restype, getattr(x, name).argtypes = res, argtypes
    return x


class ParentWindow:
    """A grey top-level window of another X client, like a preview area or XScreenSaver's window."""

    def __init__(self, w, x, y, width, height):
        self.xlib = xlib()
        self.dpy = self.xlib.XOpenDisplay(w.env["DISPLAY"].encode())
        self.id = self.xlib.XCreateSimpleWindow(self.dpy, self.xlib.XDefaultRootWindow(self.dpy), x, y, width, height, 0,
                                                0, 0x808080)
        self.xlib.XMapWindow(self.dpy, self.id)
        self.x, self.y = x, y
        self.resize(width, height)

    def resize(self, width, height):
        self.xlib.XResizeWindow(self.dpy, self.id, width, height)
        self.xlib.XSync(self.dpy, 0)
        self.width, self.height = width, height

    def destroy(self):
        if self.dpy:
            self.xlib.XDestroyWindow(self.dpy, self.id)
            self.xlib.XCloseDisplay(self.dpy)
            self.dpy = None


def send_wm_delete(w, window):
    """What a window manager sends when the user clicks a window's close box: WM_DELETE_WINDOW."""
    x = xlib()
    d = x.XOpenDisplay(w.x.display.encode())
    # XClientMessageEvent as 64-bit words: type, serial, send_event, display, window, message_type, format, data
    event = (ctypes.c_long * 24)(33, 0, 0, d, window, x.XInternAtom(d, b"WM_PROTOCOLS", 0), 32,
                                 x.XInternAtom(d, b"WM_DELETE_WINDOW", 0))
    x.XSendEvent(d, window, 0, 0, event)
    x.XCloseDisplay(d)


class PixelProbe:
    """Single pixels of a 24-bit screen, fast enough to see a picture shown between two frames only."""

    def __init__(self, w):
        self.xlib = xlib()
        self.dpy = self.xlib.XOpenDisplay(w.x.display.encode())
        self.root, self.depth = self.xlib.XDefaultRootWindow(self.dpy), w.x.depth

    def pixel(self, px, py):
        img = self.xlib.XGetImage(self.dpy, self.root, px, py, 1, 1, 0xFFFFFFFF, 2) if self.depth == 24 else None
        if not img:
            return None
        v = self.xlib.XGetPixel(img, 0, 0)
        self.xlib.XDestroyImage(img)
        return ((v >> 16) & 255, (v >> 8) & 255, v & 255)

    def close(self):
        self.xlib.XCloseDisplay(self.dpy)


# ---- Wine ----

class WineWorld(World):
    """One Wine test's world: an X server, a fresh prefix, C:\\saver with the .scr and chosen helpers."""

    def __init__(self, args, width=1024, height=768, depth=24, helpers=()):
        try:  # whether this machine starts the 32-bit Wine loader (the kernel may lack 32-bit support)
            ok = subprocess.run(["/usr/lib/wine/wine", "--version"], capture_output=True, timeout=30).returncode == 0
            self.bits = 32 if ok else 64
        except (OSError, subprocess.TimeoutExpired):
            self.bits = 64
        root = args.get(f"win{self.bits}", "")
        scr, built = os.path.join(root, "src", "Morgrave.scr"), os.path.join(root, "tests", "wine")
        if not os.path.exists(scr) or not os.path.exists(os.path.join(built, "WineProbe.exe")):
            raise Failure(f"Windows build missing in {root!r} (build the win{self.bits} preset first)")
        print(f"wine: {self.bits}-bit prefix, {scr}", flush=True)
        self.wine, self.wineserver = (("wine", "wineserver") if self.bits == 32 else
                                      ("/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"))
        super().__init__(width, height, depth, "morgrave-wine-")
        self.prefix = os.path.join(self.home, "prefix")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "MG_"))}
        self.env.update({"WINEPREFIX": self.prefix, "WINEARCH": f"win{self.bits}", "WINEDEBUG": "-all",
                         "WINEDLLOVERRIDES": "mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d",
                         "DISPLAY": self.x.display, "HOME": self.home, "XDG_RUNTIME_DIR": self.home})
        r = subprocess.run([self.wine, "wineboot", "-i"], env=self.env, capture_output=True, text=True, timeout=300)
        subprocess.run([self.wineserver, "-w"], env=self.env, timeout=120)
        self.saver_dir = os.path.join(self.prefix, "drive_c", "saver")
        if not os.path.isdir(os.path.dirname(self.saver_dir)):
            raise Failure(f"wineboot failed: {r.stderr[-500:]}")
        os.makedirs(self.saver_dir)
        for h in ("WineProbe.exe", "PreviewHost.exe", *helpers):
            shutil.copy(os.path.join(built, h), self.saver_dir)
        shutil.copy(scr, self.saver_dir)
        self.trace = os.path.join(self.prefix, "drive_c", "trace.txt")

    def path(self, name):
        """Windows path of a file in C:\\saver."""
        return "C:\\saver\\" + name

    def start(self, *args, env=None, program="Morgrave.scr", stderr=subprocess.DEVNULL):
        return self.popen([self.wine, self.path(program), *args], env=env, stderr=stderr, cwd=self.saver_dir)

    def call(self, *args, env=None, program="Morgrave.scr", timeout=60):
        """(exit code or None when it had to be killed, its output)."""
        p = self.start(*args, env=env, program=program)
        try:
            out = p.communicate(timeout=timeout)[0]
        except subprocess.TimeoutExpired:
            p.kill()
            return None, p.communicate()[0].replace("\r\n", "\n")
        return p.returncode, out.replace("\r\n", "\n")

    def probe(self, *args, timeout=60):
        return self.call(*args, program="WineProbe.exe", timeout=timeout)

    def reg_values(self, key=SETTINGS_KEY):
        """{name: (type, data)} of a key, read back with `wine reg query`."""
        out = self.run(self.wine, "reg", "query", key).stdout
        return {m[0]: (m[1], m[2]) for m in re.findall(r"^\s+(.+?)\s+(REG_\w+)\s+(.*?)\s*$", out, re.M)}

    def reg_set(self, key, values, kind="REG_DWORD"):
        for name, data in values.items():
            self.run(self.wine, "reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f")

    def dwords(self, *names):
        """The integers of REG_DWORD settings (None where missing or of another type)."""
        v = self.reg_values()
        return tuple(int(v[n][1], 16) if v.get(n, ("",))[0] == "REG_DWORD" else None for n in names)

    def close(self):
        subprocess.run([self.wineserver, "-k"], env=self.env, capture_output=True, timeout=60)
        super().close()


def controls(dump):
    """{id: {field: value}} from WineProbe's dialog listing (fields first, the text last)."""
    out = {}
    for line in dump.splitlines():
        head, _, text = line.strip().partition(" text=")
        if head.startswith("control "):
            fields = dict(part.partition("=")[::2] for part in head.split()[1:])
            out[int(fields["id"])] = dict(fields, text=text)
    return out


if __name__ == "__main__" and sys.argv[1:2] == ["with-xvfb"]:  # a command on a private X server, in a private home
    world = Session(sys.argv[2], 800, 600)
    try:
        sys.exit(subprocess.run(sys.argv[2:], env=world.env).returncode)
    finally:
        world.close()
