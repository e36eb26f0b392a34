#!/usr/bin/env python3
"""Start-up to first paint and peak memory of the utility against a minimal Qt window.

Runs both probes alternately on one X server (Xvfb unless a display is set), after a warm-up,
and prints the medians and the ratios (ours / minimal window). The utility starts on an install
with both version files and an "Update Path" setting, so that its first paint includes the
version panels' reads."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(os.environ.get("RUNS", "11"))
bin_dir = os.path.abspath(os.path.join(build, "bin"))
probes = {"utility": os.path.join(bin_dir, "startup-probe-utility"),
          "minimal": os.path.join(bin_dir, "startup-probe-minimal")}

def once(path, env):
    env = dict(env, BENCH_SPAWN_NS=str(time.monotonic_ns()))
    out = subprocess.run([path], env=env, capture_output=True, text=True, timeout=60).stdout
    fields = dict(kv.split("=") for kv in out.split())
    return float(fields["first_paint_ms"]), int(fields["peak_kib"])

def lay_out_install(root, env):
    """A program folder to start in: the installed program (found by its bare name in the current
    folder) and an update folder named by the settings."""
    program = os.path.join(root, "program")
    update = os.path.join(program, "Update")
    os.makedirs(update)
    for path, version in ((os.path.join(program, "Tallyrune.exe"), "1.4.2.310"),
                          (os.path.join(update, "Tallyrune.exe"), "1.5.0.12")):
        subprocess.run([os.path.join(bin_dir, "mkpe"), path, "--file-version", version,
                        "--string", "ProductName=Tallyrune POS", "--string", "FileVersion=" + version,
                        "--string", "ProductVersion=" + version[:3],
                        "--string", "LegalCopyright=Copyright (C) Harrowmere Software"], check=True)
    subprocess.run([os.path.join(bin_dir, "tallyrune-updatectl"), "reg", "add",
                    "HKLM\\Software\\Harrowmere\\Tallyrune\\Application", "/v", "Update Path", "/d", update, "/f"],
                   env=env, check=True, capture_output=True)
    return program

def main():
    env = dict(os.environ)
    with tempfile.TemporaryDirectory() as root:
        env["WINCOMPAT_ROOT"] = os.path.join(root, "wincompat")
        os.chdir(lay_out_install(root, env))
        results = {name: [] for name in probes}
        for name, path in probes.items():  # warm-up: caches, fonts
            once(path, env)
        for _ in range(runs):
            for name, path in probes.items():
                results[name].append(once(path, env))
    med = {n: (statistics.median(t for t, _ in r), statistics.median(m for _, m in r)) for n, r in results.items()}
    for n, (t, m) in med.items():
        print(f"{n:8s} first paint {t:8.2f} ms   peak memory {m / 1024:7.1f} MiB   (median of {runs})")
    print(f"ratio    time {med['utility'][0] / med['minimal'][0]:.2f}   memory {med['utility'][1] / med['minimal'][1]:.2f}"
          "   (target: at most 1.30 each)")

if __name__ == "__main__":
    if not os.environ.get("DISPLAY") and not os.environ.get("BENCH_UNDER_XVFB"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "env", "BENCH_UNDER_XVFB=1",
                               sys.executable] + sys.argv)
    main()
