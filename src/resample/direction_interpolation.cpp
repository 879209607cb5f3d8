// Direction interpolation of Emep and Ene runs: brings the input directional
// spectrum from the reader's direction list onto the 181 direction nodes at
// every component frequency, and builds each component's cumulative
// directional distribution.
//
// Glossary: i = input frequency 1..n_in; k = kept direction 1..K of the
// reader, extended by the end nodes k = 0 and k = K+1 (phi = extended
// direction table, P = extended values); m = direction node 0..180 at
// -90 + m degrees; c = component 1..N. R(i, m) is the input spectrum after
// the pass over direction, D(c, m) after the pass over frequency.
//
// Both passes carry ONE current value through every loop: where a spline has
// no value (table too short or not ascending, point outside the table) the
// value evaluated last is stored again. That carried value is part of the
// result, so the loops must run in exactly this order.
#include "resample/direction_interpolation.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/spectrum_types.h"
#include "resample/spline.h"

namespace wavecomp {
namespace {

constexpr double kFirstNodeDirection = -90.0;  // node m lies at -90 + m degrees

// End nodes of the extended direction table. The Emep list may hold -90 and
// +90 themselves (the reader keeps both ends), so its end nodes lie half a
// degree outside to keep the table strictly ascending. The Ene end nodes sit
// on +-90: a list that holds them gives a table the spline cannot use.
constexpr double kEmepEndNode = 90.5;
constexpr double kEneEndNode = 90.0;

// Directional values below this are noise of the spline (including its
// negative overshoots) and count as no energy.
constexpr double kSmallestValue = 0.000001;

// A component without a usable distribution (every D(c, m) is 0, or the sum
// is not finite) has nothing to normalise. Such a component travels
// shore-normal, as an unspread spectrum does: its cumulative distribution is
// that of a unit spike at node 90 under the same trapezoid rule, so the draw
// gives a direction within one degree of 0, symmetric about it.
constexpr int kShoreNormalNode = 90;

double ShoreNormalCumulative(int m) {
  if (m < kShoreNormalNode) return 0.0;
  return m == kShoreNormalNode ? 0.5 : 1.0;
}

}  // namespace

void resample_directions(SpectrumType type, int component_count, const InputSpectrum& input,
                         const InputDirections& directions, const FrequencyBands& bands, DirectionTables& tables,
                         DirectionalDistribution& distribution, Console& console) {
  console.WriteLine("");

  const int n_in = std::clamp(input.n_in, 0, kMaxFrequencies);
  const int K = directions.kept_direction_count;
  const int N = std::clamp(component_count, 0, kMaxComponents);
  double current = 0.0;

  // The extended tables hold K + 2 entries in room for kMaxDirections; the
  // readers refuse longer lists, and nothing is ever stored past the room.
  const int K_used = std::clamp(K, 0, kMaxKeptDirections);
  double* phi = tables.extended_directions;
  auto& P = tables.extended_values;
  if (n_in >= 1 && K >= 0) {
    for (int k = 1; k <= K_used; ++k) {
      phi[k] = directions.kept_directions[k];
      std::copy_n(directions.directional_values.column(k) + 1, n_in, P.column(k) + 1);
    }
  }
  const double end_node = Traits(type).input == SpectrumInput::kEnergyBalancePoints ? kEneEndNode : kEmepEndNode;
  phi[0] = -end_node;
  phi[K_used + 1] = end_node;

  // First pass, over direction: one spline per input frequency through the
  // K + 2 points of the extended table.
  auto& R = tables.direction_resampled;
  if (n_in >= 1) {
    if (K_used >= 1) {
      std::copy_n(directions.directional_values.column(1) + 1, n_in, P.column(0) + 1);
      std::copy_n(directions.directional_values.column(K_used) + 1, n_in, P.column(K_used + 1) + 1);
    }
    // The spline works on 1-based arrays; the extended table starts at 0.
    const int n = K_used + 2;
    std::array<double, kMaxDirections + 1> x{};
    std::array<double, kMaxDirections + 1> y{};
    std::copy_n(phi, n, x.begin() + 1);
    Spline spline;
    for (int i = 1; i <= n_in; ++i) {
      for (int k = 0; k < n; ++k) y[static_cast<std::size_t>(k) + 1] = P(i, k);
      spline.Setup(x.data(), y.data(), n);  // an unusable table evaluates nothing
      for (int m = 0; m <= kLastNode; ++m) {
        spline.Evaluate(static_cast<double>(m) + kFirstNodeDirection, current);
        R(i, m) = current;
      }
    }
  }

  // Second pass, over frequency: one spline per node through the input
  // frequencies, evaluated at every component frequency.
  Spline spline;
  for (int m = 0; m <= kLastNode; ++m) {
    spline.Setup(input.f_in, R.column(m), n_in);
    for (int c = 1; c <= N; ++c) {
      spline.Evaluate(bands.f[c], current);
      if (current < kSmallestValue) current = 0.0;
      distribution.D(c, m) = current;
    }
  }

  // Cumulative distribution by the trapezoid rule on the one-degree grid,
  // without the step width, normalised so that the last node is exactly 1.
  auto& D = distribution.D;
  auto& cumD = distribution.cumD;
  for (int c = 1; c <= N; ++c) {
    cumD(c, 0) = 0.0;
    for (int m = 1; m <= kLastNode; ++m) cumD(c, m) = cumD(c, m - 1) + 0.5 * (D(c, m - 1) + D(c, m));
    const double total = cumD(c, kLastNode);
    if (total > 0.0 && std::isfinite(total)) {
      for (int m = 0; m <= kLastNode; ++m) cumD(c, m) = cumD(c, m) / total;
    } else {
      for (int m = 0; m <= kLastNode; ++m) cumD(c, m) = ShoreNormalCumulative(m);
    }
  }
}

}  // namespace wavecomp
