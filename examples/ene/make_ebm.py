#!/usr/bin/env python3
"""Writes the example's energy-balance model output: ebm.out and ebm.out.pnt.

Five output points of a model grid (keys 3/21 .. 3/25), each a JONSWAP-shaped
frequency spectrum times a cos^2s((theta - theta_m)/2) spreading, with its own
significant wave height, peak period and mean direction. The values are the
energies of each frequency-direction bin (density times bandwidth times the
5-degree direction step). 35 directions from -85 to +85 degrees, 24
frequencies from 0.05 Hz growing by 10 % a step. Values are written in E10.3
as 0.ddd E+xx, eight to a record. The point list picks 3/24 and then 3/22, so
the reader has to go round the file once more to find the second point.
"""
import math

BLOCKS = [  # second key, Hs (m), Tp (s), mean direction (deg), s
    (21, 0.8, 11.0, -25.0, 10.0),
    (22, 1.2, 10.0, -10.0, 15.0),
    (23, 1.0, 9.0, 0.0, 10.0),
    (24, 1.6, 8.5, 15.0, 20.0),
    (25, 0.6, 12.0, 30.0, 10.0),
]
FIRST_KEY = 3
POINTS = [(701, 24), (702, 22)]  # point number, second key
FREQUENCIES = [0.05 * 1.1 ** l for l in range(24)]
BANDWIDTHS = [f * 0.0953 for f in FREQUENCIES]  # about ln(1.1) of each frequency
DIRECTIONS = [-90.0 + 5.0 * j for j in range(1, 36)]
DTHETA = math.radians(5.0)
GAMMA = 3.3


def e10(value):
    """E10.3 as a Fortran program writes it: 0.ddd, E, sign, two digits."""
    if value == 0.0:
        return " 0.000E+00"
    text = "%.2E" % value  # d.dd E+xx: three significant digits
    mantissa, exponent = text.split("E")
    sign = "-" if mantissa.startswith("-") else ""
    digits = mantissa.lstrip("-").replace(".", "")
    return "%10s" % ("%s0.%sE%+03d" % (sign, digits, int(exponent) + 1))


def records(values):
    return ["".join(e10(v) for v in values[i:i + 8]) for i in range(0, len(values), 8)]


def jonswap(f, tp):
    fp = 1.0 / tp
    sigma = 0.07 if f <= fp else 0.09
    shape = f ** -5 * math.exp(-1.25 * (fp / f) ** 4)
    return shape * GAMMA ** math.exp(-((f / fp - 1.0) ** 2) / (2.0 * sigma * sigma))


def main():
    lines = ["ENERGY BALANCE MODEL example output, five points", "%5d%5d" % (len(FREQUENCIES), len(DIRECTIONS))]
    lines += records(FREQUENCIES) + records(BANDWIDTHS)
    lines.append("%5d" % len(BLOCKS))
    for second_key, hs, tp, theta_m, s in BLOCKS:
        raw = [jonswap(f, tp) for f in FREQUENCIES]
        m0 = sum(r * df for r, df in zip(raw, BANDWIDTHS))
        density = [r * hs * hs / 16.0 / m0 for r in raw]  # Hm0 = 4 sqrt(m0)
        spread = [math.cos(math.radians(t - theta_m) / 2.0) ** (2 * s) for t in DIRECTIONS]
        total = sum(spread) * DTHETA
        lines.append("%5d%5d%5d%5d%10.4f%10.4f%10.4f%10.4f" % (1, 1, FIRST_KEY, second_key, 1200.0, 3500.0, 15.25, hs))
        for theta, g in zip(DIRECTIONS, spread):
            energies = [d * df * g / total * DTHETA for d, df in zip(density, BANDWIDTHS)]
            lines += records([theta] + energies)
    with open("ebm.out", "w") as data:
        data.write("\n".join(lines) + "\n")
    with open("ebm.out.pnt", "w") as points:
        points.write("%5d%5d\n" % (len(POINTS), FIRST_KEY))
        for number, second_key in POINTS:
            points.write("%5d%5d\n" % (number, second_key))


if __name__ == "__main__":
    main()
