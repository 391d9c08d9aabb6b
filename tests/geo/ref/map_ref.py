#!/usr/bin/python3
"""Reference points for the map calibration tests, computed with PROJ (cs2cs)
and GeographicLib (GeoConvert); writes tests/geo/data/map_<model>.txt.

  /usr/bin/python3 tests/geo/ref/map_ref.py

Each file: comment lines (#), then
  fit LAT LONG X Y        calibration points (for utm: NORTHING EASTING X Y)
  chk LAT LONG X Y        check points not used for the fit
  par VALUE X Y           a point of the parallel VALUE (parabolic model)
  mer VALUE X Y           a point of the meridian VALUE (parabolic model)
Pixels: x = (E - E0) / S, y = (N0 - N) / S of the projected coordinates E, N
(metres).  Fit and check points are integer pixels whose geographic positions
come from the inverse projection, so every residual is the model's own.
map_utm32_geoconvert.txt holds pixels of data/maps/utm32.jpg (zone 32 north,
2500 m per pixel from E 250000, N 5350000, pixel centres) with the latitude and
longitude GeoConvert gives for them: X Y LAT LONG.
"""
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data")
WGS = "+proj=longlat +datum=WGS84"


def cs2cs(src, dst, pts):
    txt = "".join("%.10f %.10f\n" % p for p in pts)
    out = subprocess.run(["cs2cs", "-f", "%.10f"] + src.split() + ["+to"] + dst.split(), input=txt.encode(),
                         stdout=subprocess.PIPE, check=True).stdout.decode()
    return [tuple(float(v) for v in line.split()[:2]) for line in out.splitlines()]


def fwd(proj, lonlat):
    return cs2cs(WGS if "+R=" not in proj else "+proj=longlat +R=6371000", proj, lonlat)


def inv(proj, xy):
    return cs2cs(proj, WGS if "+R=" not in proj else "+proj=longlat +R=6371000", xy)


def frame(proj, lat0, lat1, lon0, lon1, width):
    """E0, N0 and S so that the region is `width` pixels wide."""
    grid = [(lon0 + (lon1 - lon0) * i / 20.0, lat0 + (lat1 - lat0) * j / 20.0) for i in range(21) for j in range(21)]
    xy = fwd(proj, grid)
    e0, e1 = min(p[0] for p in xy), max(p[0] for p in xy)
    n0, n1 = min(p[1] for p in xy), max(p[1] for p in xy)
    s = (e1 - e0) / width
    return e0, n1, s, int((n1 - n0) / s)


def pixel_points(proj, e0, n0, s, pixels):
    ll = inv(proj, [(e0 + x * s, n0 - y * s) for x, y in pixels])
    return [(lat, lon, x, y) for (lon, lat), (x, y) in zip(ll, pixels)]


def write(name, header, rows):
    with open(os.path.join(OUT, "map_%s.txt" % name), "w") as f:
        f.write("# %s\n" % header)
        for r in rows:
            f.write(r + "\n")


def point_model(name, proj, region, width, fitgrid=5, chkgrid=4):
    e0, n0, s, h = frame(proj, *region, width)
    fitpix = [(round(width * (0.05 + 0.9 * i / (fitgrid - 1))), round(h * (0.05 + 0.9 * j / (fitgrid - 1))))
              for i in range(fitgrid) for j in range(fitgrid)]
    chkpix = [(round(width * (0.15 + 0.7 * i / (chkgrid - 1))) + 7, round(h * (0.15 + 0.7 * j / (chkgrid - 1))) + 5)
              for i in range(chkgrid) for j in range(chkgrid)]
    rows = ["fit %.9f %.9f %d %d" % p for p in pixel_points(proj, e0, n0, s, fitpix)]
    rows += ["chk %.9f %.9f %d %d" % p for p in pixel_points(proj, e0, n0, s, chkpix)]
    write(name, "%s  region lat %g..%g long %g..%g  %d x %d pixels" % ((proj,) + region + (width, h)), rows)


