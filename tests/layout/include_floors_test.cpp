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

// Where a folder stands. A folder of several rooms gives each room a place
// on its floor ("5.1"): the rooms include only lower places of their own
// folder, and every other folder of that floor not at all.
struct Floor {
  int floor = 0;
  int room = -1;  // none
};

// Floor of every folder, from the rows "| 3 | `resample/` | ... |" and
// "| 5.1 | `check/targets/` | ... |".
std::map<std::string, Floor> Floors() {
  std::map<std::string, Floor> floors;
  std::ifstream document(testing::SourcePath("docs/ARCHITECTURE.md"));
  const std::regex row(R"(^\| (\d+)(?:\.(\d+))? \| `([\w/]+)/` \|)");
  std::smatch match;
  for (std::string line; std::getline(document, line);) {
    if (std::regex_search(line, match, row)) {
      floors[match[3]] = {std::stoi(match[1]), match[2].matched ? std::stoi(match[2]) : -1};
    }
  }
  return floors;
}

// Whether a file of `own_folder`, standing at `own`, may include a header of
// `other_folder`, standing at `other`.
bool Below(const std::string& own_folder, const Floor& own, const std::string& other_folder, const Floor& other) {
  if (other.floor != own.floor) return other.floor < own.floor;
  const auto top = [](const std::string& folder) { return folder.substr(0, folder.find('/')); };
  return top(own_folder) == top(other_folder) && other.room >= 0 && own.room >= 0 && other.room < own.room;
}

std::string Shown(const Floor& floor) {
  return std::to_string(floor.floor) + (floor.room >= 0 ? "." + std::to_string(floor.room) : "");
}

TEST(IncludeFloors, EveryIncludeReachesItsOwnFolderOrALowerFloor) {
  const std::map<std::string, Floor> floors = Floors();
  ASSERT_GE(floors.size(), 8u) << "the floor table of docs/ARCHITECTURE.md was not found";
  const std::regex include_line(R"(^\s*#\s*include\s*"([^"]*)\")");
  int includes = 0;
  const std::filesystem::path src = testing::SourcePath("src");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".h" && path.extension() != ".cpp")) continue;
    const std::string folder = path.parent_path().lexically_relative(src).generic_string();
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
      const std::string target = included.substr(0, included.rfind('/'));
      const auto other = floors.find(target);
      if (included.find('/') == std::string::npos || other == floors.end()) {
        ADD_FAILURE() << path << " includes \"" << included << "\", which is in no folder of a floor";
      } else if (target != folder && !Below(folder, own->second, target, other->second)) {
        ADD_FAILURE() << path << " (" << folder << ", floor " << Shown(own->second) << ") includes \"" << included
                      << "\" (floor " << Shown(other->second) << ")";
      }
    }
  }
  EXPECT_GT(includes, 100);
}

}  // namespace
}  // namespace wavecomp
