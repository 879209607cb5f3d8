// How an import ends early. Library code throws; wavecomp-import's main maps
// the type to its exit status. Input files that do not follow their layout
// arrive as the textio input error instead.
#pragma once

#include <stdexcept>

namespace wavecomp::importer {

// Exit statuses of wavecomp-import.
enum ImportStatus : int {
  kImportDone = 0,
  kImportRefused = 1,      // the tool's own checks (and a wrong command line)
  kImportInputError = 2,   // an input file unreadable as its layout requires
  kImportOutputError = 3,  // an output could not be written
};

// Refused by the importer's own checks (a bad option, a selection it cannot
// convert, an existing output name).
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The SWAN file cannot be opened or read at all.
class InputFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output file could not be created or written; nothing was left behind.
class OutputFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace wavecomp::importer