def utm_model():
    proj = "+proj=utm +zone=33 +datum=WGS84"
    e0, n0, s = 300000.0, 5550000.0, 500.0  # 500 m per pixel
    fitpix = [(x, y) for x in (50, 300, 550, 800) for y in (40, 250, 460, 670)]
    chkpix = [(x, y) for x in (120, 433, 707) for y in (111, 389, 601)]
    rows = ["fit %.3f %.3f %d %d" % (n0 - y * s, e0 + x * s, x, y) for x, y in fitpix]
    rows += ["chk %.9f %.9f %d %d" % p for p in pixel_points(proj, e0, n0, s, chkpix)]
    write("utm", "%s  zone 33 north, E0 %g N0 %g, %g m per pixel" % (proj, e0, n0, s), rows)


def parabolic_model():
    proj = "+proj=lcc +lat_1=45 +lat_2=55 +lat_0=50 +lon_0=10 +datum=WGS84"
    region = (40.0, 60.0, -10.0, 30.0)
    width = 1000
    e0, n0, s, h = frame(proj, *region, width)
    rows = []
    for lat in (40, 45, 50, 55, 60):
        xy = fwd(proj, [(lon, lat) for lon in range(-10, 31, 5)])
        rows += ["par %g %d %d" % (lat, round((x - e0) / s), round((n0 - y) / s)) for x, y in xy]
    for lon in (-10, 0, 10, 20, 30):
        xy = fwd(proj, [(lon, lat) for lat in range(40, 61, 4)])
        rows += ["mer %g %d %d" % (lon, round((x - e0) / s), round((n0 - y) / s)) for x, y in xy]
    chk = [(lon, lat) for lat in (42.5, 47.5, 52.5, 57.5) for lon in (-5, 5, 15, 25)]
    xy = fwd(proj, chk)
    rows += ["chk %.9f %.9f %.3f %.3f" % (lat, lon, (x - e0) / s, (n0 - y) / s) for (lon, lat), (x, y) in zip(chk, xy)]
    write("parabolic", "%s  region lat %g..%g long %g..%g  %d x %d pixels" % ((proj,) + region + (width, h)), rows)


def utm32_geoconvert():
    pix = [(0, 0), (239, 0), (0, 199), (239, 199), (120, 100), (37, 151), (201, 63)]
    txt = "".join("32n %.1f %.1f\n" % (250000 + (x + 0.5) * 2500, 5350000 - (y + 0.5) * 2500) for x, y in pix)
    out = subprocess.run(["GeoConvert", "-p", "9", "-d" if False else "-g"], input=txt.encode(),
                         stdout=subprocess.PIPE, check=True).stdout.decode()
    with open(os.path.join(OUT, "map_utm32_geoconvert.txt"), "w") as f:
        f.write("# X Y LAT LONG of data/maps/utm32.jpg pixels, from GeoConvert -g -p 9\n")
        for (x, y), line in zip(pix, out.splitlines()):
            lat, lon = line.split()[:2]
            f.write("%d %d %s %s\n" % (x, y, lat, lon))


def main():
    point_model("equirect", "+proj=eqc +R=6371000", (30.0, 60.0, -10.0, 30.0), 800)
    point_model("miller", "+proj=mill +R=6371000", (-60.0, 70.0, -180.0, 180.0), 1000)
    point_model("conic", "+proj=eqdc +lat_1=45 +lat_2=65 +lon_0=15 +R=6371000", (40.0, 70.0, -10.0, 40.0), 900)
    point_model("biquadratic", "+proj=lcc +lat_1=46 +lat_2=49 +lat_0=47.5 +lon_0=10 +datum=WGS84",
                (45.0, 50.0, 5.0, 15.0), 800)
    utm_model()
    parabolic_model()
    utm32_geoconvert()


if __name__ == "__main__":
    main()
