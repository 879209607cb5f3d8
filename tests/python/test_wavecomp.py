"""The Python module against the programs: the same bytes, the same reports, the same errors."""

import json
import math
import os
import shutil
import subprocess
import sys
import threading
import time
import warnings
import _thread
from pathlib import Path

import numpy as np
import pytest

import wavecomp

WAVECOMP = os.environ.get("WAVECOMP_EXE", "wavecomp")
CHECKER = os.environ.get("WAVECOMP_CHECK_EXE", "wavecomp-check")
EXPORTER = os.environ.get("WAVECOMP_EXPORT_EXE", "wavecomp-export")
SOURCE = Path(os.environ.get("WAVECOMP_SOURCE_DIR", Path(__file__).resolve().parents[2]))
# The program's time limit: generous, for a busy machine.
LIMIT = 300

CONT = """python test
SPECTRUM  {type:<4}
N_COMP    {n:>10}
SMAX      {smax:>10}
IN_FILE   {input}
OUT_FILE  wave.dat
H,T,DIR,G {h13:>10}{t13:>10}{direction:>10}{gamma:>10}
FMIN,FMAX {fmin:>10}{fmax:>10}
SEED      {seed:>10}
"""


def run_program(folder, settings):
    """Runs wavecomp on a cont.txt of `settings` in `folder`: (status, stderr)."""
    values = dict(type="JNS", input="-", n=256, smax=10.0, h13=1.0, t13=10.0, direction=0.0, gamma=3.3, fmin=0.01,
                  fmax=1.0, seed=4711)
    values.update(settings)
    (folder / "cont.txt").write_text(CONT.format(**values))
    done = subprocess.run([WAVECOMP], cwd=folder, capture_output=True, timeout=LIMIT)
    return done.returncode, done.stderr.decode()


# Settings of a cont.txt, and the same as jonswap()'s keywords.
JONSWAP_CASES = [
    dict(),  # the bundled example's sea
    dict(n=1024, smax=25.0, h13=2.5, t13=8.0, direction=20.0, gamma=1.0, seed=1),
    dict(n=1, smax=999.0, h13=0.5, t13=4.0, direction=-30.0, gamma=7.0, fmin=0.05, fmax=2.0, seed=123456),
    dict(n=300, smax=75.0, h13=3.0, t13=14.0, direction=-45.0, gamma=3.3, fmin=0.0, fmax=0.5, seed=99),
]


@pytest.mark.parametrize("settings", JONSWAP_CASES)
def test_jonswap_writes_the_programs_file_to_the_byte(tmp_path, monkeypatch, settings):
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    monkeypatch.chdir(elsewhere)
    status, _ = run_program(tmp_path, settings)
    assert status == 0
    keywords = dict(n=256, smax=10.0, h13=1.0, t13=10.0, direction=0.0, gamma=3.3, fmin=0.01, fmax=1.0, seed=4711)
    keywords.update(settings)
    waves = wavecomp.jonswap(**keywords)
    waves.write(tmp_path / "python.dat")
    assert (tmp_path / "python.dat").read_bytes() == (tmp_path / "wave.dat").read_bytes()
    # What the set holds is what the file shows, to its six digits.
    read = wavecomp.read(tmp_path / "wave.dat")
    np.testing.assert_allclose(read.amplitude, waves.amplitude, rtol=1e-6)
    assert read.run.seed is None or read.run.seed == waves.run.seed
    # jonswap.spe only when asked.
    assert list(elsewhere.iterdir()) == []


def sspe_example(folder):
    """examples/sspe through from_table: the table file's numbers as its free-format lines give them."""
    lines = (folder / "bm_swell.spc").read_text().split("\n")
    h13, t13, direction = (float(word) for word in lines[0].split())
    rows = np.array([[float(word) for word in line.split()] for line in lines[1:] if line.strip()])
    return wavecomp.from_table(rows[:, 0], rows[:, 1], h13=h13, t13=t13, direction=direction, smax=25.0, n=200,
                               seed=2024, name="bm_swell.spc")


