#include "resample/direction_interpolation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "resample/spline.h"
#include "synthesis/components.h"

namespace wavecomp {
namespace {

// The spline value at a table point: y times 6 x 0.16666667, not y.
constexpr double kSplineFactor = 6.0 * 0.16666667;

struct Input {
  const char* type = "Emep";
  std::vector<double> f_in;                   // input frequencies
  std::vector<double> directions;             // kept directions
  std::function<double(int l, int k)> value;  // D-bar(l, k), 1-based
  std::vector<double> components;             // component frequencies
};

// The direction interpolation of one input; its results in the workspace.
struct DirectionRun {
  void Run(std::string* console_text = nullptr) {
    Console console;
    resample_directions(type, N, ws->input, ws->directions, ws->bands, ws->direction_tables, ws->distribution, console);
    if (console_text) *console_text = console.captured();
  }

  WorkspacePtr ws = MakeWorkspace();
  SpectrumType type = SpectrumType::kEmep;
  int N = 0;
  int& n_in = ws->input.n_in;
  int& kept_direction_count = ws->directions.kept_direction_count;
  DirectionTables& tables = ws->direction_tables;
  Table<kMaxComponents, 0, kLastNode>& D = ws->distribution.D;
  Table<kMaxComponents, 0, kLastNode>& cumD = ws->distribution.cumD;
};

DirectionRun Prepare(const Input& input) {
  DirectionRun run;
  run.type = *ParseSpectrumType(input.type);
  SpectrumWorkspace* ws = run.ws.get();
  ws->input.n_in = static_cast<int>(input.f_in.size());
  for (int l = 1; l <= ws->input.n_in; ++l) ws->input.f_in[l] = input.f_in[static_cast<std::size_t>(l - 1)];
  ws->directions.kept_direction_count = static_cast<int>(input.directions.size());
  for (int k = 1; k <= ws->directions.kept_direction_count; ++k) {
    ws->directions.kept_directions[k] = input.directions[static_cast<std::size_t>(k - 1)];
    for (int l = 1; l <= ws->input.n_in; ++l) ws->directions.directional_values(l, k) = input.value(l, k);
  }
  run.N = static_cast<int>(input.components.size());
  for (int c = 1; c <= run.N; ++c) ws->bands.f[c] = input.components[static_cast<std::size_t>(c - 1)];
  return run;
}

std::vector<double> Range(double first, double step, int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(first + step * i);
  return values;
}

// A smooth, direction-dependent spectrum: a cos^2 spread around 20 degrees
// times a peaked frequency shape, D-bar(l, k) on the given lists.
std::function<double(int, int)> Smooth(const std::vector<double>& f, const std::vector<double>& theta) {
  return [f, theta](int l, int k) {
    const double fl = f[static_cast<std::size_t>(l - 1)];
    const double t = (theta[static_cast<std::size_t>(k - 1)] - 20.0) * 3.141592653589793 / 180.0;
    const double spread = std::cos(t / 2) * std::cos(t / 2);
    return 0.01 * std::exp(-std::pow((fl - 0.12) / 0.04, 2)) * spread * spread;
  };
}

// The stage written plainly from its description: SplineInterpolate (set up
// afresh for every evaluation), one carried value, the same loop order.
struct Reference {
  std::vector<std::vector<double>> R;  // R[l][m], l 1-based
  std::vector<std::vector<double>> D;  // D[c][m], c 1-based
};

Reference ReferenceStage(const Input& input) {
  const int n_in = static_cast<int>(input.f_in.size());
  const int K = static_cast<int>(input.directions.size());
  const int N = static_cast<int>(input.components.size());
  const double end = std::string(input.type).rfind("Ene", 0) == 0 ? 90.0 : 90.5;
  std::vector<double> phi(static_cast<std::size_t>(K) + 3);  // 1-based copy of phi(0..K+1)
  phi[1] = -end;
  for (int k = 1; k <= K; ++k) phi[static_cast<std::size_t>(k) + 1] = input.directions[static_cast<std::size_t>(k - 1)];
  phi[static_cast<std::size_t>(K) + 2] = end;
  Reference ref;
  ref.R.assign(static_cast<std::size_t>(n_in) + 1, std::vector<double>(181, 0.0));
  double current = 0.0;
  int status = 0;
  for (int l = 1; l <= n_in; ++l) {
    std::vector<double> P(static_cast<std::size_t>(K) + 3, 0.0);
    for (int k = 1; k <= K; ++k) P[static_cast<std::size_t>(k) + 1] = input.value(l, k);
    if (K >= 1) {
      P[1] = input.value(l, 1);
      P[static_cast<std::size_t>(K) + 2] = input.value(l, K);
    }
    for (int m = 0; m <= 180; ++m) {
      SplineInterpolate(phi.data(), P.data(), K + 2, m - 90.0, current, status);
      ref.R[static_cast<std::size_t>(l)][static_cast<std::size_t>(m)] = current;
    }
  }
  std::vector<double> f(static_cast<std::size_t>(n_in) + 1, 0.0);
  for (int l = 1; l <= n_in; ++l) f[static_cast<std::size_t>(l)] = input.f_in[static_cast<std::size_t>(l - 1)];
  ref.D.assign(static_cast<std::size_t>(N) + 1, std::vector<double>(181, 0.0));
  for (int m = 0; m <= 180; ++m) {
    std::vector<double> column(static_cast<std::size_t>(n_in) + 1, 0.0);
    for (int l = 1; l <= n_in; ++l)
      column[static_cast<std::size_t>(l)] = ref.R[static_cast<std::size_t>(l)][static_cast<std::size_t>(m)];
    for (int c = 1; c <= N; ++c) {
      SplineInterpolate(f.data(), column.data(), n_in, input.components[static_cast<std::size_t>(c - 1)], current,
                        status);
      if (current < 1.0e-6) current = 0.0;
      ref.D[static_cast<std::size_t>(c)][static_cast<std::size_t>(m)] = current;
    }
  }
  return ref;
}

TEST(DirectionInterpolation, MatchesAPlainEvaluationWithACarriedValue) {
  const std::vector<double> f = Range(0.05, 0.01, 20);
  const std::vector<double> theta = Range(-90.0, 10.0, 19);
  struct Case {
    const char* name;
    Input input;
  };
  std::vector<Case> cases;
  // Component frequencies inside, outside (carry) and on the table ends.
  const std::vector<double> components = {0.05, 0.083, 0.12, 0.3, 0.121, 0.01, 0.24};
  cases.push_back({"Emep 19 directions", {"Emep", f, theta, Smooth(f, theta), components}});
  const std::vector<double> coarse = {-75.0, -45.0, -15.0, 15.0, 45.0, 75.0};
  cases.push_back({"Ene coarse list", {"Ene ", f, coarse, Smooth(f, coarse), components}});
  const std::vector<double> uneven = {-60.0, -10.0, 0.0, 5.0, 80.0};
  cases.push_back({"Emep uneven list", {"Emep", f, uneven, Smooth(f, uneven), components}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirectionRun ws = Prepare(c.input);
    std::string console_text;
    ws.Run(&console_text);
    EXPECT_EQ(console_text, "\n");
    const Reference ref = ReferenceStage(c.input);
    for (int l = 1; l <= ws.n_in; ++l) {
      for (int m = 0; m <= 180; ++m) {
        ASSERT_EQ(ws.tables.direction_resampled(l, m), ref.R[static_cast<std::size_t>(l)][static_cast<std::size_t>(m)])
            << "l=" << l << " m=" << m;
      }
    }
    for (int comp = 1; comp <= ws.N; ++comp) {
      for (int m = 0; m <= 180; ++m) {
        ASSERT_EQ(ws.D(comp, m), ref.D[static_cast<std::size_t>(comp)][static_cast<std::size_t>(m)])
            << "c=" << comp << " m=" << m;
      }
    }
  }
}

TEST(DirectionInterpolation, ExtendsTheEmepListByHalfADegreeOnEachSide) {
  const std::vector<double> f = Range(0.05, 0.01, 5);
  const std::vector<double> theta = Range(-90.0, 10.0, 19);
  Input input{"Emep", f, theta, [](int l, int k) { return 0.001 * l + 0.0001 * k * k; }, {0.07}};
  DirectionRun ws = Prepare(input);
  ws.Run();
  ASSERT_EQ(ws.kept_direction_count, 19);
  EXPECT_EQ(ws.tables.extended_directions[0], -90.5);
  EXPECT_EQ(ws.tables.extended_directions[20], 90.5);
  for (int k = 1; k <= 19; ++k) EXPECT_EQ(ws.tables.extended_directions[k], -100.0 + 10.0 * k);
  for (int l = 1; l <= 5; ++l) {
    EXPECT_EQ(ws.tables.extended_values(l, 0), input.value(l, 1));
    EXPECT_EQ(ws.tables.extended_values(l, 20), input.value(l, 19));
    // Node 0 (-90) is a table point: the first direction's value times the factor.
    EXPECT_NEAR(ws.tables.direction_resampled(l, 0), input.value(l, 1) * kSplineFactor, 1e-17);
    EXPECT_NEAR(ws.tables.direction_resampled(l, 180), input.value(l, 19) * kSplineFactor, 1e-17);
  }
}

TEST(DirectionInterpolation, SingleDirectionGivesAFlatDistribution) {
  const std::vector<double> f = Range(0.05, 0.01, 4);
  Input input{"Emep", f, {30.0}, [](int l, int) { return 0.25 * l; }, {}};
  DirectionRun ws = Prepare(input);
  ws.Run();
  for (int l = 1; l <= 4; ++l) {
    for (int m = 0; m <= 180; m += 15) {
      EXPECT_NEAR(ws.tables.direction_resampled(l, m), 0.25 * l * kSplineFactor, 1e-15) << "l=" << l << " m=" << m;
    }
  }
}

TEST(DirectionInterpolation, UnusableTablesStoreTheCarriedValue) {
  const std::vector<double> f5 = Range(0.05, 0.01, 5);
  struct Case {
    const char* name;
    Input input;
  };
  const std::vector<Case> cases = {
      // The Ene end nodes at +-90 repeat a listed direction: no first-pass value.
      {"Ene list holding -90", {"Ene ", f5, {-90.0, 0.0, 45.0}, [](int, int) { return 1.0; }, {0.06, 0.07}}},
      {"Ene list holding +90", {"Ene ", f5, {-45.0, 90.0}, [](int, int) { return 1.0; }, {0.06}}},
      {"no kept direction", {"Emep", f5, {}, [](int, int) { return 1.0; }, {0.06}}},
      // Two input frequencies: the second pass has no spline; the first pass
      // leaves R(2, 180) as the carried value, stored for every component.
      {"two input frequencies", {"Emep", {0.1, 0.2}, {0.0}, [](int l, int) { return 0.5 * l; }, {0.15, 0.1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirectionRun ws = Prepare(c.input);
    ws.Run();
    const double carried = ws.tables.direction_resampled(ws.n_in, 180);
    for (int comp = 1; comp <= ws.N; ++comp) {
      for (int m = 0; m <= 180; ++m) ASSERT_EQ(ws.D(comp, m), carried < 1e-6 ? 0.0 : carried);
    }
  }
  // The two-frequency case carries the last first-pass value, 1.0 x factor.
  DirectionRun ws = Prepare(cases[3].input);
  ws.Run();
  EXPECT_NEAR(ws.D(1, 0), 1.0 * kSplineFactor, 1e-15);
}

TEST(DirectionInterpolation, ComponentOutsideTheTableCarriesThePreviousValue) {
  const std::vector<double> f = Range(0.1, 0.1, 5);  // 0.1 .. 0.5
  // Flat in direction; linear in frequency so the frequency spline is exact.
  Input input{"Emep", f, {0.0}, [](int l, int) { return 0.1 * l; }, {0.2, 0.9, 0.3, 0.05}};
  DirectionRun ws = Prepare(input);
  ws.Run();
  for (int m = 0; m <= 180; ++m) {
    SCOPED_TRACE(m);
    EXPECT_NEAR(ws.D(1, m), 0.2 * kSplineFactor * kSplineFactor, 1e-15);
    EXPECT_EQ(ws.D(2, m), ws.D(1, m));  // above the table
    EXPECT_NEAR(ws.D(3, m), 0.3 * kSplineFactor * kSplineFactor, 1e-15);
    EXPECT_EQ(ws.D(4, m), ws.D(3, m));  // below the table
  }
}

TEST(DirectionInterpolation, ValuesBelowOneMillionthBecomeZeroAndAreCarriedAsZero) {
  const std::vector<double> f = Range(0.1, 0.1, 5);
  struct Case {
    double value;  // flat input value
    bool kept;
  };
  // After two spline factors (one per pass) the value must reach 1e-6.
  const double threshold = 1.0e-6 / (kSplineFactor * kSplineFactor);
  const std::vector<Case> cases = {{threshold * 0.999, false}, {threshold * 1.001, true}, {-0.5, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    // The third component lies outside the table: it carries the clipped value.
    Input input{"Emep", f, {0.0}, [v = c.value](int, int) { return v; }, {0.2, 0.3, 0.9}};
    DirectionRun ws = Prepare(input);
    ws.Run();
    for (int comp = 1; comp <= 3; ++comp) {
      if (c.kept) {
        EXPECT_GE(ws.D(comp, 45), 1.0e-6);
      } else {
        EXPECT_EQ(ws.D(comp, 45), 0.0);
      }
    }
  }
}

TEST(DirectionInterpolation, NegativeOvershootOfTheSplineIsClipped) {
  // A narrow peak on a coarse list makes the direction spline dip below 0.
  const std::vector<double> f = Range(0.1, 0.1, 5);
  const std::vector<double> theta = Range(-90.0, 30.0, 7);
  Input input{"Emep", f, theta, [](int, int k) { return k == 4 ? 1.0 : 0.0; }, {0.3}};
  DirectionRun ws = Prepare(input);
  ws.Run();
  bool overshoot = false;
  for (int m = 0; m <= 180; ++m) {
    if (ws.tables.direction_resampled(3, m) < 0.0) overshoot = true;
    EXPECT_GE(ws.D(1, m), 0.0) << m;
  }
  EXPECT_TRUE(overshoot) << "the input does not exercise a negative overshoot";
}

TEST(DirectionInterpolation, CumulativeDistributionRunsFromZeroToExactlyOne) {
  const std::vector<double> f = Range(0.05, 0.01, 20);
  const std::vector<double> theta = Range(-90.0, 10.0, 19);
  Input input{"Emep", f, theta, Smooth(f, theta), Range(0.06, 0.007, 15)};
  DirectionRun ws = Prepare(input);
  ws.Run();
  for (int c = 1; c <= 15; ++c) {
    SCOPED_TRACE(c);
    // Trapezoid sums without the step width, computed here from D.
    std::vector<double> sums(181, 0.0);
    for (int m = 1; m <= 180; ++m)
      sums[static_cast<std::size_t>(m)] = sums[static_cast<std::size_t>(m) - 1] + 0.5 * (ws.D(c, m - 1) + ws.D(c, m));
    ASSERT_GT(sums[180], 0.0);
    EXPECT_EQ(ws.cumD(c, 0), 0.0);
    EXPECT_EQ(ws.cumD(c, 180), 1.0);
    for (int m = 1; m <= 180; ++m) {
      EXPECT_GE(ws.cumD(c, m), ws.cumD(c, m - 1)) << m;
      EXPECT_EQ(ws.cumD(c, m), sums[static_cast<std::size_t>(m)] / sums[180]) << m;
    }
  }
}

TEST(DirectionInterpolation, ComponentWithoutDirectionalEnergyTravelsShoreNormal) {
  const std::vector<double> f = Range(0.1, 0.1, 5);
  struct Case {
    const char* name;
    Input input;
  };
  const std::vector<Case> cases = {
      {"all values below the clip", {"Emep", f, {-30.0, 0.0, 30.0}, [](int, int) { return 1.0e-9; }, {0.2, 0.3}}},
      {"Ene list holding the end nodes", {"Ene ", f, {-90.0, 90.0}, [](int, int) { return 1.0; }, {0.2}}},
      {"no input frequency", {"Emep", {}, {0.0}, [](int, int) { return 1.0; }, {0.2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirectionRun ws = Prepare(c.input);
    ws.Run();
    for (int comp = 1; comp <= ws.N; ++comp) {
      for (int m = 0; m <= 180; ++m) {
        EXPECT_EQ(ws.D(comp, m), 0.0);
        // The trapezoid of a unit spike at node 90 (direction 0).
        const double expected = m < 90 ? 0.0 : (m == 90 ? 0.5 : 1.0);
        EXPECT_EQ(ws.cumD(comp, m), expected) << "m=" << m;
      }
    }
  }
  // The direction draw accepts it: every direction within one degree of 0.
  Input input{"Emep", f, {-30.0, 0.0, 30.0}, [](int, int) { return 0.0; }, Range(0.12, 0.01, 200)};
  DirectionRun ws = Prepare(input);
  ws.Run();
  ControlSettings control;
  control.type = SpectrumType::kEmep;
  control.component_count = ws.N;
  double* theta = ws.ws->draws.theta;
  DrawComponentDirections(control, ws.ws->distribution, theta, kFirstDirectionSeed);
  double lowest = 1.0, highest = -1.0;
  for (int comp = 1; comp <= 200; ++comp) {
    lowest = std::min(lowest, theta[comp]);
    highest = std::max(highest, theta[comp]);
  }
  const double one_degree = 3.141592653589793 / 180.0;
  EXPECT_GE(lowest, -one_degree);
  EXPECT_LT(highest, one_degree);
  EXPECT_LT(lowest, 0.0);  // both sides of shore-normal are drawn
  EXPECT_GT(highest, 0.0);
}

}  // namespace
}  // namespace wavecomp
