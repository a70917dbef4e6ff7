"""Shared pieces of the desktop end-to-end tests: a private Xvfb, a private home, screenshots,
pictures from the resource files, input through xdotool and a parent window made with Xlib."""

import ctypes
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


class Checks:
    """Counts checks and prints the closing 'N passed, N failed' line."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
            print(f"ok    {what}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL  {what}", flush=True)
        return ok

    def finish(self):
        print(f"{self.name}: {self.passed} passed, {self.failed} failed", flush=True)
        return 0 if self.failed == 0 and self.passed > 0 else 1


class Xvfb:
    """An X server of its own on the first free display number (Xvfb picks it: -displayfd); `nested`
    runs that server instead (e.g. Xephyr and its screens) inside the display of `env`."""

    def __init__(self, width, height, depth=24, nested=None, env=None):
        r, w = os.pipe()
        server = nested or ["Xvfb", "-screen", "0", f"{width}x{height}x{depth}"]
        self.proc = subprocess.Popen(
            [server[0], "-displayfd", str(w), *server[1:], "-nolisten", "tcp", "-noreset"], pass_fds=(w,), env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        deadline = time.time() + 20
        while not number.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
        os.close(r)
        if not number.strip():
            self.proc.kill()
            raise Failure(f"{server[0]} did not start")
        self.display = ":" + number.decode().strip()
        self.width, self.height, self.depth = width, height, depth

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Session:
    """One test's world: its X server, a temporary home with XDG folders, the saver's paths."""

    def __init__(self, exe, width=1024, height=768, depth=24):
        self.exe = exe
        self.x = Xvfb(width, height, depth)
        self.home = tempfile.mkdtemp(prefix="morgrave-e2e-")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_") and k not in (
            "XSCREENSAVER_WINDOW", "MORGRAVE_MODULE_DIR", "SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE")}
        self.env.update({
            "DISPLAY": self.x.display, "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_STATE_HOME": os.path.join(self.home, "state"),
            "XDG_DATA_HOME": os.path.join(self.home, "data"),
            "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "run"),
            "SDL_AUDIODRIVER": "dummy",
            "MORGRAVE_MODULE_DIR": os.path.join(self.home, "no-modules"),
        })
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        self.trace = os.path.join(self.env["XDG_STATE_HOME"], "morgrave", "trace.txt")
        self.registry = os.path.join(self.env["XDG_CONFIG_HOME"], "morgrave", "registry.reg")
        self.procs = []

    def write_registry(self, settings=None, password_flag=None):
        """The store the saver reads: its settings and the desktop's password flag."""
        os.makedirs(os.path.dirname(self.registry), exist_ok=True)
        lines = ["; test store", ""]
        if settings:
            lines.append(r"[HKEY_CURRENT_USER\Software\Tarnwick Productions Ltd\morgrave\Settings]")
            for name, value in settings.items():
                lines.append(f'"{name}"=dword:{value:08x}')
            lines.append("")
        if password_flag is not None:
            lines.append(r"[HKEY_CURRENT_USER\Control Panel\desktop]")
            lines.append(f'"ScreenSaveUsePassword"=dword:{password_flag:08x}')
            lines.append("")
        with open(self.registry, "w") as f:
            f.write("\n".join(lines))

    def start(self, *args, env=None, cwd=None):
        e = dict(self.env)
        if env:
            e.update(env)
        e = {k: v for k, v in e.items() if v is not None}  # None unsets a variable
        p = subprocess.Popen([self.exe, *args], env=e, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=cwd)
        self.procs.append(p)
        return p

    def run(self, *args, **kw):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=30, **kw)

    def xdotool(self, *args):
        self.run("xdotool", *[str(a) for a in args])

    def read_trace(self):
        try:
            with open(self.trace, "rb") as f:
                return f.read().decode(errors="replace")
        except FileNotFoundError:
            return ""

    def screenshot(self, window="root"):
        out = subprocess.run(["xwd", "-silent", "-root" if window == "root" else "-id",
                              *([] if window == "root" else [str(window)])],
                             env=self.env, capture_output=True, timeout=30).stdout
        return Xwd(out)

    def close(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait(5)
        self.x.close()
        shutil.rmtree(self.home, ignore_errors=True)


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


class Xwd:
    """A screenshot in X Window Dump form; pixel(x, y) gives (r, g, b) in 8-bit channels."""

    def __init__(self, data):
        if len(data) < 100:
            raise Failure("no screenshot")
        f = struct.unpack(">25I", data[:100])
        header_size, _, fmt, depth, width, height = f[0:6]
        byte_order, bpp, bytes_per_line, visual_class = f[7], f[11], f[12], f[13]
        self.masks = f[14:17]
        ncolors = f[19]
        self.width, self.height, self.depth, self.bpp = width, height, depth, bpp
        self.byte_order, self.bytes_per_line, self.visual_class = byte_order, bytes_per_line, visual_class
        off = header_size
        self.colormap = {}
        for i in range(ncolors):
            pixel, r, g, b = struct.unpack(">IHHH", data[off + 12 * i: off + 12 * i + 10])
            self.colormap[pixel] = (r >> 8, g >> 8, b >> 8)
        off += 12 * ncolors
        self.pixels = data[off:]
        if fmt != 2 or len(self.pixels) < bytes_per_line * height:
            raise Failure("unexpected screenshot format")

    def raw(self, x, y):
        row = y * self.bytes_per_line
        if self.bpp == 32:
            v = self.pixels[row + 4 * x: row + 4 * x + 4]
            return struct.unpack("<I" if self.byte_order == 0 else ">I", v)[0]
        if self.bpp == 24:  # xwd composes windows of several visuals this way
            b = self.pixels[row + 3 * x: row + 3 * x + 3]
            return int.from_bytes(b, "little" if self.byte_order == 0 else "big")
        if self.bpp == 8:
            return self.pixels[row + x]
        if self.bpp == 16:
            v = self.pixels[row + 2 * x: row + 2 * x + 2]
            return struct.unpack("<H" if self.byte_order == 0 else ">H", v)[0]
        raise Failure(f"unsupported bits per pixel {self.bpp}")

    def pixel(self, x, y):
        v = self.raw(x, y)
        if self.visual_class in (4, 5) or self.bpp == 24:  # TrueColor, DirectColor
            out = []
            for m in self.masks:
                shift = (m & -m).bit_length() - 1
                bits = bin(m).count("1")
                c = (v & m) >> shift
                out.append(c * 255 // ((1 << bits) - 1))
            return tuple(out)
        return self.colormap.get(v, (v, v, v))

    def region_hash(self, x0, y0, x1, y1):
        rows = []
        bpp_bytes = max(self.bpp // 8, 1)
        for y in range(max(y0, 0), min(y1, self.height)):
            start = y * self.bytes_per_line
            rows.append(self.pixels[start + x0 * bpp_bytes: start + min(x1, self.width) * bpp_bytes])
        return hash(b"".join(rows))


class Bmp:
    """An 8-bit indexed .bmp as the resource script names it; pixel(x, y) gives (r, g, b)."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise Failure(f"{path} is not a bitmap")
        off_bits = struct.unpack("<I", data[10:14])[0]
        hdr = struct.unpack("<IiiHHIIiiII", data[14:54])
        self.width, height, bits, used = hdr[1], hdr[2], hdr[4], hdr[9]
        if bits != 8 or hdr[5] != 0:
            raise Failure(f"{path}: only uncompressed 8-bit pictures are read here")
        self.bottom_up = height > 0
        self.height = abs(height)
        n = used or 256
        table = data[14 + hdr[0]: 14 + hdr[0] + 4 * n]
        self.colors = [(table[4 * i + 2], table[4 * i + 1], table[4 * i]) for i in range(n)]
        self.stride = (self.width + 3) & ~3
        self.bits = data[off_bits:]

    def pixel(self, x, y):
        row = self.height - 1 - y if self.bottom_up else y
        return self.colors[self.bits[row * self.stride + x]]


def find_picture(art_dirs, resource_id):
    for d in art_dirs:
        p = os.path.join(d, f"{resource_id}.bmp")
        if os.path.exists(p):
            return Bmp(p)
    raise Failure(f"picture {resource_id} not found in {art_dirs}")


def close_colour(a, b, tolerance=8):
    return all(abs(int(p) - int(q)) <= tolerance for p, q in zip(a, b))


def landmarks(chamber):
    """Two bright points of the 640x480 chamber that no door or title covers (torch flames, top left
    and bottom left). The picture's corners fade to the screen's black, so they cannot show where
    the chamber is drawn."""
    def brightest(x0, y0, x1, y1):
        return max(((x, y) for y in range(y0, y1) for x in range(x0, x1)), key=lambda p: sum(chamber.pixel(*p)))
    return brightest(0, 0, 240, 160), brightest(0, 314, 240, 480)


# ---- a window of the test's own, made through Xlib (the preview area, XScreenSaver's window) ----

class ParentWindow:
    """A plain top-level window in another process, like the display settings' preview area."""

    def __init__(self, session, x, y, width, height):
        self.proc = subprocess.Popen([sys.executable, os.path.abspath(__file__), "parent-window", str(x), str(y),
                                      str(width), str(height)], env=session.env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline().strip()
        if not line:
            raise Failure("the parent window could not be made")
        self.id = int(line)
        self.x, self.y, self.width, self.height = x, y, width, height

    def resize(self, width, height):
        self.proc.stdin.write(f"resize {width} {height}\n")
        self.proc.stdin.flush()
        self.proc.stdout.readline()  # done
        self.width, self.height = width, height

    def destroy(self):
        if self.proc.poll() is None:
            self.proc.stdin.write("destroy\n")
            self.proc.stdin.flush()
            self.proc.wait(10)


def _parent_window_main(x, y, width, height):
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
    xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                         ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
    for name in ("XMapWindow", "XDestroyWindow"):
        getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = xlib.XOpenDisplay(None)
    if not dpy:
        return 1
    # Grey (0x808080 on TrueColor) so that neither black nor white can be mistaken for it.
    win = xlib.XCreateSimpleWindow(dpy, xlib.XDefaultRootWindow(dpy), x, y, width, height, 0, 0, 0x808080)
    xlib.XMapWindow(dpy, win)
    xlib.XSync(dpy, 0)
    print(win, flush=True)
    for line in sys.stdin:
        words = line.split()
        if words == ["destroy"]:
            break
        if words[:1] == ["resize"]:
            xlib.XResizeWindow(dpy, win, int(words[1]), int(words[2]))
            xlib.XSync(dpy, 0)
            print("done", flush=True)
    xlib.XDestroyWindow(dpy, win)
    xlib.XSync(dpy, 0)
    xlib.XCloseDisplay(dpy)
    return 0


class PixelProbe:
    """Reads single screen pixels straight from the server, fast enough to catch a picture that
    stays only for the few milliseconds between two frames (a full screenshot takes far longer)."""

    def __init__(self, session):
        os.environ["DISPLAY"] = session.x.display
        self.xlib = x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.c_void_p
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XGetPixel.restype = ctypes.c_ulong
        x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = x.XOpenDisplay(session.x.display.encode())
        if not self.dpy:
            raise Failure("cannot open the display")
        self.root = x.XDefaultRootWindow(self.dpy)

    def pixel(self, px, py):
        """(r, g, b) on a 24-bit TrueColor screen."""
        img = self.xlib.XGetImage(self.dpy, self.root, px, py, 1, 1, 0xFFFFFFFF, 2)
        if not img:
            return None
        v = self.xlib.XGetPixel(img, 0, 0)
        self.xlib.XDestroyImage(img)
        return ((v >> 16) & 255, (v >> 8) & 255, v & 255)

    def close(self):
        self.xlib.XCloseDisplay(self.dpy)


def start_saver(session, background, *args, env=None, seconds=15, cwd=None):
    """Starts `morgrave s ...` and waits until the chamber's background shows; (proc, ok)."""
    p = session.start("s", *args, env=env, cwd=cwd)
    w, h = session.x.width, session.x.height
    ox, oy = (w - 640) // 2, (h - 480) // 2
    want = background.pixel(0, 0)

    def up():
        return p.poll() is not None or close_colour(session.screenshot().pixel(ox, oy), want)

    ok = wait_until(up, seconds, 0.1) and p.poll() is None
    time.sleep(0.3)  # let the first frames and the first pointer position arrive
    return p, ok


def loads_no_dialogs(pid):
    """True when the process has neither the dialog module nor GTK mapped (the saver modes)."""
    with open(f"/proc/{pid}/maps") as f:
        maps = f.read()
    return "morgrave-dialogs" not in maps and "libgtk" not in maps


def parse_common_args(argv):
    """--exe PATH --art DIR[;DIR] [--modules DIR]"""
    args = {"art": []}
    it = iter(argv)
    for a in it:
        if a == "--exe":
            args["exe"] = next(it)
        elif a == "--art":
            args["art"] = [d for d in next(it).split(";") if d]
        elif a == "--modules":
            args["modules"] = next(it)
        elif a == "--case":
            args["case"] = next(it)
        elif a == "--recorder":
            args["recorder"] = next(it)
        elif a == "--clock":
            args["clock"] = next(it)
    if "exe" not in args:
        raise SystemExit("usage: --exe PATH [--art DIRS] [--modules DIR] [--case NAME]")
    return args


if __name__ == "__main__" and len(sys.argv) == 6 and sys.argv[1] == "parent-window":
    sys.exit(_parent_window_main(*[int(v) for v in sys.argv[2:]]))
