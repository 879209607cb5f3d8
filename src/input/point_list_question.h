// The one question the program asks: what to do when the point-list file of
// an Emep or Ene run is missing. Both readers ask it with the same lines and
// accept the same answers.
#pragma once

#include <string_view>

#include "core/console.h"

namespace wavecomp {

// True when the operator's answer means "take the first spectrum of the data
// file, uniform along the shore": the first free-format word, cut to three
// characters, is "Y" or "Yes" (case as shown). Anything else, including an
// empty line, is a no.
bool IsSingleSpectrumAnswer(std::string_view answer_line);

// Shows "== File(<name>.pnt) is not found ==" and the three question lines,
// reads the answer and returns when it is yes. Any other answer, or no answer
// at all (closed or empty standard input), stops the run without a message
// (RunStop::Silent). `data_file_name` is the trimmed data file name.
void AskSingleSpectrumMode(std::string_view data_file_name, Console& console);

}  // namespace wavecomp
