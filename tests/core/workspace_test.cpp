#include "core/workspace.h"

#include <gtest/gtest.h>

namespace wavecomp {
namespace {

TEST(Workspace, StartsZeroFilled) {
  WorkspacePtr workspace = MakeWorkspace();
  EXPECT_EQ(workspace->num_p, 0);
  EXPECT_EQ(workspace->control.spectrum_type[0], '\0');
  EXPECT_EQ(workspace->point_amplitudes(3000, 2048), 0.0);
  EXPECT_EQ(workspace->D(2048, 180), 0.0);
}

TEST(Workspace, TablesVaryTheirFirstIndexFastest) {
  WorkspacePtr workspace = MakeWorkspace();
  workspace->cumD(5, 0) = 1.0;
  workspace->cumD(6, 0) = 2.0;
  EXPECT_EQ(&workspace->cumD(6, 0) - &workspace->cumD(5, 0), 1);
  EXPECT_EQ(workspace->cumD.column(0)[6], 2.0);
  EXPECT_EQ(&workspace->point_spectra(1, 1) - &workspace->point_spectra(1, 0), kMaxFrequencies + 1);
}

TEST(Workspace, FixedFieldsAreBlankPadded) {
  char field[8];
  Store(field, "abc");
  EXPECT_EQ(std::string(field, 8), "abc     ");
  EXPECT_EQ(Trimmed(field), "abc");
  Store(field, "abcdefghij");
  EXPECT_EQ(std::string(field, 8), "abcdefgh");
}

}  // namespace
}  // namespace wavecomp
