"""The Windows .scr as a file: a 32-bit GUI program (PE32) for subsystem version 4.0 that imports
only DLLs of Windows itself, with the saver's resources linked in."""

import re
import subprocess
import sys

SYSTEM_DLLS = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL", "WINMM.DLL"}


def main():
    scr = sys.argv[1]
    passed = failed = 0

    def check(ok, what):
        nonlocal passed, failed
        print(("ok    " if ok else "FAIL  ") + what, flush=True)
        passed, failed = passed + bool(ok), failed + (not ok)

    kind = subprocess.run(["file", "-b", scr], capture_output=True, text=True).stdout
    check(kind.startswith("PE32 executable (GUI) Intel 80386"), f"file: {kind.strip()}")
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", scr], capture_output=True, text=True).stdout
    fields = dict(re.findall(r"^(\w+)\s+(\S+)", dump, re.M))
    check((fields.get("MajorSubsystemVersion"), fields.get("MinorSubsystemVersion")) == ("4", "0"),
          "subsystem version 4.0")
    check(fields.get("Subsystem") == "00000002", "Windows GUI subsystem")
    dlls = {d.upper() for d in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, f"imports only system DLLs: {sorted(dlls)}")
    check({"WINMM.DLL", "COMCTL32.DLL", "ADVAPI32.DLL"} <= dlls, "sound, common controls and registry are linked")
    sections = subprocess.run(["i686-w64-mingw32-objdump", "-h", scr], capture_output=True, text=True).stdout
    check(re.search(r"^\s*\d+\s+\.rsrc\s", sections, re.M) is not None, "resources linked (.rsrc section)")
    print(f"scr format: {passed} passed, {failed} failed", flush=True)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
