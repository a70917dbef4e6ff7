#!/usr/bin/env bash
# Measures the full-screen saver on a private Xvfb: processor use over 60 s, peak memory, and the
# time from start to the first presented frame. Prints figures; not a test.
# Usage: tools/measure.sh [WxH] [seconds] [path/to/morgrave]   (defaults 1920x1080, 60, build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1920x1080}
seconds=${2:-60}
exe=${3:-build/release/morgrave}
if [[ ! -x $exe ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target morgrave
fi
exec python3 - "$exe" "$size" "$seconds" "res/art" <<'PY'
import os, sys, time
sys.path.insert(0, "tests/e2e")
import e2e_lib as L

exe, size, seconds, art = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4].split(";")
w, h = (int(v) for v in size.split("x"))
bg = L.find_picture(art, 673)
s = L.Session(os.path.abspath(exe), w, h)
try:
    s.write_registry(settings={"Enable sound": 0, "Pain": 3, "Subliminals": 1})
    probe = L.PixelProbe(s)
    ox, oy = (w - 640) // 2, (h - 480) // 2
    # A bright background point outside the title (which shows before the first frame) and away
    # from the doors in the walls: it turns from black to its colour with the first frame.
    tx0, ty0 = (w - 520) // 2 - ox, (h - 147) // 2 - oy
    px_, py_ = next((x, y) for y in range(240, 480, 4) for x in range(120, 520, 4)
                    if sum(bg.pixel(x, y)) > 300 and not (tx0 <= x < tx0 + 520 and ty0 <= y < ty0 + 147))
    want = bg.pixel(px_, py_)
    ox, oy = ox + px_, oy + py_
    title = L.find_picture(art, 670)
    cx, cy = w // 2, h // 2
    title_px = title.pixel(cx - (w - title.width) // 2, cy - (h - title.height) // 2)
    t0 = time.monotonic()
    p = s.start("s")
    first = shown = None
    probe_last = None
    while time.monotonic() - t0 < 10:
        if shown is None:
            tp = probe.pixel(cx, cy)
            if tp and L.close_colour(tp, title_px, 24):
                shown = time.monotonic() - t0
        px = probe_last = probe.pixel(ox, oy)
        if px and L.close_colour(px, want, 24):
            first = time.monotonic() - t0
            break
        time.sleep(0.001)
    probe.close()
    if first is None or p.poll() is not None:
        sys.exit(f"the saver did not show its first frame (at {ox},{oy}: {probe_last} for {want})")

    tick = os.sysconf("SC_CLK_TCK")
    def cpu():
        with open(f"/proc/{p.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / tick  # utime + stime
    c0, w0 = cpu(), time.monotonic()
    time.sleep(seconds)
    c1, w1 = cpu(), time.monotonic()
    with open(f"/proc/{p.pid}/status") as f:
        hwm = next(int(l.split()[1]) for l in f if l.startswith("VmHWM:"))
    bitmaps = 2 * w * h * 4 / 1e6
    print(f"screen {w}x{h}")
    if shown is not None:
        print(f"title on the screen after start: {shown * 1000:.0f} ms (drawn before the pictures load)")
    print(f"first composed frame after start: {first * 1000:.0f} ms (target 150 ms)")
    print(f"processor over {w1 - w0:.0f} s: {100 * (c1 - c0) / (w1 - w0):.2f} % of one core (target 2 %)")
    print(f"peak memory: {hwm / 1024:.1f} MB (target {2 * bitmaps + 20:.1f} MB = 2 x {bitmaps:.1f} MB screen bitmaps + 20 MB)")
    p.terminate()
    p.wait(5)
finally:
    s.close()
PY
