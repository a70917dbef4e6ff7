"""The Windows .scr as a file: a 32-bit GUI program (PE32) for subsystem version 4.0 that imports
only DLLs of Windows itself, with the saver's resources linked in, a manifest that declares the
program DPI aware and nothing else, and version information of the project's version; and the
download zip that carries it."""

import os
import re
import struct
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import harness as H  # noqa: E402

SYSTEM_DLLS = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL", "WINMM.DLL"}


def resource(data, type_id, res_id):
    """Bytes of resource (type_id, res_id) in the first language found, read through the PE's own
    resource directory; None when there is none."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, opt_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    rsrc_rva = struct.unpack_from("<I", data, opt + 96 + 2 * 8)[0]  # data directory 2: resources
    table = [struct.unpack_from("<8xIIII", data, opt + opt_size + 40 * i) for i in range(sections)]

    def offset(rva):
        for vsize, va, raw_size, raw in table:
            if va <= rva < va + max(vsize, raw_size):
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} outside every section")

    base = offset(rsrc_rva)

    def entry(directory, wanted):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            if wanted is None or name == wanted:
                return target
        return None

    level = 0
    for wanted in (type_id, res_id):
        target = entry(level, wanted)
        if target is None or not target & 0x80000000:
            return None
        level = target & 0x7FFFFFFF
    leaf = entry(level, None)
    if leaf is None or leaf & 0x80000000:
        return None
    rva, size = struct.unpack_from("<II", data, base + leaf)
    return data[offset(rva):offset(rva) + size]


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
    sections = subprocess.run(["i686-w64-mingw32-objdump", "-h", scr], capture_output=True, text=True).stdout
    check(re.search(r"^\s*\d+\s+\.rsrc\s", sections, re.M) is not None, "resources linked (.rsrc section)")

    with open(scr, "rb") as f:
        image = f.read()
    if version:
        # windres reads the resources back as a script; the version information is its own block.
        rc = subprocess.run(["i686-w64-mingw32-windres", "-i", scr, "-O", "rc"], capture_output=True, text=True,
                            errors="replace").stdout
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
    manifest = resource(image, 24, 1)  # RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
    text = manifest.decode("utf-8", "replace") if manifest else ""
    check(re.search(r"<dpiAware[^>]*>\s*true\s*</dpiAware>", text) is not None, "manifest declares DPI awareness")
    check(not re.search(r"dependentAssembly|requestedExecutionLevel|dpiAwareness", text),
          "manifest changes nothing else (classic controls, no elevation setting)")
    return check.__self__.finish()


if __name__ == "__main__":
    sys.exit(main())
