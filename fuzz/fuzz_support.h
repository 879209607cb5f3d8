// Shared pieces of the libFuzzer targets.
//
// Every target runs real library code on the fuzzed bytes. The readers open
// files by name relative to the working directory, so each process works in
// one private temporary folder, entered at the first input and removed at
// exit. The workspace (about 190 MB of capacity) is allocated once and
// returned to all zeros between inputs; only the pages an input wrote cost
// anything to reset.
//
// A run that stops as the program would (RunStop, an input or output error)
// is a normal outcome. Anything else that escapes, a sanitizer
// report, or a broken promise checked here (a file left behind by a failed
// run, a non-finite number in a written file) is a finding: the target traps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp::fuzz {

// Enters the process's scratch folder (created on the first call).
void EnterScratchFolder();

// The process's workspace, all zeros at every call.
SpectrumWorkspace& FreshWorkspace();

void WriteFile(const std::string& name, std::string_view bytes);
// Removes every file of the scratch folder.
void ClearScratchFolder();
// Names of the files in the scratch folder, sorted.
std::vector<std::string> ScratchFiles();

// Stops the process so that libFuzzer reports the input (a finding).
[[noreturn]] void Finding(const char* what);

// Runs `work`; a stop of the run counts as a normal end. Returns true when the work
// ran to its end.
bool RunUntilStop(const std::function<void()>& work);

// Settings a reader target takes from its first two input bytes.
struct RunParameters {
  int component_count;  // small, including 0 and negative counts
  bool spread;          // Smax 10 (spread) or 999 (not spread)
  const char* answer;   // the operator's answer to the point-list question
  // The whole run after the reader, or the reader alone. The resampling
  // walks 10^5 fine steps whatever the input, so a whole run costs about a
  // tenth of a second under the sanitizers; the reader alone takes far less.
  // One input in four runs whole, which keeps the search fast on the readers
  // while the later stages still see what the readers let through.
  bool whole_run;
};
inline constexpr std::size_t kParameterBytes = 2;
RunParameters DecodeParameters(const std::uint8_t* data);

// The byte that separates the data file from its point-list file in one
// input; an input without it has no point-list file.
inline constexpr char kFileSeparator = '\x1e';

// The cont.txt of a run of `type` reading "in.dat" and writing "out.dat".
std::string ControlFile(std::string_view type, const RunParameters& parameters);
inline constexpr const char* kDataFileName = "in.dat";
inline constexpr const char* kPointFileName = "in.dat.pnt";
inline constexpr const char* kOutputFileName = "out.dat";

// A run of the program on the input files already written: the whole run,
// or the control file and `reader` alone. Checks what every run must keep:
// after a stop no file was added or removed; after a normal end of a whole
// run the output file exists, no other file was added, and the output holds
// only finite numbers.
using Reader = void (*)(const ControlSettings&, SpectrumWorkspace&, Console&);
void RunProgramChecked(const RunParameters& parameters, Reader reader);

// One input of a reader target: the parameter bytes, then the data file and,
// when `with_point_file` and a separator byte follows, the point-list file;
// a run of spectrum type `type` through RunProgramChecked.
void FuzzReaderInput(std::string_view type, Reader reader, bool with_point_file, const std::uint8_t* data,
                     std::size_t size);

}  // namespace wavecomp::fuzz
