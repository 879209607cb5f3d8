// The folders of src/ stand on the floors of docs/ARCHITECTURE.md: a file
// includes its own folder and lower floors only. The table is read from the
// document, so the document and the code cannot drift apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "support/test_support.h"

namespace wavecomp {
namespace {

// Floor of every folder, from the rows "| 3 | `resample/` | ... |".
std::map<std::string, int> Floors() {
  std::map<std::string, int> floors;
  std::ifstream document(testing::SourcePath("docs/ARCHITECTURE.md"));
  const std::regex row(R"(^\| (\d+) \| `(\w+)/` \|)");
  std::smatch match;
  for (std::string line; std::getline(document, line);) {
    if (std::regex_search(line, match, row)) floors[match[2]] = std::stoi(match[1]);
  }
  return floors;
}

TEST(IncludeFloors, EveryIncludeReachesItsOwnFolderOrALowerFloor) {
  const std::map<std::string, int> floors = Floors();
  ASSERT_GE(floors.size(), 8u) << "the floor table of docs/ARCHITECTURE.md was not found";
  const std::regex include_line(R"(^\s*#\s*include\s*"([^"]*)\")");
  int includes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(testing::SourcePath("src"))) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".h" && path.extension() != ".cpp")) continue;
    const std::string folder = path.parent_path().filename().string();
    const auto own = floors.find(folder);
    if (own == floors.end()) {
      ADD_FAILURE() << path << " is in a folder without a floor";
      continue;
    }
    std::ifstream file(path);
    std::smatch match;
    for (std::string line; std::getline(file, line);) {
      if (!std::regex_search(line, match, include_line)) continue;
      ++includes;
      const std::string included = match[1];
      const std::string target = included.substr(0, included.find('/'));
      const auto other = floors.find(target);
      if (included.find('/') == std::string::npos || other == floors.end()) {
        ADD_FAILURE() << path << " includes \"" << included << "\", which is in no folder of a floor";
      } else if (target != folder && other->second >= own->second) {
        ADD_FAILURE() << path << " (" << folder << ", floor " << own->second << ") includes \"" << included
                      << "\" (floor " << other->second << ")";
      }
    }
  }
  EXPECT_GT(includes, 100);
}

}  // namespace
}  // namespace wavecomp
