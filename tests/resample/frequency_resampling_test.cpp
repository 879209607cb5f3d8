#include "resample/frequency_resampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "resample/spline.h"
#include "support/test_support.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

// A spline value is the interpolant times 6 x 0.16666667.
constexpr double kValueFactor = 6.0 * 0.16666667;
constexpr double kUntouched = -7.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Input {
  const char* type = "Sspe";
  std::vector<double> f;           // f_in(1..n), 0-based here
  std::vector<double> S;           // S_in(1..n)
  int N = 10;                      // component count
  std::vector<double> bandwidths;  // Ene only; 0.01 each when empty
};

// The division of one table; what direct_spec leaves is in bands, energy and end.
struct DivisionRun {
  void Divide(Console& console) { end = direct_spec(type, N, input, workspace->points, bands, energy, console); }

  WorkspacePtr workspace = MakeWorkspace();
  SpectrumType type = SpectrumType::kSspe;
  int N = 0;
  InputSpectrum& input = workspace->input;
  FrequencyBands& bands = workspace->bands;
  EnergyCheck& energy = workspace->energy;
  DivisionEnd end;
};

DivisionRun Prepare(const Input& input) {
  DivisionRun run;
  run.type = *ParseSpectrumType(std::string(input.type) + std::string(4 - std::strlen(input.type), ' '));
  run.N = input.N;
  run.input.n_in = static_cast<int>(input.f.size());
  for (int j = 1; j <= run.input.n_in && j <= kMaxFrequencies; ++j) {
    const auto u = static_cast<std::size_t>(j - 1);
    run.input.f_in[j] = input.f[u];
    run.input.S_in[j] = input.S[u];
    run.workspace->points.point_spectra(j, 0) = input.bandwidths.empty() ? 0.01 : input.bandwidths[u];
  }
  run.energy = {kUntouched, kUntouched};
  for (int k = 0; k <= kMaxUsedComponents; ++k) {
    run.bands.f[k] = kUntouched;
    run.bands.band_start[k] = kUntouched;
    run.bands.band_width[k] = kUntouched;
  }
  return run;
}

std::vector<double> Grid(double first, double last, int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(i == count - 1 ? last : first + (last - first) * i / (count - 1));
  return values;
}

// A quadratic density a f^2 + b f + c. Points of one parabola make the
// spline that parabola, so the spline density is known in closed form.
struct Quadratic {
  double a, b, c;
  double operator()(double x) const { return (a * x + b) * x + c; }
  double Primitive(double x) const { return ((a / 3.0 * x + b / 2.0) * x + c) * x; }
  // The energy of the clipped spline density kValueFactor * max(0, P) from lo to hi.
  double Energy(double lo, double hi) const {
    std::vector<double> cuts{lo, hi};
    const double D = b * b - 4.0 * a * c;
    if (a != 0.0 && D > 0.0) {
      for (double root : {(-b - std::sqrt(D)) / (2.0 * a), (-b + std::sqrt(D)) / (2.0 * a)}) {
        if (root > lo && root < hi) cuts.push_back(root);
      }
    }
    std::sort(cuts.begin(), cuts.end());
    double energy = 0.0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
      if ((*this)(0.5 * (cuts[i] + cuts[i + 1])) > 0.0) energy += Primitive(cuts[i + 1]) - Primitive(cuts[i]);
    }
    return kValueFactor * energy;
  }
  Input Table(const char* type, double first, double last, int n, int N) const {
    Input input;
    input.type = type;
    input.N = N;
    input.f = Grid(first, last, n);
    for (double x : input.f) input.S.push_back((*this)(x));
    return input;
  }
};

double Trapezoid(const Input& input) {
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < input.f.size(); ++i)
    sum += 0.5 * (input.S[i] + input.S[i + 1]) * (input.f[i + 1] - input.f[i]);
  return sum;
}

std::string ClosingLine(double ecomp, double E_trap) {
  std::string line = "     ";
  textio::PutF(line, ecomp, 20, 15);
  textio::PutF(line, E_trap, 20, 15);
  return line + "\n";
}

