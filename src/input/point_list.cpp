#include "input/point_list.h"

#include <optional>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

// The answer is read into a three-character field: only that much of the
// first word counts ("Yess" is still "Yes").
constexpr std::size_t kAnswerLength = 3;

bool IsYes(const std::string& word) { return word == "Y" || word == "Yes"; }

// Shows the missing file and the three question lines and returns when the
// answer is yes; any other answer stops the run. What the question means is
// said in English before it is asked, so that the stop needs no more words.
void AskSingleSpectrumMode(std::string_view data_file_name, Console& console) {
  const std::string pnt = PointListName(data_file_name);
  const std::string data(data_file_name);
  console.Notice(
      "the point list " + pnt + " is missing: the question below asks whether to take the first spectrum of " + data +
      " uniformly along the shore; answer Y (or Yes) to go on, anything else or no answer stops " +
      "the run without a component file (create " + pnt + " listing the points to run without the question)");
  std::string missing(messages::kPointFileMissingStart);
  missing += data_file_name;
  missing += messages::kPointFileMissingEnd;
  console.WriteLine(textio::ListLine().Text(missing).str());
  console.WriteLine(textio::ListLine().Text(messages::kQuestion1).str());
  console.WriteLine(textio::ListLine().Text(messages::kQuestion2).str());
  console.WriteLine(textio::ListLine().Text(messages::kQuestion3).str());
  // A free-format read passes over blank lines to the first word typed; the
  // end of the input without any word counts as "not yes".
  for (std::optional<std::string> line = console.ReadLine(); line; line = console.ReadLine()) {
    const std::optional<std::string> word = textio::TryListWord(*line, kAnswerLength);
    if (!word) continue;
    if (IsYes(*word)) return;
    break;
  }
  throw RunStop::Silent();
}

}  // namespace

bool IsSingleSpectrumAnswer(std::string_view answer_line) {
  return IsYes(textio::ListWord(answer_line, kAnswerLength));
}

std::string PointListName(std::string_view data_file_name) { return std::string(data_file_name) + ".pnt"; }

std::optional<textio::TextFile> OpenPointListOrAsk(const std::string& data_file_name, Console& console) {
  std::optional<textio::TextFile> file = textio::TextFile::Open(PointListName(data_file_name));
  if (!file) AskSingleSpectrumMode(data_file_name, console);
  return file;
}

}  // namespace wavecomp
