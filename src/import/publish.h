// Writing the importer's outputs: all or nothing, and never over an
// existing file.
#pragma once

#include <span>
#include <string>

namespace wavecomp::importer {

struct PendingOutput {
  std::string path;
  std::string text;  // the whole file, every line ending in a line end
};

// Refuses (Refusal) when any of the names exists already, naming it.
void RefuseExistingNames(std::span<const PendingOutput> outputs);

// Creates every file under its name, exclusively, from a complete temporary
// file. When one of them cannot be created or written, the ones already
// published are removed again and OutputFailure (or the textio output
// error) is thrown.
void PublishOutputs(std::span<const PendingOutput> outputs);

}  // namespace wavecomp::importer
