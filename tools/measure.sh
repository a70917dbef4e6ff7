#!/usr/bin/env bash
# Measures the full-screen saver against two sprite hacks in one run, each on a private Xvfb:
# processor share and peak memory (and their ratios), the title's time after start (median of 5)
# and the X reads per second. Prints figures; not a test.
# Usage: tools/measure.sh [WxH] [seconds] [path/to/morgrave]   (defaults 1920x1080, 20, build/release)
# The peers `noseguy` and `pacman` come with Debian's xscreensaver-data-extra, the read count
# with strace; both are installed when missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1920x1080}
seconds=${2:-20}
exe=${3:-build/release/morgrave}
hacks=/usr/libexec/xscreensaver
if [[ ! -x $hacks/noseguy || ! -x $hacks/pacman ]] || ! command -v strace >/dev/null; then
  if [[ $(id -u) == 0 ]]; then
    apt-get install -y --no-install-recommends xscreensaver-data-extra strace >/dev/null
  else
    echo "measure: install xscreensaver-data-extra and strace first" >&2
  fi
fi
if [[ ! -x $exe ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target morgrave
fi
exec python3 - "$exe" "$size" "$seconds" "res/art" "$hacks" <<'PY'
import os, shutil, statistics, subprocess, sys, time
sys.path.insert(0, "tests/lib")
import harness as L

exe, size, seconds, art, hacks = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4].split(";"), sys.argv[5]
w, h = (int(v) for v in size.split("x"))
tick = os.sysconf("SC_CLK_TCK")


def cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick  # utime + stime


def peak_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(l.split()[1]) for l in f if l.startswith("VmHWM:")) / 1024


def saver_session(pain):
    s = L.Session(os.path.abspath(exe), w, h)
    s.write_registry(settings={"Enable sound": 0, "Pain": pain, "Subliminals": 1})
    return s


def title_ms(runs):
    """Milliseconds from start until the title's centre pixel shows, for each of `runs` starts on
    one X server that is already up (as a desktop is when its saver starts)."""
    s = saver_session(3)
    times = []
    try:
        title = L.find_picture(art, 670)
        cx, cy = w // 2, h // 2
        want = title.pixel(cx - (w - title.width) // 2, cy - (h - title.height) // 2)
        probe = L.PixelProbe(s)
        for _ in range(runs):
            t0 = time.monotonic()
            p = s.start("s")
            shown = None
            while shown is None and time.monotonic() - t0 < 10 and p.poll() is None:
                px = probe.pixel(cx, cy)
                if px and L.close_colour(px, want, 24):
                    shown = (time.monotonic() - t0) * 1000
                time.sleep(0.001)  # leave the server and the saver the processor between looks
            p.terminate()
            p.wait(5)
            if shown is not None:
                times.append(shown)
            time.sleep(0.5)  # the saver's window is gone before the next start
        probe.close()
        return times
    finally:
        s.close()


# Everything measured side by side, so that the machine's load weighs on all alike.
runs = []  # (name, session, process)
try:
    for pain in (3, 4):
        s = saver_session(pain)
        runs.append((f"morgrave Pain {pain}", s, s.start("s")))
    for hack in ("noseguy", "pacman"):
        path = os.path.join(hacks, hack)
        if os.access(path, os.X_OK):
            s = L.Session(path, w, h)
            runs.append((hack, s, s.start("-root")))
    time.sleep(3)  # past the start-up
    live = [r for r in runs if r[2].poll() is None]
    c0, t0 = {r[0]: cpu(r[2].pid) for r in live}, time.monotonic()
    time.sleep(seconds)
    c1, t1 = {r[0]: cpu(r[2].pid) for r in live}, time.monotonic()
    share = {n: 100 * (c1[n] - c0[n]) / (t1 - t0) for n in c0}
    peak = {r[0]: peak_mb(r[2].pid) for r in live}
    # Then, apart from the processor figures (tracing slows the traced), 10 s of the saver's reads.
    reads = None
    strace = shutil.which("strace")
    if strace:
        log = os.path.join(runs[0][1].home, "strace.txt")
        tracer = subprocess.Popen([strace, "-f", "-c", "-e", "trace=recvmsg", "-o", log, "-p", str(runs[0][2].pid)],
                                  stderr=subprocess.DEVNULL)
        time.sleep(10)
        tracer.send_signal(2)
        tracer.wait(10)
        with open(log) as f:
            reads = next((int(l.split()[3]) for l in f if l.rstrip().endswith("recvmsg")), 0) / 10
finally:
    for _, s, p in runs:
        p.terminate()
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill()
        s.close()

titles = title_ms(5) if (w, h) == (1920, 1080) else []
buffer = w * h * 4 / 2**20
print(f"screen {w}x{h}, {t1 - t0:.0f} s side by side, load average {os.getloadavg()[0]:.1f}")
print(f"{'':18}{'processor %':>12}{'peak MB':>10}")
for n in share:
    print(f"{n:18}{share[n]:12.2f}{peak[n]:10.1f}")
for peer in ("noseguy", "pacman"):
    if peer in share:
        for pain in (3, 4):
            n = f"morgrave Pain {pain}"
            print(f"{n} / {peer}: processor {share[n] / max(share[peer], 1e-9):.2f}, peak memory {peak[n] / peak[peer]:.2f}")
print(f"peak memory target: {2 * buffer + 15:.1f} MB (2 x {buffer:.1f} MB screen buffers + 15 MB)")
if reads is not None:
    print(f"X reads (recvmsg) of morgrave Pain 3: {reads:.1f} a second")
if titles:
    print(f"title on the screen after start, median of {len(titles)}: {statistics.median(titles):.0f} ms "
          f"(runs: {', '.join(f'{t:.0f}' for t in titles)}; target 50 ms)")
PY
