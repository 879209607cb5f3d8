#include "synthesis/jonswap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::Lines;
using testing::ScratchDir;

// jonswap.spe goes to the working folder: run the stage inside a scratch
// folder and come back afterwards.
class InFolder {
 public:
  explicit InFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// A plain reference of the density and of the division's slope, written
// with std::pow throughout and with exp(B/f^4 - ...) split as EB * G.
struct Reference {
  double gamma, Tp, fp, A, B;

  Reference(double H, double T, double g) : gamma(g) {
    Tp = T / (1.0 - 0.132 * std::pow(g + 0.2, -0.559));
    fp = 1.0 / Tp;
    const double betaJ = 0.0624 / (0.230 + 0.0336 * g - 0.185 / (1.9 + g)) * (1.094 - 0.01915 * std::log(g));
    A = betaJ * H * H * std::pow(Tp, -4.0);
    B = -1.25 * std::pow(Tp, -4.0);
  }
  double Sigma(double f) const { return f <= fp ? 0.07 : 0.09; }
  double G(double f) const { return std::exp(-std::pow(Tp * f - 1.0, 2.0) / (2.0 * std::pow(Sigma(f), 2.0))); }
  double Raw(double f) const {
    return A * std::pow(f, -5.0) * std::exp(-1.25 * std::pow(Tp * f, -4.0)) * std::pow(gamma, G(f));
  }
  double Density(double f) const { return Raw(f) <= 1.0e-10 ? 0.0 : Raw(f); }
  double UnflooredSlope(double f) const {
    const double EB = std::exp(B / std::pow(f, 4.0));
    const double P = std::pow(gamma, G(f)) * (-5.0 * A * EB / std::pow(f, 6.0) - 4.0 * A * B * EB / std::pow(f, 10.0));
    const double sigma2 = Sigma(f) * Sigma(f);
    const double Q = (Tp * f - 1.0) * std::log(gamma) * G(f) * (EB * G(f)) * std::pow(f, -5.0) * (Tp / sigma2) * A;
    return P - Q;
  }
  double Slope(double f) const { return std::max(UnflooredSlope(f), 1.0e-6); }
};

constexpr double kStep = 9.999999747378752e-6;  // 1.0e-5 in single precision

TEST(JonswapShape, PeakPeriodFollowsTheFittedFormula) {
  // By hand: 3.5^-0.559 = exp(-0.559 ln 3.5) = 0.496440,
  // 1 - 0.132 * 0.496440 = 0.934470.
  const JonswapShape shape = JonswapShape::From(1.0, 10.0, 3.3);
  EXPECT_NEAR(shape.Tp, 10.0 / 0.934470, 1.0e-4);
  EXPECT_DOUBLE_EQ(shape.fp, 1.0 / shape.Tp);
}

TEST(JonswapDensity, AgreesWithTheReferenceOnBothSidesOfThePeak) {
  struct Case {
    double H, T, gamma;
  };
  const Case cases[] = {{1.0, 10.0, 3.3}, {2.5, 8.0, 2.0}, {0.5, 4.0, 1.0}, {3.0, 14.0, 7.0}, {1.0, 6.0, 0.5}};
  for (const Case& c : cases) {
    const JonswapShape shape = JonswapShape::From(c.H, c.T, c.gamma);
    const Reference ref(c.H, c.T, c.gamma);
    for (double ratio : {0.6, 0.8, 0.95, 1.0, 1.05, 1.2, 1.6, 3.0, 8.0}) {
      const double f = ratio * ref.fp;
      SCOPED_TRACE(::testing::Message() << "gamma " << c.gamma << " f/fp " << ratio);
      EXPECT_NEAR(JonswapDensity(shape, f), ref.Density(f), 1.0e-11 * ref.Density(f));
      EXPECT_NEAR(JonswapSlope(shape, f), ref.Slope(f), 1.0e-10 * std::fabs(ref.Slope(f)));
    }
  }
}

TEST(JonswapDensity, TinyDensitiesAreZero) {
  const JonswapShape shape = JonswapShape::From(1.0, 10.0, 3.3);
  const Reference ref(1.0, 10.0, 3.3);
  // Far below the peak the density underflows; far above it falls as f^-5.
  EXPECT_EQ(JonswapDensity(shape, 0.01), 0.0);
  EXPECT_EQ(JonswapDensity(shape, 0.04), 0.0);
  // Walk through both crossings of 1.0e-10: nothing in (0, 1.0e-10] comes out.
  int zeros = 0;
  for (double f = 0.03; f < 40.0; f *= 1.0001) {
    const double density = JonswapDensity(shape, f);
    EXPECT_TRUE(density == 0.0 || density > 1.0e-10) << f;
    if (ref.Raw(f) < 0.99e-10) {
      EXPECT_EQ(density, 0.0) << f;
    }
    if (ref.Raw(f) > 1.01e-10) {
      EXPECT_GT(density, 1.0e-10) << f;
    }
    zeros += density == 0.0;
  }
  EXPECT_GT(zeros, 100);
}

TEST(JonswapSlope, IsFlooredEverywhereAbovePeakForGammaFromOne) {
  for (double gamma : {1.0, 1.5, 3.3, 7.0, 20.0}) {
    const JonswapShape shape = JonswapShape::From(1.0, 10.0, gamma);
    for (double ratio = 1.0001; ratio < 50.0; ratio *= 1.01) {
      EXPECT_EQ(JonswapSlope(shape, ratio * shape.fp), 1.0e-6) << gamma << " " << ratio;
    }
  }
}

TEST(JonswapSlope, IsTheExactDerivativeOnlyForGammaOne) {
  // Central differences of the unfloored reference density below the peak.
  auto derivative = [](const Reference& ref, double f) {
    const double h = 1.0e-6 * f;
    return (ref.Raw(f + h) - ref.Raw(f - h)) / (2.0 * h);
  };
  {
    const JonswapShape shape = JonswapShape::From(1.0, 10.0, 1.0);
    const Reference ref(1.0, 10.0, 1.0);
    for (double ratio : {0.75, 0.85, 0.95}) {
      const double f = ratio * shape.fp;
      EXPECT_NEAR(JonswapSlope(shape, f), derivative(ref, f), 1.0e-6 * derivative(ref, f)) << ratio;
    }
  }
  {
    // Q carries G twice and no gamma^G: below the peak the slope is far
    // from the true derivative.
    const JonswapShape shape = JonswapShape::From(1.0, 10.0, 3.3);
    const Reference ref(1.0, 10.0, 3.3);
    const double f = 0.95 * shape.fp;
    EXPECT_LT(JonswapSlope(shape, f), 0.8 * derivative(ref, f));
  }
}

struct JnsSettings {
  double H = 1.0, T = 10.0, gamma = 3.3;
  double fmin = 0.01 + 0.000001, fmax = 1.0;
  int N = 256;
};

// The JONSWAP stage of a run with these settings; its result in `bands`.
struct JnsRun {
  explicit JnsRun(const JnsSettings& settings) {
    control.component_count = settings.N;
    control.H13 = settings.H;
    control.T13 = settings.T;
    control.gamma = settings.gamma;
    control.fmin = settings.fmin;
    control.fmax = settings.fmax;
  }
  void Run() {
    textio::OutputSet outputs;
    JonswapSpectrum(control, bands, outputs);
    outputs.PublishAll();
  }

