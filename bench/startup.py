#!/usr/bin/env python3
"""Start-up of Trel against two bare Qt windows of the main window's size, one empty and one with a line of
text (the floor of any window with text): time from process start to the window shown, and peak memory until
then. All run alternately in one session, on each platform: offscreen, and xcb on the display (or on an
Xvfb of its own when there is none). On xcb the real trel is also measured from outside (bench/map_watch waits for
its window "Trel - v0.48b" to be mapped), against the bare windows measured the same way.

    python3 bench/startup.py [build-dir] [runs]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TITLE = "Trel - v0.48b"


def prepared_folder():
    folder = tempfile.mkdtemp(prefix="trel bench ")
    quake = os.path.join(folder, "Quake 2")
    os.makedirs(os.path.join(quake, "vorn"))
    shutil.copy(os.path.join(build, "tools", "quake2"), os.path.join(quake, "quake2"))
    with open(os.path.join(root, "dist", "trel.ini"), "rb") as f:
        ini = f.read()
    ini = ini.replace(b"Used=0\r\n", b"Used=1\r\nPath=" + os.path.join(quake, "quake2").encode() +
                      b"\r\nDir=" + quake.encode() + b"\r\n")
    with open(os.path.join(folder, "trel.ini"), "wb") as f:
        f.write(ini)
    return folder


def measure(command, cwd, env):
    """The program prints "shown <ms> <KiB>" (map_watch) or "shown <KiB>" (in-process probes)."""
    import time
    start = time.perf_counter()
    proc = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = proc.stdout.readline().decode()
    elapsed = (time.perf_counter() - start) * 1000.0
    errors = proc.communicate()[1].decode(errors="replace")
    words = line.split()
    if not words or words[0] != "shown":
        sys.exit(f"{command[0]} did not report its window: {line!r}\n{errors}")
    return (float(words[1]), int(words[2])) if len(words) == 3 else (elapsed, int(words[1]))


def table(platform, programs, cwd, env):
    results = {name: [] for name in programs}
    for _ in range(runs):
        for name, command in programs.items():
            results[name].append(measure(command, cwd, env))
    med = {k: (statistics.median(t for t, _ in v), statistics.median(m for _, m in v)) for k, v in results.items()}
    print(f"\n{platform}: {runs} alternating runs each, medians")
    for name, (ms, kib) in med.items():
        print(f"  {name:<22} {ms:7.1f} ms  peak {kib / 1024:6.1f} MiB")
    for name in programs:
        if name.startswith("bare"):
            continue
        for base, label in (("bare, one line of text", "text"), ("bare, empty", "empty")):
            print(f"  {name} / {label:<5}: time {med[name][0] / med[base][0]:.2f}, "
                  f"memory {med[name][1] / med[base][1]:.2f}")


def virtual_display():
    """An Xvfb of its own on a free display number, which the server itself picks and reports."""
    if not shutil.which("Xvfb"):
        return None, None
    read_end, write_end = os.pipe()
    # -noreset: the server would otherwise reset, and refuse connections for a moment, whenever the last
    # measured program has left.
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp", "-noreset"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    return server, ":" + number


def main():
    folder = prepared_folder()
    bare = os.path.join(build, "bench", "bare_window")
    probe = os.path.join(build, "bench", "startup_probe")
    trel = os.path.join(build, "app", "trel")
    watch = os.path.join(build, "bench", "map_watch")
    server = None
    try:
        for platform in ("offscreen", "xcb"):
            env = dict(os.environ, QT_QPA_PLATFORM=platform)
            server = None
            if platform == "xcb" and not os.environ.get("DISPLAY"):
                server, display = virtual_display()
                if not server:
                    print("\nxcb: no display and no Xvfb; skipped")
                    continue
                env["DISPLAY"] = display
            table(platform, {"trel (probe)": [probe], "bare, one line of text": [bare, "--text"],
                             "bare, empty": [bare]}, folder, env)
            if platform == "xcb" and os.path.exists(watch) and os.path.exists(trel):
                table("xcb, the real trel, watched from outside",
                      {"trel": [watch, TITLE, trel],
                       "bare, one line of text": [watch, "bare window", bare, "--text", "--stay"],
                       "bare, empty": [watch, "bare window", bare, "--stay"]}, folder, env)
            if server:
                server.terminate()
                server.wait()
    finally:
        if server:
            server.terminate()
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
