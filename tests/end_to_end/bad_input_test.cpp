// Malformed input through the real program. Whatever an operator feeds it,
// the program must end with its own message or a clear input error naming the
// file and the line, explain every stop in one English line on standard
// error, exit non-zero, and leave the folder as it found it: no new file, no
// changed file, jonswap.spe included. Files with Windows line ends or a
// byte-order mark must give the same output bytes as their plain twins. So
// must a hostile environment: signals, a closed pipe, a file size limit, a
// full standard output, inputs of gigabytes.
//
// The valid inputs are small, built here line by line with a map of what each
// line is, so the expected outcome of every truncation and every damaged
// field follows from the layout alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "import/swan_text.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::RunResult;
using testing::RunWavecomp;
using testing::ScratchDir;

// What the program says, spelled out here rather than taken from its own
// constants, so that a wrong message fails these tests.
namespace said {
constexpr std::string_view kBandCannotBeFilled = " cannot be filled: the spline of the input spectrum holds less energy than the bands need (a finer table or fewer components help)";
constexpr std::string_view kBandWalkOutsideTable = " cannot be placed: its walk stayed before the end of the table for 10^7 steps (densities too large to divide exactly)";
constexpr std::string_view kCannotOpenControlFile = "Can not open cont.txt file";
constexpr std::string_view kCountErrorStart = "Error in ";
constexpr std::string_view kEmepTooShort = "Error Read-Data: Emep-data is too short";
constexpr std::string_view kEneBlockCountRule = "the number of spectrum blocks nb must be at least 1, found";
constexpr std::string_view kEneDirectionCountRule = "the number of directions nd must be 1 to 198, found";
constexpr std::string_view kEneFrequencyCountRule = "the number of frequencies nf must be 1 to 3000, found";
constexpr std::string_view kEneHeaderUnreadable = "Error: Spectrum Data Set isn't matched";
constexpr std::string_view kEneNotFoundEnd = ") can not be found";
constexpr std::string_view kEneNotFoundStart = "Ene spectrum data (";
constexpr std::string_view kEnePointCountRule = "the number of points num_p must be at most 2048, found";
constexpr std::string_view kErrorExistOutFile = "ERROR Exist Out File";
constexpr std::string_view kErrorFileName = "Error File name";
constexpr std::string_view kExpectedAtMost3000Pairs = "at most 3000 frequency pairs, found pair 3001";
constexpr std::string_view kFileNotFind = "== File not find ==";
constexpr std::string_view kJonswapEnergyNotFinite = "JONSWAP total energy m0 is not a finite number:";
constexpr std::string_view kNoPoints = "ERROR  num_p < 1";
constexpr std::string_view kSpectrumEnergyNotFinite = "input spectrum: its energy is not a finite number (densities too large to add up)";
const std::string kQuestion3 = testing::ShiftJis("はい（単一方向スペクトル）：「Y」を入力して下さい");
const std::string kTooManyComponents = testing::ShiftJis("エネルギー等分割とする場合には，   分割数を1024以下に設定してください");
}  // namespace said

// ---------------------------------------------------------------------------
// Input files, line by line.

// What the program meets when a file ends just before a line.
enum class AtEnd {
  kInputError,    // the I/O layer's error naming the file and this line
  kEmepTooShort,  // "Error Read-Data: Emep-data is too short"
  kEneNotFound,   // the "can not be found" line of the point sought
};

struct Line {
  std::string text;
  AtEnd at_end = AtEnd::kInputError;
};

using Lines = std::vector<Line>;

std::string Join(const Lines& lines, const std::string& end = "\n") {
  std::string text;
  for (const Line& line : lines) text += line.text + end;
  return text;
}

std::string Fixed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Int5(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%5d", value);
  return buffer;
}

// Right-justifies `text` in columns first..first+width-1 of `line` (1-based),
// padding the line with blanks when it is shorter.
std::string Put(std::string line, int first, int width, const std::string& text) {
  const std::size_t start = static_cast<std::size_t>(first - 1);
  if (line.size() < start + static_cast<std::size_t>(width)) line.resize(start + static_cast<std::size_t>(width), ' ');
  std::string field(static_cast<std::size_t>(width), ' ');
  field.replace(field.size() - text.size(), text.size(), text);
  line.replace(start, static_cast<std::size_t>(width), field);
  return line;
}

// Sspe: a header and five pairs.
Lines SspeFile() { return {{"1.5 10.0 10.0"}, {"0.05 0.0"}, {"0.10 2.0"}, {"0.15 1.0"}, {"0.20 0.2"}, {"0.25 0.05"}}; }

// Emep: title, then `points` blocks of 3 frequencies and 8 directions (two
// records of directional values per frequency), a separator before every
// block but the first.
constexpr int kEmepFrequencies = 3;
constexpr int kEmepDirections = 8;
// Without a point-list file the data file has no title record.
Lines EmepFile(int points, bool with_title = true) {
  Lines lines;
  if (with_title) lines.push_back({"EMEP TEST DATA", AtEnd::kEmepTooShort});
  for (int v = 1; v <= points; ++v) {
    if (v > 1) lines.push_back({"-- next point --", AtEnd::kEmepTooShort});
    std::string header = "P" + std::to_string(v);
    header.resize(15, ' ');
    for (int value : {2023, 9, 15, 12, 0, kEmepFrequencies, kEmepDirections}) header += Int5(value);
    lines.push_back({header});
    for (int l = 1; l <= kEmepFrequencies; ++l) {
      const double density = 0.1 * v * l * (kEmepFrequencies + 1 - l);
      lines.push_back({Fixed("%12.5E", 0.05 * l) + Fixed("%12.5E", density)});
      std::string record;
      for (int j = 0; j < kEmepDirections; ++j) {
        const double angle = -180.0 + j * 360.0 / kEmepDirections;
        const double value = angle < -90.0 || angle > 90.0 ? 0.0 : density * (1.0 - std::abs(angle) / 90.0 + 0.1);
        record += Fixed("%12.5E", value);
        if (j % 6 == 5 || j == kEmepDirections - 1) {
          lines.push_back({record});
          record.clear();
        }
      }
    }
  }
  return lines;
}

Lines EmepPointList(int points) {
  Lines lines{{Int5(points)}};
  for (int v = 1; v <= points; ++v) lines.push_back({Int5(10 + v)});
  return lines;
}

// Ene: 6 frequencies, 3 directions (one record per direction group), two
// blocks with the keys (501, 13) and (501, 12); the point list asks for the
// second, so the first is passed over and the second read.
constexpr int kEneFrequencies = 6;
constexpr int kEneDirections = 3;
constexpr int kEneFirstBlockHeaderLine = 6;  // 1-based
constexpr int kEneSecondBlockHeaderLine = 10;
Lines EneFile() {
  Lines lines{{"ENE TEST OUTPUT"}, {Int5(kEneFrequencies) + Int5(kEneDirections)}};
  std::string frequencies;
  std::string bandwidths;
  for (int l = 0; l < kEneFrequencies; ++l) {
    frequencies += Fixed("%10.3E", 0.05 + 0.02 * l);
    bandwidths += Fixed("%10.3E", 0.02);
  }
  lines.push_back({frequencies});
  lines.push_back({bandwidths});
  lines.push_back({Int5(2)});
  for (int key : {13, 12}) {
    lines.push_back({Int5(1) + Int5(1) + Int5(501) + Int5(key) + Fixed("%10.4f", 0.0) + Fixed("%10.4f", 0.0) +
                         Fixed("%10.4f", 0.0) + Fixed("%10.4f", 0.0),
                     AtEnd::kEneNotFound});
    for (int j = 1; j <= kEneDirections; ++j) {
      std::string group = Fixed("%10.3E", -90.0 + 45.0 * j);
      for (int l = 0; l < kEneFrequencies; ++l) group += Fixed("%10.3E", 1.0e-3 * (l + 1) * (kEneFrequencies - l));
      lines.push_back({group});
    }
  }
  return lines;
}

Lines EnePointList() { return {{Int5(1) + Int5(501)}, {Int5(7) + Int5(12)}}; }

// cont.txt of each type, reading the files above and writing wave.dat.
std::string ControlFor(const std::string& type, const std::string& input_file, const std::string& count = "16") {
  ControlValues values;
  values.type = type;
  values.count = count;
  values.input_file = input_file;
  return ControlFileText(values);
}

Lines ControlLines(const std::string& text) {
  Lines lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back({line});
  return lines;
}

// ---------------------------------------------------------------------------
// Cases.

using Files = std::map<std::string, std::string>;

enum class Expect {
  kConsoleLine,  // the last line of standard output is `text`, exactly (status 1)
  kExplanation,  // nothing on standard output, only the explanation (status 1)
  kInputError,   // standard error names `text` (the file) and `line` (status 2)
  kSilentStop,   // nothing after the question (status 1)
  kMessage,      // standard output or standard error holds `text` (status `status`)
};

struct BadInput {
  std::string name;
  Files files;
  Expect expect = Expect::kInputError;
  std::string text;
  int line = 0;
  int status = 2;
  std::string input;  // standard input
  // A part of the one-line explanation on standard error of a console-line
  // or silent stop ("" checks only that there is one).
  std::string err;
};

BadInput InputError(std::string name, Files files, std::string file, int line) {
  return {std::move(name), std::move(files), Expect::kInputError, std::move(file), line, 2, "", ""};
}

BadInput ConsoleStop(std::string name, Files files, std::string line, std::string err = "") {
  return {std::move(name), std::move(files), Expect::kConsoleLine, std::move(line), 0, 1, "", std::move(err)};
}