  ControlSettings control;
  WorkspacePtr ws = MakeWorkspace();
  FrequencyBands& bands = ws->bands;
};

TEST(JonswapSpectrum, WritesTheSampledSpectrumFile) {
  ScratchDir dir;
  JnsRun run({});
  {
    InFolder in(dir.path());
    run.Run();
  }
  const std::vector<std::string> lines = Lines(dir.Read("jonswap.spe"));
  // (1.0 + df - 0.010001) / df = 99000.9 records, truncated.
  ASSERT_EQ(lines.size(), 99000u);
  // fmin as stored; the density underflows there and the slope is floored.
  EXPECT_EQ(lines.front(), "      0.10001000E-01      0.00000000E+00      0.10000000E-05");
  const Reference ref(1.0, 10.0, 3.3);
  for (std::size_t k : {std::size_t{0}, std::size_t{5000}, std::size_t{8000}, std::size_t{8500}, std::size_t{12345},
                        std::size_t{60000}, std::size_t{98999}}) {
    SCOPED_TRACE(k);
    ASSERT_EQ(lines[k].size(), 60u);
    const double f = 0.010001 + static_cast<double>(k) * kStep;
    // Eight mantissa digits 0.dddddddd: within half a unit of the last one.
    constexpr double kDigits = 5.0e-8;
    EXPECT_NEAR(std::stod(lines[k].substr(0, 20)), f, kDigits * f);
    EXPECT_NEAR(std::stod(lines[k].substr(20, 20)), ref.Density(f), kDigits * ref.Density(f));
    EXPECT_NEAR(std::stod(lines[k].substr(40, 20)), ref.Slope(f), kDigits * std::fabs(ref.Slope(f)));
  }
}

TEST(JonswapSpectrum, EnergyIsTheTrapezoidSumOverTheRange) {
  ScratchDir dir;
  JnsRun run({});
  {
    InFolder in(dir.path());
    run.Run();
  }
  const Reference ref(1.0, 10.0, 3.3);
  double m0 = 0.0;
  for (int k = 0; k < 98999; ++k) {
    const double f = 0.010001 + k * kStep;
    m0 += (ref.Density(f) + ref.Density(f + kStep)) * (kStep / 2.0);
  }
  EXPECT_NEAR(run.bands.ecomp * 256.0, m0, 1.0e-9 * m0);
  // Not rescaled: 4 sqrt(m0) comes out near 1.03 H1/3 for gamma 3.3.
  EXPECT_NEAR(4.0 * std::sqrt(m0), 1.03, 0.01);
}

// The equal-energy division walked independently: straight-line step areas
// from each band's start, the quadratic solved in closed form.
struct Division {
  std::vector<double> f;           // component frequencies, 1-based
  std::vector<double> band_start;  // 1..N+1
};

double FirstRoot(double a, double s, double R) {
  const double discriminant = 4.0 * s * s + 8.0 * a * R;
  if (discriminant > 0.0) return (std::sqrt(discriminant) - 2.0 * s) / (2.0 * a);
  return -s / a;
}

Division ReferenceDivision(const Reference& ref, double fmin, double E, int N) {
  Division division{std::vector<double>(N + 1), std::vector<double>(N + 2)};
  double c = fmin;
  division.band_start[1] = c;
  for (int i = 1; i <= N; ++i) {
    double sum = 0.0;
    bool placed = false;
    for (long j = 0;; ++j) {
      const double fj = c + static_cast<double>(j) * kStep;
      const double s = ref.Density(fj);
      const double a = ref.Slope(fj);
      const double u = (((fj + kStep) - fj) * a + 2.0 * s) * (kStep / 2.0);
      sum += u;
      if (!placed && sum >= 0.5 * E) {
        division.f[i] = fj + FirstRoot(a, s, 0.5 * E - sum + u);
        placed = true;
      } else if (sum >= E) {
        c = fj + FirstRoot(a, s, E - sum + u);
        break;
      }
    }
    division.band_start[i + 1] = c;
  }
  return division;
}

TEST(JonswapSpectrum, PlacesEachComponentAtItsBandsHalfEnergy) {
  struct Case {
    const char* name;
    JnsSettings settings;
    bool increasing;  // false where bands are narrower than one step
  };
  const Case cases[] = {
      {"typical road", {}, true},
      {"one band", {.N = 1}, true},
      {"gamma 1", {.H = 2.0, .T = 7.0, .gamma = 1.0, .fmin = 0.05, .fmax = 0.8, .N = 100}, true},
      {"gamma below 1", {.H = 0.8, .T = 5.0, .gamma = 0.5, .fmin = 0.1, .fmax = 2.0, .N = 1024}, true},
      // 50 steps around the peak for 1024 bands: most bands are narrower
      // than the step holding their half point, so the skipped end test
      // shows.
      {"bands narrower than a step", {.fmin = 0.0933, .fmax = 0.0938, .N = 1024}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    JnsRun run(c.settings);
    {
      InFolder in(dir.path());
      run.Run();
    }
    const int N = c.settings.N;
    const Reference ref(c.settings.H, c.settings.T, c.settings.gamma);
    const Division expected = ReferenceDivision(ref, c.settings.fmin, run.bands.ecomp, N);
    for (int i = 1; i <= N; ++i) {
      SCOPED_TRACE(i);
      // The root (sqrt(4s^2 + 8aR) - 2s) / 2a cancels badly where a is the
      // 1.0e-6 floor: one rounding of the square root moves a band end by
      // about eps 2s / 2a, i.e. an energy of eps s^2 / a (1e-9 m^2 at the
      // peak), and these offsets are carried on by every later band. So the
      // tolerance is an energy, a thousandth of a band at the local rate
      // s + a df, plus a few roundings of x itself for bands narrower than
      // a step. A fault in the division misplaces a good part of a band or
      // of a step.
      const double s = ref.Density(expected.f[i]);
      const double a = ref.Slope(expected.f[i]);
      const double eps = std::numeric_limits<double>::epsilon();
      const double tolerance = 1.0e-3 * run.bands.ecomp / (s + a * kStep) + 16.0 * eps * s / a + 1.0e-12;
      ASSERT_NEAR(run.bands.f[i], expected.f[i], tolerance);
      if (c.increasing) {
        EXPECT_GT(run.bands.f[i], expected.band_start[i]);
        EXPECT_LT(run.bands.f[i], expected.band_start[i + 1]);
        if (i > 1) {
          EXPECT_GT(run.bands.f[i], run.bands.f[i - 1]);
        }
      }
    }
  }
}

TEST(JonswapSpectrum, OneBandHalvesTheTotalEnergy) {
  ScratchDir dir;
  JnsRun run({.N = 1});
  {
    InFolder in(dir.path());
    run.Run();
  }
  const Reference ref(1.0, 10.0, 3.3);
  double below = 0.0;
  for (double f = 0.010001; f + kStep <= run.bands.f[1]; f += kStep) {
    below += (ref.Density(f) + ref.Density(f + kStep)) * (kStep / 2.0);
  }
  EXPECT_NEAR(below / run.bands.ecomp, 0.5, 1.0e-3);
}

TEST(JonswapSpectrum, FminOfZeroInTheControlFileIsAccepted) {
  // Stored as 0.000001 Hz: the density underflows to 0 there and the walk
  // goes on into the spectrum.
  ScratchDir dir;
  JnsRun run({.fmin = 0.000001, .fmax = 0.3, .N = 16});
  InFolder in(dir.path());
  run.Run();
  EXPECT_GT(run.bands.ecomp, 0.0);
  EXPECT_GT(run.bands.f[1], 0.05);
  EXPECT_LT(run.bands.f[16], 0.3);
}

TEST(JonswapSpectrum, NoComponentsLeavesTheFrequenciesAlone) {
  ScratchDir dir;
  JnsRun run({.fmax = 0.2, .N = 0});
  run.bands.f[1] = 123.0;
  InFolder in(dir.path());
  run.Run();
  EXPECT_EQ(run.bands.f[1], 123.0);
  EXPECT_TRUE(dir.Exists("jonswap.spe"));
}

// Settings without a density have a console line of their own; settings
// whose components would carry no energy, or whose gamma line 2 of the
// component file cannot hold, are explained on standard error alone.
TEST(JonswapSpectrum, RefusesSpectraWithoutADensityOrEnergyBeforeWritingAnything) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string positive = " JONSWAP needs gamma > 0, T1/3 > 0 and fmin > 0 Hz; gamma, T1/3, fmin =";
  const std::string finite = " JONSWAP needs finite values of H1/3, T1/3, gamma, fmin and fmax";
  const std::string wide = " JONSWAP samples at most 100 Hz of frequency range; fmax - fmin =";
  const std::string no_height = "H1/3 (cont.txt line 7, columns 11-20) is ";
  const std::string big_gamma = "gamma (cont.txt line 7, columns 41-50) is ";
  const std::string no_range = "fmax (cont.txt line 8, columns 21-30) is ";
  const std::string no_energy = "the JONSWAP spectrum of H1/3 ";
  struct Case {
    const char* name;
    JnsSettings settings;
    const std::string& message;  // the console line, or the start of the explanation of a silent stop
  };
  const Case cases[] = {
      {"gamma 0", {.gamma = 0.0}, positive},
      {"negative gamma", {.gamma = -3.3}, positive},
      {"period 0", {.T = 0.0}, positive},
      {"negative period", {.T = -10.0}, positive},
      {"fmin 0 as stored", {.fmin = 0.0}, positive},
      {"fmin read as -0.5", {.fmin = -0.5 + 0.000001}, positive},
      {"height not a number", {.H = nan}, finite},
      {"infinite period", {.T = inf}, finite},
      {"gamma not a number", {.gamma = nan}, finite},
      {"infinite fmax", {.fmax = inf}, finite},
      {"fmin not a number", {.fmin = nan}, finite},
      {"range of 150 Hz", {.fmax = 150.0}, wide},
      {"enormous fmax", {.fmax = 1.0e300}, wide},
      // Fault: each of these wrote components of amplitude 0 with status 0 (the
      // bad-input table runs the program on more of them).
      {"negative height", {.H = -1.0}, no_height},
      {"fmax equal to fmin as read", {.fmin = 0.1 + 0.000001, .fmax = 0.1}, no_range},
      {"range shorter than a step", {.fmin = 0.1, .fmax = 0.100005}, no_energy},
      // Fault: gamma 1E300 gave amplitudes of 0 and "**********" on line 2 of the file.
      {"gamma beyond F10.1", {.gamma = 1.0e8}, big_gamma},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    JnsRun run(c.settings);
    InFolder in(dir.path());
    try {
      run.Run();
      ADD_FAILURE() << "not refused";
    } catch (const RunStop& stop) {
      if (c.message.front() == ' ') {
        EXPECT_EQ(stop.kind(), RunStop::Kind::kMessage);
        EXPECT_EQ(std::string(stop.text()).substr(0, c.message.size()), c.message);
      } else {
        EXPECT_EQ(stop.kind(), RunStop::Kind::kSilent);
        EXPECT_EQ(stop.explanation().substr(0, c.message.size()), c.message) << stop.explanation();
      }
    }
    EXPECT_FALSE(dir.Exists("jonswap.spe"));
  }
  // The largest gamma line 2 holds, 99999999.9, still gives a spectrum.
  ScratchDir dir;
  JnsRun run({.gamma = 99999999.9, .N = 8});
  InFolder in(dir.path());
  EXPECT_NO_THROW(run.Run());
}

// The energy from 0 to infinity, against the ratio Hm0 / H1/3 = 4 sqrt(m0) /
// H1/3 of the fitted spectrum (README table, 4 digits) and, for gamma = 1,
// the closed form betaJ H1/3^2 / 5 (betaJ(1) = 0.0624 / (0.2636 - 0.185 /
// 2.9) = 0.0624 / 0.199807 * 1.094 = 0.341658, so 4 sqrt(0.0683316) = 1.04561).
TEST(JonswapTotalEnergy, GivesTheRatioOfHm0ToH13OfTheFit) {
  const struct {
    double gamma, ratio, tolerance;
  } cases[] = {{1.0, 1.04561, 2e-5}, {2.0, 1.037, 6e-4}, {3.3, 1.034, 6e-4},
               {5.0, 1.031, 6e-4},   {7.0, 1.028, 6e-4}, {10.0, 1.022, 6e-4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gamma);
    for (double T : {4.0, 10.0}) {
      const JonswapShape shape = JonswapShape::From(2.0, T, c.gamma);
      EXPECT_NEAR(4.0 * std::sqrt(JonswapTotalEnergy(shape)) / 2.0, c.ratio, c.tolerance);
    }
  }
  // A range wide enough holds all of it: the run's m0 over 0.01-1 Hz agrees.
  ScratchDir dir;
  JnsRun run({.N = 1});
  InFolder in(dir.path());
  run.Run();
  EXPECT_NEAR(run.bands.ecomp / JonswapTotalEnergy(JonswapShape::From(1.0, 10.0, 3.3)), 1.0, 2e-4);
}

TEST(JonswapSpectrum, RefusalLeavesAnEarlierSpectrumFileAsItWas) {
  ScratchDir dir;
  dir.Write("jonswap.spe", "earlier run\n");
  JnsRun run({.gamma = 0.0});
  InFolder in(dir.path());
  EXPECT_THROW(run.Run(), RunStop);
  EXPECT_EQ(dir.Read("jonswap.spe"), "earlier run\n");
}

TEST(JonswapSpectrum, StopsWhenTheEnergyCannotBeDivided) {
  struct Case {
    const char* name;
    JnsSettings settings;
    std::string message;
  };
  const Case cases[] = {
      // f^-5 overflows at the first sample: m0 is not a number.
      {"frequency near 0", {.fmin = 1.0e-70, .fmax = 0.001}, " JONSWAP total energy m0 is not a finite number:"},
      // H1/3^2 overflows.
      {"enormous height", {.H = 1.0e200, .fmax = 0.2}, " JONSWAP total energy m0 is not a finite number:"},
      // f^10 underflows to 0 while the range is empty: the first step's
      // slope is 0/0 and the band could never close.
      {"slope not a number",
       {.fmin = 1.0e-35, .fmax = 0.2, .N = 4},
       " JONSWAP equal-energy band met a step energy that is not a number; band           1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    JnsRun run(c.settings);
    InFolder in(dir.path());
    try {
      run.Run();
      ADD_FAILURE() << "not stopped";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.kind(), RunStop::Kind::kMessage);
      EXPECT_EQ(std::string(stop.text()).substr(0, c.message.size()), c.message);
    }
  }
}

}  // namespace
}  // namespace wavecomp
