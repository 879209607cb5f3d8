#!/usr/bin/env python3
"""Writes the example's directional spectra: coast (data) and coast.pnt.

Three points along a coast, each a JONSWAP-shaped frequency spectrum times a
cos^2s((theta - theta_m)/2) spreading, with its own significant wave height,
peak period and mean direction. Directions run over the full circle from
-180 degrees in 36 steps of 10 degrees; 47 frequencies from 0.04 to 0.50 Hz.
Values are written in E12.5 as 0.ddddd E+xx.
"""
import math

POINTS = [  # label, point number, Hs (m), Tp (s), mean direction (deg), s
    ("NORTH-GROIN", 101, 1.0, 10.0, -20.0, 10.0),
    ("CENTRE", 102, 1.5, 9.0, 0.0, 15.0),
    ("SOUTH-JETTY", 103, 2.0, 8.0, 25.0, 10.0),
]
FREQUENCIES = [0.04 + 0.01 * l for l in range(47)]
MDD = 36
GAMMA = 3.3


def e12(value):
    """E12.5 as a Fortran program writes it: 0.ddddd, E, sign, two digits."""
    if value == 0.0:
        return " 0.00000E+00"
    text = "%.4E" % value  # d.dddd E+xx: five significant digits
    mantissa, exponent = text.split("E")
    sign = "-" if mantissa.startswith("-") else ""
    digits = mantissa.lstrip("-").replace(".", "")
    return "%12s" % ("%s0.%sE%+03d" % (sign, digits, int(exponent) + 1))


def jonswap(f, hs, tp):
    fp = 1.0 / tp
    sigma = 0.07 if f <= fp else 0.09
    shape = f ** -5 * math.exp(-1.25 * (fp / f) ** 4)
    peak = GAMMA ** math.exp(-((f / fp - 1.0) ** 2) / (2.0 * sigma * sigma))
    return shape * peak


def spectrum(hs, tp):
    raw = [jonswap(f, hs, tp) for f in FREQUENCIES]
    m0 = sum(raw) * 0.01
    return [value * hs * hs / 16.0 / m0 for value in raw]  # Hm0 = 4 sqrt(m0)


def spreading(theta_m, s):
    directions = [-180.0 + j * 360.0 / MDD for j in range(MDD)]
    raw = [math.cos(math.radians(t - theta_m) / 2.0) ** (2 * s) for t in directions]
    total = sum(raw) * math.radians(360.0 / MDD)
    return [value / total for value in raw]  # per radian


def main():
    with open("coast", "w") as data:
        data.write("EXAMPLE COAST three points, JONSWAP x cos^2s\n")
        for index, (label, _, hs, tp, theta_m, s) in enumerate(POINTS):
            if index > 0:
                data.write("-------- next point --------\n")
            data.write("%-15s%5d%5d%5d%5d%5d%5d%5d\n" % (label, 2024, 3, 1, 9, 0, len(FREQUENCIES), MDD))
            g = spreading(theta_m, s)
            for f, density in zip(FREQUENCIES, spectrum(hs, tp)):
                data.write(e12(f) + e12(density) + "\n")
                values = [density * gj for gj in g]
                for start in range(0, MDD, 6):
                    data.write("".join(e12(v) for v in values[start:start + 6]) + "\n")
    with open("coast.pnt", "w") as points:
        points.write("%5d\n" % len(POINTS))
        for point in POINTS:
            points.write("%5d\n" % point[1])


if __name__ == "__main__":
    main()
