// The console of a run: every line the program shows and the one answer it
// reads. Stages receive it by reference, so tests can capture what a stage
// prints and feed it an answer. Lines are written as exact bytes (Japanese
// text as Shift-JIS); the caller lays out each line, the console only ends it.
// A write that fails is remembered, not thrown: the run decides what it
// means (Flush, write_error).
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wavecomp {

class Console {
 public:
  // Captures everything in memory; the answer comes from SetInput.
  Console();
  // Writes to `out` and reads the answer from `in` (stdout and stdin in a run).
  Console(std::FILE* out, std::FILE* in);

  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  ~Console();

  // Writes one line: the bytes, then a line end.
  void WriteLine(std::string_view bytes);

  // Reads one line of the operator's answer, without its line end; nullopt
  // when the input is empty or closed. The output is flushed first so the
  // question is visible.
  std::optional<std::string> ReadLine();

  // Pushes what was written out; false when any write so far failed or was
  // cut short (standard output on a full disk, a closed pipe).
  bool Flush();
  // The errno of the first failed write, 0 when none failed.
  int write_error() const { return write_error_; }

  // Captured output (capture mode only).
  const std::string& captured() const { return captured_; }
  // The operator's input in capture mode.
  void SetInput(std::string input) {
    input_ = std::move(input);
    input_position_ = 0;
  }

  // An English line for standard error that must be seen before what the
  // console shows next (what a Japanese question means, before it is
  // asked): the lines so far are flushed first. Dropped when no sink is set.
  void Notice(const std::string& english);
  void SetNoticeSink(std::function<void(const std::string&)> sink) { notice_sink_ = std::move(sink); }

  // A transformation applied to every finished line before it is written
  // (used to show Shift-JIS text on UTF-8 terminals). Identity when unset.
  void SetLineFilter(std::function<std::string(std::string_view)> filter) { line_filter_ = std::move(filter); }

 private:
  std::FILE* out_ = nullptr;
  std::FILE* in_ = nullptr;
  int write_error_ = 0;
  std::string captured_;
  std::string input_;
  std::size_t input_position_ = 0;
  std::function<std::string(std::string_view)> line_filter_;
  std::function<void(const std::string&)> notice_sink_;
};

// Pushes out what was written to `out`, the program's standard output; when
// any write so far failed or was cut short (a full disk, /dev/full), an
// OutputError (textio/errors.h)
//   cannot write standard output: <the system's reason><consequence>
// Each program calls it before its files are published: a summary that did
// not reach its reader fails the run as a file that could not be written does.
void RequireStandardOutput(Console& out, std::string_view consequence);

}  // namespace wavecomp
