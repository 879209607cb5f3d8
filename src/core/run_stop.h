// How a run ends early. Library code never exits the process: a stage that
// meets a fatal condition throws RunStop, and the application shows it and
// chooses the exit status. This keeps every stage testable.
#pragma once

#include <stdexcept>
#include <string>

namespace wavecomp {

class RunStop : public std::runtime_error {
 public:
  enum class Kind {
    kMessage,   // one of the program's own console lines (exact bytes)
    kSilent,    // the program stops without a message
    kBadInput,  // a diagnostic: the input cannot be made into components
    kNoOutput,  // a diagnostic: no usable component wave file can be written
  };

  RunStop(Kind kind, std::string text, std::string explanation = {})
      : std::runtime_error(text), kind_(kind), explanation_(std::move(explanation)) {}

  // A stop with one of the program's console lines, given as its exact bytes;
  // `explanation` says in English what was wrong, where, and what to do.
  static RunStop ConsoleLine(std::string line, std::string explanation = {}) {
    return RunStop(Kind::kMessage, std::move(line), std::move(explanation));
  }
  // A stop with a free-format console line: one leading blank, then the text.
  static RunStop FreeFormat(const std::string& text, std::string explanation = {}) {
    return ConsoleLine(" " + text, std::move(explanation));
  }
  static RunStop Silent(std::string explanation = {}) {
    return RunStop(Kind::kSilent, std::string(), std::move(explanation));
  }
  static RunStop BadInput(std::string text) { return RunStop(Kind::kBadInput, std::move(text)); }
  static RunStop NoOutput(std::string text) { return RunStop(Kind::kNoOutput, std::move(text)); }

  Kind kind() const { return kind_; }
  const char* text() const { return what(); }
  // The English explanation of a console-line or silent stop ("" when none);
  // a diagnostic is its own explanation.
  const std::string& explanation() const { return explanation_; }

 private:
  Kind kind_;
  std::string explanation_;
};

}  // namespace wavecomp
