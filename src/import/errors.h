// How an import ends early. Library code throws; wavecomp-import's main maps
// the type to its exit status (core/front_door.h). Input files that cannot be
// opened or do not follow their layout arrive as the textio errors instead.
#pragma once

#include <stdexcept>

namespace wavecomp::importer {

// Refused by the importer's own checks (a bad option, a selection it cannot
// convert, an existing output name).
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output file could not be created or written; nothing was left behind.
class OutputFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace wavecomp::importer