BadInput Explained(std::string name, Files files, std::string err) {
  return {std::move(name), std::move(files), Expect::kExplanation, "", 0, 1, "", std::move(err)};
}

// The same with an English explanation: standard output ends with `line`,
// standard error starts with `explanation`.
BadInput ExplainedStop(std::string name, Files files, const std::string& line, const std::string& explanation) {
  return {std::move(name), std::move(files), Expect::kMessage, line + "\n" + explanation, 0, 1, "", ""};
}

// Any failure to make the output but an existing file: the system's reason
// on standard error, no console line, status 3.
BadInput CreateFailure(std::string name, Files files, const std::string& shown_name, const std::string& reason) {
  return {std::move(name), std::move(files), Expect::kMessage,
          "wavecomp: cannot create " + shown_name + ": " + reason, 0, 3, "", ""};
}

std::string Free(std::string_view text) { return " " + std::string(text); }

std::string EneNotFoundLine(int first_key, int second_key) {
  return std::string(said::kEneNotFoundStart) + Int5(first_key) + "," + Int5(second_key) +
         std::string(said::kEneNotFoundEnd);
}

Files SspeRun(const std::string& data) { return {{"cont.txt", ControlFor("Sspe", "swell.spc")}, {"swell.spc", data}}; }
Files EmepRun(const std::string& data, const std::string& points) {
  return {{"cont.txt", ControlFor("Emep", "beach")}, {"beach", data}, {"beach.pnt", points}};
}
Files EneRun(const std::string& data, const std::string& points) {
  return {{"cont.txt", ControlFor("Ene", "ebm.out")}, {"ebm.out", data}, {"ebm.out.pnt", points}};
}

// The expected outcome when `lines` ends just before line `cut` (0-based).
BadInput Truncated(const std::string& name, const Lines& lines, std::size_t cut, const std::string& file,
                   const std::function<Files(const std::string&)>& files) {
  const Lines kept(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(cut));
  const std::string label = name + "_cut_before_line_" + std::to_string(cut + 1);
  switch (lines[cut].at_end) {
    case AtEnd::kEmepTooShort:
      return ConsoleStop(label, files(Join(kept)), Free(said::kEmepTooShort), "the Emep data file beach");
    case AtEnd::kEneNotFound:
      return ConsoleStop(label, files(Join(kept)), EneNotFoundLine(501, 12),
                         "the keys 501 and 12 of point 1 (ebm.out.pnt line 1, columns 6-10, and line 2, columns 6-10)");
    case AtEnd::kInputError:
      break;
  }
  return InputError(label, files(Join(kept)), file, static_cast<int>(cut) + 1);
}

// A field of a line replaced by `value`, right-justified in it.
Lines WithField(Lines lines, std::size_t index, int first, int width, const std::string& value) {
  lines[index].text = Put(lines[index].text, first, width, value);
  return lines;
}

const std::vector<std::string> kBadReals = {"x", "1.5x", "NaN", "Inf", "-Infinity", "1E400"};
const std::vector<std::string> kBadIntegers = {"x", "1.5", "NaN", "1E3"};

