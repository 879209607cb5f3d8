"""wavecomp from Python: equal-energy wave components for a coastal wave model.

The same stages as the program ``wavecomp``, on values instead of files:

    >>> import wavecomp
    >>> waves = wavecomp.jonswap(h13=1.0, t13=10.0, n=256, seed=4711)
    >>> waves.amplitude.shape          # (points, components)
    (1, 256)
    >>> waves.write("wave.dat")        # the program's file, to the byte

A set made here is, to the bit, what the program makes of a cont.txt of the
same settings. Errors are exceptions of ``wavecomp.errors`` with the programs'
English text; nothing is printed unless asked (``echo=True``).
"""

import json
import sys
import warnings
from dataclasses import dataclass, asdict
from typing import Optional

import numpy as np

from . import _wavecomp
from .errors import (Error, InputError, InputFailure, OutputError, OutputExists, Refused, UnopenableFile,
                     WavecompWarning)

__all__ = ["ComponentSet", "RunRecord", "jonswap", "from_table", "from_directional", "from_energy_balance", "read",
           "check", "Error", "InputError", "InputFailure",
           "OutputError", "OutputExists", "Refused", "UnopenableFile", "WavecompWarning"]

#: The largest component count N.
MAX_COMPONENTS = _wavecomp.MAX_COMPONENTS
#: The programs' version line.
VERSION = _wavecomp.VERSION


@dataclass(frozen=True)
class RunRecord:
    """What a single-point component file records of its run (its trailer).

    ``type`` is "JNS", "Sspe", "Emep" or "Ene" ("Emep or Ene" for a file read
    back, whose trailer does not tell them apart). ``Dirc`` is in radians
    when the run spread the spectrum (JNS, Sspe with Smax below 999), in
    degrees otherwise. ``seed`` is the random seed after the phase draws. A
    value that a read file shows as asterisks is None.
    """

    type: str = "JNS"
    H13: Optional[float] = 0.0
    T13: Optional[float] = 0.0
    Dirc: Optional[float] = 0.0
    gamma: Optional[float] = 0.0
    seed: Optional[int] = 0
    Smax: Optional[float] = 0.0
    input_file: str = ""