// Every band of equal energy: contiguous from f_in(1), its clipped spline
// energy ecomp, its frequency at half of it.
void ExpectEqualEnergyBands(const DivisionRun& ws, const Quadratic& P, double tolerance) {
  const int N = ws.N;
  EXPECT_EQ(ws.bands.band_start[1], ws.input.f_in[1]);
  double widths = 0.0;
  for (int k = 1; k <= N; ++k) {
    SCOPED_TRACE("band " + std::to_string(k));
    const double start = ws.bands.band_start[k];
    const double end = start + ws.bands.band_width[k];
    if (k < N) {
      EXPECT_NEAR(ws.bands.band_start[k + 1], end, 1e-15);
    }
    widths += ws.bands.band_width[k];
    EXPECT_NEAR(P.Energy(start, end), ws.bands.ecomp, tolerance * ws.bands.ecomp);
    EXPECT_NEAR(P.Energy(start, ws.bands.f[k]), 0.5 * ws.bands.ecomp, tolerance * ws.bands.ecomp);
  }
  EXPECT_NEAR(widths, ws.end.last_band_end - ws.input.f_in[1], 1e-12);
}

// The division written plainly from its description: SplineInterpolate set
// up afresh for every value, positions from the index, the roots from the
// discriminant. Only for inputs whose walk ends.
struct Reference {
  double E_trap = 0.0, E_in = 0.0, E_spl = 0.0, ecomp = 0.0, fmin = 0.0, fmax = 0.0;
  std::vector<double> start, width, f;
};

double ReferenceRoot(double a, double b, double c, double y_lo, double W) {
  if (a == 0.0) return y_lo > 0.0 ? W / y_lo : 0.0;
  const double D = b * b - 4.0 * a * c;
  return D > 0.0 ? (std::sqrt(D) - b) / (2.0 * a) : -b / (2.0 * a);
}

Reference ReferenceDivision(const Input& input) {
  std::vector<double> x{0.0}, y{0.0};
  for (std::size_t i = 0; i < input.f.size(); ++i) {
    x.push_back(input.f[i]);
    y.push_back(input.S[i]);
  }
  const int n = static_cast<int>(input.f.size());
  const auto s = [&](double X, double& value) {
    int status = 0;
    SplineInterpolate(x.data(), y.data(), n, X, value, status);
  };
  Reference r;
  r.fmin = x[1];
  r.fmax = x[static_cast<std::size_t>(n)];
  const double df = (r.fmax - r.fmin) / 99999;
  r.E_trap = Trapezoid(input);
  double E_total = r.E_trap;
  if (std::string(input.type) == "Ene") {
    for (int i = 1; i <= n; ++i) r.E_in += y[static_cast<std::size_t>(i)] * 0.01;
    double ya = 0.0, yb = 0.0;
    for (int i = 1; i <= 99999; ++i) {
      s(r.fmin + (i - 1) * df, ya);
      s(r.fmin + i * df, yb);
      ya = std::max(0.0, ya);
      yb = std::max(0.0, yb);
      r.E_spl += (ya + yb) * (0.5 * df);
    }
    E_total = r.E_spl;
  }
  r.ecomp = E_total / input.N;
  double y_lo = 0.0, y_hi = 0.0, band = x[1];
  r.start.assign(static_cast<std::size_t>(input.N) + 1, 0.0);
  r.width = r.start;
  r.f = r.start;
  for (int k = 1; k <= input.N; ++k) {
    const auto K = static_cast<std::size_t>(k);
    double acc = 0.0;
    bool found = false;
    for (int p = 0;; ++p) {
      if (p > 20000000) {
        ADD_FAILURE() << "the plain division does not end";
        return r;
      }
      const double q = band + p * df;
      const double u = df + q;
      if (p == 0) r.start[K] = q;
      s(q, y_lo);
      s(u, y_hi);
      y_lo = std::max(0.0, y_lo);
      const double g = (std::max(0.0, y_hi) - y_lo) / (u - q);
      y_hi = y_lo + (u - q) * g;
      const double A = (y_lo + y_hi) * (0.5 * df);
      acc = acc + A;
      if (acc >= 0.5 * r.ecomp && !found) {
        const double W = 0.5 * r.ecomp - acc + A;
        r.f[K] = q + ReferenceRoot(g, 2.0 * y_lo, -2.0 * W, y_lo, W);
        found = true;
      } else if (acc >= r.ecomp) {
        const double W = r.ecomp - acc + A;
        const double e = q + ReferenceRoot(g, 2.0 * y_lo, -2.0 * W, y_lo, W);
        r.width[K] = e - r.start[K];
        r.fmin = e;
        band = e;
        break;
      }
    }
  }
  return r;
}

