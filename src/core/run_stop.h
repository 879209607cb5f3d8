// How a run ends early. Library code never exits the process: a stage that
// meets a fatal condition throws RunStop, and main prints it and returns its
// exit status. This keeps every stage testable.
#pragma once

#include <stdexcept>
#include <string>

namespace wavecomp {

// Exit statuses of wavecomp (documented in the README).
enum ExitStatus : int {
  kExitSuccess = 0,      // the component wave file was written
  kExitStopped = 1,      // the run stopped with one of the program's messages
  kExitInputError = 2,   // a file could not be read as its layout requires
  kExitOutputError = 3,  // no usable output: a write failed, or a value to write was not finite
};

class RunStop : public std::runtime_error {
 public:
  enum class Channel {
    kConsole,  // the program's own message, one console line (exact bytes)
    kError,    // a diagnostic for standard error
    kSilent,   // the program stops without a message
  };

  RunStop(Channel channel, std::string text, int exit_status)
      : std::runtime_error(text), channel_(channel), exit_status_(exit_status) {}

  // A stop with one of the program's console lines, given as its exact bytes.
  static RunStop ConsoleLine(std::string line) { return RunStop(Channel::kConsole, std::move(line), kExitStopped); }
  // A stop with a free-format console line: one leading blank, then the text.
  static RunStop FreeFormat(const std::string& text) { return ConsoleLine(" " + text); }
  static RunStop Silent() { return RunStop(Channel::kSilent, std::string(), kExitStopped); }
  // A diagnostic for standard error (input errors, file system errors).
  static RunStop Error(std::string text, int exit_status) {
    return RunStop(Channel::kError, std::move(text), exit_status);
  }

  Channel channel() const { return channel_; }
  const char* text() const { return what(); }
  int exit_status() const { return exit_status_; }

 private:
  Channel channel_;
  int exit_status_;
};

}  // namespace wavecomp
