// The importer's output files: all or nothing, and never over an existing
// file. Every name is checked before any conversion work, the text goes to
// files that have no name yet, and all of them take their names together at
// the end, through textio's publish step. A refusal or failure on the way, or
// a failed publication, leaves nothing under any of the names.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textio/output_file.h"

namespace wavecomp::importer {

class OutputSet {
 public:
  // Refusal naming the first name that exists already; OutputFailure when a
  // name cannot be created. `input` is the file the import reads.
  OutputSet(std::span<const std::string> paths, const std::string& input);

  // Appends whole lines (`text` ends with a line end) to file k.
  void Append(std::size_t k, std::string_view text);

  // Writes the rest of every file and flushes it to disk, names still
  // withheld (OutputError on failure). Publish does it when not done.
  void Finish();

  // Publishes every file; when one fails, those published already are
  // removed again and the failure is thrown.
  void Publish();

  const std::string& path(std::size_t k) const { return paths_[k]; }

 private:
  std::vector<std::string> paths_;
  textio::OutputSet set_;
  std::vector<textio::OutputFile> files_;
};

}  // namespace wavecomp::importer