void ExpectSameAsReference(const Input& input) {
  DivisionRun ws = Prepare(input);
  Console console;
  ws.Divide(console);
  const Reference r = ReferenceDivision(input);
  EXPECT_EQ(ws.bands.ecomp, r.ecomp);
  EXPECT_EQ(ws.end.last_band_end, r.fmin);
  EXPECT_EQ(ws.end.table_end, r.fmax);
  for (int k = 1; k <= input.N; ++k) {
    const auto K = static_cast<std::size_t>(k);
    ASSERT_EQ(ws.bands.band_start[k], r.start[K]) << "band " << k;
    ASSERT_EQ(ws.bands.band_width[k], r.width[K]) << "band " << k;
    ASSERT_EQ(ws.bands.f[k], r.f[K]) << "band " << k;
  }
  if (std::string(input.type) == "Ene") {
    EXPECT_EQ(ws.energy.E_in, r.E_in);
    EXPECT_EQ(ws.energy.E_spl, r.E_spl);
  }
}

TEST(DirectSpec, SspeAndEmepDivideTheTrapezoidalEnergyWithoutCheckLines) {
  const Quadratic P{-4.0, 2.0, 0.5};  // positive and concave on 0.05..0.6
  for (const char* type : {"Sspe", "Emep"}) {
    SCOPED_TRACE(type);
    const Input input = P.Table(type, 0.05, 0.6, 23, 12);
    DivisionRun ws = Prepare(input);
    Console console;
    ws.Divide(console);
    const double E_trap = Trapezoid(input);
    EXPECT_DOUBLE_EQ(ws.bands.ecomp, E_trap / 12);
    EXPECT_EQ(ws.energy.E_in, kUntouched);
    EXPECT_EQ(ws.energy.E_spl, kUntouched);
    EXPECT_EQ(ws.end.table_end, 0.6);
    EXPECT_EQ(console.captured(), ClosingLine(ws.bands.ecomp, E_trap));
    ExpectEqualEnergyBands(ws, P, 1e-8);
    EXPECT_EQ(ws.bands.f[13], kUntouched);
  }
}

TEST(DirectSpec, EneChecksTheEnergyAndDividesTheSplineEnergy) {
  const Quadratic P{-4.0, 2.0, 0.5};
  Input input = P.Table("Ene", 0.05, 0.6, 23, 7);
  for (std::size_t i = 0; i < input.f.size(); ++i) input.bandwidths.push_back(0.01 + 0.001 * static_cast<double>(i));
  DivisionRun ws = Prepare(input);
  Console console;
  ws.Divide(console);
  double E_in = 0.0;
  for (std::size_t i = 0; i < input.f.size(); ++i) E_in += input.S[i] * input.bandwidths[i];
  EXPECT_EQ(ws.energy.E_in, E_in);
  EXPECT_NEAR(ws.energy.E_spl, P.Energy(0.05, 0.6), 1e-9);
  EXPECT_EQ(ws.bands.ecomp, ws.energy.E_spl / 7);
  const double E_spl = ws.energy.E_spl;
  const double factor = 4.004000186920166;  // 4.004 in single precision
  std::string expected;
  for (const auto& [label, value] :
       {std::pair{messages::kEnergyIn, E_in}, std::pair{messages::kEnergySpline, E_spl},
        std::pair{messages::kEnergyRatio, E_spl / E_in}, std::pair{messages::kHeightIn, factor * std::sqrt(E_in)},
        std::pair{messages::kHeightSpline, factor * std::sqrt(E_spl)}}) {
    expected += textio::ListLine().Text(label).Real(value).str() + "\n";
  }
  expected += ClosingLine(ws.bands.ecomp, Trapezoid(input));
  EXPECT_EQ(console.captured(), expected);
  ExpectEqualEnergyBands(ws, P, 1e-8);
}

// A parabola below zero between 0.3 and 0.5: that part adds nothing to the
// spline energy nor to any band.
TEST(DirectSpec, NegativeSplineOvershootAddsNothing) {
  const Quadratic P{1.0, -0.8, 0.15};  // (f - 0.3)(f - 0.5)
  for (const char* type : {"Ene", "Sspe"}) {
    SCOPED_TRACE(type);
    const Input input = P.Table(type, 0.05, 0.9, 18, 9);
    DivisionRun ws = Prepare(input);
    Console console;
    ws.Divide(console);
    if (std::string(type) == "Ene") {
      EXPECT_NEAR(ws.energy.E_spl, P.Energy(0.05, 0.9), 1e-9);
    }
    ExpectEqualEnergyBands(ws, P, 1e-7);
  }
}

