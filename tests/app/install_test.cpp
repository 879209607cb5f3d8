// cmake --install into a temporary prefix: the programs and a manual page
// for each, where a user's PATH and man look for them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

TEST(Install, PutsTheProgramsAndTheirManualPagesUnderThePrefix) {
  ScratchDir prefix;
  const std::string install = std::string("'") + WAVECOMP_CMAKE_COMMAND + "' --install '" + WAVECOMP_BINARY_DIR +
                              "' --prefix '" + prefix.path() + "' > /dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0) << install;
  for (const std::string program : {"wavecomp", "wavecomp-check", "wavecomp-import"}) {
    SCOPED_TRACE(program);
    const std::string installed = prefix.PathOf("bin/" + program);
    EXPECT_EQ(::access(installed.c_str(), X_OK), 0);
    const testing::RunResult version = testing::RunProgram(installed, prefix.path(), {"--version"}, "");
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.out, program + " Ver.r1c\n");
    const std::string page = prefix.PathOf("share/man/man1/" + program + ".1");
    EXPECT_EQ(testing::ReadFile(page), testing::ReadFile(testing::SourcePath("docs/man/" + program + ".1")));
    // The page renders without a warning of the formatter, where there is one.
    if (std::system("command -v groff > /dev/null 2>&1") == 0) {
      const std::string render = "groff -man -Tutf8 -ww -z '" + page + "' 2>&1 | grep -q . && exit 1 || exit 0";
      EXPECT_EQ(std::system(render.c_str()), 0) << "groff warns about " << page;
    }
  }
}

}  // namespace
}  // namespace wavecomp
