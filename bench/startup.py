#!/usr/bin/env python3
"""Start-up of Trel against two bare Qt windows of the main window's size, one empty and one with a line of
text (the floor of any window with text): time from process start to the window shown, and peak memory until
then. All run alternately in one session, on each platform: offscreen, and xcb on the display (or on an
Xvfb of its own when there is none). On xcb the real trel is also measured from outside (bench/map_watch waits for
its window "Trel - v0.48b" to be mapped), against the bare windows measured the same way.

    python3 bench/startup.py [build-dir] [runs]

With --wine, the Windows build under Wine on one Xvfb: trel.exe watched from outside against the bare windows
built with the same Qt, watched the same way (peak resident memory of the Wine process), and the in-process
probes (peak working set as Windows counts it). map_watch comes from the Linux build.

    python3 bench/startup.py --wine [windows-build-dir] [linux-build-dir] [runs]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

args = sys.argv[1:]
wine = bool(args) and args[0] == "--wine"
if wine:
    args = args[1:]
    windows_build = os.path.abspath(args.pop(0) if args else "build-windows")
build = os.path.abspath(args.pop(0) if args else "build")
runs = int(args.pop(0)) if args else 9
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TITLE = "Trel - v0.48b"


def windows_path(path):
    """A path of this machine as a Windows program under Wine names it: the root is drive Z:."""
    return "Z:" + path.replace("/", "\\")


def prepared_folder(game_build, game, name=lambda path: path):
    folder = tempfile.mkdtemp(prefix="trel bench ")
    quake = os.path.join(folder, "Quake 2")
    os.makedirs(os.path.join(quake, "vorn"))
    shutil.copy(os.path.join(game_build, "tools", game), os.path.join(quake, game))
    with open(os.path.join(root, "dist", "trel.ini"), "rb") as f:
        ini = f.read()
    ini = ini.replace(b"Used=0\r\n", b"Used=1\r\nPath=" + name(os.path.join(quake, game)).encode() +
                      b"\r\nDir=" + name(quake).encode() + b"\r\n")
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


def cache_value(build_dir, key):
    with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith(key + ":"):
                return line.split("=", 1)[1].strip()
    sys.exit(f"{key} is not in {build_dir}/CMakeCache.txt")


def main_wine():
    watch = os.path.join(build, "bench", "map_watch")
    if not os.path.exists(watch):
        sys.exit(f"{watch} is missing: build the Linux build first (cmake --build {build})")
    folder = prepared_folder(windows_build, "quake2.exe", windows_path)
    prefix = tempfile.mkdtemp(prefix="trel-bench-wine.")
    dlls = ";".join(windows_path(d) for d in cache_value(windows_build, "TREL_WINDOWS_DLL_DIRS").split(":"))
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", WINEPATH=dlls)
    env.pop("QT_QPA_PLATFORM", None)
    server, display = virtual_display()
    if not server:
        sys.exit("no Xvfb")
    env["DISPLAY"] = display
    wine_program = shutil.which("wine64") or shutil.which("wine")
    try:
        subprocess.run(["bash", os.path.join(root, "scripts", "wine-run.sh"), "--prepare"], env=env, check=True)
        # One Wine server for every run, as on a desktop where Wine is already up.
        persistent = subprocess.Popen(["wineserver", "-f", "-p"], env=env)
        exe = lambda *parts: os.path.join(windows_build, *parts)
        bare = exe("bench", "bare_window.exe")
        table("wine, windows platform, watched from outside",
              {"trel.exe": [watch, TITLE, wine_program, exe("app", "trel.exe")],
               "bare, one line of text": [watch, "bare window", wine_program, bare, "--text", "--stay"],
               "bare, empty": [watch, "bare window", wine_program, bare, "--stay"]}, folder, env)
        table("wine, windows platform, in-process probes (peak working set)",
              {"trel (probe)": [wine_program, exe("bench", "startup_probe.exe")],
               "bare, one line of text": [wine_program, bare, "--text"],
               "bare, empty": [wine_program, bare]}, folder, env)
        subprocess.run(["wineserver", "-k"], env=env)
        persistent.wait()
    finally:
        server.terminate()
        shutil.rmtree(folder)
        shutil.rmtree(prefix, ignore_errors=True)


def main():
    if wine:
        return main_wine()
    folder = prepared_folder(build, "quake2")
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
