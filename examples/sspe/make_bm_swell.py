#!/usr/bin/env python3
"""Writes the example's frequency spectrum table: bm_swell.spc.

A Bretschneider-Mitsuyasu spectrum
    S(f) = 0.257 H^2 T^-4 f^-5 exp(-1.03 (T f)^-4)
with H1/3 = 2.0 m, T1/3 = 10.0 s, sampled at 300 equally spaced frequencies
from 0.03 to 0.60 Hz. The first line holds H1/3, T1/3 and the principal
direction (15 degrees); then one frequency (Hz) and spectral density (m^2 s)
per line, free format.
"""
import math

H, T, DIRECTION = 2.0, 10.0, 15.0
COUNT, F_FIRST, F_LAST = 300, 0.03, 0.60


def density(f):
    return 0.257 * H * H * T**-4 * f**-5 * math.exp(-1.03 * (T * f) ** -4)


def main():
    lines = [f"  {H:.2f}  {T:.2f}  {DIRECTION:.1f}"]
    for j in range(COUNT):
        f = F_FIRST + (F_LAST - F_FIRST) * j / (COUNT - 1)
        lines.append(f"   {f:.5f}    {density(f):.6E}")
    with open("bm_swell.spc", "w") as table:
        table.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