def emep_example(folder):
    """examples/emep through from_directional: every block of the data file (A15, 7I5; per frequency f and S as
    2E12.5, then the directions' values six E12.5 to a line), on -180 + (j-1) 360/mdd degrees of the model."""
    lines = (folder / "coast").read_text().split("\n")
    k, blocks = 1, []
    while k < len(lines) and lines[k].strip():
        k += 1 if blocks else 0  # the separator before every block but the first
        nss, mdd = int(lines[k][40:45]), int(lines[k][45:50])
        k += 1
        f, S, D = [], [], []
        for _ in range(nss):
            f.append(float(lines[k][0:12]))
            S.append(float(lines[k][12:24]))
            k += 1
            row = []
            while len(row) < mdd:
                row += [float(lines[k][c:c + 12]) for c in range(0, len(lines[k].rstrip()), 12)]
                k += 1
            D.append(row)
        blocks.append((f, S, D))
    directions = [-180.0 + j * 360.0 / mdd for j in range(mdd)]
    numbers = [int(line) for line in (folder / "coast.pnt").read_text().split()[1:]]
    return wavecomp.from_directional(blocks[0][0], directions, [b[2] for b in blocks], frame="model",
                                     density=[b[1] for b in blocks], point_numbers=numbers, n=128, seed=4711,
                                     h13=1.0, t13=10.0, name="coast")


def ene_example(folder):
    """examples/ene through from_energy_balance: nf and nd (2I5), the frequencies and bandwidths, the block count,
    then blocks of a header (its third and fourth integers the block's key) and per direction the direction and nf
    energies, eight E10.3 to a line; the point list gives the count and first key, then number and second key."""
    lines = (folder / "ebm.out").read_text().split("\n")
    nf, nd = int(lines[1][0:5]), int(lines[1][5:10])
    k = 2

    def values(count):
        nonlocal k
        out = []
        while len(out) < count:
            out += [float(lines[k][c:c + 10]) for c in range(0, len(lines[k].rstrip()), 10)]
            k += 1
        return out

    freq, bandwidth = values(nf), values(nf)
    blocks = {}
    count = int(lines[k])
    k += 1
    for _ in range(count):
        header = lines[k].split()
        k += 1
        groups = [values(nf + 1) for _ in range(nd)]
        blocks[(int(header[2]), int(header[3]))] = ([g[0] for g in groups], np.array([g[1:] for g in groups]).T)
    words = [int(word) for word in (folder / "ebm.out.pnt").read_text().split()]
    numbers, keys = words[2::2], words[3::2]
    chosen = [blocks[(words[1], key)] for key in keys]
    return wavecomp.from_energy_balance(freq, bandwidth, chosen[0][0], [energy for _, energy in chosen],
                                        point_numbers=numbers, keys=keys, n=128, seed=4711, h13=1.0, t13=10.0,
                                        name="ebm.out")


@pytest.mark.parametrize("example, make", [
    ("jonswap", lambda folder: wavecomp.jonswap(h13=1.0, t13=10.0, gamma=3.3, smax=10.0, n=256, seed=4711)),
    ("sspe", sspe_example),
    ("emep", emep_example),
    ("ene", ene_example),
])
def test_the_examples_made_in_python_are_the_programs_files(tmp_path, example, make):
    folder = tmp_path / example
    shutil.copytree(SOURCE / "examples" / example, folder)
    assert subprocess.run([WAVECOMP], cwd=folder, capture_output=True, timeout=LIMIT).returncode == 0
    make(folder).write(folder / "python.dat")
    assert (folder / "python.dat").read_bytes() == (folder / "wave.dat").read_bytes()


def wavespectra_sea(mean_from, points=1):
    """efth(freq, dir) in m2/Hz/deg, nautical coming-from directions every 10 degrees, a cos^20 spread around
    `mean_from` (cos^2s((theta - mean)/2) with s = 20) on a JONSWAP-like S(f)."""
    import xarray as xr

    freq = np.linspace(0.04, 0.4, 60)
    direction = np.arange(0.0, 360.0, 10.0)
    S = freq ** -5 * np.exp(-1.25 * (0.1 / freq) ** 4)
    spread = np.cos(np.radians(direction - mean_from) / 2) ** 40
    efth = S[:, None] * spread[None, :] / (spread.sum() * 10.0)
    data = xr.DataArray(np.repeat(efth[None], points, axis=0), dims=("site", "freq", "dir"),
                        coords={"site": np.arange(1, points + 1), "freq": freq, "dir": direction})
    return xr.Dataset({"efth": data if points > 1 else data.isel(site=0, drop=True)})


# A beach whose shoreward normal comes from the west (270): a sea from 250 travels 20 degrees anticlockwise of the
# normal (towards north of east), +20 in the model; from 290, -20; with clockwise angles the signs turn.
@pytest.mark.parametrize("mean_from, clockwise, expected, points", [
    (250.0, False, 20.0, 1), (290.0, False, -20.0, 1), (250.0, True, -20.0, 1), (290.0, True, 20.0, 3)])
