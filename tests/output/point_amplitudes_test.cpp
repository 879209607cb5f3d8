#include "output/point_amplitudes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "resample/spline.h"

namespace wavecomp {
namespace {

// The inputs of ComputePointAmplitudes.
struct PointsRun {
  void Compute(Console& console, const PointAmplitudeOptions& options = PointAmplitudeOptions()) {
    ComputePointAmplitudes({type, N, ws->input, ws->points, ws->bands, ws->energy}, ws->point_amplitudes, console,
                           options);
  }
  double A(int i, int v) const { return ws->point_amplitudes(i, v); }

  WorkspacePtr ws = MakeWorkspace();
  SpectrumType type = SpectrumType::kEmep;
  int N = 0;
};

// The per-point band energies written out literally, one point after the
// other, one spline evaluation at a time, through the spline kernel's own
// availability test, set-up and evaluation. The fast path must agree with it
// bit for bit. Returns A(i, v) at [v * (N + 1) + i].
std::vector<double> ReferenceAmplitudes(const PointsRun& run) {
  SpectrumWorkspace& ws = *run.ws;
  const int N = run.N;
  const int n = ws.points.nss;
  const bool ene = run.type == SpectrumType::kEne;
  const double ratio = ws.energy.E_in / ws.energy.E_spl;
  std::vector<double> A(static_cast<std::size_t>((ws.points.num_p + 1) * (N + 1)), 0.0);
  std::vector<double> h(kMaxFrequencies + 1), M(kMaxFrequencies + 1);
  double left = 0.0;
  double right = 0.0;
  for (int v = 1; v <= ws.points.num_p; ++v) {
    for (int l = 1; l <= n; ++l) ws.input.S_in[l] = ws.points.point_spectra(l, v);
    const bool available = SplineAvailable(ws.input.f_in, n);
    if (available) spline_setup(ws.input.f_in, ws.input.S_in, n, n - 1, h.data(), M.data());
    for (int i = 1; i <= N; ++i) {
      const double delta = ws.bands.band_width[i] / 1000.0;
      double H = 0.0;
      for (int k = 0; k <= 999; ++k) {
        const double a = k * delta + ws.bands.band_start[i];
        const double c = delta + a;
        double value = 0.0;
        if (available && spline_value(ws.input.f_in, ws.input.S_in, n, h.data(), M.data(), a, value)) left = value;
        if (available && spline_value(ws.input.f_in, ws.input.S_in, n, h.data(), M.data(), c, value)) right = value;
        if (left < 0.0) left = 0.0;
        if (right < 0.0) right = 0.0;
        H = (left + right) * (delta * 0.5) + H;
      }
      double amplitude = 0.0;
      if (H > 0.0) amplitude = ene ? std::sqrt((H + H) * ratio) : std::sqrt(H + H);
      A[static_cast<std::size_t>(v * (N + 1) + i)] = amplitude;
    }
  }
  return A;
}

struct RandomRun {
  unsigned seed;
  int num_p;
  int N;
  int nss;  // 2 gives a table without a spline
  bool repeated_abscissa;
  bool ene;
  PointAmplitudeOptions options;
};

void FillRandomRun(PointsRun& points_run, const RandomRun& run) {
  SpectrumWorkspace& ws = *points_run.ws;
  std::mt19937_64 random(run.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  points_run.type = run.ene ? SpectrumType::kEne : SpectrumType::kEmep;
  points_run.N = run.N;
  ws.points.num_p = run.num_p;
  ws.points.nss = run.nss;
  ws.energy.E_in = 0.5 + unit(random);
  ws.energy.E_spl = 0.5 + unit(random);
  double x = 0.02 + 0.05 * unit(random);
  for (int l = 1; l <= run.nss; ++l) {
    ws.input.f_in[l] = x;
    x += 0.005 + 0.05 * unit(random);
  }
  if (run.repeated_abscissa && run.nss >= 3) ws.input.f_in[2] = ws.input.f_in[1];
  for (int v = 1; v <= run.num_p; ++v) {
    ws.points.point_numbers[v] = v * 7;
    for (int l = 1; l <= run.nss; ++l) {
      // Values down to -0.3 and an occasional spike make the spline dip below 0.
      double s = -0.3 + 2.3 * unit(random);
      if (unit(random) < 0.1) s *= 20.0;
      ws.points.point_spectra(l, v) = s;
    }
  }
  // Bands from below the first table frequency to past the last one.
  const double low = ws.input.f_in[1] - 0.05 * unit(random);
  const double high = ws.input.f_in[run.nss] + 0.1 * unit(random);
  double b = low;
  for (int i = 1; i <= run.N; ++i) {
    const double w = (high - low) / run.N * (0.5 + unit(random));
    ws.bands.band_start[i] = b;
    ws.bands.band_width[i] = w;
    b += w;
  }
}

TEST(PointAmplitudes, AgreeBitForBitWithThePointByPointLoop) {
  const RandomRun runs[] = {
      {1, 2, 1, 3, false, false, {2, 0}},
      {2, 2, 300, 12, false, true, {2, 0}},
      {3, 50, 5, 7, false, false, {2, 0}},
      {4, 50, 40, 25, false, true, {2, 3}},  // blocks of 3 points, carried across blocks
      {5, 17, 60, 40, false, false, {1, 4}},
      {6, 9, 100, 5, false, true, {3, 1}},   // three workers, one point per block
      {7, 3, 250, 2, false, false, {2, 0}},  // no spline: every point keeps 0
      {8, 6, 80, 9, true, true, {2, 0}},     // repeated abscissa: no spline
      {9, 31, 33, 4, false, false, {2, 5}},
      {10, 2, 1, 30, false, true, {2, 0}},
      {11, 12, 150, 60, false, false, {2, 0}},
      {12, 40, 2, 3, false, true, {2, 7}},
  };
  for (const RandomRun& run : runs) {
    SCOPED_TRACE(::testing::Message() << "seed " << run.seed << ", num_p " << run.num_p << ", N " << run.N);
    PointsRun fast;
    PointsRun reference;
    FillRandomRun(fast, run);
    FillRandomRun(reference, run);
    const std::vector<double> expected = ReferenceAmplitudes(reference);
    Console console;
    fast.Compute(console, run.options);
    int differing = 0;
    bool some_positive = false;
    for (int v = 1; v <= run.num_p; ++v) {
      for (int i = 1; i <= run.N; ++i) {
        const double want = expected[static_cast<std::size_t>(v * (run.N + 1) + i)];
        const double got = fast.A(i, v);
        some_positive = some_positive || want > 0.0;
        if (std::bit_cast<std::uint64_t>(want) != std::bit_cast<std::uint64_t>(got) && differing++ < 5) {
          ADD_FAILURE() << "A(" << i << ", " << v << "): " << got << " instead of " << want;
        }
      }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(some_positive, run.nss >= 3 && !run.repeated_abscissa);
  }
}

// A workspace with one table of `frequencies`, each point's values given.
PointsRun TableRun(const std::vector<double>& frequencies, const std::vector<std::vector<double>>& spectra) {
  PointsRun run;
  SpectrumWorkspace* ws = run.ws.get();
  ws->points.nss = static_cast<int>(frequencies.size());
  for (int l = 1; l <= ws->points.nss; ++l) ws->input.f_in[l] = frequencies[static_cast<std::size_t>(l - 1)];
  ws->points.num_p = static_cast<int>(spectra.size());
  for (int v = 1; v <= ws->points.num_p; ++v) {
    ws->points.point_numbers[v] = v;
    for (int l = 1; l <= ws->points.nss; ++l) {
      ws->points.point_spectra(l, v) = spectra[static_cast<std::size_t>(v - 1)][static_cast<std::size_t>(l - 1)];
    }
  }
  return run;
}

void SetBands(PointsRun& run, const std::vector<std::pair<double, double>>& bands) {
  run.N = static_cast<int>(bands.size());
  for (int i = 1; i <= run.N; ++i) {
    run.ws->bands.band_start[i] = bands[static_cast<std::size_t>(i - 1)].first;
    run.ws->bands.band_width[i] = bands[static_cast<std::size_t>(i - 1)].second;
  }
}

// The spline reproduces a straight line, times 6 * 0.16666667 (its last factor).
constexpr double kSplineGain = 6.0 * 0.16666667;

TEST(PointAmplitudes, BandEnergiesMatchTheIntegralOfEachPointsSpectrum) {
  // Each point's spectrum is a straight line S(f) = p + q f over the table,
  // which the trapezoid sum integrates exactly: a(i)^2 / 2 is the integral
  // of S over band i. Point 3 is the Ene case with E_in / E_spl = 4.
  const std::vector<double> f = {0.05, 0.08, 0.1, 0.15, 0.2, 0.27, 0.3};
  const double p[] = {0.5, 2.0, 1.0};
  const double q[] = {1.0, -5.0, 3.0};
  std::vector<std::vector<double>> spectra(3);
  for (int v = 0; v < 3; ++v) {
    for (double x : f) spectra[static_cast<std::size_t>(v)].push_back(p[v] + q[v] * x);
  }
  for (bool ene : {false, true}) {
    SCOPED_TRACE(ene ? "Ene" : "Emep");
    PointsRun run = TableRun(f, spectra);
    if (ene) {
      run.type = SpectrumType::kEne;
      run.ws->energy = {8.0, 2.0};
    }
    const std::vector<std::pair<double, double>> bands = {{0.05, 0.03}, {0.08, 0.07}, {0.15, 0.01}, {0.16, 0.14}};
    SetBands(run, bands);
    Console console;
    run.Compute(console);
    for (int v = 1; v <= 3; ++v) {
      double total = 0.0, expected_total = 0.0;
      for (int i = 1; i <= 4; ++i) {
        const double b = bands[static_cast<std::size_t>(i - 1)].first;
        const double c = b + bands[static_cast<std::size_t>(i - 1)].second;
        const double integral = kSplineGain * (p[v - 1] * (c - b) + q[v - 1] * (c * c - b * b) / 2.0);
        const double energy = run.A(i, v) * run.A(i, v) / 2.0 / (ene ? 4.0 : 1.0);
        EXPECT_NEAR(energy, integral, 1e-11 * integral) << "component " << i << ", point " << v;
        total += energy;
        expected_total += integral;
      }
      EXPECT_NEAR(total, expected_total, 1e-11 * expected_total) << "point " << v;
    }
  }
}

TEST(PointAmplitudes, EneScalesEveryAmplitudeByTheRootOfTheEnergyRatio) {
  const std::vector<double> f = {0.05, 0.1, 0.2, 0.4};
  const std::vector<std::vector<double>> spectra = {{1.0, 3.0, 2.0, 0.5}, {0.2, 0.1, 4.0, 1.0}};
  const std::vector<std::pair<double, double>> bands = {{0.05, 0.05}, {0.1, 0.13}, {0.23, 0.17}};
  PointsRun emep = TableRun(f, spectra);
  PointsRun ene = TableRun(f, spectra);
  SetBands(emep, bands);
  SetBands(ene, bands);
  ene.type = SpectrumType::kEne;
  ene.ws->energy = {3.0, 0.75};  // ratio 4: sqrt(2H * 4) is exactly 2 sqrt(2H)
  Console console;
  emep.Compute(console);
  ene.Compute(console);
  for (int v = 1; v <= 2; ++v) {
    for (int i = 1; i <= 3; ++i) {
      EXPECT_GT(emep.A(i, v), 0.0);
      EXPECT_EQ(ene.A(i, v), 2.0 * emep.A(i, v)) << i << ", " << v;
    }
  }
}

TEST(PointAmplitudes, RememberedValuesStandInOutsideTheTable) {
  // Constant spectra: 1 at point 1, 4 at point 2, over 0.1 .. 0.5 Hz.
  const std::vector<double> f = {0.1, 0.2, 0.3, 0.4, 0.5};
  const std::vector<std::vector<double>> spectra = {std::vector<double>(5, 1.0), std::vector<double>(5, 4.0)};
  const double unit = kSplineGain;  // the spline value of the constant 1
  const struct {
    const char* label;
    std::vector<std::pair<double, double>> bands;
    // expected a^2 / 2 of each component at points 1 and 2
    std::vector<std::pair<double, double>> energies;
  } cases[] = {
      // Beyond 0.5 Hz the last value obtained stands in, so the energy is
      // that of a constant continued past the table.
      {"band past the last table frequency", {{0.4, 0.2}}, {{0.2 * unit, 0.8 * unit}}},
      // Point 1 starts with 0 below the table; point 2 starts with what point
      // 1 remembered last (its value 1), not with its own 4 and not with 0.
      {"band below the table, then inside", {{0.0, 0.05}, {0.2, 0.1}}, {{0.0, 0.05 * unit}, {0.1 * unit, 0.4 * unit}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    for (int threads : {1, 2}) {
      PointsRun run = TableRun(f, spectra);
      SetBands(run, c.bands);
      Console console;
      run.Compute(console, {threads, 0});
      for (int i = 1; i <= static_cast<int>(c.bands.size()); ++i) {
        const auto [e1, e2] = c.energies[static_cast<std::size_t>(i - 1)];
        const double a1 = run.A(i, 1), a2 = run.A(i, 2);
        EXPECT_NEAR(a1 * a1 / 2.0, e1, 1e-12) << "component " << i << ", point 1";
        EXPECT_NEAR(a2 * a2 / 2.0, e2, 1e-12) << "component " << i << ", point 2";
      }
    }
  }
}

TEST(PointAmplitudes, NegativeSplineOvershootContributesNothing) {
  // A spike at 0.3 Hz between zeros: the spline swings below zero between
  // 0.2 and 0.25 Hz.
  const std::vector<double> f = {0.1, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5};
  const std::vector<std::vector<double>> spectra = {{0, 0, 0, 10, 0, 0, 0}, {0, 0, 0, 20, 0, 0, 0}};
  PointsRun run = TableRun(f, spectra);
  const SpectrumWorkspace* ws = run.ws.get();
  // The negative lobe, sampled through the kernel itself (midpoint sum).
  std::vector<double> h(8), M(8);
  spline_setup(ws->input.f_in, ws->points.point_spectra.column(1), 7, 6, h.data(), M.data());
  double lobe = 0.0;
  for (int s = 0; s < 1000; ++s) {
    double value = 0.0;
    spline_value(ws->input.f_in, ws->points.point_spectra.column(1), 7, h.data(), M.data(),
                 0.2 + 0.05 * (s + 0.5) / 1000, value);
    ASSERT_LE(value, 0.0) << "the spline is not negative all over 0.2 .. 0.25";
    lobe += value * 0.05 / 1000;
  }
  // Band 1 is the lobe alone, band 2 the spike, band 3 both.
  SetBands(run, {{0.2, 0.05}, {0.25, 0.1}, {0.2, 0.15}});
  Console console;
  run.Compute(console);
  for (int v = 1; v <= 2; ++v) {
    SCOPED_TRACE(::testing::Message() << "point " << v);
    const double spike = run.A(2, v) * run.A(2, v) / 2.0;
    const double both = run.A(3, v) * run.A(3, v) / 2.0;
    EXPECT_EQ(run.A(1, v), 0.0);
    // Counting the lobe would take at least this much off band 3.
    ASSERT_GT(-lobe * v, 1e-2 * spike);
    EXPECT_NEAR(both, spike, 1e-4 * spike);
  }
}

}  // namespace
}  // namespace wavecomp