// The literal division on tables that exercise its corners: a spike whose
// bands end one step after their half (W <= 0), a spline that rings below
// zero, an uneven table, a band walk that crosses the table's end.
TEST(DirectSpec, AgreesBitForBitWithThePlainDivision) {
  Input spike;
  spike.f = Grid(0.0, 1.0, 201);
  for (double x : spike.f) spike.S.push_back(std::fabs(x - 0.4) < 1e-9 ? 1.0 : 0.001);
  spike.N = 1024;
  Input uneven;
  uneven.type = "Ene";
  uneven.N = 37;
  for (int i = 0; i < 40; ++i) {
    const double x = 0.03 + 0.01 * i + 0.0004 * (i % 3);
    uneven.f.push_back(x);
    uneven.S.push_back(std::exp(-std::pow((x - 0.12) / 0.05, 2.0)) * (1.0 + 0.3 * std::sin(40.0 * x)));
  }
  Input past_end;  // convex: the trapezoid exceeds the spline, the last band ends past f_in(n)
  past_end.f = Grid(0.0, 1.0, 11);
  for (double x : past_end.f) past_end.S.push_back((1.0 - x) * (1.0 - x) + 0.5);
  past_end.N = 3;
  Input flat;  // slopes of exactly zero
  flat.f = {0.0, 1.0, 2.0, 3.0};
  flat.S = {2.0, 2.0, 2.0, 2.0};
  flat.N = 5;
  for (const Input* input : {&spike, &uneven, &past_end, &flat}) ExpectSameAsReference(*input);
}

TEST(DirectSpec, NoComponentsStillWriteTheClosingLine) {
  const Quadratic P{-4.0, 2.0, 0.5};
  for (int N : {0, -3}) {
    const Input input = P.Table("Sspe", 0.05, 0.6, 23, N);
    DivisionRun ws = Prepare(input);
    Console console;
    ws.Divide(console);
    const double E_trap = Trapezoid(input);
    EXPECT_EQ(console.captured(), ClosingLine(E_trap / N, E_trap)) << N;
    EXPECT_EQ(ws.bands.f[1], kUntouched);
    EXPECT_EQ(ws.bands.band_width[1], kUntouched);
  }
  // Not divisible, but nothing is divided: the table is not refused.
  Input falling = P.Table("Sspe", 0.05, 0.6, 5, 0);
  std::reverse(falling.f.begin(), falling.f.end());
  DivisionRun ws = Prepare(falling);
  Console console;
  ws.Divide(console);
  const double no_components = 0.0;
  EXPECT_EQ(console.captured(), ClosingLine(Trapezoid(falling) / no_components, Trapezoid(falling)));
}

// Ene without a spline: the spline energy is 0 and so is every component's.
TEST(DirectSpec, EneWithoutSplineMakesComponentsOfNoEnergy) {
  Input input;
  input.type = "Ene";
  input.f = {0.1, 0.2, 0.2, 0.3};
  input.S = {1.0, 2.0, 3.0, 1.0};
  input.N = 4;
  DivisionRun ws = Prepare(input);
  Console console;
  ws.Divide(console);
  EXPECT_EQ(ws.energy.E_spl, 0.0);
  EXPECT_EQ(ws.bands.ecomp, 0.0);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(ws.bands.f[k], ws.bands.band_start[k]);
}

// (1 - f)^2 is convex, so its trapezoidal energy exceeds its spline energy,
// and past f_in(n) the carried density is zero: the last band can never be
// filled. It ends at the walk's end and its frequency halves what it holds.
TEST(DirectSpec, LastBandThatRunsOutEndsPastTheTable) {
  const Quadratic P{1.0, -2.0, 1.0};
  const double df = 1.0 / 99999;
  for (int N : {1, 2, 40}) {
    SCOPED_TRACE(N);
    const Input input = P.Table("Sspe", 0.0, 1.0, 11, N);
    DivisionRun ws = Prepare(input);
    Console console;
    ws.Divide(console);
    const double start = ws.bands.band_start[N];
    const double end = ws.end.last_band_end;
    EXPECT_GT(end, 1.0);
    EXPECT_LE(end, 1.0 + 2.0 * df + 1e-12);
    EXPECT_NEAR(start + ws.bands.band_width[N], end, 1e-15);
    const double held = P.Energy(start, 1.0);
    EXPECT_LT(held, ws.bands.ecomp);
    EXPECT_NEAR(P.Energy(start, ws.bands.f[N]), 0.5 * held, 1e-10);
  }
}