std::string Safe(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

std::vector<BadInput> AllCases() {
  std::vector<BadInput> cases;
  auto add = [&](BadInput c) { cases.push_back(std::move(c)); };

  // --- Missing files.
  add(ConsoleStop("control_file_missing", {}, "   " + std::string(said::kCannotOpenControlFile),
                  "there is no cont.txt in /tmp/"));
  add(ConsoleStop("sspe_data_missing", {{"cont.txt", ControlFor("Sspe", "swell.spc")}}, Free(said::kFileNotFind),
                  "cannot open the Sspe spectrum file \"swell.spc\" named in cont.txt line 5, columns 11-210, looked "
                  "for in /tmp/"));
  add(ConsoleStop("emep_data_missing",
                  {{"cont.txt", ControlFor("Emep", "beach")}, {"beach.pnt", Join(EmepPointList(2))}},
                  Free(said::kFileNotFind), "cannot open the Emep data file \"beach\" named in cont.txt line 5"));
  add(ConsoleStop("sspe_data_name_blank", {{"cont.txt", ControlFor("Sspe", "")}}, Free(said::kFileNotFind),
                  "the Sspe spectrum file is not named: cont.txt line 5, columns 11-210 is blank"));
  add(ConsoleStop("emep_data_is_a_folder", {{"cont.txt", ControlFor("Emep", ".")}}, Free(said::kFileNotFind),
                  "it is a folder, a device or not readable"));
  // Fault: a device named as the input was read as a file; /dev/zero never ended and filled the memory.
  add(ConsoleStop("sspe_data_is_a_device", {{"cont.txt", ControlFor("Sspe", "/dev/null")}},
                  Free(said::kFileNotFind)));
  add(ConsoleStop("emep_data_is_a_device", {{"cont.txt", ControlFor("Emep", "/dev/null")}},
                  Free(said::kFileNotFind)));
  add(ConsoleStop("ene_data_is_a_device", {{"cont.txt", ControlFor("Ene", "/dev/null")}},
                  Free(said::kErrorFileName)));
  add(ConsoleStop("ene_data_missing",
                  {{"cont.txt", ControlFor("Ene", "ebm.out")}, {"ebm.out.pnt", Join(EnePointList())}},
                  Free(said::kErrorFileName), "cannot open the Ene data file \"ebm.out\""));
  for (const char* answer : {"", "n\n", "y\n", "YES\n", "\n\n"}) {
    // Said before the question is asked, whatever the answer then is.
    const std::string refused = " is missing: the question below asks whether to take the first spectrum of ";
    BadInput emep{"emep_point_list_missing_answer_" + Safe(answer),
                  {{"cont.txt", ControlFor("Emep", "beach")}, {"beach", Join(EmepFile(1))}},
                  Expect::kSilentStop,
                  "",
                  0,
                  1,
                  answer,
                  "the point list beach.pnt" + refused};
    add(emep);
    BadInput ene{"ene_point_list_missing_answer_" + Safe(answer),
                 {{"cont.txt", ControlFor("Ene", "ebm.out")}, {"ebm.out", Join(EneFile())}},
                 Expect::kSilentStop,
                 "",
                 0,
                 1,
                 answer,
                 "the point list ebm.out.pnt" + refused};
    add(ene);
  }

  // --- Truncated files, cut before every line (a cut before line 1 leaves an empty file).
  {
    const Lines control = ControlLines(ControlFor("JNS", "-"));
    for (std::size_t cut = 0; cut < control.size(); ++cut) {
      add(Truncated("control", control, cut, "cont.txt", [](const std::string& text) {
        return Files{{"cont.txt", text}};
      }));
    }
    const Lines sspe = SspeFile();
    add(Truncated("sspe", sspe, 0, "swell.spc", SspeRun));
    add(InputError("sspe_header_of_two_values", SspeRun("1.5 8.0\n"), "swell.spc", 2));
    const Lines emep = EmepFile(2);
    const std::string emep_points = Join(EmepPointList(2));
    for (std::size_t cut = 0; cut < emep.size(); ++cut) {
      add(Truncated("emep", emep, cut, "beach", [&](const std::string& text) { return EmepRun(text, emep_points); }));
    }
    const Lines emep_list = EmepPointList(2);
    for (std::size_t cut = 0; cut < emep_list.size(); ++cut) {
      add(Truncated("emep_point_list", emep_list, cut, "beach.pnt",
                    [&](const std::string& text) { return EmepRun(Join(emep), text); }));
    }
    const Lines ene = EneFile();
    const std::string ene_points = Join(EnePointList());
    for (std::size_t cut = 0; cut < ene.size(); ++cut) {
      add(Truncated("ene", ene, cut, "ebm.out", [&](const std::string& text) { return EneRun(text, ene_points); }));
    }
    const Lines ene_list = EnePointList();
    for (std::size_t cut = 0; cut < ene_list.size(); ++cut) {
      add(Truncated("ene_point_list", ene_list, cut, "ebm.out.pnt",
                    [&](const std::string& text) { return EneRun(Join(ene), text); }));
    }
  }

  // --- Letters and non-finite values in every numeric field of every format.
  {
    const Lines control = ControlLines(ControlFor("JNS", "-"));
    struct Field {
      std::size_t line;  // 0-based
      int first;
      bool real;
    };
    const std::vector<Field> control_fields = {{2, 11, false}, {3, 11, true}, {6, 11, true},
                                               {6, 21, true},  {6, 31, true}, {6, 41, true},
                                               {7, 11, true},  {7, 21, true}, {8, 11, false}};
    for (const Field& field : control_fields) {
      for (const std::string& bad : field.real ? kBadReals : kBadIntegers) {
        add(InputError(
            "control_line_" + std::to_string(field.line + 1) + "_col_" + std::to_string(field.first) + "_" + Safe(bad),
            {{"cont.txt", Join(WithField(control, field.line, field.first, 10, bad))}}, "cont.txt",
            static_cast<int>(field.line) + 1));
      }
    }

    // Sspe: the free-format values, each replaced in its line.
    const std::vector<std::pair<std::size_t, int>> sspe_values = {{0, 0}, {0, 1}, {0, 2}, {3, 0}, {3, 1}};
    for (const auto& [line, position] : sspe_values) {
      for (const std::string& bad : kBadReals) {
        Lines sspe = SspeFile();
        std::istringstream words(sspe[line].text);
        std::vector<std::string> values{std::istream_iterator<std::string>(words), {}};
        values[static_cast<std::size_t>(position)] = bad;
        sspe[line].text.clear();
        for (const std::string& value : values) sspe[line].text += value + " ";
        add(InputError(
            "sspe_line_" + std::to_string(line + 1) + "_value_" + std::to_string(position + 1) + "_" + Safe(bad),
            SspeRun(Join(sspe)), "swell.spc", static_cast<int>(line) + 1));
      }
    }

    // Emep: header integers of both blocks, a frequency record, directional values.
    const Lines emep = EmepFile(2);
    const std::string emep_points = Join(EmepPointList(2));
    const std::size_t second_header = 1 + 1 + 3 * kEmepFrequencies + 1;
    for (std::size_t header : {std::size_t{1}, second_header}) {
      for (int k = 0; k < 7; ++k) {
        for (const std::string& bad : {std::string("x"), std::string("NaN")}) {
          add(InputError(
              "emep_header_line_" + std::to_string(header + 1) + "_integer_" + std::to_string(k + 1) + "_" + Safe(bad),
              EmepRun(Join(WithField(emep, header, 16 + 5 * k, 5, bad)), emep_points), "beach",
              static_cast<int>(header) + 1));
        }
      }
    }
    for (const auto& [line, first] :
         std::vector<std::pair<std::size_t, int>>{{2, 1}, {2, 13}, {3, 1}, {3, 61}, {4, 13}}) {
      for (const std::string& bad : kBadReals) {
        add(InputError("emep_line_" + std::to_string(line + 1) + "_col_" + std::to_string(first) + "_" + Safe(bad),
                       EmepRun(Join(WithField(emep, line, first, 12, bad)), emep_points), "beach",
                       static_cast<int>(line) + 1));
      }
    }
    for (std::size_t line : {std::size_t{0}, std::size_t{2}}) {
      for (const std::string& bad : kBadIntegers) {
        add(InputError("emep_point_list_line_" + std::to_string(line + 1) + "_" + Safe(bad),
                       EmepRun(Join(emep), Join(WithField(EmepPointList(2), line, 1, 5, bad))), "beach.pnt",
                       static_cast<int>(line) + 1));
      }
    }

    // Ene: counts, tables, block count, the read block's groups, the point
    // list. A header field that cannot be read has the program's own message.
    const Lines ene = EneFile();
    const std::string ene_points = Join(EnePointList());
    for (const auto& [line, first] : std::vector<std::pair<std::size_t, int>>{{1, 1}, {1, 6}, {4, 1}}) {
      for (const std::string& bad : kBadIntegers) {
        add(InputError("ene_line_" + std::to_string(line + 1) + "_col_" + std::to_string(first) + "_" + Safe(bad),
                       EneRun(Join(WithField(ene, line, first, 5, bad)), ene_points), "ebm.out",
                       static_cast<int>(line) + 1));
      }
    }
    const std::size_t read_group = kEneSecondBlockHeaderLine;  // 0-based: the first group of block 2
    for (const auto& [line, first] : std::vector<std::pair<std::size_t, int>>{
             {2, 1}, {2, 51}, {3, 11}, {read_group, 1}, {read_group, 21}, {read_group + 2, 61}}) {
      for (const std::string& bad : kBadReals) {
        add(InputError("ene_line_" + std::to_string(line + 1) + "_col_" + std::to_string(first) + "_" + Safe(bad),
                       EneRun(Join(WithField(ene, line, first, 10, bad)), ene_points), "ebm.out",
                       static_cast<int>(line) + 1));
      }
    }
    for (std::size_t header : {std::size_t{kEneFirstBlockHeaderLine - 1}, std::size_t{kEneSecondBlockHeaderLine - 1}}) {
      for (const auto& [first, width] :
           std::vector<std::pair<int, int>>{{1, 5}, {11, 5}, {16, 5}, {21, 10}, {51, 10}}) {
        for (const std::string& bad : {std::string("x"), std::string("NaN"), std::string("1E400")}) {
          add(ConsoleStop(
              "ene_header_line_" + std::to_string(header + 1) + "_col_" + std::to_string(first) + "_" + Safe(bad),
              EneRun(Join(WithField(ene, header, first, width, bad)), ene_points),
              Free(said::kEneHeaderUnreadable)));
        }
      }
    }
    for (const auto& [line, first] : std::vector<std::pair<std::size_t, int>>{{0, 1}, {0, 6}, {1, 1}, {1, 6}}) {
      for (const std::string& bad : kBadIntegers) {
        add(InputError(
            "ene_point_list_line_" + std::to_string(line + 1) + "_col_" + std::to_string(first) + "_" + Safe(bad),
            EneRun(Join(ene), Join(WithField(EnePointList(), line, first, 5, bad))), "ebm.out.pnt",
            static_cast<int>(line) + 1));
      }
    }
  }

  // --- Counts beyond the capacities, negative counts, huge counts with little data.
  {
    const Lines emep = EmepFile(1);
    const std::string one_point = Join(EmepPointList(1));
    for (const auto& [first, value] : std::vector<std::pair<int, std::string>>{
             {41, "3001"}, {41, "0"}, {41, "-3"}, {46, "201"}, {46, "0"}, {46, "-1"}, {41, "99999"}}) {
      add(InputError("emep_count_col_" + std::to_string(first) + "_" + Safe(value),
                     EmepRun(Join(WithField(emep, 1, first, 5, value)), one_point), "beach", 2));
    }
    // Capacity-sized counts with the data of three frequencies: the end of the file.
    add(InputError("emep_3000_frequencies_little_data", EmepRun(Join(WithField(emep, 1, 41, 5, "3000")), one_point),
                   "beach", static_cast<int>(emep.size()) + 1));
    // The directional values of the first frequency take in every record up to the end of the file.
    add(InputError("emep_200_directions_little_data", EmepRun(Join(WithField(emep, 1, 46, 5, "200")), one_point),
                   "beach", static_cast<int>(emep.size()) + 1));
    add(InputError("emep_point_count_2049", EmepRun(Join(emep), "2049\n"), "beach.pnt", 1));
    add(ConsoleStop("emep_point_count_2048_one_block", EmepRun(Join(emep), Join(EmepPointList(2048))),
                    Free(said::kEmepTooShort)));
    // Fault: direct_spec refused the empty table of a point list without points, hiding the driver's message.
    add(ConsoleStop("emep_point_count_zero", EmepRun(Join(emep), "    0\n"), Free(said::kNoPoints),
                    "the point list beach.pnt gives 0 points (line 1, columns 1-5)"));
    add(ConsoleStop("emep_point_count_negative", EmepRun(Join(emep), "   -7\n"), Free(said::kNoPoints)));

    const Lines ene = EneFile();
    const std::string ene_points = Join(EnePointList());
    auto count_error = [](const std::string& file, std::string_view rule, const std::string& value) {
      // The count is a free-format integer: twelve columns, right-justified.
      return std::string(" ") + std::string(said::kCountErrorStart) + file + ": " + std::string(rule) +
             std::string(12 - value.size(), ' ') + value;
    };
    for (const auto& [first, value, rule] :
         std::vector<std::tuple<int, std::string, std::string_view>>{{1, "3001", said::kEneFrequencyCountRule},
                                                                     {1, "0", said::kEneFrequencyCountRule},
                                                                     {1, "-6", said::kEneFrequencyCountRule},
                                                                     {6, "199", said::kEneDirectionCountRule},
                                                                     {6, "0", said::kEneDirectionCountRule},
                                                                     {6, "-3", said::kEneDirectionCountRule}}) {
      add(ConsoleStop("ene_count_col_" + std::to_string(first) + "_" + Safe(value),
                      EneRun(Join(WithField(ene, 1, first, 5, value)), ene_points),
                      count_error("ebm.out", rule, value)));
    }
    for (const std::string& value : {std::string("0"), std::string("-2")}) {
      add(ConsoleStop("ene_block_count_" + Safe(value), EneRun(Join(WithField(ene, 4, 1, 5, value)), ene_points),
                      count_error("ebm.out", said::kEneBlockCountRule, value)));
    }
    add(ConsoleStop("ene_point_count_2049", EneRun(Join(ene), Int5(2049) + Int5(501) + "\n"),
                    count_error("ebm.out.pnt", said::kEnePointCountRule, "2049")));
    // 3000 frequencies announced, six given: the frequency table takes in every record up to the end of the file.
    add(InputError("ene_3000_frequencies_little_data", EneRun(Join(WithField(ene, 1, 1, 5, "3000")), ene_points),
                   "ebm.out", static_cast<int>(ene.size()) + 1));
    // 99999 blocks announced, two given: the point is sought up to the end of the file.
    add(ConsoleStop(
        "ene_99999_blocks_two_given",
        EneRun(Join(WithField(ene, 4, 1, 5, "99999")), Int5(1) + Int5(501) + "\n" + Int5(7) + Int5(99) + "\n"),
        EneNotFoundLine(501, 99)));
    // A point that no block holds: one full ring, then the message.
    add(ConsoleStop(
        "ene_point_in_no_block",
        EneRun(Join(ene), Int5(2) + Int5(501) + "\n" + Int5(7) + Int5(12) + "\n" + Int5(8) + Int5(14) + "\n"),
        EneNotFoundLine(501, 14),
        "no spectrum block of ebm.out has the keys 501 and 14 of point 2 (ebm.out.pnt line 1, columns 6-10, and line "
        "3, columns 6-10)"));
    add(ConsoleStop("ene_point_count_zero", EneRun(Join(ene), Int5(0) + Int5(501) + "\n"), Free(said::kNoPoints),
                    "the point list ebm.out.pnt gives 0 points"));

    // Sspe: one pair more than the capacity.
    std::string many = "1.5 8.0 10.0\n";
    for (int j = 1; j <= 3001; ++j) many += Fixed("%.6f", 0.01 + 0.0001 * j) + " 1.0\n";
    add(BadInput{"sspe_3001_pairs", SspeRun(many), Expect::kMessage,
                 "input error in swell.spc, line 3002: expected " + std::string(said::kExpectedAtMost3000Pairs), 0,
                 2, "", ""});

    add(ConsoleStop("component_count_1025", {{"cont.txt", ControlFor("JNS", "-", "1025")}},
                    Free(said::kTooManyComponents),
                    "cont.txt line 3, columns 11-20: the component count N reads 1025, above the largest count 1024"));
    // Fault: a count below 1 gave a component file without components and exit status 0.
    for (const char* count : {"0", "-3", ""}) {
      add(Explained(std::string("component_count_") + (count[0] == '\0' ? "blank" : Safe(count)),
                    {{"cont.txt", ControlFor("JNS", "-", count)}},
                    "cont.txt line 3, columns 11-20: the component count N reads " +
                        std::string(count[0] == '\0' ? "0: the field is blank" : count) + "; N must be 1 to 1024"));
    }
    // The count written one column too far left, its field left blank.
    {
      Files files{{"cont.txt", ControlFor("Sspe", "swell.spc")}, {"swell.spc", Join(SspeFile())}};
      files["cont.txt"].replace(files["cont.txt"].find("N_COMP            16"), 20, "N_COMP 512");
      add(Explained("component_count_in_the_label", files,
                    "N reads 0: the field is blank, and columns 8-10 of the label hold \"512\", which is not read"));
    }
    add(ConsoleStop("spectrum_type_lower_case", {{"cont.txt", ControlFor("jns", "-")}},
                    Free(testing::ShiftJis("設定スペクトルを確認してください")),
                    "cont.txt line 2, columns 11-14: the spectrum type reads \"jns\", which is none of JNS, Sspe, "
                    "Emep and Ene"));
    add(ConsoleStop("component_count_huge", {{"cont.txt", ControlFor("Sspe", "swell.spc", "2147483647")}},
                    Free(said::kTooManyComponents)));
    add(InputError("component_count_beyond_32_bits", {{"cont.txt", ControlFor("JNS", "-", "9999999999")}}, "cont.txt",
                   3));
  }

  // --- Settings that read but cannot be generated, or read as other values
  // than the ones meant. Fault: every one of these wrote a file with status 0
  // (components of amplitude 0, every direction 0, or the value of a slipped
  // field). Refused with the English line only: standard output ends where
  // the run stopped.
  {
    const auto control_with = [](const std::function<void(ControlValues&)>& change) {
      ControlValues values;
      change(values);
      return Files{{"cont.txt", ControlFileText(values)}};
    };
    const auto control_line = [](std::size_t line, const std::string& record) {
      std::vector<std::string> lines = testing::Lines(ControlFileText(ControlValues{}));
      lines[line - 1] = record;
      std::string text;
      for (const std::string& kept : lines) text += kept + "\n";
      return Files{{"cont.txt", text}};
    };
    const std::string layout_7 =
        "so that the record holds a label in columns 1-10, then H1/3 within columns 11-20, T1/3 within 21-30, Dirc. "
        "within 31-40 and gamma within 41-50, each number within its own ten columns (not separated by blanks as in "
        "free format)";
    add(Explained("slip_count_after_two_tabs", control_line(3, "N_COMP\t\t256"),
                  "cont.txt line 3, column 7: a tab character (and 1 more) in the record \"N_COMP<tab><tab>256\", "
                  "which reads the component count N = 6; a tab counts as one column, not a jump to a tab stop: write "
                  "blanks instead, so that the record holds a label in columns 1-10, then the component count N within "
                  "columns 11-20"));
    add(Explained("slip_count_one_column_early", control_line(3, "N_COMP   512"),
                  "cont.txt line 3, columns 10-11: the number \"512\" in the record \"N_COMP   512\" runs across the "
                  "start of the component count N field (columns 11-20), which alone is read and gives 12; move the "
                  "number into its field"));
    // Fault (before): the tabs of the field were shown as blank-looking gaps.
    add(Explained("slip_tabs_between_values", control_line(7, "H,T,DIR,G\t1.0\t10.0\t0.0\t3.3"),
                  "cont.txt line 7, column 10: a tab character (and 3 more) in the record "
                  "\"H,T,DIR,G<tab>1.0<tab>10.0<tab>0.0<tab>3.3\", which reads H1/3 = no number "
                  "(\"1.0<tab>10.0<tab>0\"), T1/3 = no number (\".0<tab>3.3\"), Dirc. = 0 and gamma = 0; a tab counts "
                  "as one column, not a jump to a tab stop: write blanks instead, " +
                      layout_7));
    add(Explained("slip_free_format_numbers", control_line(7, "H,T,DIR,G 1.0 10.0 0.0 3.3"),
                  "the number \"0.0\" in the record \"H,T,DIR,G 1.0 10.0 0.0 3.3\" runs across the start of the T1/3 "
                  "field (columns 21-30), which alone is read and gives no number (\".0 3.3\"); move the number into "
                  "its field, " +
                      layout_7));
    const std::string field_7 =
        "input error in cont.txt, line 7, columns 11-20: expected the H1/3 (m), a real number (F10.0) anywhere within "
        "its ten columns (blanks inside are ignored), found ";
    add(BadInput{
        "free_format_numbers_in_their_fields", control_line(7, "H,T,DIR,G  1.0 10.0 0.0 3.3"), Expect::kMessage,
        field_7 + "\" 1.0 10.0 \": numbers separated by blanks or commas, as in free format; write a label in columns "
                  "1-10, then H1/3 within columns 11-20",
        0, 2, "", ""});
    add(BadInput{"decimal_comma", control_with([](ControlValues& v) { v.height = "1,0"; }), Expect::kMessage,
                 field_7 + "\"       1,0\": a decimal comma; write a decimal point (1.5, not 1,5)", 0, 2, "", ""});
    add(BadInput{"control_file_empty",
                 {{"cont.txt", ""}},
                 Expect::kMessage,
                 "wavecomp: input error in cont.txt, line 1: expected a title line, then eight lines of settings, each "
                 "value from column 11: the spectrum type, the component count N, Smax, the input and the output file "
                 "name, H1/3, T1/3, Dirc. and gamma, fmin and fmax, and the random seed, found the end of the file: "
                 "the file is empty; write those nine lines (wavecomp --help shows them with their columns)\n",
                 0,
                 2,
                 "",
                 ""});

    const std::string version = Free("Ver.r1c");
    const std::string range =
        " Hz (the value read + 0.000001): the range holds no frequency, so the components would "
        "carry no energy; give fmax above fmin";
    add(ConsoleStop("jonswap_fmax_blank", control_with([](ControlValues& v) { v.fmax = ""; }), version,
                    "wavecomp: fmax (cont.txt line 8, columns 21-30) is 0 Hz (a blank field reads 0), not above fmin "
                    "0.010001" +
                        range));
    add(ConsoleStop("jonswap_fmax_equal_to_fmin", control_with([](ControlValues& v) { v.fmin = v.fmax = "0.1"; }),
                    version, "fmax (cont.txt line 8, columns 21-30) is 0.1 Hz, not above fmin 0.100001" + range));
    add(ConsoleStop("jonswap_fmax_below_fmin", control_with([](ControlValues& v) { v.fmax = "0.005"; }), version,
                    "fmax (cont.txt line 8, columns 21-30) is 0.005 Hz, not above fmin 0.010001" + range));
    for (const char* height : {"0.0", "-1.0", ""}) {
      add(ConsoleStop(std::string("jonswap_height_") + (height[0] == '\0' ? "blank" : Safe(height)),
                      control_with([&](ControlValues& v) { v.height = height; }), version,
                      "wavecomp: H1/3 (cont.txt line 7, columns 11-20) is " +
                          std::string(height[0] == '-' ? "-1" : "0") +
                          " m: a JONSWAP sea needs a wave height above 0"));
    }
    add(ConsoleStop("jonswap_gamma_beyond_its_field", control_with([](ControlValues& v) { v.gamma = "1E300"; }),
                    version,
                    "wavecomp: gamma (cont.txt line 7, columns 41-50) is 1e+300, too large for line 2 of the "
                    "component file, which holds gamma in ten columns with one decimal (below 99999999.95)"));
    add(ConsoleStop("jonswap_period_without_energy", control_with([](ControlValues& v) { v.period = "1E300"; }),
                    version,
                    "wavecomp: the JONSWAP spectrum of H1/3 1 m, T1/3 1e+300 s and gamma 3.3 (cont.txt line 7) holds "
                    "no energy between fmin 0.010001 and fmax 1 Hz"));
    add(ConsoleStop("jonswap_range_within_one_step", control_with([](ControlValues& v) {
                      v.fmin = "0.1";
                      v.fmax = "0.100005";
                    }),
                    version, "holds no energy between fmin 0.100001 and fmax 0.100005 Hz"));
    for (const char* smax : {"-1.0", "-1E300"}) {
      add(ConsoleStop(
          std::string("jonswap_smax_") + Safe(smax), control_with([&](ControlValues& v) { v.smax = smax; }), version,
          "wavecomp: Smax (cont.txt line 4, columns 11-20) is " + std::string(smax[2] == 'E' ? "-1e+300" : "-1") +
              ", below 0: the cos^2s spreading needs s of 0 or more"));
    }
    for (const char* direction : {"91.0", "250.0", "-100.0"}) {
      const std::string degrees = std::string(direction).substr(0, std::string(direction).find('.'));
      add(ConsoleStop("jonswap_direction_" + Safe(direction),
                      control_with([&](ControlValues& v) { v.direction = direction; }), version,
                      "wavecomp: the principal direction Dirc. (cont.txt line 7, columns 31-40) is " + degrees +
                          " deg, outside -90..+90, and Smax 10 (below 999) spreads the sea around it"));
    }
    Lines sspe = SspeFile();
    sspe[0].text = "1.5 10.0 100.0";
    add(ConsoleStop("sspe_direction_100", SspeRun(Join(sspe)), Free("finished direct_spec"),
                    "wavecomp: the principal direction Dirc. (the third value of the first line of swell.spc) is 100 "
                    "deg, outside -90..+90"));
    const std::string negative =
        " is below 0: a spectrum is energy per frequency (and direction) and cannot be below "
        "0, and the components would carry a wrong energy; correct the value in that file";
    sspe = SspeFile();
    sspe[2].text = "0.10 -2.0";
    add(ConsoleStop("sspe_density_negative", SspeRun(Join(sspe)), "      1.50     10.00     10.00",
                    "wavecomp: swell.spc line 3: the spectral density -2 m^2 s at 0.1 Hz" + negative));
    sspe = SspeFile();
    for (std::size_t k = 1; k < sspe.size(); ++k) sspe[k].text = sspe[k].text.substr(0, 5) + "0.0";
    add(ConsoleStop("sspe_without_energy", SspeRun(Join(sspe)), Free("finished ReadSpec"),
                    "wavecomp: input spectrum: its energy is 0 (every density of the table is 0), so every component "
                    "would have amplitude 0; no component wave file was written"));
    const Lines emep = EmepFile(2);
    const std::string emep_points = Join(EmepPointList(2));
    add(ConsoleStop(
        "emep_density_negative", EmepRun(Join(WithField(emep, 2, 13, 12, "-1.00000E-01")), emep_points),
        emep[1].text,  // the echo of the first point header
        "wavecomp: beach line 3, columns 13-24: the frequency spectrum S -0.1 m^2 s of point 1 at 0.05 Hz" + negative));
    add(ConsoleStop("emep_directional_value_negative",
                    EmepRun(Join(WithField(emep, 3, 13, 12, "-1.00000E-03")), emep_points), emep[1].text,
                    "wavecomp: beach line 4, columns 13-24: the directional spectrum value -0.001 at -135 deg of point "
                    "1 at 0.05 Hz" +
                        negative));
    const Lines ene = EneFile();
    const std::string ene_points = Join(EnePointList());
    add(ConsoleStop(
        "ene_energy_negative", EneRun(Join(WithField(ene, 10, 21, 10, "-0.100E-02")), ene_points), version,
        "wavecomp: ebm.out line 11, columns 21-30: the energy -0.001 m^2 of point 1 at 0.07 Hz and -45 deg" +
            negative));
    add(ConsoleStop("ene_bandwidth_zero", EneRun(Join(WithField(ene, 3, 1, 10, "0.000E+00")), ene_points), version,
                    "wavecomp: ebm.out line 4, columns 1-10: the bandwidth 0 Hz of frequency 1 (0.05 Hz) is not above "
                    "0, so its densities (energy / bandwidth) are not numbers or below 0"));
    Lines calm = EneFile();
    for (std::size_t k : {6u, 7u, 8u, 10u, 11u, 12u}) {
      std::string group = calm[k].text.substr(0, 10);
      for (int l = 0; l < kEneFrequencies; ++l) group += Fixed("%10.3E", 0.0);
      calm[k].text = group;
    }
    add(ConsoleStop("ene_without_energy", EneRun(Join(calm), ene_points), " Hm0_spl=   0.0000000000000000     ",
                    "wavecomp: input spectrum: its energy is 0"));
  }

  // --- Finite values whose results are not finite: refused before any file.
  {
    ControlValues jonswap;
    jonswap.height = "1E300";
    add(BadInput{"jonswap_energy_overflows",
                 {{"cont.txt", ControlFileText(jonswap)}},
                 Expect::kMessage,
                 std::string(said::kJonswapEnergyNotFinite),
                 0,
                 1,
                 "",
                 ""});
    Lines sspe = SspeFile();
    sspe[2].text = "0.10 1.7E308";
    sspe[3].text = "0.15 1.7E308";
    // Fault: an energy that overflowed was reported as a band the spline could not fill.
    add(BadInput{"sspe_energy_overflows", SspeRun(Join(sspe)), Expect::kMessage,
                 std::string(said::kSpectrumEnergyNotFinite), 0, 2, "", ""});
  }

  // --- A table whose spline holds far less energy than its trapezoids: the
  // band walk past the table is bounded and the run ends with its message.
  {
    // Found by fuzzing: the walk spends its whole bound (10^7 fine steps) before it gives up.
    Files files = SspeRun("1.7 8 10\n0.05 4.0\n0.1 3.0\n0.15 1.0\n4.2 0.2120E-02\n");
    files["cont.txt"] = ControlFor("Sspe", "swell.spc", "4");
    add(BadInput{"sspe_band_walk_reaches_its_bound", files, Expect::kMessage,
                 "component band 3 of 4" + std::string(said::kBandCannotBeFilled), 0, 2, "", ""});
  }

  {
    // Fault (found by fuzzing): a band ended far before the table's start and the next one walked towards it for ever.
    Files files = SspeRun("1.5 8 090\n.05 5.555555555555555E155\n0.15 0\n0.2 0.2\n");
    files["cont.txt"] = ControlFor("Sspe", "swell.spc", "4");
    add(BadInput{"sspe_band_ends_before_the_table", files, Expect::kMessage,
                 "component band 2 of 4" + std::string(said::kBandWalkOutsideTable), 0, 2, "", ""});
  }

  // --- Output files that cannot be written. Only a name that is taken gives
  // the program's line; the English line names the file and what to do.
  {
    const std::string taken = "wavecomp: the output file wave.dat exists, and a run never replaces one;";
    Files exists = SspeRun(Join(SspeFile()));
    exists["wave.dat"] = "an earlier result\n";
    add(ExplainedStop("output_exists_single_point", exists, Free(said::kErrorExistOutFile), taken));
    Files exists_multi = EmepRun(Join(EmepFile(2)), Join(EmepPointList(2)));
    exists_multi["wave.dat"] = "an earlier result\n";
    add(ExplainedStop("output_exists_multi_point", exists_multi, Free(said::kErrorFileName), taken));
    // Fault: the refused JNS run had already replaced jonswap.spe, which no longer matched wave.dat.
    add(ExplainedStop("output_exists_jonswap_spe_kept",
                      {{"cont.txt", ControlFor("JNS", "-")},
                       {"wave.dat", "an earlier result\n"},
                       {"jonswap.spe", "the earlier result's spectrum\n"}},
                      Free(said::kErrorExistOutFile), taken));
    Files onto_input = SspeRun(Join(SspeFile()));
    onto_input["cont.txt"].replace(onto_input["cont.txt"].find("wave.dat"), 8, "swell.spc");
    add(ExplainedStop("output_name_is_the_input_file", onto_input, Free(said::kErrorExistOutFile),
                      "wavecomp: the output file swell.spc exists"));

    // Fault: every one of these was reported as an existing file, status 1.
    const std::string no_folder = "No such file or directory";
    const std::string folder = "Is a directory";
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> names = {
        {"output_in_unwritable_folder", "/proc/wave.dat", "/proc/wave.dat", ""},  // not writable even for root
        {"output_in_missing_folder", "no_such_folder/wave.dat", "no_such_folder/wave.dat", no_folder},
        {"output_name_blank", "", "\"\"", "the name is empty"},
        {"output_name_dot", ".", ".", folder},
        {"output_name_ends_in_slash", "out/", "out/", folder},
        // Fault: the name was cut at the NUL and "wa" created.
        {"output_name_holds_nul", std::string("wa\0ve.dat", 9), "wa\\x00ve.dat",
         "the name holds a control character (byte 0x00 at position 3)"},
    };
    for (const auto& [label, name, shown, reason] : names) {
      ControlValues single;
      single.output_file = name;
      add(CreateFailure(label, {{"cont.txt", ControlFileText(single)}}, shown, reason));
      Files multi = EmepRun(Join(EmepFile(2)), Join(EmepPointList(2)));
      multi["cont.txt"] = ControlFor("Emep", "beach");
      multi["cont.txt"].replace(multi["cont.txt"].find("wave.dat"), 8, name);
      add(CreateFailure(label + "_multi_point", multi, shown, reason));
    }
  }
  return cases;
}

// ---------------------------------------------------------------------------
// Running a case.

using Snapshot = std::map<std::string, std::string>;  // file name -> bytes ("<dir>" for folders)

Snapshot Take(const ScratchDir& dir) {
  Snapshot files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    const std::string name = std::filesystem::relative(entry.path(), dir.path()).string();
    if (entry.is_directory()) {
      files[name] = "<dir>";
      continue;
    }
    if (entry.file_size() > (std::uintmax_t{16} << 20)) {  // a made-up input of gigabytes
      files[name] = "<" + std::to_string(entry.file_size()) + " bytes>";
      continue;
    }
    std::ifstream stream(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    files[name] = bytes.str();
  }
  return files;
}

std::string LastLine(const std::string& text) {
  std::string body = text;
  while (!body.empty() && body.back() == '\n') body.pop_back();
  const std::size_t start = body.rfind('\n');
  return start == std::string::npos ? body : body.substr(start + 1);
}

// One line on standard error, "wavecomp: " and the explanation holding `part`.
void ExpectExplained(const std::string& err, const std::string& part) {
  EXPECT_EQ(err.rfind("wavecomp: ", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find(part), std::string::npos) << "expected " << part << "\nstderr: " << err;
}

void ExpectRefused(const ScratchDir& dir, const BadInput& c, const RunResult& result, const Snapshot& before) {
  EXPECT_EQ(result.exit_status, c.status) << "stdout:\n" << result.out << "\nstderr:\n" << result.err;
  switch (c.expect) {
    case Expect::kConsoleLine:
      EXPECT_EQ(LastLine(result.out), c.text) << "stderr: " << result.err;
      ExpectExplained(result.err, c.err);
      break;
    case Expect::kExplanation:
      EXPECT_EQ(result.out, "");
      ExpectExplained(result.err, c.err);
      break;
    case Expect::kInputError: {
      const std::string prefix = "wavecomp: input error in " + c.text + ", line " + std::to_string(c.line);
      EXPECT_EQ(result.err.rfind(prefix, 0), 0u) << "expected " << prefix << "\nstderr: " << result.err;
      const char after = result.err.size() > prefix.size() ? result.err[prefix.size()] : '\0';
      EXPECT_TRUE(after == ':' || after == ',') << result.err;
      break;
    }
    case Expect::kSilentStop:
      EXPECT_EQ(LastLine(result.out), Free(said::kQuestion3));
      ExpectExplained(result.err, c.err);
      break;
    case Expect::kMessage:
      EXPECT_NE((result.out + result.err).find(c.text), std::string::npos) << result.out << result.err;
      break;
  }
  if (c.status == 3) {
    EXPECT_EQ(result.out.find(said::kErrorExistOutFile), std::string::npos);
    EXPECT_EQ(result.out.find(said::kErrorFileName), std::string::npos);
  }
  EXPECT_EQ(Take(dir), before) << "the folder changed";
}

void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The dry run is the run with nothing published: it ends as the run ends,
// with the same status and the same first line on standard error. Only the
// point-list question differs: the dry run reads on as if it were answered Y.
TEST_P(BadInputTest, EndsWithItsMessageAndLeavesTheFolderAsItWas) {
  const BadInput& c = GetParam();
  ScratchDir dir;
  for (const auto& [name, content] : c.files) dir.Write(name, content);
  const Snapshot before = Take(dir);
  const RunResult result = RunWavecomp(dir, c.input);
  ExpectRefused(dir, c, result, before);
  if (c.expect == Expect::kSilentStop) return;
  const RunResult dry = testing::RunProgram(WAVECOMP_EXE, dir.path(), {"--dry-run"}, c.input);
  EXPECT_EQ(dry.exit_status, result.exit_status) << "dry run:\n" << dry.out << dry.err;
  EXPECT_EQ(FirstLine(dry.err), FirstLine(result.err));
  EXPECT_EQ(Take(dir), before) << "the dry run changed the folder";
}

std::string CaseName(const ::testing::TestParamInfo<BadInput>& parameter) { return parameter.param.name; }

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest, ::testing::ValuesIn(AllCases()), CaseName);

// ---------------------------------------------------------------------------
// Cases that need more than a table row.

// The valid runs of the four types, as written by an editor on Windows
// (`end` CR LF, every file started by `mark`).
std::map<std::string, Files> ValidRuns(const std::string& end, const std::string& mark = "") {
  auto crlf = [&](const std::string& text) {
    std::string out = mark;
    for (char c : text) {
      if (c == '\n') {
        out += end;
      } else {
        out += c;
      }
    }
    return out;
  };
  std::map<std::string, Files> runs;
  runs["JNS"] = {{"cont.txt", crlf(ControlFor("JNS", "-"))}};
  runs["Sspe"] = {{"cont.txt", crlf(ControlFor("Sspe", "swell.spc"))}, {"swell.spc", crlf(Join(SspeFile()))}};
  runs["Emep"] = {{"cont.txt", crlf(ControlFor("Emep", "beach"))},
                  {"beach", crlf(Join(EmepFile(2)))},
                  {"beach.pnt", crlf(Join(EmepPointList(2)))}};
  runs["Ene"] = {{"cont.txt", crlf(ControlFor("Ene", "ebm.out"))},
                 {"ebm.out", crlf(Join(EneFile()))},
                 {"ebm.out.pnt", crlf(Join(EnePointList()))}};
  return runs;
}

struct Outcome {
  RunResult result;
  std::string wave;
  std::string jonswap;
};

Outcome RunFiles(const Files& files, const std::string& input = "") {
  ScratchDir dir;
  for (const auto& [name, content] : files) dir.Write(name, content);
  Outcome outcome{RunWavecomp(dir, input), "", ""};
  if (dir.Exists("wave.dat")) outcome.wave = dir.Read("wave.dat");
  if (dir.Exists("jonswap.spe")) outcome.jonswap = dir.Read("jonswap.spe");
  return outcome;
}

TEST(BadInputLineEnds, WindowsLineEndsGiveTheSameOutputBytes) {
  const std::map<std::string, Files> lf = ValidRuns("\n");
  const std::string mark = "\xef\xbb\xbf";
  // Fault: a file that started with a UTF-8 byte-order mark was refused.
  for (const auto& [end, start] :
       {std::pair{"\r\n", ""}, std::pair{"\n", mark.c_str()}, std::pair{"\r\n", mark.c_str()}}) {
    const std::map<std::string, Files> windows = ValidRuns(end, start);
    for (const auto& [type, files] : lf) {
      SCOPED_TRACE(type + (*start == '\0' ? "" : " with a byte-order mark"));
      const Outcome unix_run = RunFiles(files);
      const Outcome windows_run = RunFiles(windows.at(type));
      ASSERT_EQ(unix_run.result.exit_status, 0) << unix_run.result.err;
      EXPECT_EQ(windows_run.result.exit_status, 0) << windows_run.result.err;
      EXPECT_FALSE(unix_run.wave.empty());
      EXPECT_EQ(windows_run.wave, unix_run.wave);
      EXPECT_EQ(windows_run.jonswap, unix_run.jonswap);
      EXPECT_EQ(windows_run.result.out, unix_run.result.out);
    }
  }
  const std::map<std::string, Files> crlf = ValidRuns("\r\n");
  // A Windows answer to the point-list question counts as the same answer.
  Files no_list = lf.at("Emep");
  no_list.erase("beach.pnt");
  no_list["beach"] = Join(EmepFile(1, false));
  const Outcome typed = RunFiles(no_list, "Y\n");
  const Outcome typed_on_windows = RunFiles(no_list, "Y\r\n");
  EXPECT_EQ(typed.result.exit_status, 0) << typed.result.err;
  EXPECT_EQ(typed_on_windows.wave, typed.wave);
}

// File names use all 200 columns of their cont.txt fields; longer names are
// cut at 200 characters, as the field holds no more.
TEST(BadInputNames, FileNamesOf200CharactersWork) {
  const std::string input_name = std::string(196, 's') + ".spc";
  const std::string output_name = std::string(196, 'w') + ".dat";
  ASSERT_EQ(input_name.size(), 200u);
  ControlValues values;
  values.type = "Sspe";
  values.count = "16";
  values.input_file = input_name;
  values.output_file = output_name;
  ScratchDir dir;
  dir.Write("cont.txt", ControlFileText(values));
  dir.Write(input_name, Join(SspeFile()));
  const RunResult result = RunWavecomp(dir);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(dir.Exists(output_name));

  // One character more: the name read is the first 200, which does not exist.
  ScratchDir longer;
  values.input_file = input_name + "x";
  values.output_file = "wave.dat";
  longer.Write("cont.txt", ControlFileText(values));
  longer.Write(input_name + "x", Join(SspeFile()));
  const RunResult cut = RunWavecomp(longer);
  EXPECT_EQ(cut.exit_status, 1);
  EXPECT_EQ(LastLine(cut.out), Free(said::kFileNotFind));
  EXPECT_FALSE(longer.Exists("wave.dat"));

  // The Emep point list of a 200-character name is 204 characters long.
  ScratchDir emep;
  values.type = "Emep";
  values.input_file = input_name;
  emep.Write("cont.txt", ControlFileText(values));
  emep.Write(input_name, Join(EmepFile(2)));
  emep.Write(input_name + ".pnt", Join(EmepPointList(2)));
  const RunResult multi = RunWavecomp(emep);
  EXPECT_EQ(multi.exit_status, 0) << multi.err;
  EXPECT_TRUE(emep.Exists("wave.dat"));
}

// cont.txt that is a link to an endless device is refused like a missing one.
TEST(BadInputNames, ControlFileThatIsADeviceIsNotRead) {
  ScratchDir dir;
  std::filesystem::create_symlink("/dev/zero", dir.PathOf("cont.txt"));
  const RunResult result = RunWavecomp(dir);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(LastLine(result.out), "   " + std::string(said::kCannotOpenControlFile));
}

TEST(BadInputOutput, OutputNameThatIsAFolderIsLeftAlone) {
  for (const std::string& type : {std::string("Sspe"), std::string("Emep")}) {
    SCOPED_TRACE(type);
    ScratchDir dir;
    const std::map<std::string, Files> runs = ValidRuns("\n");
    for (const auto& [name, content] : runs.at(type)) dir.Write(name, content);
    std::filesystem::create_directory(dir.PathOf("wave.dat"));
    dir.Write("wave.dat/inside", "kept\n");
    const Snapshot before = Take(dir);
    const RunResult result = RunWavecomp(dir);
    EXPECT_EQ(result.exit_status, 3);
    EXPECT_EQ(result.err, "wavecomp: cannot create wave.dat: Is a directory; no file was made (check the name, and "
                          "that its folder exists and may be written to)\n");
    EXPECT_EQ(Take(dir), before);
  }
}

// jonswap.spe replaces only an earlier file, and the component file nothing
// at all: neither goes over a device, FIFO, socket or folder, nor over a link
// to cont.txt, and whatever was there is left as it was.
// Fault: a jonswap.spe that was a FIFO or a device node was replaced by a
// regular file.
TEST(BadInputOutput, NeverPublishesOverADeviceAFifoASocketOrAnInput) {
  ControlValues values;
  values.fmax = "0.3";  // a short jonswap.spe
  for (const std::string output : {"jonswap.spe", "wave.dat"}) {
    for (const testing::HostileTarget& target : testing::kHostileTargets) {
      SCOPED_TRACE(output + " is " + target.label);
      ScratchDir dir;
      dir.Write("cont.txt", ControlFileText(values));
      if (!testing::MakeHostile(dir, output, target.kind, "cont.txt")) continue;
      const std::string before = testing::Fingerprint(dir.PathOf(output));
      const RunResult result = RunWavecomp(dir);
      const std::string reason = testing::Refusal(target, "cont.txt");
      if (reason.empty()) {
        EXPECT_EQ(result.exit_status, 3);
        EXPECT_EQ(result.err, "wavecomp: cannot create " + output +
                                  ": Is a directory; no file was made (check the name, and that its folder exists "
                                  "and may be written to)\n");
      } else if (output == "wave.dat") {
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(LastLine(result.out), " " + std::string(said::kErrorExistOutFile));
        EXPECT_EQ(result.err.rfind("wavecomp: the output file wave.dat exists, and a run never replaces one;", 0), 0u);
      } else {
        EXPECT_EQ(result.exit_status, 3);
        EXPECT_EQ(result.err, "wavecomp: will not replace jonswap.spe: " + reason + "; no file was written or changed\n");
      }
      EXPECT_EQ(testing::Fingerprint(dir.PathOf(output)), before);
      EXPECT_FALSE(dir.Exists(output == "wave.dat" ? "jonswap.spe" : "wave.dat"));
    }
  }
}

TEST(BadInputOutput, FolderWithoutWritePermissionGetsNoFile) {
  // Permission bits do not stop root (CI runs as root); the unwritable /proc
  // case of the table covers a folder that refuses files there.
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not apply to root";
  ScratchDir dir;
  const std::map<std::string, Files> runs = ValidRuns("\n");
  for (const auto& [name, content] : runs.at("Sspe")) dir.Write(name, content);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  const Snapshot before = Take(dir);
  const RunResult result = RunWavecomp(dir);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(result.err.rfind("wavecomp: cannot create wave.dat: Permission denied", 0), 0u) << result.err;
  EXPECT_EQ(Take(dir), before);
}

struct ChildResult {
  int exit_status = -1;
  std::string out;
};

// Runs the program with standard input taken from `input_path`, or closed
// when it is null; standard error is not kept.
ChildResult RunWithStandardInput(const ScratchDir& dir, const char* input_path) {
  int out_pipe[2];
  if (::pipe(out_pipe) != 0) return {};
  const pid_t child = ::fork();
  if (child < 0) return {};
  if (child == 0) {
    ::close(0);
    if (input_path != nullptr && ::open(input_path, O_RDONLY) != 0) ::_exit(125);
    ::dup2(out_pipe[1], 1);
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(125);
    // A program that reads an endless input for ever is ended, not waited for.
    ::alarm(30);
    ::execl(WAVECOMP_EXE, WAVECOMP_EXE, static_cast<char*>(nullptr));
    ::_exit(126);
  }
  ::close(out_pipe[1]);
  ChildResult result;
  char buffer[4096];
  for (ssize_t got; (got = ::read(out_pipe[0], buffer, sizeof buffer)) > 0;) {
    result.out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(out_pipe[0]);
  int status = 0;
  if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}

// Standard input not even open (a service, or a script with "<&-"), or one
// endless line (a device): the question gets no usable answer and the run
// stops without a file.
TEST(BadInputAnswer, UnusableStandardInputStopsAtTheQuestion) {
  // Fault: an answer line without an end was read without bound, filling the memory.
  for (const char* input : {static_cast<const char*>(nullptr), "/dev/zero"}) {
    SCOPED_TRACE(input == nullptr ? "closed" : input);
    ScratchDir dir;
    dir.Write("cont.txt", ControlFor("Emep", "beach"));
    dir.Write("beach", Join(EmepFile(1)));
    const Snapshot before = Take(dir);
    const ChildResult result = RunWithStandardInput(dir, input);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(LastLine(result.out), Free(said::kQuestion3));
    EXPECT_EQ(Take(dir), before);
  }
}

// ---------------------------------------------------------------------------
// A hostile but ordinary environment: signals at any moment, a reader that
// goes away, a file size limit, a full device as standard output, inputs of
// gigabytes. The folder is left as it was in every case.

struct Hostile {
  std::string name;
  std::function<Files()> files;  // made when the case runs: some are large
  std::function<void(const ScratchDir&)> prepare = nullptr;  // files too large for `files`
  const char* program = WAVECOMP_EXE;
  std::vector<std::string> arguments;  // kGate stands for a FIFO the program reads
  // Standard input: nothing, or written without end by another process,
  // `yes` (short lines) or one line that never ends.
  enum class In { kNull, kEndlessLines, kEndlessLine } in = In::kNull;
  enum class Out { kNull, kClosedPipe, kFull } out = Out::kNull;
  rlim_t file_limit = RLIM_INFINITY;
  rlim_t memory_limit = RLIM_INFINITY;  // of address space
  int signal = 0;    // sent after `after_ms`
  int after_ms = 0;
  int status = 0;    // exit status when not ended by `signal`
  std::string err;   // a part of standard error
  long max_rss_mb = 0;  // peak memory the run may use, when not 0
};

// An argument naming the FIFO a case's program waits at: the signal is sent
// once the program has opened it (its handlers are installed by then), not
// after a guessed delay.
const std::string kGate = "<gate FIFO>";

// A multi-point Emep run of some seconds: 2000 points and 1024 components.
Files LongMultiPointRun() {
  Files files = EmepRun(Join(EmepFile(2000)), Join(EmepPointList(2000)));
  files["cont.txt"] = ControlFor("Emep", "beach", "1024");
  return files;
}

// A JNS run beside the spectrum of an earlier run.
Files JonswapBesideEarlierSpectrum() {
  return {{"cont.txt", ControlFor("JNS", "-")}, {"jonswap.spe", "an earlier spectrum\n"}};
}

// A sparse input of 1 GiB of zeros after `head`.
std::function<void(const ScratchDir&)> SparseInput(std::string name, std::string head) {
  return [=](const ScratchDir& dir) {
    dir.Write(name, head);
    std::filesystem::resize_file(dir.PathOf(name), std::uintmax_t{1} << 30);
  };
}

Hostile HostileCase(std::string name, std::function<Files()> files) {
  Hostile c;
  c.name = std::move(name);
  c.files = std::move(files);
  return c;
}

// The checker and the importer end as wavecomp does.
void AddCheckerAndImporterCases(std::vector<Hostile>& cases) {
  struct Program {
    std::string name;
    const char* path;
    Files files;
    std::vector<std::string> arguments;  // FILE stands for its input
  };
  std::vector<Program> programs;
#ifdef WAVECOMP_CHECK_EXE
  programs.push_back(
      {"check",
       WAVECOMP_CHECK_EXE,
       {{"wave.dat", testing::ReadFile(testing::SourcePath("tests/data/golden/examples_jonswap/wave.dat"))}},
       {"--svg", "plot.svg", "FILE"}});
#endif
  programs.push_back({"import",
                      WAVECOMP_IMPORT_EXE,
                      {{"sea.sp2", testing::Swan2D({testing::SyntheticSea{}}, testing::SwanLayout{}).text}},
                      {"swan", "FILE", "--normal-from", "270", "--out", "coast"}});
  for (const Program& program : programs) {
    const std::string input = program.files.begin()->first;
    const auto with = [&](const std::string& file) {
      std::vector<std::string> arguments = program.arguments;
      std::replace(arguments.begin(), arguments.end(), std::string("FILE"), file);
      return arguments;
    };
    const std::string prefix = program.name == "check" ? "wavecomp-check: " : "wavecomp-import: ";
    const auto add = [&](const std::string& name, const std::string& file) -> Hostile& {
      Hostile& c =
          cases.emplace_back(HostileCase(program.name + "_" + name, [files = program.files] { return files; }));
      c.program = program.path;
      c.arguments = with(file);
      return c;
    };
    // Fault: neither program had a signal handler (every signal on both roads: tests/core/signals_test.cpp).
    Hostile& stopped = add("terminated_while_waiting_for_its_input", kGate);
    stopped.signal = SIGTERM;
    stopped.err = prefix + "told to terminate (SIGTERM); the run stopped and no file was written or changed";
    // Fault: "ulimit -f" killed both by SIGXFSZ (status 153) without a word.
    Hostile& limit = add("file_size_limit", input);
    limit.file_limit = 1024;
    limit.status = 3;
    limit.err = ": File too large; no file was written or changed";
    // Fault: a full standard output gave status 0, and the importer published its files.
    Hostile& full = add("standard_output_full", input);
    full.out = Hostile::Out::kFull;
    full.status = 3;
    full.err = prefix + "cannot write standard output: No space left on device";
    // Fault: the 1 MiB record limit applied only once the whole stream was held.
    Hostile& endless = add("stream_without_line_ends", "/dev/stdin");
    endless.in = Hostile::In::kEndlessLine;
    endless.status = 2;
    endless.err = prefix + "input error in /dev/stdin, line 1: expected a line of at most 1048576 characters";
    endless.max_rss_mb = 100;
  }
}

std::vector<Hostile> HostileCases() {
  std::vector<Hostile> cases;
  const std::map<int, std::string> said_by = {
      {SIGINT, "interrupted (SIGINT)"}, {SIGTERM, "told to terminate (SIGTERM)"}, {SIGKILL, ""}};
  for (const auto& [signal, said] : said_by) {
    // From a quarter second on: the program has long installed its handlers, also under the sanitizers.
    for (const int after_ms : {250, 700, 1500}) {
      Hostile c = HostileCase("signal_" + std::to_string(signal) + "_after_" + std::to_string(after_ms) + "ms",
                              LongMultiPointRun);
      c.signal = signal;
      c.after_ms = after_ms;
      c.err = said;
      cases.push_back(c);
    }
  }
  // Fault: "wavecomp | head -1" left the reservation and the temporary behind.
  Hostile pipe = HostileCase("reader_gone", JonswapBesideEarlierSpectrum);
  pipe.out = Hostile::Out::kClosedPipe;
  pipe.signal = SIGPIPE;
  pipe.err = "standard output was closed by its reader (SIGPIPE)";
  cases.push_back(pipe);
  // Fault: "ulimit -f 100" killed the run by SIGXFSZ with the same debris.
  Hostile limit = HostileCase("file_size_limit", JonswapBesideEarlierSpectrum);
  limit.file_limit = 100 * 1024;
  limit.status = 3;
  limit.err = "wavecomp: cannot write jonswap.spe: File too large; no file was written or changed";
  cases.push_back(limit);
  // Fault: a failed console write was ignored and the run ended with status 0.
  Hostile full = HostileCase("standard_output_full", JonswapBesideEarlierSpectrum);
  full.out = Hostile::Out::kFull;
  full.status = 3;
  full.err = "wavecomp: cannot write standard output: No space left on device; the run stopped and wrote no file";
  cases.push_back(full);
  // Fault: a 2 GiB input took 8 GB and a minute to be refused at its first line.
  const std::string too_long = ": expected a line of at most 1048576 characters, found a longer one";
  const auto sspe_run = [] { return Files{{"cont.txt", ControlFor("Sspe", "swell.spc")}}; };
  Hostile sspe = HostileCase("sparse_sspe_input", sspe_run);
  sspe.prepare = SparseInput("swell.spc", "");
  sspe.status = 2;
  sspe.err = "wavecomp: input error in swell.spc, line 1" + too_long;
  sspe.max_rss_mb = 100;
  cases.push_back(sspe);
  Hostile ene = HostileCase("sparse_ene_input_after_its_header", [] {
    return Files{{"cont.txt", ControlFor("Ene", "ebm.out")}, {"ebm.out.pnt", Join(EnePointList())}};
  });
  const Lines ene_lines = EneFile();
  ene.prepare = SparseInput("ebm.out", Join(Lines(ene_lines.begin(), ene_lines.begin() + 2)));
  ene.status = 2;
  ene.err = "wavecomp: input error in ebm.out, line 3" + too_long;
  ene.max_rss_mb = 100;
  cases.push_back(ene);
  // Fault: 256 MiB of blank lines took 4.5 GB; now the file's size and little more.
  Hostile blank = HostileCase("blank_lines", sspe_run);
  blank.prepare = [](const ScratchDir& dir) { dir.Write("swell.spc", std::string(std::size_t{32} << 20, '\n')); };
  blank.status = 2;
  blank.err = "wavecomp: input error in swell.spc, line 33554433";
  blank.max_rss_mb = 32 + 100;
  cases.push_back(blank);
  // Fault: "IN_FILE /dev/stdin" fed by yes grew by 450 MB/s until the memory was gone.
  Hostile yes = HostileCase("stream_past_its_bound", [] {
    return Files{{"cont.txt", ControlFor("Sspe", "/dev/stdin")}};
  });
  yes.in = Hostile::In::kEndlessLines;
  yes.status = 2;
  // 2^30 bytes of "y\n" are 2^29 lines; the refusal names the line after them.
  yes.err =
      "wavecomp: input error in /dev/stdin, line 536870913: expected at most 1073741824 bytes from a pipe or FIFO";
  yes.max_rss_mb = 1024 + 100;
  cases.push_back(yes);
  AddCheckerAndImporterCases(cases);
#ifndef __SANITIZE_ADDRESS__  // the sanitizers reserve terabytes of address space
  // Fault: a memory limit was reported as "not enough memory for the workspace".
  Hostile memory = HostileCase("memory_limit", sspe_run);
  memory.prepare = SparseInput("swell.spc", "");
  memory.memory_limit = rlim_t{512} << 20;
  memory.status = 1;
  memory.err = "wavecomp: not enough memory for the input file swell.spc (1073741824 bytes)";
  cases.push_back(memory);
#endif
  return cases;
}

void PrintTo(const Hostile& c, std::ostream* out) { *out << c.name; }

// This process's resident memory in MiB. A child's peak counts what it was
// forked with, even after exec.
long ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return 0;
}

class HostileTest : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileTest, LeavesTheFolderAsItWas) {
  const Hostile& c = GetParam();
  ScratchDir dir;
  ScratchDir logs;
  for (const auto& [name, content] : c.files()) dir.Write(name, content);
  if (c.prepare) c.prepare(dir);
  const Snapshot before = Take(dir);

