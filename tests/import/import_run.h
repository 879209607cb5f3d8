// Running wavecomp-import in a scratch folder, and reading back what it
// wrote, for the import tests.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp::testing {

// Runs the built wavecomp-import with `arguments` in the folder; standard
// output and error are gathered through files of the folder.
inline RunResult RunImport(const ScratchDir& dir, const std::vector<std::string>& arguments) {
  const std::string out = dir.PathOf(".import-out");
  const std::string err = dir.PathOf(".import-err");
  const pid_t child = ::fork();
  if (child == 0) {
    const int out_file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_file = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out_file, 1);
    ::dup2(err_file, 2);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    std::vector<char*> argv = {const_cast<char*>(WAVECOMP_IMPORT_EXE)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(WAVECOMP_IMPORT_EXE, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  RunResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = dir.Read(".import-out");
  result.err = dir.Read(".import-err");
  ::unlink(out.c_str());
  ::unlink(err.c_str());
  return result;
}

// An Emep data file read back by its layout: per point its frequencies,
// S and the mdd directional values of every frequency.
struct EmepPointData {
  int point = 0;
  int year = 0;
  std::vector<double> f, S;
  std::vector<std::vector<double>> D;
};

inline std::vector<EmepPointData> ReadEmep(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t begin = 0, end; begin < text.size(); begin = end + 1) {
    end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
  }
  const auto field = [](const std::string& line, std::size_t column, std::size_t width) {
    return std::strtod(line.substr(column - 1, width).c_str(), nullptr);
  };
  std::vector<EmepPointData> points;
  std::size_t at = 1;  // after the title
  while (at < lines.size() && !lines[at].empty()) {
    if (!points.empty()) ++at;  // separator
    EmepPointData& point = points.emplace_back();
    point.year = int(field(lines[at], 16, 5));
    const int nss = int(field(lines[at], 41, 5));
    const int mdd = int(field(lines[at], 46, 5));
    ++at;
    for (int l = 0; l < nss; ++l) {
      point.f.push_back(field(lines[at], 1, 12));
      point.S.push_back(field(lines[at], 13, 12));
      ++at;
      std::vector<double>& row = point.D.emplace_back();
      for (int j = 0; j < mdd; ++j) {
        row.push_back(field(lines[at], 1 + 12 * std::size_t(j % 6), 12));
        if (j % 6 == 5 || j + 1 == mdd) ++at;
      }
    }
  }
  return points;
}

}  // namespace wavecomp::testing
