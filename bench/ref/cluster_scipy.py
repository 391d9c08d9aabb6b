#!/usr/bin/python3
"""Clustering and distance matrices: our benchmark (bench_cluster) against SciPy on the same
data, with a check that both give the same results.

  /usr/bin/python3 bench/ref/cluster_scipy.py [--bench build/bench/bin/bench_cluster]
                                              [--repeat 3] [--json out.json]

The data are those of bench/bench_cluster.cpp: a 64-bit linear congruential sequence mapped to
exact doubles, so that both sides start from the same bits.  Times are processor times, the best
of --repeat runs on either side (Google Benchmark repetitions for ours)."""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.cluster.hierarchy import fcluster, linkage
from scipy.cluster.vq import kmeans2
from scipy.spatial.distance import cdist

MASK = (1 << 64) - 1


def lcg(seed, count):
    s, out = seed, np.empty(count)
    for k in range(count):
        s = (6364136223846793005 * s + 1442695040888963407) & MASK
        out[k] = (s >> 11) * 2.0 ** -53
    return out


def cluster_data():
    n, p = 5000, 10
    u = lcg(20261208, n * p).reshape(n, p)
    r = np.arange(n)[:, None]
    c = np.arange(p)[None, :]
    centre = ((r % 8) * 7 + c * 3) % 11 * 4.0 - 20.0
    return centre + 12.0 * (u - 0.5)


def distance_data():
    return 10.0 * (lcg(4242, 2000 * 50).reshape(2000, 50) - 0.5)


def best_time(fn, repeat):
    best = float("inf")
    for _ in range(repeat):
        t = time.process_time()
        fn()
        best = min(best, time.process_time() - t)
    return best


def partition(labels):
    """Canonical form of a flat clustering: the sets of member indices."""
    groups = {}
    for i, l in enumerate(labels):
        groups.setdefault(l, []).append(i)
    return sorted(tuple(g) for g in groups.values())


def our_partition(merges, n, clusters):
    """The clusters left after the first n - clusters merges of ours (1-based ids, new = n + k)."""
    members = {i + 1: [i] for i in range(n)}
    for k, (a, b) in enumerate(merges[: n - clusters]):
        members[n + k + 1] = members.pop(a) + members.pop(b)
    return sorted(tuple(sorted(m)) for m in members.values())


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", default=os.path.join(here, "..", "..", "build", "bench", "bin", "bench_cluster"))
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--json")
    args = ap.parse_args()

    X, Y = cluster_data(), distance_data()
    n = X.shape[0]
    rows = []  # (label, ours s, scipy s, same results)

    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([args.bench, "--dump=" + tmp], check=True)
        out = subprocess.run([args.bench, "--benchmark_format=json",
                              "--benchmark_repetitions=%d" % args.repeat],
                             check=True, capture_output=True, text=True).stdout
        ours = {}
        for b in json.loads(out)["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
            key = b["run_name"]
            ours[key] = min(ours.get(key, float("inf")), b["cpu_time"] * scale)

        # k-means from the first eight rows; our iteration count includes the last,
        # unchanged assignment, SciPy's final assignment comes after its `iter` updates.
        with open(os.path.join(tmp, "kmeans.txt")) as f:
            vals = f.read().split()
        iters = int(vals[0])
        centres = np.array(vals[1:1 + 8 * 10], dtype=float).reshape(8, 10)
        labels = np.array(vals[1 + 8 * 10:], dtype=int) - 1
        run = lambda: kmeans2(X, X[:8].copy(), iter=max(iters - 1, 1), minit="matrix", missing="raise")
        sc, sl = run()
        same = np.array_equal(sl, labels) and np.allclose(sc, centres, rtol=0, atol=1e-9)
        rows.append(("k-means 5000x10, 8 centres (%d steps)" % iters, ours["BM_KMeans"], best_time(run, args.repeat), same))

        for idx, (method, squared) in enumerate([("single", False), ("complete", False), ("average", False),
                                                 ("weighted", False), ("ward", True)]):
            with open(os.path.join(tmp, "linkage_%s.txt" % method)) as f:
                m = [line.split() for line in f]
            merges = [(int(a), int(b)) for a, b, _ in m]
            heights = np.array([float(h) for _, _, h in m])
            Z = linkage(X, method)
            ref = Z[:, 2] ** 2 if squared else Z[:, 2]
            same = (np.allclose(np.sort(heights), np.sort(ref), rtol=1e-9, atol=1e-12) and
                    all(our_partition(merges, n, c) == partition(fcluster(Z, c, "maxclust")) for c in (2, 8, 50)))
            t = best_time(lambda: linkage(X, method), args.repeat)
            rows.append(("linkage %s 5000x10" % method, ours["BM_Agglom/%d/iterations:1" % idx], t, same))

        for idx, metric in enumerate(["euclidean", "cityblock"]):
            d = np.fromfile(os.path.join(tmp, "dist_%s.bin" % metric)).reshape(2000, 2000)
            ref = cdist(Y, Y, metric)
            same = np.allclose(d, ref, rtol=1e-12, atol=1e-12)
            t = best_time(lambda: cdist(Y, Y, metric), args.repeat)
            rows.append(("distance matrix %s 2000x50" % metric, ours["BM_DistMat/%d" % idx], t, same))

    print("\nClustering and distances against SciPy %s (processor time, best of %d)" %
          (__import__("scipy").__version__, args.repeat))
    print("%-44s %10s %10s %8s %6s" % ("", "ours ms", "SciPy ms", "ratio", "same"))
    for label, a, b, same in rows:
        print("%-44s %10.1f %10.1f %7.2fx %6s" % (label, a * 1e3, b * 1e3, a / b, "yes" if same else "NO"))
    print("(ratio = our time / SciPy's; target <= 1.0)")
    if args.json:
        with open(args.json, "w") as f:
            json.dump([{"label": l, "ours": a, "reference": b, "ratio": a / b, "same": bool(s)}
                       for l, a, b, s in rows], f, indent=1)
    return 0 if all(r[3] for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
