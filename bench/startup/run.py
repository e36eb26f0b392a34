#!/usr/bin/env python3
"""Start-up to first paint and peak memory of the utility against a minimal Qt window.

Runs both probes alternately on one X server (Xvfb unless a display is set), after a warm-up,
and prints the medians and the ratios (ours / minimal window)."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(os.environ.get("RUNS", "11"))
bin_dir = os.path.join(build, "bin")
probes = {"utility": os.path.join(bin_dir, "startup-probe-utility"),
          "minimal": os.path.join(bin_dir, "startup-probe-minimal")}

def once(path, env):
    env = dict(env, BENCH_SPAWN_NS=str(time.monotonic_ns()))
    out = subprocess.run([path], env=env, capture_output=True, text=True, timeout=60).stdout
    fields = dict(kv.split("=") for kv in out.split())
    return float(fields["first_paint_ms"]), int(fields["peak_kib"])

def main():
    env = dict(os.environ)
    with tempfile.TemporaryDirectory() as root:
        env["WINCOMPAT_ROOT"] = root
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
