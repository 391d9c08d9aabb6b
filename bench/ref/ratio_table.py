#!/usr/bin/env python3
"""One table of the ratios between the suite and the reference libraries, from the results that
scripts/bench.sh leaves in its output folder: <bench>.json (Google Benchmark's JSON output) and
cluster_scipy.json (bench/ref/cluster_scipy.py).  Needs only the standard library.

  python3 bench/ref/ratio_table.py OUTDIR"""
import json
import os
import sys


def load_runs(path):
    """Best processor time (s) and best throughput (bytes/s) of every run name."""
    times, speeds = {}, {}
    if not os.path.exists(path):
        return times, speeds
    with open(path) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
        t = b["cpu_time"] * scale
        times[name] = min(times.get(name, t), t)
        if "bytes_per_second" in b:
            speeds[name] = max(speeds.get(name, 0.0), b["bytes_per_second"])
    return times, speeds


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "build/bench/results"
    rows = []  # (what, ratio or None, target text, met or None)

    fft, _ = load_runs(os.path.join(out, "bench_fourier.json"))
    for n, label in ((1 << 10, "2^10"), (1 << 16, "2^16"), (1 << 20, "2^20")):
        for ours, path in (("BM_ZolFFT", "fast path"), ("BM_ZolFFTPortable", "portable")):
            a, b = fft.get("%s/%d" % (ours, n)), fft.get("BM_FftwEstimate/%d" % n)
            r = a / b if a and b else None
            target = path == "fast path"
            rows.append(("FFT %s complex points (%s): time / FFTW_ESTIMATE" % (label, path), r,
                         "<= 1.5" if target else "", (r <= 1.5) if (r and target) else None))

    _, speed = load_runs(os.path.join(out, "bench_checksums.json"))
    size = 100 << 20
    for label, ours, ref, goal in (("SHA-1 100 MB: speed / OpenSSL SHA1", "BM_SHA1_Zol", "BM_SHA1_OpenSSL", 0.5),
                                   ("SHA-1 100 MB portable: speed / OpenSSL", "BM_SHA1_ZolPortable", "BM_SHA1_OpenSSL", None),
                                   ("CRC-32 100 MB: speed / zlib crc32", "BM_CRC32_Zol", "BM_CRC32_Zlib", 0.8),
                                   ("CRC-32 100 MB portable: speed / zlib", "BM_CRC32_ZolPortable", "BM_CRC32_Zlib", None)):
        a, b = speed.get("%s/%d" % (ours, size)), speed.get("%s/%d" % (ref, size))
        r = a / b if a and b else None
        rows.append((label, r, (">= %.1f" % goal) if goal else "", (r >= goal) if (r and goal) else None))

    cl = os.path.join(out, "cluster_scipy.json")
    if os.path.exists(cl):
        with open(cl) as f:
            for c in json.load(f):
                met = c["ratio"] <= 1.0 and c["same"]
                rows.append((c["label"] + ": time / SciPy" + ("" if c["same"] else " (RESULTS DIFFER)"), c["ratio"],
                             "<= 1.0", met))
    else:
        rows.append(("clustering and distances / SciPy: not run (no python3 with scipy)", None, "<= 1.0", None))

    print("\nRatios against the reference libraries (best of the runs; processor time or throughput)")
    width = max(len(r[0]) for r in rows)
    print("%-*s %9s %8s %5s" % (width, "", "ratio", "target", "met"))
    for what, r, target, met in rows:
        print("%-*s %9s %8s %5s" % (width, what, ("%.2fx" % r) if r else "-", target,
                                    "" if met is None else ("yes" if met else "NO")))


if __name__ == "__main__":
    main()
