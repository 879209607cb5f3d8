#include "output/component_set_stage.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp {
namespace {

// Two components whose values are exact in binary, and the settings of a run.
struct TwoComponentDraws {
  explicit TwoComponentDraws(SpectrumType type) {
    run.type = type;
    run.H13 = 1.0;
    run.T13 = 10.0;
    run.Dirc = 0.25;
    run.gamma = 3.3;
    run.Smax = 10.0;
    ws->bands.f[1] = 0.05;
    ws->draws.a[1] = 0.25;
    ws->draws.theta[1] = -0.5;
    ws->draws.phase[1] = 3.0;
    ws->bands.f[2] = 0.125;
    ws->draws.a[2] = 1.5;
    ws->draws.theta[2] = 0.0;
    ws->draws.phase[2] = 6.25;
    ws->energy = {1.0, 1.0};
  }
  ComponentSet Make() const { return SinglePointComponentSet(2, ws->bands, ws->draws, ws->energy, run); }

  WorkspacePtr ws = MakeWorkspace();
  RunRecord run;
};

TEST(ComponentSetStage, ScalesOnlyEneAmplitudesByTheRootOfTheEnergyRatio) {
  const struct {
    const char* label;
    SpectrumType type;
    double E_in, E_spl;
    std::vector<double> amplitude;
  } cases[] = {
      // sqrt(9 / 1) = 3 scales 0.25 to 0.75 and 1.5 to 4.5.
      {"Ene", SpectrumType::kEne, 9.0, 1.0, {0.75, 4.5}},
      {"Ene, equal energies", SpectrumType::kEne, 2.0, 2.0, {0.25, 1.5}},
      // E_in and E_spl of an Emep run are not used even when set.
      {"Emep ignores the energies", SpectrumType::kEmep, 9.0, 0.0, {0.25, 1.5}},
      {"JNS", SpectrumType::kJonswap, 9.0, 1.0, {0.25, 1.5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TwoComponentDraws two(c.type);
    two.ws->energy = {c.E_in, c.E_spl};
    const ComponentSet set = two.Make();
    EXPECT_EQ(set.frequency, (std::vector<double>{0.05, 0.125}));
    EXPECT_EQ(set.direction, (std::vector<double>{-0.5, 0.0}));
    EXPECT_EQ(set.phase, (std::vector<double>{3.0, 6.25}));
    ASSERT_EQ(set.points.size(), 1u);
    EXPECT_EQ(set.points[0].amplitude, c.amplitude);
    EXPECT_EQ(set.run.type, c.type);
  }
}

TEST(ComponentSetStage, StopsOnANonFiniteValue) {
  const struct {
    const char* label;
    SpectrumType type;
    void (*spoil)(TwoComponentDraws&);
    std::string message;
  } cases[] = {
      {"Ene with E_spl of 0", SpectrumType::kEne, [](TwoComponentDraws& w) { w.ws->energy = {2.0, 0.0}; },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with both energies 0", SpectrumType::kEne, [](TwoComponentDraws& w) { w.ws->energy = {0.0, 0.0}; },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with a negative ratio", SpectrumType::kEne, [](TwoComponentDraws& w) { w.ws->energy = {2.0, -1.0}; },
       "E_in / E_spl is negative or not a finite number, amplitudes cannot be scaled"},
      {"NaN direction", SpectrumType::kJonswap,
       [](TwoComponentDraws& w) { w.ws->draws.theta[2] = std::numeric_limits<double>::quiet_NaN(); },
       "component 2 has a non-finite direction"},
      {"infinite amplitude (not Ene)", SpectrumType::kEmep,
       [](TwoComponentDraws& w) { w.ws->draws.a[1] = std::numeric_limits<double>::infinity(); },
       "component 1 has a non-finite amplitude"},
      {"NaN phase", SpectrumType::kSspe,
       [](TwoComponentDraws& w) { w.ws->draws.phase[1] = std::numeric_limits<double>::quiet_NaN(); },
       "component 1 has a non-finite phase"},
      {"infinite frequency", SpectrumType::kJonswap,
       [](TwoComponentDraws& w) { w.ws->bands.f[2] = -std::numeric_limits<double>::infinity(); },
       "component 2 has a non-finite frequency"},
      {"NaN H1/3 in the trailer", SpectrumType::kSspe,
       [](TwoComponentDraws& w) { w.run.H13 = std::numeric_limits<double>::quiet_NaN(); },
       "H1/3 is not a finite number"},
      {"infinite Smax", SpectrumType::kJonswap,
       [](TwoComponentDraws& w) { w.run.Smax = std::numeric_limits<double>::infinity(); },
       "Smax is not a finite number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TwoComponentDraws two(c.type);
    c.spoil(two);
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { two.Make(); });
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, kExitOutputError);
    EXPECT_EQ(ending->diagnostic, c.message + "; no component wave file was written");
  }
}

}  // namespace
}  // namespace wavecomp
