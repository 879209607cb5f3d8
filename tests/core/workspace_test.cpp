#include "core/workspace.h"

#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"

namespace wavecomp {
namespace {

TEST(Workspace, StartsZeroFilled) {
  WorkspacePtr workspace = MakeWorkspace();
  EXPECT_EQ(workspace->points.num_p, 0);
  EXPECT_EQ(workspace->point_amplitudes(3000, 2048), 0.0);
  EXPECT_EQ(workspace->distribution.D(2048, 180), 0.0);
}

TEST(Workspace, TablesVaryTheirFirstIndexFastest) {
  WorkspacePtr workspace = MakeWorkspace();
  auto& cumD = workspace->distribution.cumD;
  cumD(5, 0) = 1.0;
  cumD(6, 0) = 2.0;
  EXPECT_EQ(&cumD(6, 0) - &cumD(5, 0), 1);
  EXPECT_EQ(cumD.column(0)[6], 2.0);
  auto& spectra = workspace->points.point_spectra;
  EXPECT_EQ(&spectra(1, 1) - &spectra(1, 0), kMaxFrequencies + 1);
}

TEST(Settings, FixedFieldsLoseTrailingBlanksAndNulBytes) {
  EXPECT_EQ(TrimmedField(std::string("abc  \0 ", 8)), "abc");
  EXPECT_EQ(TrimmedField(" a b "), " a b");
  EXPECT_EQ(TrimmedField("   "), "");
}

}  // namespace
}  // namespace wavecomp
