// Helpers shared by the tests: scratch folders, control files and running
// the real wavecomp program end to end.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/exit_status.h"

namespace wavecomp::testing {

// A fresh folder under the system's temporary folder, removed with its content at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string PathOf(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;  // fails the test when missing
  bool Exists(const std::string& name) const;
  void CopyFrom(const std::string& source_path, const std::string& name) const;

 private:
  std::string path_;
};

struct RunResult {
  int exit_status = -1;  // the process exit status; -1 when it did not exit normally
  std::string out;       // standard output, raw bytes
  std::string err;       // standard error
};

// Writes `bytes` to a pipe into a child program and returns how many it
// took: a child that has ended, or closed its end, makes the write stop
// (EPIPE) instead of killing the test by SIGPIPE. Every test that feeds a
// program writes through this.
std::size_t WriteToChild(int descriptor, std::string_view bytes);

// Runs `program` in `folder` with `input` on standard input (closed after it).
RunResult RunProgram(const std::string& program, const std::string& folder, const std::string& input = "");
// The same with command-line arguments.
RunResult RunProgram(const std::string& program, const std::string& folder, const std::vector<std::string>& arguments,
                     const std::string& input);
// Runs the built wavecomp in the folder.
RunResult RunWavecomp(const ScratchDir& dir, const std::string& input = "");

// The settings of a control file, with the values of a typical JONSWAP run.
struct ControlValues {
  std::string type = "JNS";
  std::string count = "256";
  std::string smax = "10.0";
  std::string input_file = "-";
  std::string output_file = "wave.dat";
  std::string height = "1.0";
  std::string period = "10.0";
  std::string direction = "0.0";
  std::string gamma = "3.3";
  std::string fmin = "0.01";
  std::string fmax = "1.0";
  std::string seed = "4711";
};
// The cont.txt text for these values, each value field starting in column 11.
std::string ControlFileText(const ControlValues& values);

// How `call` ends the run, as the program would show it (console line,
// diagnostic, exit status); nullopt when it returns normally.
std::optional<RunEnding> EndingOfCall(const std::function<void()>& call);

// UTF-8 text as the Shift-JIS bytes (code page 932) the program writes, by
// the C library's iconv: the tests spell the Japanese console texts
// readably and independently of the program's own byte constants.
std::string ShiftJis(std::string_view utf8);

// The lines of a text, without their line ends; a last line without an end counts.
std::vector<std::string> Lines(const std::string& text);
// The bytes of a file; fails the test when it cannot be read.
std::string ReadFile(const std::string& path);

// What a name can be that no output may be published over.
enum class Hostile { kDevice, kFifo, kSocket, kFolder, kLinkToInput, kHardLinkToInput };
struct HostileTarget {
  const char* label;
  Hostile kind;
};
inline constexpr HostileTarget kHostileTargets[] = {
    {"a character device", Hostile::kDevice},    {"a FIFO", Hostile::kFifo},
    {"a socket", Hostile::kSocket},              {"a folder", Hostile::kFolder},
    {"a link to an input", Hostile::kLinkToInput}, {"a hard link to an input", Hostile::kHardLinkToInput},
};
// Makes `name` of the folder such a thing, the links leading to its file
// `input`; false, saying so, when this process may not (a device node needs root).
bool MakeHostile(const ScratchDir& dir, const std::string& name, Hostile kind, const std::string& input);
// How the output rule refuses it: "it is a FIFO, not a regular file", "it is
// <input>, which this command reads"; empty for a folder (the system's "Is a
// directory").
std::string Refusal(const HostileTarget& target, const std::string& input);
// What a name is, to show that it was left alone: its type and inode, where
// a link leads, the device a node stands for, the bytes of a file.
std::string Fingerprint(const std::string& path);

// Path of a file in the source tree (examples, shared samples live beside it).
std::string SourcePath(const std::string& relative);
// Path of a file of the sample inputs kept with the tests (one folder per spectrum type).
std::string SamplesPath(const std::string& relative);

}  // namespace wavecomp::testing
