#!/usr/bin/python3
"""Reference values for the geodesy tests, made with GeographicLib's command-line
tools (GeoConvert, TransverseMercatorProj, CartConvert; Debian geographiclib-tools)
and PROJ (cs2cs, cct; Debian proj-bin).  Writes the files in ../data/.

  utm_ref.txt   lat lon zone hemi easting northing      (GeoConvert -u, standard zones,
                                                        Norway/Svalbard exceptions)
  ups_ref.txt   lat lon hemi easting northing            (GeoConvert -u -z 0)
  tm_ref.txt    lat dlon x y                             (TransverseMercatorProj -k 0.9996)
  cart_ref.txt  ellipsoid lat lon h X Y Z                (CartConvert -e a f)
  helmert_ref.txt row lat lon h lat84 lon84 h84          (cs2cs for lat/lon, cct for h,
                                                        both with +towgs84 / helmert
                                                        position_vector and the row's
                                                        seven parameters)
"""
import os
import re
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, '..', 'data')
INC = os.path.join(HERE, '..', '..', '..', 'geo', 'Zol_geobasics_tables.inc')


def run(cmd, lines):
    out = subprocess.run(cmd, input='\n'.join(lines) + '\n', capture_output=True, text=True,
                         check=True).stdout
    return out.strip().split('\n')


def frange(a, b, s):
    n = int(round((b - a) / s))
    return [a + i * s for i in range(n + 1)]


def utm():
    pts = []
    for lat in frange(-80, 84, 4):
        for lon in frange(-180, 178.5, 1.5):
            pts.append((lat, lon))
    for lat in frange(56, 64, 0.5):          # south-west Norway
        for lon in frange(0, 12, 0.5):
            pts.append((lat, lon))
    for lat in frange(72, 84, 1):             # Svalbard
        for lon in frange(0, 42, 1):
            pts.append((lat, lon))
    for lat in (-0.0001, 0.0001, -1e-7):
        for lon in frange(-177, 177, 6):
            pts.append((lat, lon))
    # points 0.01 degrees inside the zone edges
    for lat in (-45.3, 12.7, 47.9):
        for z in range(1, 61):
            w = -180 + 6 * (z - 1)
            pts.append((lat, w + 0.01))
            pts.append((lat, w + 5.99))
    res = run(['GeoConvert', '-u', '-p', '4'], ['%.7f %.7f' % p for p in pts])
    with open(os.path.join(DATA, 'utm_ref.txt'), 'w') as f:
        f.write('# lat lon zone hemisphere easting northing (GeoConvert -u -p 4)\n')
        for (lat, lon), r in zip(pts, res):
            zh, e, n = r.split()
            f.write('%.7f %.7f %s %s %s %s\n' % (lat, lon, zh[:-1], zh[-1], e, n))


def ups():
    pts = []
    for lat in frange(84, 90, 0.5):           # the legal UPS range: north of 83.5
        for lon in frange(-180, 165, 15):
            pts.append((lat, lon))
    for lat in frange(80, 90, 1):             # and south of -79.5
        for lon in frange(-180, 165, 15):
            pts.append((-lat, lon))
    for lon in (-90, 90, -180, 0, 45.5):
        pts.append((87.25, lon))
    res = run(['GeoConvert', '-u', '-z', '0', '-p', '4'], ['%.7f %.7f' % p for p in pts])
    with open(os.path.join(DATA, 'ups_ref.txt'), 'w') as f:
        f.write('# lat lon hemisphere easting northing (GeoConvert -u -z 0 -p 4)\n')
        for (lat, lon), r in zip(pts, res):
            h, e, n = r.split()
            f.write('%.7f %.7f %s %s %s\n' % (lat, lon, h, e, n))


def tm():
    pts = []
    for lat in frange(-80, 84, 4):
        for dlon in frange(0, 9, 0.25):
            pts.append((lat, dlon))
    res = run(['TransverseMercatorProj', '-k', '0.9996', '-l', '0'],
              ['%.7f %.7f' % p for p in pts])
    with open(os.path.join(DATA, 'tm_ref.txt'), 'w') as f:
        f.write('# lat dlon x y (TransverseMercatorProj -k 0.9996 -l 0, central meridian 0)\n')
        for (lat, dlon), r in zip(pts, res):
            x, y = r.split()[:2]
            f.write('%.7f %.7f %s %s\n' % (lat, dlon, x, y))


ELLS = [  # ordinal, a, b (exact values of the catalogue)
    (0, 6378137.0, 6356752.314245), (6, 6377397.155, 6356078.96284),
    (10, 6378388.0, 6356911.94613), (5, 6378206.4, 6356583.8),
    (18, 6377563.396, 6356256.91), (26, 6370997.0, 6370997.0)]


