// cmake --install into a temporary prefix: the programs and a manual page
// for each, where a user's PATH and man look for them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// A name as a manual page writes it ("wavecomp\-check").
std::string Escaped(const std::string& name) {
  std::string text;
  for (const char c : name) text += c == '-' ? std::string("\\-") : std::string(1, c);
  return text;
}

// The words after `key` up to `end` in `text`, sorted.
std::vector<std::string> WordsAfter(const std::string& text, const std::string& key, const std::string& end) {
  const std::size_t start = text.find(key);
  if (start == std::string::npos) return {};
  std::istringstream words(text.substr(start + key.size(), text.find(end, start) - start - key.size()));
  std::vector<std::string> found{std::istream_iterator<std::string>(words), {}};
  std::sort(found.begin(), found.end());
  return found;
}

// Fault: the example script built two of the three programs, so the README's
// install after it stopped at the missing wavecomp-import with no manual page;
// the module it installs must be built by it too.
TEST(Install, TheExampleScriptBuildsEveryInstalledProgram) {
  std::vector<std::string> installed =
      WordsAfter(testing::ReadFile(testing::SourcePath("CMakeLists.txt")), "install(TARGETS", "RUNTIME");
  EXPECT_EQ(installed, (std::vector<std::string>{"wavecomp", "wavecomp-check", "wavecomp-export", "wavecomp-import"}));
  const std::vector<std::string> module =
      WordsAfter(testing::ReadFile(testing::SourcePath("src/python/CMakeLists.txt")), "install(TARGETS", "LIBRARY");
  EXPECT_EQ(module, std::vector<std::string>{"_wavecomp"});
  installed.insert(installed.begin(), module.begin(), module.end());
  const std::vector<std::string> built =
      WordsAfter(testing::ReadFile(testing::SourcePath("scripts/example.sh")), "--preset release --target", "\n");
  EXPECT_EQ(built, installed);
}

TEST(Install, PutsTheProgramsAndTheirManualPagesUnderThePrefix) {
  ScratchDir prefix;
  const std::string install = std::string("'") + WAVECOMP_CMAKE_COMMAND + "' --install '" + WAVECOMP_BINARY_DIR +
                              "' --prefix '" + prefix.path() + "' > /dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0) << install;
  for (const std::string program : {"wavecomp", "wavecomp-check", "wavecomp-import", "wavecomp-export"}) {
    SCOPED_TRACE(program);
    const std::string installed = prefix.PathOf("bin/" + program);
    EXPECT_EQ(::access(installed.c_str(), X_OK), 0);
    const testing::RunResult version = testing::RunProgram(installed, prefix.path(), {"--version"}, "");
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.out, program + " Ver.r1c\n");
    const std::string page = prefix.PathOf("share/man/man1/" + program + ".1");
    const std::string text = testing::ReadFile(page);
    EXPECT_EQ(text, testing::ReadFile(testing::SourcePath("docs/man/" + program + ".1")));
    // Each page leads to the other three.
    const std::string see_also = text.substr(std::min(text.find(".SH SEE ALSO"), text.size()));
    for (const std::string other :
         {"wavecomp (1)", "wavecomp\\-check (1)", "wavecomp\\-import (1)", "wavecomp\\-export (1)"}) {
      if (other.substr(0, other.find(' ')) == Escaped(program)) continue;
      EXPECT_NE(see_also.find(".BR " + other), std::string::npos) << other;
    }
    // The page renders without a warning of the formatter, where there is one.
    if (std::system("command -v groff > /dev/null 2>&1") == 0) {
      const std::string render = "groff -man -Tutf8 -ww -z '" + page + "' 2>&1 | grep -q . && exit 1 || exit 0";
      EXPECT_EQ(std::system(render.c_str()), 0) << "groff warns about " << page;
    }
  }
}

}  // namespace
}  // namespace wavecomp
