// wavecomp-check run in-process on an argument list, with what it printed.
#pragma once

#include <string>
#include <vector>

#include "check/check_command.h"
#include "core/console.h"

namespace wavecomp::check {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome Check(const std::vector<std::string>& arguments) {
  Console out, err;
  const int status = RunCheckCommand(arguments, out, err);
  return {status, out.captured(), err.captured()};
}

}  // namespace wavecomp::check