class ComponentSet:
    """The components of one run: shared by every point, amplitudes per point.

    frequency (Hz), direction (radians, from the boundary normal, going to)
    and phase (radians) are arrays of N; amplitude (m) is an array of
    (points, N); point_numbers are the point list's numbers (0 for the single
    point); run is the RunRecord of the trailer.
    """

    def __init__(self, frequency, amplitude, direction, phase, point_numbers=(0,), run=None, source=None):
        self.frequency = np.ascontiguousarray(frequency, dtype=float)
        self.amplitude = np.ascontiguousarray(np.atleast_2d(amplitude), dtype=float)
        self.direction = np.ascontiguousarray(direction, dtype=float)
        self.phase = np.ascontiguousarray(phase, dtype=float)
        self.point_numbers = np.asarray(point_numbers, dtype=np.int32)
        self.run = run if run is not None else RunRecord()
        #: The file the set was read from, if any: what check() calls it.
        self.source = source

    @classmethod
    def _from_values(cls, values, source=None):
        return cls(values["frequency"], values["amplitude"], values["direction"], values["phase"],
                   values["point_numbers"], RunRecord(**values["run"]), source)

    def _arrays(self):
        return (self.frequency, self.amplitude, self.direction, self.phase,
                [int(v) for v in self.point_numbers], asdict(self.run))

    @property
    def n(self):
        """The component count N."""
        return self.frequency.size

    @property
    def hm0(self):
        """Hm0 = 4 sqrt(sum a^2 / 2) of every point (m)."""
        return 4.0 * np.sqrt(0.5 * np.sum(self.amplitude ** 2, axis=1))

    def __len__(self):
        return self.frequency.size

    def __repr__(self):
        points = len(self.point_numbers)
        hm0 = self.hm0
        shown = f"{hm0[0]:.4g}" if points == 1 else f"{hm0.min():.4g} to {hm0.max():.4g}"
        return (f"<wavecomp.ComponentSet {self.run.type}: {self.n} components, {points} "
                f"point{'s' if points != 1 else ''}, Hm0 {shown} m>")

    def write(self, path):
        """Writes the component wave file `path`, which must not exist (OutputExists).

        The file appears whole once written, or not at all, exactly as the
        program writes it.
        """
        _wavecomp.write(*self._arrays(), str(path))

    def export(self, format, path, *, point=None, all_points=False, depth=None):
        """Writes the set as the boundary file of another wave model, as ``wavecomp-export`` does.

        `format` is one of funwave, olaflow, celeris, csv, json. A set of
        several points needs `point` (its number) or `all_points`, which writes
        ``PATH_P<k>`` for every point. `depth` (m) adds the wavenumber and
        wavelength to csv and json. Never writes over an existing file; the
        files appear together or not at all. Returns the paths written.
        """
        source = self.source if self.source is not None else "<ComponentSet>"
        values = _wavecomp.export(*self._arrays(), format=str(format), path=str(path), source=source, point=point,
                                  all_points=all_points, depth=depth)
        for warning in values["warnings"]:
            warnings.warn(warning, WavecompWarning, stacklevel=2)
        return values["paths"]

    def surface(self, t):
        """The sea surface eta(t) = sum a cos(2 pi f t + phase) of every point (m).

        `t` (s) is a number or an array; the result has one row per point.
        """
        t = np.atleast_1d(np.asarray(t, dtype=float))
        return _wavecomp.surface(self.frequency, self.amplitude, self.phase, t.ravel())

    def to_xarray(self):
        """The set as an xarray Dataset over (point, component), the run record in its attrs."""
        import xarray as xr

        component = np.arange(1, self.n + 1)
        attrs = {key: value for key, value in asdict(self.run).items() if value is not None}
        return xr.Dataset(
            {
                "frequency": ("component", self.frequency, {"units": "Hz"}),
                "amplitude": (("point", "component"), self.amplitude, {"units": "m"}),
                "direction": ("component", self.direction,
                              {"units": "rad", "convention": "going to, from the boundary normal"}),
                "phase": ("component", self.phase, {"units": "rad"}),
            },
            coords={"point": self.point_numbers, "component": component},
            attrs=attrs,
        )


def _said(values, echo):
    for warning in values.pop("warnings", ()):
        warnings.warn(warning, WavecompWarning, stacklevel=3)
    console = values.pop("console", b"")
    if echo:
        sys.stdout.write(console.decode("shift_jis", errors="replace"))
    return values


def jonswap(*, hs=None, h13=None, tp=None, t13=None, gamma=3.3, smax=10.0, n=256, seed=4711, fmin=0.01, fmax=1.0,
            direction=0.0, spectrum_file=False, echo=False):
    """The components of a JONSWAP spectrum, as a JNS run of the program makes them.

    Give the wave height as h13 (H1/3, m, as cont.txt) or hs (Hm0 = 4 sqrt(m0)
    of the spectrum over 0 Hz to infinity), and the period as t13 (T1/3, s,
    as cont.txt) or tp (the peak period). smax is Smax (999 or more: not
    spread), n the component count N, seed the random seed of the phases,
    fmin and fmax the frequency range (Hz) as cont.txt gives them, direction
    the principal direction Dirc. (degrees). With h13 and t13 the set is, to
    the bit, that of the program for the same cont.txt. spectrum_file=True
    also writes jonswap.spe into the working folder, as the program does;
    echo=True prints the program's console lines.
    """
    values = _wavecomp.jonswap(hs=hs, h13=h13, tp=tp, t13=t13, gamma=gamma, smax=smax, n=n, seed=seed, fmin=fmin,
                               fmax=fmax, direction=direction, spectrum_file=spectrum_file)
    return ComponentSet._from_values(_said(values, echo))