def test_a_wavespectra_sea_comes_out_at_its_mean_direction(mean_from, clockwise, expected, points):
    sea = wavespectra_sea(mean_from, points)
    waves = wavecomp.from_directional(sea if points == 1 else sea.efth, normal_from=270.0, clockwise=clockwise,
                                      n=1024)
    assert waves.point_numbers.tolist() == ([0] if points == 1 else [1, 2, 3])
    energy = waves.amplitude[-1] ** 2
    mean = np.degrees(np.arctan2(np.sum(energy * np.sin(waves.direction)), np.sum(energy * np.cos(waves.direction))))
    # 1024 draws of a spread of about 18 degrees scatter their mean by about 0.55 degrees.
    assert mean == pytest.approx(expected, abs=1.5)
    assert wavecomp.check(waves)["points"][-1]["measured"]["mean_direction_deg"] == pytest.approx(mean, abs=0.01)


@pytest.mark.parametrize("example", ["jonswap", "sspe", "emep", "ene"])
def test_read_and_write_give_back_every_example_file(tmp_path, monkeypatch, example):
    folder = tmp_path / example
    shutil.copytree(SOURCE / "examples" / example, folder)
    monkeypatch.chdir(folder)  # the reports name the files as given
    assert subprocess.run([WAVECOMP], cwd=folder, capture_output=True, timeout=LIMIT).returncode == 0
    waves = wavecomp.read(folder / "wave.dat")
    waves.write(folder / "again.dat")
    assert (folder / "again.dat").read_bytes() == (folder / "wave.dat").read_bytes()
    # The checker's JSON, and the set's own check of what it writes.
    spectrum = {"jonswap": [], "sspe": ["--spectrum", "bm_swell.spc"], "emep": ["--spectrum", "coast"],
                "ene": ["--spectrum", "ebm.out"]}[example]
    done = subprocess.run([CHECKER, "--json", *spectrum, "wave.dat"], cwd=folder, capture_output=True,
                          timeout=LIMIT)
    assert done.returncode == 0, done.stderr
    expected = json.loads(done.stdout)
    target = spectrum[1] if spectrum else None
    assert wavecomp.check("wave.dat", spectrum=target) == expected
    # A set in memory reports as the file it writes, under its own name.
    in_memory = wavecomp.check(wavecomp.ComponentSet(waves.frequency, waves.amplitude, waves.direction, waves.phase,
                                                     waves.point_numbers, waves.run), spectrum=target)
    assert in_memory.pop("file") == "<ComponentSet>"
    expected.pop("file")
    assert in_memory == expected
    # Every export format, through Python and through the program, from the file the set came from.
    named = wavecomp.read("wave.dat")
    for format in ["funwave", "olaflow", "celeris", "csv", "json"]:
        done = subprocess.run([EXPORTER, format, "wave.dat", "--out", f"program.{format}", "--all-points",
                               "--depth", "12"], cwd=folder, capture_output=True, timeout=LIMIT)
        assert done.returncode == 0, done.stderr
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", wavecomp.WavecompWarning)
            paths = named.export(format, f"python.{format}", all_points=True, depth=12)
        assert len(paths) == len(named.point_numbers)
        for path in paths:
            program = path.replace("python.", "program.", 1)
            assert (folder / path).read_bytes() == (folder / program).read_bytes(), path
        with pytest.raises(wavecomp.Refused, match="exists already; it is never overwritten"):
            named.export(format, f"python.{format}", all_points=True)


