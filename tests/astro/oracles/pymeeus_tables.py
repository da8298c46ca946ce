#!/usr/bin/python3
"""Reference tables for the astronomy tests, from Debian's python3-pymeeus.

    pymeeus_tables.py write DIR    writes the tables into DIR
    pymeeus_tables.py check DIR    recomputes them and compares with DIR

The tables are committed under tests/astro/data so that both builds (the
Windows one runs under Wine, without Python) test against the same values;
the native build runs `check` to keep them true to the oracle.
"""
import inspect
import math
import os
import sys
import textwrap

from pymeeus.Epoch import Epoch
from pymeeus import Moon as moon_module
from pymeeus.Moon import Moon
from pymeeus.Pluto import Pluto
from pymeeus.Saturn import Saturn
from pymeeus import Mercury, Venus, Earth, Mars, Jupiter, Uranus, Neptune
from pymeeus import Saturn as saturn_module

PLANETS = [("Mercury", Mercury), ("Venus", Venus), ("Earth", Earth), ("Mars", Mars), ("Jupiter", Jupiter),
           ("Saturn", saturn_module), ("Uranus", Uranus), ("Neptune", Neptune)]

# pymeeus evaluates the Moon with the mean arguments of the second edition of
# Meeus' book; the program keeps those of the first. Running pymeeus' own code
# with the first edition's constants isolates the periodic terms, their
# factors and the additive terms, which is what the test is about.
FIRST_EDITION = [
    ("218.3164477", "218.3164591"), ("481267.88123421", "481267.88134236"), ("-0.0015786", "-0.0013268"),
    ("297.8501921", "297.8502042"), ("445267.1114034", "445267.1115168"), ("-0.0018819", "-0.00163"),
    ("134.9633964", "134.9634114"), ("477198.8675055", "477198.8676313"), ("0.0087414", "0.008997"),
    ("1.0/69699.9", "1.0/69699.0"), ("93.2720950", "93.2720993"), ("483202.0175233", "483202.0175273"),
    ("-0.0036539", "-0.0034029"),
]


def first_edition_moon():
    src = textwrap.dedent(inspect.getsource(Moon.geocentric_ecliptical_pos))
    src = "\n".join(line for line in src.splitlines() if not line.strip().startswith("@"))
    for old, new in FIRST_EDITION:
        if src.count(old) != 1:
            sys.exit("pymeeus_tables: pymeeus' Moon changed, %s is not there once" % old)
        src = src.replace(old, new)
    scope = dict(vars(moon_module))
    exec(src, scope)
    return scope["geocentric_ecliptical_pos"]


def jd_range(first, last, count):
    return [first + (last - first) * i / (count - 1) for i in range(count)]


def moon_rows():
    moon1 = first_edition_moon()
    rows = []
    # 1900 to 2100, a step that is no whole number of days or lunations.
    for jd in jd_range(2415020.5, 2488069.5, 241):
        e = Epoch(jd)
        lam, beta, dist, _ = moon1(e)
        lam2, beta2, dist2, _ = Moon.geocentric_ecliptical_pos(e)
        rows.append([jd, float(lam), float(beta), float(lam2), float(beta2), dist2])
    return ["jd", "lambda_first_deg", "beta_first_deg", "lambda_deg", "beta_deg", "distance_km"], rows


def pluto_rows():
    rows = []
    for jd in jd_range(Epoch(1885, 1, 2.0).jde(), Epoch(2098, 12, 30.0).jde(), 160):
        l, b, r = Pluto.geometric_heliocentric_position(Epoch(jd))
        rows.append([jd, float(l), float(b), r])
    return ["jd", "l_deg", "b_deg", "r_au"], rows


def vsop_rows():
    rows = []
    for jd in jd_range(2378496.5, 2524593.5, 41):   # 1800 to 2200
        for i, (_, module) in enumerate(PLANETS):
            cls = getattr(module, module.__name__.split(".")[-1])
            l, b, r = cls.geometric_heliocentric_position(Epoch(jd), tofk5=False)
            rows.append([i, jd, math.radians(float(l)), math.radians(float(b)), r])
    return ["planet", "jd", "L_rad", "B_rad", "R_au"], rows


def libration_rows():
    rows = []
    for jd in jd_range(2433282.5, 2469807.5, 97):   # 1950 to 2050
        lopt, bopt, _, _, _, _ = Moon.moon_librations(Epoch(jd))
        rows.append([jd, float(lopt), float(bopt)])
    return ["jd", "l_deg", "b_deg"], rows


def rectangular(l, b, r):
    l, b = math.radians(float(l)), math.radians(float(b))
    return [r * math.cos(b) * math.cos(l), r * math.cos(b) * math.sin(l), r * math.sin(b)]


def saturn_rows():
    rows = []
    for jd in jd_range(2433282.5, 2469807.5, 61):
        e = Epoch(jd)
        B, Bp, P, dU, _, _ = Saturn.ring_parameters(e)
        ls, bs, rs = Saturn.geometric_heliocentric_position(e, tofk5=False)
        le, be, re = Earth.Earth.geometric_heliocentric_position(e, tofk5=False)
        delta = math.dist(rectangular(ls, bs, rs), rectangular(le, be, re))
        # pymeeus leaves delta_U unreduced (359 degrees for -1 degree).
        mag = Saturn.magnitude(rs, delta, (float(dU) + 180) % 360 - 180, B)
        rows.append([jd, float(B), float(Bp), float(P), mag])
    return ["jd", "earth_lat_deg", "sun_lat_deg", "axis_angle_deg", "magnitude"], rows


def new_moon_rows():
    rows = []
    for jd in jd_range(2415020.5, 2488069.5, 120):
        rows.append([Moon.moon_phase(Epoch(jd), target="new").jde()])
    return ["jd"], rows


TABLES = {
    "moon_positions.csv": moon_rows,
    "pluto_positions.csv": pluto_rows,
    "vsop_full.csv": vsop_rows,
    "moon_librations.csv": libration_rows,
    "saturn_rings.csv": saturn_rows,
    "new_moons.csv": new_moon_rows,
}


def text(header, rows):
    lines = [",".join(header)]
    lines += [",".join(repr(float(v)) if isinstance(v, float) else str(v) for v in row) for row in rows]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("write", "check"):
        sys.exit(__doc__)
    mode, folder = sys.argv[1], sys.argv[2]
    failed = 0
    for name, make in TABLES.items():
        header, rows = make()
        path = os.path.join(folder, name)
        if mode == "write":
            with open(path, "w", newline="\n") as f:
                f.write(text(header, rows))
            continue
        with open(path) as f:
            stored = [line.split(",") for line in f.read().splitlines()]
        if stored[0] != header or len(stored) != len(rows) + 1:
            print("%s: layout differs from the oracle" % name)
            failed += 1
            continue
        for fresh, old in zip(rows, stored[1:]):
            if any(not math.isclose(float(a), float(b), rel_tol=1e-12, abs_tol=1e-12) for a, b in zip(fresh, old)):
                print("%s: %s differs from the oracle's %s" % (name, ",".join(old), fresh))
                failed += 1
                break
    if mode == "check":
        print("%d passed, %d failed" % (len(TABLES) - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
