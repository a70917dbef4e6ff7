"""The Debian package as a user gets it (only simulated and extracted: the machine's /usr is never touched)."""

import os
import signal
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import harness as H  # noqa: E402

# Every file and link of the package (links with their targets).
FILES = {
    "usr/bin/morgrave", "usr/share/xscreensaver/config/morgrave.xml", "usr/share/man/man6/morgrave.6.gz",
    "usr/share/applications/morgrave-settings.desktop", "usr/share/icons/hicolor/16x16/apps/morgrave.png",
    "usr/share/icons/hicolor/32x32/apps/morgrave.png", "usr/share/metainfo/org.example.morgrave.metainfo.xml",
    "usr/share/doc/morgrave/copyright", "usr/share/doc/morgrave/changelog.gz",
    "usr/lib/x86_64-linux-gnu/morgrave/morgrave-dialogs.so",
}
LINKS = {"usr/libexec/xscreensaver/morgrave": "../../bin/morgrave"}


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=300, **kw)


def main():
    build, version, art = sys.argv[1], sys.argv[2], sys.argv[3]
    c = H.Checks("package_deb")
    r = run("cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), cwd=build)
    deb = os.path.join(build, "packages", f"morgrave_{version}_amd64.deb")
    c.check(r.returncode == 0 and os.path.exists(deb), f"cpack made {os.path.basename(deb)}\n{r.stdout}{r.stderr}")
    if not os.path.exists(deb):
        return c.finish()

    field = [run("dpkg-deb", "-f", deb, f).stdout.strip() for f in
             ("Package", "Version", "Architecture", "Section", "Priority", "Suggests", "Depends")]
    c.check(field[:6] == ["morgrave", version, "amd64", "x11", "optional", "xscreensaver"], f"control fields {field[:6]}")
    c.check(all(lib in field[6] for lib in ("libc6", "libsdl2-2.0-0", "libgtk-3-0", "libx11-6")),
            f"Depends from the shared libraries: {field[6]}")

    listing = run("dpkg-deb", "-c", deb).stdout.splitlines()
    files, links = set(), {}
    for line in listing:
        name, _, target = line.split(None, 5)[5].removeprefix("./").partition(" -> ")
        if line[0] == "l":
            links[name] = target
        elif line[0] != "d":
            files.add(name)
    c.check(files == FILES, f"the files (none under /usr/local): missing {FILES - files}, extra {files - FILES}")
    c.check(links == LINKS and all(line.split()[1] == "root/root" for line in listing), f"the links {links}, owned by root")
    lint = run("lintian", "--fail-on", "error,warning", "--display-info", deb)
    c.check(lint.returncode == 0 and not any(line[:2] in ("E:", "W:") for line in lint.stdout.splitlines()),
            f"lintian: no errors, no warnings\n{lint.stdout}")
    sim = run("apt-get", "install", "--simulate", "-q", os.path.abspath(deb))
    c.check(sim.returncode == 0 and "Inst morgrave" in sim.stdout, f"apt-get install --simulate\n{sim.stderr}")

    with tempfile.TemporaryDirectory(prefix="morgrave-deb-") as root:
        r = run("dpkg-deb", "-x", deb, root)
        c.check(r.returncode == 0, "dpkg-deb -x")
        hack = os.path.join(root, "usr/libexec/xscreensaver/morgrave")
        c.check(os.path.realpath(hack) == os.path.join(os.path.realpath(root), "usr/bin/morgrave"),
                "the XScreenSaver link resolves to the program")
        r = run("desktop-file-validate", os.path.join(root, "usr/share/applications/morgrave-settings.desktop"))
        c.check(r.returncode == 0 and not r.stdout.strip(), f"desktop-file-validate {r.stdout}")
        r = run("appstreamcli", "validate", "--no-net", "--pedantic",
                os.path.join(root, "usr/share/metainfo/org.example.morgrave.metainfo.xml"))
        c.check(r.returncode == 0, f"appstreamcli validate --no-net\n{r.stdout}")
        for size in (16, 32):
            with open(os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/morgrave.png"), "rb") as f:
                head = f.read(24)
            c.check(head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (size, size), f"{size}px icon")
        r = run(hack, "--version")
        c.check(r.returncode == 0 and r.stdout == f"morgrave {version}\n", f"--version: {r.stdout!r}")
        # Without a display the settings mode gets as far as the dialog module, which says so.
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env.update(HOME=root, XDG_CONFIG_HOME=os.path.join(root, "config"), XDG_STATE_HOME=os.path.join(root, "state"))
        r = run(hack, "c", env=env)
        c.check("cannot open the X display for the settings dialog" in r.stderr, f"the dialog module is found: {r.stderr!r}")
        run_hack(c, hack, art)
    return c.finish()


def run_hack(c, hack, art):
    """The extracted hack as XScreenSaver runs it: the window in $XSCREENSAVER_WINDOW, SIGTERM."""
    s = H.Session(hack, 800, 600)
    try:
        win = H.ParentWindow(s, 0, 0, 800, 600)
        p = s.start("s", env={"XSCREENSAVER_WINDOW": f"0x{win.id:x}"})
        bg = H.find_picture([art], 673)
        c.check(H.wait_until(lambda: H.shows_chamber(s, bg, 80, 60), 15, 0.1), "the extracted hack draws in the window")
        p.send_signal(signal.SIGTERM)
        c.check(H.wait_exit(p, 5) == 0, "SIGTERM ends it cleanly")
    finally:
        s.close()


if __name__ == "__main__":
    sys.exit(main())
