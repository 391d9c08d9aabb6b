#!/usr/bin/python3
"""Builds the sample maps of data/maps/ from NASA's equirectangular Blue Marble
picture shipped by Debian's xplanet-images package, with their calibration files.

  /usr/bin/python3 scripts/maps/make_maps.py [output-folder]   (default: data/maps)

Needs ImageMagick (convert) and PROJ (cs2cs).  The equirectangular maps are
crops of the 2048 x 1024 source (0.17578125 degrees per pixel), scaled with
ImageMagick; the UTM map is resampled pixel by pixel: PROJ's cs2cs gives the
latitude and longitude of every pixel centre of a zone-32 grid, the source is
sampled bilinearly there.  Calibration points are pixel centres with their
exact geographic (or UTM) positions; corners are the corner pixel centres;
the resolution is metres per pixel at the map centre (mean of one pixel step
right and one step down, great circle on a sphere of radius 6371 km).
"""
import math
import os
import subprocess
import sys

import numpy as np

SRC = "/usr/share/xplanet/images/earth.jpg"
DEG = 360.0 / 2048  # degrees per source pixel
R_EARTH = 6371000.0


def run(args, data=None):
    return subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout


def haversine(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp, dl = p2 - p1, math.radians(lon2 - lon1)
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * R_EARTH * math.asin(math.sqrt(a))


def write_cal(path, model, mapname, caption, corners, resolution, quads, zone=None, south=False):
    """Calibration file in the suite's tagged-text layout."""
    with open(path, "w") as f:
        f.write('<?xml version="1.0"?>\n\n')
        f.write("<!-- TGeoMap Calibration / ZOL Component Suite -->\n")
        f.write('<geomap sig="ZOLCSuite" vers="1.0" id="" model="%s" map="%s" caption="%s">\n'
                % (model, mapname, caption))
        f.write("<corners>\n")
        f.write("".join("[%.5f,%.5f] " % c for c in corners) + "\n")
        f.write("</corners>\n")
        f.write("<resolution>%.3f</resolution>\n" % resolution)
        if zone:
            f.write("<utmzone>%d</utmzone>\n" % zone)
            f.write("<utmsouth>%s</utmsouth>\n" % ("true" if south else "false"))
        f.write("<ellipsoid>gelWGS84</ellipsoid>\n")
        f.write('<calquads npoints="%d">\n' % len(quads))
        f.write("".join("[%.5f,%.5f,%d,%d] " % q for q in quads) + "\n")
        f.write("</calquads>\n")
        f.write("</geomap>\n")


def equirect_map(out, name, caption, col0, row0, ncols, nrows, scale):
    """Crop source columns col0.. and rows row0.. and scale by `scale`."""
    w, h = round(ncols * scale), round(nrows * scale)
    args = ["convert", SRC, "-crop", "%dx%d+%d+%d" % (ncols, nrows, col0, row0), "+repage"]
    if scale != 1:
        args += ["-filter", "Triangle", "-resize", "%dx%d!" % (w, h)]
    args += ["-strip", "-quality", "82", os.path.join(out, name + ".jpg")]
    run(args)
    d = DEG / scale
    lon0, lat0 = -180.0 + col0 * DEG, 90.0 - row0 * DEG

    def geo(x, y):  # pixel centre -> (lat, lon)
        return (lat0 - (y + 0.5) * d, lon0 + (x + 0.5) * d)

    corners = [geo(0, 0), geo(0, h - 1), geo(w - 1, h - 1), geo(w - 1, 0)]
    cx, cy = w // 2, h // 2
    c, r, b = geo(cx, cy), geo(cx + 1, cy), geo(cx, cy + 1)
    res = 0.5 * (haversine(*c, *r) + haversine(*c, *b))
    quads = []
    for fy in (0.1, 0.5, 0.9):
        for fx in (0.1, 0.5, 0.9):
            x, y = round(fx * (w - 1)), round(fy * (h - 1))
            quads.append(geo(x, y) + (x, y))
    write_cal(os.path.join(out, name + ".cal"), "equirect", name + ".jpg", caption, corners, res, quads)


def utm_map(out, name, caption, zone, e0, n0, step, w, h):
    """Zone `zone` north: pixel (x, y) centre at E = e0 + (x+0.5)step, N = n0 - (y+0.5)step."""
    es = e0 + (np.arange(w) + 0.5) * step
    ns = n0 - (np.arange(h) + 0.5) * step
    grid = "".join("%.3f %.3f\n" % (e, n) for n in ns for e in es)
    txt = run(["cs2cs", "-f", "%.10f", "+proj=utm", "+zone=%d" % zone, "+datum=WGS84", "+to",
               "+proj=longlat", "+datum=WGS84"], grid.encode()).decode()
    ll = np.array([[float(v) for v in line.split()[:2]] for line in txt.splitlines()])
    lon, lat = ll[:, 0].reshape(h, w), ll[:, 1].reshape(h, w)
    src = np.frombuffer(run(["convert", SRC, "-depth", "8", "rgb:-"]), dtype=np.uint8)
    src = src.reshape(1024, 2048, 3).astype(np.float64)
    fx, fy = (lon + 180.0) / DEG - 0.5, (90.0 - lat) / DEG - 0.5
    x0, y0 = np.floor(fx).astype(int), np.floor(fy).astype(int)
    ax, ay = (fx - x0)[..., None], (fy - y0)[..., None]
    x1, y1 = np.clip(x0 + 1, 0, 2047), np.clip(y0 + 1, 0, 1023)
    x0, y0 = np.clip(x0, 0, 2047), np.clip(y0, 0, 1023)
    img = ((1 - ay) * ((1 - ax) * src[y0, x0] + ax * src[y0, x1]) +
           ay * ((1 - ax) * src[y1, x0] + ax * src[y1, x1]))
    ppm = b"P6\n%d %d\n255\n" % (w, h) + np.clip(np.rint(img), 0, 255).astype(np.uint8).tobytes()
    run(["convert", "ppm:-", "-strip", "-quality", "82", os.path.join(out, name + ".jpg")], ppm)

    def geo(x, y):
        return (float(lat[y, x]), float(lon[y, x]))

    corners = [geo(0, 0), geo(0, h - 1), geo(w - 1, h - 1), geo(w - 1, 0)]
    cx, cy = w // 2, h // 2
    res = 0.5 * (haversine(*geo(cx, cy), *geo(cx + 1, cy)) + haversine(*geo(cx, cy), *geo(cx, cy + 1)))
    quads = []
    for fy in (0.1, 0.5, 0.9):
        for fx in (0.1, 0.5, 0.9):
            x, y = round(fx * (w - 1)), round(fy * (h - 1))
            quads.append((float(ns[y]), float(es[x]), x, y))  # northing, easting, x, y
    write_cal(os.path.join(out, name + ".cal"), "utm", name + ".jpg", caption, corners, res, quads,
              zone=zone)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "data/maps"
    os.makedirs(out, exist_ok=True)
    # The whole earth at half the source resolution.
    equirect_map(out, "world", "World", 0, 0, 2048, 1024, 0.5)
    # Europe at the source resolution: 16.875 W .. 39.375 E, 72.07 N .. 30.94 N.
    equirect_map(out, "europe", "Europe", 928, 102, 320, 234, 1.0)
    # The Alps, the source pixels magnified four times: 4.92 E .. 18.28 E, 49.22 N .. 42.19 N.
    equirect_map(out, "alps", "Alps", 1052, 232, 76, 40, 4.0)
    # Central Europe in UTM zone 32 north, 2.5 km per pixel.
    utm_map(out, "utm32", "UTM zone 32", 32, 250000.0, 5350000.0, 2500.0, 240, 200)


if __name__ == "__main__":
    main()