def cart():
    lines = []
    for ordn, a, b in ELLS:
        f = (a - b) / a
        pts = [(lat, lon, h) for lat in frange(-90, 90, 15) for lon in frange(-180, 180, 60)
               for h in (0.0, 2500.0)]
        res = run(['CartConvert', '-e', '%.10f' % a, '%.17g' % f, '-p', '6'],
                  ['%.7f %.7f %.4f' % p for p in pts])
        for p, r in zip(pts, res):
            lines.append('%d %.7f %.7f %.4f %s' % ((ordn,) + p + (r,)))
    with open(os.path.join(DATA, 'cart_ref.txt'), 'w') as f:
        f.write('# ellipsoid-ordinal lat lon h X Y Z (CartConvert -e a f -p 6)\n')
        f.write('\n'.join(lines) + '\n')


def datum_rows():
    rows = {}
    ell = {o: (a, b) for o, a, b in ELLS}
    names = {}
    # ellipsoid identifiers in order, from the header enumeration
    hdr = open(os.path.join(HERE, '..', '..', '..', 'geo', 'Zol_geobasics.h')).read()
    enum = re.search(r'enum TGeoEllipsoid : uint8_t \{([^}]*)\}', hdr).group(1)
    ids = [s.strip() for s in enum.replace('\n', ' ').split(',') if s.strip()]
    src = open(os.path.join(HERE, '..', '..', '..', 'geo', 'Zol_geobasics.cpp')).read()
    data = re.search(r'GeoEllipsoidData\[GeoEllipsoidCount\] = \{(.*?)\};', src, re.S).group(1)
    axes = [tuple(float(v) for v in m) for m in re.findall(r'\{([\d.]+), ([\d.]+)\}', data)]
    for line in open(INC):
        m = re.match(r'\s*\{"[^"]*", "[^"]*", (gel\w+), (.*)\},\s*// (\d+)$', line)
        if m:
            vals = [v.strip() for v in m.group(2).split(',')]
            if 'NaN' in vals:
                continue
            rows[int(m.group(3))] = (axes[ids.index(m.group(1))], [float(v) for v in vals])
    return rows


def helmert():
    rows = datum_rows()
    out = []
    for ix in (1, 13, 59, 183, 219, 268, 108):
        if ix not in rows:
            continue
        (a, b), (dx, dy, dz, s, rx, ry, rz) = rows[ix]
        pts = [(lat, lon, h) for lat in frange(30, 70, 10) for lon in frange(-10, 30, 10)
               for h in (0.0, 500.0)]
        tw = '%r,%r,%r,%r,%r,%r,%r' % (dx, dy, dz, rx, ry, rz, s)
        ll = run(['cs2cs', '-f', '%.10f', '+proj=longlat', '+a=%r' % a, '+b=%r' % b,
                  '+towgs84=' + tw, '+to', '+proj=longlat', '+datum=WGS84'],
                 ['%.7f %.7f %.4f' % (p[1], p[0], p[2]) for p in pts])
        hh = run(['cct', '-d', '6', '+proj=pipeline', '+step', '+proj=unitconvert', '+xy_in=deg',
                  '+xy_out=rad', '+step', '+proj=cart', '+a=%r' % a, '+b=%r' % b, '+step',
                  '+proj=helmert', '+x=%r' % dx, '+y=%r' % dy, '+z=%r' % dz, '+rx=%r' % rx,
                  '+ry=%r' % ry, '+rz=%r' % rz, '+s=%r' % s, '+convention=position_vector',
                  '+step', '+inv', '+proj=cart', '+ellps=WGS84', '+step', '+proj=unitconvert',
                  '+xy_in=rad', '+xy_out=deg'],
                 ['%.7f %.7f %.4f' % (p[1], p[0], p[2]) for p in pts])
        for p, l1, l2 in zip(pts, ll, hh):
            lon84, lat84 = l1.split()[:2]
            h84 = l2.split()[2]
            out.append('%d %.7f %.7f %.4f %s %s %s' % (ix, p[0], p[1], p[2], lat84, lon84, h84))
    with open(os.path.join(DATA, 'helmert_ref.txt'), 'w') as f:
        f.write('# datum-row lat lon h lat84 lon84 h84 (cs2cs +towgs84 for lat/lon, cct helmert '
                'position_vector for h)\n')
        f.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    os.makedirs(DATA, exist_ok=True)
    utm()
    ups()
    tm()
    cart()
    helmert()
