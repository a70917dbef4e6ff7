"""Start-up under Wine: the settings key that a first start writes, an unknown argument that ends
at once after writing it, values read and written back unchanged, and a value longer than 4 bytes
replaced by its default."""

import sys
import time

import wine_lib as W


def check(w, c, args):
    c.check(W.dword(w.reg_values(), "Pain") is None, "a fresh prefix has no settings yet")

    t0 = time.time()
    rc, _ = w.run("/x", timeout=60)
    c.check(rc == 0, f"an unknown argument ends the process (exit code {rc})")
    v = w.reg_values()
    c.check(v.get("Enable sound") == ("REG_DWORD", "0x1"), f"Enable sound = REG_DWORD 1 (got {v.get('Enable sound')})")
    c.check(v.get("Pain") == ("REG_DWORD", "0x3"), f"Pain = REG_DWORD 3 (got {v.get('Pain')})")
    c.check(v.get("Subliminals") == ("REG_DWORD", "0x1"), f"Subliminals = REG_DWORD 1 (got {v.get('Subliminals')})")
    c.check(len(v) == 3, f"nothing else in the settings key ({sorted(v)})")
    first = time.time() - t0

    # Arguments that match no mode end just as quickly, with no window left behind.
    for arg in ("//s", "/s:0", "/save", "-"):
        t0 = time.time()
        rc, _ = w.run(arg, timeout=60)
        c.check(rc == 0 and time.time() - t0 < first + 10, f"'{arg}' ends at once (exit code {rc})")

    # Stored values come back unchanged, whatever they are; a value too long for 4 bytes is
    # replaced by the default as a REG_DWORD.
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_BINARY", "0900000000000000")
    w.reg_set(W.SETTINGS_KEY, "Subliminals", "REG_DWORD", 0)
    w.reg_set(W.SETTINGS_KEY, "Enable sound", "REG_DWORD", 4294967295)
    rc, _ = w.run("/x", timeout=60)
    v = w.reg_values()
    c.check(v.get("Pain") == ("REG_DWORD", "0x3"), f"an 8-byte Pain is replaced by REG_DWORD 3 (got {v.get('Pain')})")
    c.check(v.get("Subliminals") == ("REG_DWORD", "0x0"), f"Subliminals 0 stays 0 (got {v.get('Subliminals')})")
    c.check(v.get("Enable sound") == ("REG_DWORD", "0xffffffff"),
            f"Enable sound -1 stays -1 (got {v.get('Enable sound')})")
    w.reg_set(W.SETTINGS_KEY, "Pain", "REG_DWORD", 9)
    w.run("/x", timeout=60)
    c.check(W.dword(w.reg_values(), "Pain") == 9, "a stored Pain of 9 is written back unchanged")


if __name__ == "__main__":
    sys.exit(W.main("wine start-up", check))