  std::vector<std::string> arguments = c.arguments;
  const std::string gate = logs.PathOf("gate");
  if (std::find(arguments.begin(), arguments.end(), kGate) != arguments.end()) {
    ASSERT_EQ(::mkfifo(gate.c_str(), 0600), 0);
    std::replace(arguments.begin(), arguments.end(), kGate, gate);
  }
  std::vector<char*> argv{const_cast<char*>(c.program)};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const long forked_with_mb = ResidentMegabytes();
  int out_pipe[2] = {-1, -1};
  if (c.out == Hostile::Out::kClosedPipe) {
    ASSERT_EQ(::pipe(out_pipe), 0);
  }
  int in_pipe[2] = {-1, -1};
  pid_t feeder = -1;
  if (c.in != Hostile::In::kNull) {
    ASSERT_EQ(::pipe(in_pipe), 0);
    feeder = ::fork();
    if (feeder == 0) {
      // Writes until the reader is gone (SIGPIPE, or EPIPE where it is ignored), 3 GiB at most.
      ::close(in_pipe[0]);
      std::string block(std::size_t{1} << 16, 'y');
      if (c.in == Hostile::In::kEndlessLines) {
        for (std::size_t k = 1; k < block.size(); k += 2) block[k] = '\n';
      }
      for (int k = 0; k < 3 * (1 << 14) && ::write(in_pipe[1], block.data(), block.size()) > 0; ++k) {
      }
      ::_exit(0);
    }
    ASSERT_GT(feeder, 0);
  }
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{c.file_limit, c.file_limit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const rlimit memory{c.memory_limit, c.memory_limit};
    ::setrlimit(RLIMIT_AS, &memory);
    const int in = in_pipe[0] >= 0 ? in_pipe[0] : ::open("/dev/null", O_RDONLY);
    const int out = c.out == Hostile::Out::kClosedPipe ? out_pipe[1]
                                                       : ::open(c.out == Hostile::Out::kFull ? "/dev/full" : "/dev/null",
                                                                O_WRONLY);
    const int err = ::open(logs.PathOf("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::chdir(dir.path().c_str()) != 0) {
      ::_exit(125);
    }
    if (out_pipe[0] >= 0) ::close(out_pipe[0]);
    if (in_pipe[1] >= 0) ::close(in_pipe[1]);
    ::execv(c.program, argv.data());
    ::_exit(126);
  }
  ASSERT_GT(child, 0);
  if (c.out == Hostile::Out::kClosedPipe) {
    ::close(out_pipe[0]);  // the reader is gone before anything is written
    ::close(out_pipe[1]);
  }
  if (in_pipe[0] >= 0) {
    ::close(in_pipe[0]);
    ::close(in_pipe[1]);
  }
  int writer = -1;
  if (c.arguments != arguments) {
    // Opening the FIFO for writing succeeds once the program has it open for
    // reading; the program waits there until the writer is closed.
    int status = 0;
    while ((writer = ::open(gate.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && errno == ENXIO &&
           ::waitpid(child, &status, WNOHANG) == 0) {
      ::usleep(1000);
    }
    ASSERT_GE(writer, 0) << "the program did not open its input";
  }
  if (c.signal != 0 && c.signal != SIGPIPE) {
    if (writer < 0) ::usleep(static_cast<useconds_t>(c.after_ms) * 1000);
    ::kill(child, c.signal);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
  if (writer >= 0) ::close(writer);
  if (feeder > 0) ::waitpid(feeder, nullptr, 0);
  const std::string err = testing::ReadFile(logs.PathOf("err"));
  if (c.signal != 0) {
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the signal, status " << WEXITSTATUS(status) << err;
    EXPECT_EQ(WTERMSIG(status), c.signal);
  } else {
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status) << err;
  }
  EXPECT_NE(err.find(c.err), std::string::npos) << err;
  if (c.max_rss_mb > 0) {
    EXPECT_LT(usage.ru_maxrss / 1024, forked_with_mb + c.max_rss_mb);
  }
  EXPECT_EQ(Take(dir), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTest, ::testing::ValuesIn(HostileCases()),
                         [](const ::testing::TestParamInfo<Hostile>& tested) { return tested.param.name; });

}  // namespace
}  // namespace wavecomp