def test_check_with_the_time_domain_record_matches_the_checker(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    run_program(tmp_path, dict(n=128))
    done = subprocess.run([CHECKER, "--json", "--series", "900", "--dt", "0.25", "wave.dat"], cwd=tmp_path,
                          capture_output=True, timeout=LIMIT)
    assert done.returncode == 0, done.stderr
    assert wavecomp.check("wave.dat", series=900, dt=0.25) == json.loads(done.stdout)


def test_surface_sums_the_components():
    # Two components of 1 m and 0.5 m at 0.25 Hz and 0.5 Hz, phases 0 and pi/2,
    # at two points (the second with amplitudes halved):
    #   t = 0: 1 cos 0 + 0.5 cos(pi/2) = 1;  t = 1: cos(pi/2) + 0.5 cos(pi + pi/2) = 0;
    #   t = 2: cos(pi) + 0.5 cos(2 pi + pi/2) = -1.
    waves = wavecomp.ComponentSet([0.25, 0.5], [[1.0, 0.5], [0.5, 0.25]], [0.0, 0.0], [0.0, math.pi / 2], [1, 2])
    np.testing.assert_allclose(waves.surface([0.0, 1.0, 2.0]), [[1, 0, -1], [0.5, 0, -0.5]], atol=1e-12)


# The program's line after "wavecomp: " for the same settings is what the exception says.
REFUSED_SETTINGS = [
    dict(h13=-1.0),
    dict(t13=0.0),
    dict(gamma=0.0),
    dict(fmin=0.5, fmax=0.2),
    dict(smax=-2.0),
    dict(smax=10.0, direction=95.0),
]


@pytest.mark.parametrize("settings", REFUSED_SETTINGS)
def test_refused_settings_carry_the_programs_text(tmp_path, settings):
    status, stderr = run_program(tmp_path, settings)
    assert status == 1
    keywords = dict(n=256, smax=10.0, h13=1.0, t13=10.0, direction=0.0, gamma=3.3, fmin=0.01, fmax=1.0, seed=4711)
    keywords.update(settings)
    with pytest.raises(wavecomp.Refused) as refused:
        wavecomp.jonswap(**keywords)
    assert "wavecomp: " + str(refused.value) + "\n" in stderr


def test_warnings_carry_the_programs_text(tmp_path):
    # A spreading around 89 degrees loses half its curve beyond +90.
    status, stderr = run_program(tmp_path, dict(direction=89.0))
    assert status == 0 and "wavecomp: warning: " in stderr
    with pytest.warns(wavecomp.WavecompWarning) as warned:
        wavecomp.jonswap(h13=1.0, t13=10.0, direction=89.0)
    assert ["wavecomp: warning: " + str(w.message) for w in warned] == stderr.splitlines()


def test_bad_files_and_names_raise_with_their_place(tmp_path):
    (tmp_path / "broken.dat").write_text("    1\n  256    3       3.3\n 1.0e-01\n")
    with pytest.raises(wavecomp.InputError) as bad:
        wavecomp.read(tmp_path / "broken.dat")
    assert (bad.value.file, bad.value.line, bad.value.first_column) == (str(tmp_path / "broken.dat"), 3, 16)
    assert str(bad.value).startswith(f"input error in {tmp_path / 'broken.dat'}, line 3, columns 16-30: expected")

    with pytest.raises(FileNotFoundError, match="cannot open the component file .*: No such file or directory"):
        wavecomp.read(tmp_path / "missing.dat")

    # A multi-point file whose points list other frequencies is no component set.
    record = "   {:.6E}   1.000000E+00   0.000000E+00   1.000000E+00\n"
    (tmp_path / "mixed.dat").write_text("    2\n    2    9       0.0    1\n" + record.format(0.1) + record.format(0.2) +
                                        "    2    9       0.0    2\n" + record.format(0.1) + record.format(0.25))
    with pytest.raises(wavecomp.InputFailure, match="point 2 has other frequencies, directions or phases than point 1"):
        wavecomp.read(tmp_path / "mixed.dat")

    waves = wavecomp.jonswap(h13=1.0, t13=10.0, n=8)
    (tmp_path / "taken.dat").write_text("keep me\n")
    with pytest.raises(FileExistsError, match="cannot create .*taken.dat: File exists"):
        waves.write(tmp_path / "taken.dat")
    assert (tmp_path / "taken.dat").read_text() == "keep me\n"

    with pytest.raises(wavecomp.Refused, match="n must be 1 to 1024"):
        wavecomp.jonswap(h13=1.0, t13=10.0, n=1025)
    broken = wavecomp.ComponentSet(waves.frequency, waves.amplitude * np.nan, waves.direction, waves.phase,
                                   run=waves.run)
    with pytest.raises(wavecomp.Error, match="amplitude"):
        broken.write(tmp_path / "nan.dat")
    assert not (tmp_path / "nan.dat").exists()


def test_nothing_is_printed_unless_asked(capfd):
    wavecomp.jonswap(h13=1.0, t13=10.0, n=16)
    assert capfd.readouterr() == ("", "")
    wavecomp.jonswap(h13=1.0, t13=10.0, n=16, echo=True)
    assert "Ver.r1c" in capfd.readouterr().out


def test_hs_and_tp_give_the_spectrum_of_that_hm0_and_peak():
    waves = wavecomp.jonswap(hs=2.0, tp=12.0, gamma=3.3, n=1024, fmin=0.01, fmax=2.0)
    # Hm0 of the components is that of the spectrum within fmin..fmax: all but 1e-4 of it.
    assert waves.hm0[0] == pytest.approx(2.0, rel=2e-3)
    # T1/3 = Tp (1 - 0.132 (gamma + 0.2)^-0.559), the relation of the JONSWAP shape.
    assert waves.run.T13 == pytest.approx(12.0 * (1 - 0.132 * 3.5 ** -0.559), rel=1e-15)


def test_to_xarray_keeps_points_components_and_the_run():
    waves = wavecomp.jonswap(h13=1.0, t13=10.0, n=32)
    data = waves.to_xarray()
    assert data.amplitude.dims == ("point", "component")
    assert data.sizes == {"point": 1, "component": 32}
    assert data.attrs["type"] == "JNS" and data.attrs["seed"] == waves.run.seed
    np.testing.assert_array_equal(data.phase.values, waves.phase)


# Long calls: a second thread runs while they do, and Ctrl-C stops them.
# Each takes minutes when not stopped.
def long_surface():
    waves = wavecomp.jonswap(h13=1.0, t13=10.0, n=1024)
    return waves.surface(np.arange(0.0, 3.0e6, 0.5))  # 6e9 cosines


def long_check():
    one = wavecomp.jonswap(h13=1.0, t13=10.0, n=1024)
    points = 64
    waves = wavecomp.ComponentSet(one.frequency, np.repeat(one.amplitude, points, axis=0), one.direction, one.phase,
                                  np.arange(1, points + 1), wavecomp.RunRecord(type="Emep"))
    return wavecomp.check(waves, series=1.0e5, dt=0.05)  # 64 records of 2e6 samples


def long_generation():
    """2048 points of 1024 components: some 2e9 spline steps."""
    points = 2048
    freq = 0.03 + 0.005 * np.arange(1, 65)
    direction = -180.0 + 10.0 * np.arange(36)
    S = np.exp(-((freq - 0.1) / 0.03) ** 2) + 1e-3
    mean = np.linspace(-30.0, 30.0, points)
    spread = np.cos(np.radians(direction[None, :] - mean[:, None]) / 2) ** 4
    efth = S[None, :, None] * spread[:, None, :] + 1e-9
    return lambda: wavecomp.from_directional(freq, direction, efth, frame="model", n=1024)


@pytest.mark.parametrize("make_call", [lambda: long_surface, lambda: long_check, long_generation])
def test_long_calls_release_the_gil_and_stop_on_ctrl_c(make_call):
    call = make_call()
    started = time.monotonic()
    ticks = 0
    interrupted = None
    finished = threading.Event()

    def tick_then_interrupt():
        nonlocal ticks, interrupted
        while not finished.is_set():
            ticks += 1
            if ticks == 100:  # the call is running and this thread still runs
                interrupted = time.monotonic()
                _thread.interrupt_main()
            time.sleep(0.001)

    helper = threading.Thread(target=tick_then_interrupt)
    helper.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            call()
    finally:
        finished.set()
        helper.join()
    assert ticks >= 100
    # The surface and the check would take minutes; bounds loose enough for
    # a busy machine (the generation's few seconds show the GIL free, not the stop).
    assert time.monotonic() - interrupted < 20
    assert time.monotonic() - started < 60


def test_cmake_install_puts_the_module_where_the_system_python_finds_it(tmp_path):
    binary = os.environ.get("WAVECOMP_BINARY_DIR")
    site = os.environ.get("WAVECOMP_PYTHON_INSTALL_DIR")
    if not binary or not site:
        pytest.skip("run by ctest, which names the build")
    cmake = os.environ.get("WAVECOMP_CMAKE_COMMAND", "cmake")
    subprocess.run([cmake, "--install", binary, "--prefix", str(tmp_path)], check=True, capture_output=True,
                   timeout=LIMIT)
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    environment["PYTHONPATH"] = str(tmp_path / site)
    script = "import wavecomp; print(wavecomp.__file__); print(wavecomp.jonswap(h13=1.0, t13=10.0, n=4).n)"
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True,
                          timeout=LIMIT, cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [str(tmp_path / site / "wavecomp" / "__init__.py"), "4"]
