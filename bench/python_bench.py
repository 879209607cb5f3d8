"""Times generating 2048 points x 1024 components from Python against the program.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py build/release/wavecomp [points]

Writes an Emep data file of `points` points (64 frequencies, 36 directions)
and its point list into a temporary folder, runs the program there (best of
three), then makes the same set from the same numbers with
wavecomp.from_directional and writes it (best of three), and checks that both
files are the same bytes. The Python time leaves out reading the data file,
which a notebook holds in memory already; the program's includes it.
"""

import math
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import numpy as np

import wavecomp


def e12(value):
    """value as E12.5, the layout of the data file."""
    if value == 0.0:
        return " 0.00000E+00"
    exponent = math.floor(math.log10(abs(value))) + 1
    mantissa = round(value / 10.0 ** exponent, 5)
    if abs(mantissa) >= 1.0:
        mantissa /= 10.0
        exponent += 1
    return f"{mantissa:.5f}E{exponent:+03d}".rjust(12)


def main():
    program = str(Path(sys.argv[1]).resolve()) if len(sys.argv) > 1 else "wavecomp"
    points = int(sys.argv[2]) if len(sys.argv) > 2 else 2048
    nf, nd, n = 64, 36, 1024
    freq = 0.03 + 0.005 * np.arange(1, nf + 1)
    direction = -180.0 + np.arange(nd) * 360.0 / nd
    S = np.exp(-((freq - 0.1) / 0.03) ** 2) + 1e-3
    mean = -30.0 + 60.0 * np.arange(1, points + 1) / points
    spread = np.cos(np.radians(direction[None, :] - mean[:, None]) / 2) ** 4
    efth = S[None, :, None] * spread[:, None, :] + 1e-9

    # The numbers as the file gives them, for both.
    text_f = [e12(v) for v in freq]
    text_S = [e12(v) for v in S]
    text_D = np.vectorize(e12)(efth)
    freq = np.array([float(v) for v in text_f])
    S = np.array([float(v) for v in text_S])
    efth = text_D.astype(float)
    lines = ["BENCH large Emep data"]
    for v in range(points):
        if v:
            lines.append("-------- next point --------")
        lines.append(f"{'P' + str(v + 1):<15}{2024:5d}{3:5d}{1:5d}{9:5d}{0:5d}{nf:5d}{nd:5d}")
        for l in range(nf):
            lines.append(text_f[l] + text_S[l])
            row = text_D[v, l]
            lines += ["".join(row[j:j + 6]) for j in range(0, nd, 6)]
    with tempfile.TemporaryDirectory() as folder:
        folder = Path(folder)
        (folder / "bench").write_text("\n".join(lines) + "\n")
        (folder / "bench.pnt").write_text(f"{points:5d}\n" + "".join(f"{v:5d}\n" for v in range(1, points + 1)))
        (folder / "cont.txt").write_text(
            "python bench\nSPECTRUM  Emep\nN_COMP    " + f"{n:>10}" + "\nSMAX           999.0\nIN_FILE   bench\n"
            "OUT_FILE  wave.dat\nH,T,DIR,G        1.0      10.0       0.0       3.3\nFMIN,FMAX       0.01       1.0\n"
            "SEED            4711\n")
        program_times, python_times = [], []
        for _ in range(3):
            (folder / "wave.dat").unlink(missing_ok=True)
            start = time.perf_counter()
            subprocess.run([program], cwd=folder, check=True, stdout=subprocess.DEVNULL)
            program_times.append(time.perf_counter() - start)
        for _ in range(3):
            (folder / "python.dat").unlink(missing_ok=True)
            start = time.perf_counter()
            waves = wavecomp.from_directional(freq, direction, efth, frame="model", density=np.tile(S, (points, 1)),
                                              point_numbers=range(1, points + 1), n=n, h13=1.0, t13=10.0,
                                              name="bench")
            waves.write(folder / "python.dat")
            python_times.append(time.perf_counter() - start)
        same = (folder / "python.dat").read_bytes() == (folder / "wave.dat").read_bytes()
    best_program, best_python = min(program_times), min(python_times)
    print(f"{points} points x {n} components: program {best_program:.2f} s, Python {best_python:.2f} s "
          f"({100.0 * (best_python / best_program - 1.0):+.1f} %), same file: {same}")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
