"""The Windows back-end on its own under Wine: SeamProbe checks each function of the platform
seam against real Win32 results (registry, resources, windows and messages, presenting, dialogs,
system calls) and prints one line per check."""

import sys

import wine_lib as W


def main():
    build = W.Build(W.parse_args(sys.argv[1:]))
    w = W.WineWorld(build, 1024, 768, helpers=("SeamProbe.exe",))
    try:
        rc, out = w.run(program="SeamProbe.exe", timeout=120)
        out = (out or "").replace("\r\n", "\n")
        print(out, end="", flush=True)
        if rc is None:
            print("SeamProbe did not finish\nseam: 0 passed, 1 failed")
            return 1
        return 0 if rc == 0 and out.rstrip().endswith(" 0 failed") else 1
    finally:
        w.close()


if __name__ == "__main__":
    sys.exit(main())