def from_table(freq, density, *, h13=None, t13=None, direction=0.0, smax=10.0, n=256, seed=4711, name="",
               echo=False):
    """The components of a frequency spectrum table, as an Sspe run makes them.

    freq (Hz, rising) and density S(f) (m2/Hz) are arrays or xarray
    DataArrays. h13, t13 and direction stand for the table file's first line
    (H1/3 in m, T1/3 in s, Dirc. in degrees): the record of the run, and the
    spreading's peak at 1/(1.05 T1/3) around Dirc. with Smax; left out, h13
    is Hm0 = 4 sqrt(m0) of the table (trapezoid rule) and t13 its peak period
    / 1.05. The same numbers as a table file give the program's set to the bit.
    """
    freq = np.ascontiguousarray(freq, dtype=float)
    density = np.ascontiguousarray(density, dtype=float)
    if h13 is None:
        h13 = 4.0 * np.sqrt(np.trapz(density, freq))
    if t13 is None:
        t13 = 1.0 / freq[int(np.argmax(density))] / 1.05
    values = _wavecomp.from_table(freq, density, h13=float(h13), t13=float(t13), direction=float(direction),
                                  smax=float(smax), n=n, seed=seed, name=str(name))
    return ComponentSet._from_values(_said(values, echo))


def _bin_widths(directions):
    """The width (degrees) of every direction bin: half the way to each neighbour round the circle."""
    d = np.asarray(directions, dtype=float) % 360.0
    if d.size == 1:
        return np.array([360.0])
    order = np.argsort(d)
    sorted_d = d[order]
    gaps = np.diff(np.concatenate([sorted_d, [sorted_d[0] + 360.0]]))
    widths = np.empty_like(d)
    widths[order] = 0.5 * (gaps + np.roll(gaps, 1))
    return widths


def from_directional(freq, dir=None, efth=None, *, normal_from=None, clockwise=False, frame="nautical", density=None,
                     point_numbers=None, n=256, seed=4711, h13=0.0, t13=0.0, direction=0.0, name="", echo=False):
    """The components of directional spectra, as an Emep run makes them.

    efth is the directional density in m2/Hz/deg over (freq, dir), or over
    (point, freq, dir) for several points, which make a multi-point set of
    the points' own amplitudes (point_numbers, 1.. by default). Give the
    three arrays, or an xarray Dataset with an ``efth`` variable or the
    DataArray ``efth`` itself as `freq`, in the wavespectra convention:
    coordinates ``freq`` (Hz) and ``dir`` (degrees), any other dimension
    being the points.

    Directions are nautical, the direction the waves come from, clockwise
    from north (frame="nautical"), and turned once into the model's frame
    with `normal_from`: the nautical direction from which a wave travelling
    along the model's shoreward x-axis comes (270 for a beach facing west);
    positive model angles turn anticlockwise from x unless `clockwise`.
    frame="model" takes them as the model's own angles (going to, from the
    boundary normal) as they stand. The run keeps the directions from -90 to
    +90 degrees (model frame); energy going offshore is left out of the
    directions but not of S(f).

    density is S(f) of every point (m2/Hz); left out, it is the integral of
    efth over the direction bins. h13, t13, direction and name are what a
    single-point file's trailer records (cont.txt's H1/3, T1/3, Dirc. and the
    input file's name in an Emep run).
    """
    if efth is None and dir is None:
        efth, freq = freq, None
        if hasattr(efth, "data_vars"):
            efth = efth["efth"]
        if not hasattr(efth, "dims"):
            raise TypeError("give freq, dir and efth, or an xarray Dataset or DataArray efth(freq, dir)")
    if hasattr(efth, "dims"):
        others = [dim for dim in efth.dims if dim not in ("freq", "dir")]
        if len(others) > 1:
            raise ValueError(f"efth may have one dimension of points besides freq and dir, not {others}")
        efth = efth.transpose(*others, "freq", "dir")
        freq = efth["freq"].values
        dir = efth["dir"].values
        if others and point_numbers is None and np.issubdtype(efth[others[0]].dtype, np.integer):
            point_numbers = efth[others[0]].values
        efth = efth.values
    if frame == "nautical":
        if normal_from is None:
            raise ValueError("nautical directions need normal_from, the direction from which a wave travelling "
                             "along the model's shoreward x-axis comes (or frame=\"model\")")
    elif frame == "model":
        if normal_from is not None:
            raise ValueError("normal_from turns nautical directions; frame=\"model\" takes them as they stand")
    else:
        raise ValueError('frame must be "nautical" or "model"')
    freq = np.ascontiguousarray(freq, dtype=float)
    dir = np.ascontiguousarray(dir, dtype=float)
    efth = np.asarray(efth, dtype=float)
    if efth.ndim == 2:
        efth = efth[np.newaxis]
    efth = np.ascontiguousarray(efth)
    if point_numbers is None:
        point_numbers = np.arange(1, efth.shape[0] + 1)
    if density is None:
        density = np.sum(efth * _bin_widths(dir), axis=2)
    density = np.ascontiguousarray(np.atleast_2d(density), dtype=float)
    values = _wavecomp.from_directional(freq, dir, efth, density, [int(v) for v in np.atleast_1d(point_numbers)],
                                        normal_from=None if normal_from is None else float(normal_from),
                                        clockwise=bool(clockwise), h13=float(h13), t13=float(t13),
                                        dirc=float(direction), n=n, seed=seed, name=str(name))
    return ComponentSet._from_values(_said(values, echo))