// Past f_in(n) the walk goes on with the carried densities: a flat tail of
// 0.5 fills the shortfall at that rate.
TEST(DirectSpec, WalkPastTheTableCarriesTheLastDensities) {
  const Quadratic P{1.0, -2.0, 1.5};  // (1 - f)^2 + 0.5, flat at f = 1
  const Input input = P.Table("Sspe", 0.0, 1.0, 11, 1);
  DivisionRun ws = Prepare(input);
  Console console;
  ws.Divide(console);
  const double shortfall = ws.bands.ecomp - P.Energy(0.0, 1.0);
  ASSERT_GT(shortfall, 1e-4);
  EXPECT_NEAR(ws.end.last_band_end, 1.0 + shortfall / (0.5 * kValueFactor), 1e-6);
  EXPECT_NEAR(P.Energy(0.0, ws.bands.f[1]), 0.5 * ws.bands.ecomp, 1e-9);
}

// A carried density of 1e-13 would need millions of table ranges, one of
// 1.1e-5 about 150 (walked until the bound of 100 ranges is spent): both
// bands are cut back to the end of their first step past the table.
TEST(DirectSpec, BandThatCannotBeFilledWithinTheBoundIsCutBackToTheTable) {
  const double df = 1.0 / 99999;
  for (double tail : {1e-13, 1.1e-5}) {
    SCOPED_TRACE(tail);
    const Quadratic P{1.0, -2.0, 1.0 + tail};
    const Input input = P.Table("Sspe", 0.0, 1.0, 11, 1);
    DivisionRun ws = Prepare(input);
    Console console;
    ws.Divide(console);
    EXPECT_GT(ws.end.last_band_end, 1.0);
    EXPECT_LE(ws.end.last_band_end, 1.0 + 2.0 * df + 1e-12);
    EXPECT_NEAR(P.Energy(0.0, ws.bands.f[1]), 0.5 * P.Energy(0.0, ws.end.last_band_end), 1e-10);
  }
}

TEST(DirectSpec, RefusesTablesThatCannotBeDivided) {
  const std::string tail(messages::kNoFileWritten);
  std::vector<double> many(3001);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = 0.001 * static_cast<double>(i + 1);
  struct Case {
    const char* name;
    Input input;
    std::string text;
  };
  const Quadratic convex{1.0, -2.0, 1.0};
  const Case cases[] = {
      {"NaN density",
       {"Sspe", {0.1, 0.2, 0.3, 0.4}, {1.0, 2.0, 1.0, kNaN}, 3, {}},
       "input spectrum, pair 4: the frequency or the spectral density is not a finite number" + tail},
      {"infinite frequency, Ene",
       {"Ene", {0.1, std::numeric_limits<double>::infinity(), 0.3}, {1.0, 2.0, 1.0}, 3, {}},
       "input spectrum, pair 2: the frequency or the spectral density is not a finite number" + tail},
      {"two pairs",
       {"Sspe", {0.1, 0.2}, {1.0, 2.0}, 3, {}},
       "input spectrum: 2 frequency pairs, 3 to 3000 are needed to divide the spectrum" + tail},
      {"repeated frequency",
       {"Emep", {0.1, 0.2, 0.2, 0.3}, {1.0, 2.0, 2.0, 1.0}, 3, {}},
       "input spectrum, pair 3: the frequency is not above that of the pair before it" + tail},
      {"3001 pairs, no component",
       {"Ene", many, many, 0, {}},
       "input spectrum: 3001 frequency pairs, 3 to 3000 are needed to divide the spectrum" + tail},
      {"one Ene pair",
       {"Ene", {0.1}, {1.0}, 3, {}},
       "input spectrum: the frequency range cannot be cut into 99999 finite steps" + tail},
      // (1 - f)^2: the spline energy falls short of the trapezoid by more than
      // five bands' worth and fills 1018 of the 1024 bands.
      {"bands beyond the spline energy", convex.Table("Sspe", 0.0, 1.0, 11, 1024),
       "component band 1019 of 1024" + std::string(messages::kBandCannotBeFilled) + tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DivisionRun ws = Prepare(c.input);
    Console console;
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { ws.Divide(console); });
    ASSERT_TRUE(ending.has_value());
    EXPECT_EQ(ending->exit_status, kExitInputError);
    // What to do follows the text.
    EXPECT_EQ(ending->diagnostic.value_or("").rfind(c.text, 0), 0u) << ending->diagnostic.value_or("");
  }
  // The band number above, from the energies alone.
  const Input input = convex.Table("Sspe", 0.0, 1.0, 11, 1024);
  const double ecomp = Trapezoid(input) / 1024;
  EXPECT_EQ(static_cast<int>(std::floor(convex.Energy(0.0, 1.0) / ecomp)) + 1, 1019);
}

}  // namespace
}  // namespace wavecomp
