"""The Windows .scr as a file (PE32 GUI, subsystem 4.0, system DLLs, manifest, version) and its zip."""

import os
import re
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import harness as H  # noqa: E402

SYSTEM_DLLS = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL", "WINMM.DLL"}


def main():
    scr, version, zip_path = (sys.argv[1:] + [None, None])[:3]
    check = H.Checks("scr format").check

    kind = subprocess.run(["file", "-b", scr], capture_output=True, text=True).stdout
    check(kind.startswith("PE32 executable (GUI) Intel 80386"), f"file: {kind.strip()}")
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", scr], capture_output=True, text=True).stdout
    fields = dict(re.findall(r"^(\w+)\s+(\S+)", dump, re.M))
    check([fields.get(f) for f in ("MajorSubsystemVersion", "MinorSubsystemVersion", "Subsystem")] == ["4", "0", "00000002"],
          "Windows GUI subsystem, version 4.0")
    dlls = {d.upper() for d in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, f"imports only system DLLs: {sorted(dlls)}")
    check({"WINMM.DLL", "COMCTL32.DLL", "ADVAPI32.DLL"} <= dlls, "sound, common controls and registry are linked")

    with open(scr, "rb") as f:
        image = f.read()
    # windres reads the linked resources back as a script: the manifest (RT_MANIFEST, id 1 as CreateProcess
    # reads it) and the version information are blocks of their own.
    rc = subprocess.run(["i686-w64-mingw32-windres", "-i", scr, "-O", "rc"], capture_output=True, text=True,
                        errors="replace").stdout
    text = rc[rc.find("\n1 24 /* RT_MANIFEST */"):][:4000].split("\nEND")[0] if "\n1 24 /* RT_MANIFEST */" in rc else ""
    check(re.search(r"<dpiAware[^>]*>\s*true\s*</dpiAware>", text) is not None, "manifest 1 declares DPI awareness")
    check(not re.search(r"dependentAssembly|requestedExecutionLevel|dpiAwareness", text),
          "manifest changes nothing else (classic controls, no elevation setting)")
    if version:
        block = rc[rc.find(" VERSIONINFO"):]
        numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
        check(f"FILEVERSION {numbers}\n" in block and f"PRODUCTVERSION {numbers}\n" in block,
              f"file and product version {numbers}")
        values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', block))
        want = {"CompanyName": "Tarnwick Productions Ltd", "FileDescription": "Morgrave Screen Saver",
                "ProductName": "Morgrave Screen Saver", "FileVersion": version, "ProductVersion": version,
                "InternalName": "Morgrave", "OriginalFilename": "Morgrave.scr"}
        check(values == want, f"version strings {values}")
    if zip_path:
        with zipfile.ZipFile(zip_path) as z:
            names = sorted(z.namelist())
            check(names == ["LICENSE.txt", "Morgrave.scr", "README.txt"], f"zip holds {names}")
            if "Morgrave.scr" in names:
                check(z.read("Morgrave.scr") == image, "the zip's .scr is the built one")
            readme = z.read("README.txt").decode() if "README.txt" in names else ""
            licence = z.read("LICENSE.txt").decode() if "LICENSE.txt" in names else ""
        check(version in readme and "Install" in readme and "Tarnwick Productions Ltd\\Morgrave\\Settings" in readme,
              "README.txt: version, how to install, where the settings live")
        check("MIT" in licence and "The Morgrave Screen Saver authors" in licence, "LICENSE.txt: MIT")
        check(all(t.count("\n") == t.count("\r\n") > 3 for t in (readme, licence)), "Windows line ends")
    return check.__self__.finish()


if __name__ == "__main__":
    sys.exit(main())
