#!/usr/bin/env python3
# Fails when a file under src/ includes across the layers (docs/architecture.md, "Layers").
import re
import sys
from pathlib import Path

SRC = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "src")
# Folder -> the other folders its files may include. "res" is resource.h and version.h. The scene
# and the windows read the settings on theApp (app/SaverApp.h).
ALLOWED = {
    "platform": set(),  # the seam
    "platform/common": {"platform"},
    "platform/headless": {"platform", "platform/common"},
    "platform/posix": {"platform", "platform/common"},
    "platform/win32": {"platform", "platform/common"},
    "framework": {"platform"},
    "framework/main": {"framework"},
    "imaging": {"framework"},
    "scene": {"framework", "app", "res"},
    "ui": {"framework", "res"},
    "window": {"framework", "imaging", "scene", "app", "res"},
    "app": {"framework", "imaging", "scene", "window", "ui", "res"},
}
OS_HEADER = re.compile(r"(SDL|X11/|gtk/|gdk/|glib|windows\.h|commctrl\.h|mmsystem\.h)", re.I)
OS_ALLOWED = {"platform/posix": re.compile(r"(SDL|X11/|gtk/|gdk/|glib)"),
              "platform/win32": re.compile(r"(windows|commctrl|mmsystem)\.h")}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(src_file, name):
    for base in (src_file.parent, SRC):
        path = (base / name).resolve()
        if path.is_file() and SRC.resolve() in path.parents:
            return path.parent.relative_to(SRC.resolve()).as_posix()
    return "res" if name in ("resource.h", "version.h") else None


def problems(src_file):
    layer = src_file.parent.relative_to(SRC).as_posix()
    above_backends = not layer.startswith("platform/")
    for number, line in enumerate(src_file.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        kind, name = match.groups()
        where = f"{src_file.relative_to(SRC.parent)}:{number}: {layer} includes {name}"
        if kind == "<":
            # Above the back-ends only the C++ standard library's own headers (no .h, no folder).
            if (above_backends and not re.fullmatch(r"[a-z_]+", name)) or (
                    OS_HEADER.search(name) and not (layer in OS_ALLOWED and OS_ALLOWED[layer].search(name))):
                yield where + " (an operating system's header)"
            continue
        target = folder_of(src_file, name)
        if target is None:
            yield where + " (not found under src/)"
        elif target != layer and target not in ALLOWED.get(layer, set()):
            yield where + f" (not allowed: {layer} may include {sorted(ALLOWED.get(layer, ()))})"


found = [p for f in sorted(SRC.rglob("*")) if f.suffix in (".h", ".cpp", ".c") for p in problems(f)]
unknown = sorted({f.parent.relative_to(SRC).as_posix() for f in SRC.rglob("*.[ch]*")} - set(ALLOWED) - {"."})
found += [f"src/{u}: a folder with no place in the layers (add it to {Path(__file__).name})" for u in unknown]
print("\n".join(found) or f"layers: every include under {SRC} keeps to its layer")
sys.exit(1 if found else 0)
