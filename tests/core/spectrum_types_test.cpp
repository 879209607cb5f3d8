#include "core/spectrum_types.h"

#include <gtest/gtest.h>

#include <string>

namespace wavecomp {
namespace {

// Each row as cont.txt and the component file's layout describe the type.
TEST(SpectrumTypes, EachTypeHasItsFieldInputAndTraits) {
  struct Row {
    const char* field;
    SpectrumInput input;
    bool spread, energy_scaled, synthesised, reads_input_file, reads_points;
  };
  const Row rows[] = {
      {"JNS ", SpectrumInput::kNothing, true, false, true, false, false},
      {"Sspe", SpectrumInput::kFrequencyTable, true, false, false, true, false},
      {"Emep", SpectrumInput::kDirectionalPoints, false, false, false, true, true},
      {"Ene ", SpectrumInput::kEnergyBalancePoints, false, true, false, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    const std::optional<SpectrumType> type = ParseSpectrumType(row.field);
    ASSERT_TRUE(type.has_value());
    const SpectrumTypeTraits& traits = Traits(*type);
    EXPECT_EQ(traits.type, *type);
    EXPECT_EQ(traits.field, row.field);
    EXPECT_EQ(traits.input, row.input);
    EXPECT_EQ(traits.spread, row.spread);
    EXPECT_EQ(traits.energy_scaled, row.energy_scaled);
    EXPECT_EQ(traits.synthesised, row.synthesised);
    EXPECT_EQ(traits.reads_input_file(), row.reads_input_file);
    EXPECT_EQ(traits.reads_points(), row.reads_points);
  }
  // The blank is part of the field, and the case counts.
  for (const char* other : {"JNS", "Ene", "sspe", "EMEP", "", "Sspe "}) {
    EXPECT_FALSE(ParseSpectrumType(other).has_value()) << '"' << other << '"';
  }
}

}  // namespace
}  // namespace wavecomp
