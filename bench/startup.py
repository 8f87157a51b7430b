#!/usr/bin/env python3
"""Start-up of Trel against a bare Qt window: time from process start to the main window shown, and peak
memory until then. Both run alternately in one session, on the same platform plugin.

    python3 bench/startup.py [build-dir] [runs]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))


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


def measure(program, cwd):
    start = time.perf_counter()
    proc = subprocess.Popen([program], cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = proc.stdout.readline().decode()
    elapsed = time.perf_counter() - start
    proc.wait()
    if not line.startswith("shown "):
        sys.exit(f"{program} did not report its window: {line!r}")
    return elapsed * 1000.0, int(line.split()[1])


folder = prepared_folder()
trel = os.path.abspath(os.path.join(build, "bench", "startup_probe"))
bare = os.path.abspath(os.path.join(build, "bench", "bare_window"))
results = {"trel": [], "bare": []}
for _ in range(runs):
    results["trel"].append(measure(trel, folder))
    results["bare"].append(measure(bare, folder))
shutil.rmtree(folder)

med = {k: (statistics.median(t for t, _ in v), statistics.median(m for _, m in v)) for k, v in results.items()}
print(f"platform: {env['QT_QPA_PLATFORM']}, runs: {runs} each, medians")
print(f"trel : {med['trel'][0]:7.1f} ms to the main window, peak {med['trel'][1] / 1024:6.1f} MiB")
print(f"bare : {med['bare'][0]:7.1f} ms to an empty window, peak {med['bare'][1] / 1024:6.1f} MiB")
print(f"ratio: time {med['trel'][0] / med['bare'][0]:.2f} (target <= 1.5), "
      f"memory {med['trel'][1] / med['bare'][1]:.2f} (target <= 1.3)")