def from_energy_balance(freq, bandwidth, dir, energy, *, point_numbers=None, keys=None, n=256, seed=4711, h13=0.0,
                        t13=0.0, direction=0.0, name="", echo=False):
    """The components of energy-balance model spectra, as an Ene run makes them.

    energy is E in m2 of each frequency band (bandwidth, Hz) and direction
    bin, over (freq, dir) or (point, freq, dir); dir are the bins' directions
    in degrees of the model's frame (going to, from the boundary normal),
    strictly between -90 and +90 in equal steps of 180/(nd + 1). The
    amplitudes are scaled as an Ene run scales them. point_numbers and keys
    are the point list's (1.. and 0 by default); h13, t13, direction and name
    what a single-point file's trailer records.
    """
    energy = np.asarray(energy, dtype=float)
    if energy.ndim == 2:
        energy = energy[np.newaxis]
    energy = np.ascontiguousarray(energy)
    if point_numbers is None:
        point_numbers = np.arange(1, energy.shape[0] + 1)
    if keys is None:
        keys = np.zeros(energy.shape[0], dtype=int)
    values = _wavecomp.from_energy_balance(
        np.ascontiguousarray(freq, dtype=float), np.ascontiguousarray(bandwidth, dtype=float),
        np.ascontiguousarray(dir, dtype=float), energy, [int(v) for v in np.atleast_1d(point_numbers)],
        [int(k) for k in np.atleast_1d(keys)], h13=float(h13), t13=float(t13), dirc=float(direction), n=n,
        seed=seed, name=str(name))
    return ComponentSet._from_values(_said(values, echo))


def read(path):
    """Reads a component wave file (single- or multi-point) into a ComponentSet."""
    path = str(path)
    return ComponentSet._from_values(_wavecomp.read(path), source=path)


def check(components, spectrum=None, series=None, *, dt=None, normal_from=None, clockwise=False, time=None,
          location=None, offshore=None):
    """The checker's results for a set, the same nested dict as ``wavecomp-check --json``.

    `components` is a ComponentSet or the path of a component file. The set
    is checked as the file it writes (its values as the file rounds them).
    `spectrum` is the path of what to compare with (jonswap.spe, an Sspe
    table, Emep or Ene data, a SWAN file with normal_from, clockwise, time,
    location and offshore as wavecomp-check's options). `series` asks for the
    time-domain check: True for its default duration, or a duration in
    seconds; dt its time step.
    """
    if not isinstance(components, ComponentSet):
        components = read(components)
    name = components.source if components.source is not None else "<ComponentSet>"
    enabled = series is not None and series is not False
    duration = None if series is True or not enabled else float(series)
    if dt is not None:
        enabled = True
    text = _wavecomp.check(*components._arrays(), name=name, spectrum=None if spectrum is None else str(spectrum),
                           normal_from=normal_from, clockwise=clockwise, time=time, location=location,
                           offshore=offshore, series=enabled, duration=duration, dt=dt)
    return json.loads(text)
