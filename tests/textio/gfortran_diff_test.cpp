// Differential tests against gfortran: a small Fortran program formats and
// reads thousands of random and edge values with every descriptor the system
// uses, and textio must agree byte for byte (output) or bit for bit (input).
// Skipped when gfortran is not on PATH.
//
// Input differences that are ours by design (see records.h): gfortran reads
// a real with no mantissa digit ("+", ".", "e5") as zero, and NaN, Infinity
// and overflowing values as non-finite numbers; textio refuses all of them.
// Everything else gfortran refuses, textio must refuse too.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp::textio {
namespace {

using wavecomp::testing::Lines;
using wavecomp::testing::ScratchDir;

// Fixed so that a failure can be reproduced.
constexpr std::uint64_t kSeed = 20240607;
constexpr std::size_t kRandomReals = 4000;
constexpr std::size_t kRandomIntegers = 1500;
constexpr std::size_t kRandomFields = 2500;  // per input descriptor
constexpr std::size_t kRandomListValues = 2000;
constexpr std::size_t kMaxReported = 12;

struct Descriptor {
  char letter;  // I, F or E
  int w;
  int d;
  std::string Text() const {
    return std::string(1, letter) + std::to_string(w) + (letter == 'I' ? "" : "." + std::to_string(d));
  }
};

const Descriptor kRealOutputs[] = {{'F', 5, 2},   {'F', 7, 2},  {'F', 10, 1}, {'F', 10, 2}, {'F', 10, 4},
                                   {'F', 20, 15}, {'E', 10, 3}, {'E', 12, 5}, {'E', 15, 6}, {'E', 20, 8}};
const Descriptor kIntegerOutputs[] = {{'I', 4, 0}, {'I', 5, 0}, {'I', 10, 0}};
const Descriptor kInputs[] = {{'I', 5, 0}, {'I', 10, 0}, {'F', 10, 0}, {'F', 10, 4}, {'E', 10, 3}, {'E', 12, 5}};

// "(F5.2,"|",E10.3,"|")" for a list of descriptors.
std::string FortranFormat(const Descriptor* begin, const Descriptor* end) {
  std::string format = "'(";
  for (const Descriptor* d = begin; d != end; ++d) format += d->Text() + ",\"|\",";
  format.pop_back();
  return format + ")'";
}

std::string FortranProgram() {
  std::string program = R"(program textio_reference
  implicit none
  integer :: u, v, ios, n
  integer(8) :: bits
  real(8) :: x
  open(newunit=u, file='reals.txt', status='old', action='read')
  open(newunit=v, file='reals.out', status='replace', action='write')
  do
    read(u, '(Z16)', iostat=ios) bits
    if (ios /= 0) exit
    x = transfer(bits, x)
    write(v, REAL_FORMAT) x, x, x, x, x, x, x, x, x, x
    write(*, *) x
    write(*, *) 'mitgwd', x, 'ab'
  end do
  close(u)
  close(v)
  open(newunit=u, file='integers.txt', status='old', action='read')
  open(newunit=v, file='integers.out', status='replace', action='write')
  do
    read(u, *, iostat=ios) n
    if (ios /= 0) exit
    write(v, INTEGER_FORMAT) n, n, n
    write(*, *) n
    write(*, *) 'seed', n, 'x', 1.5d0, n
  end do
  close(u)
  close(v)
  call read_fields('in_I5.txt', '(I5)', 5, .true.)
  call read_fields('in_I10.txt', '(I10)', 10, .true.)
  call read_fields('in_F10.0.txt', '(F10.0)', 10, .false.)
  call read_fields('in_F10.4.txt', '(F10.4)', 10, .false.)
  call read_fields('in_E10.3.txt', '(E10.3)', 10, .false.)
  call read_fields('in_E12.5.txt', '(E12.5)', 12, .false.)
  call read_fields('in_list.txt', '*', 64, .false.)
contains
  subroutine read_fields(name, format, w, integer_field)
    character(len=*), intent(in) :: name, format
    integer, intent(in) :: w
    logical, intent(in) :: integer_field
    integer :: uin, uout, status, k
    real(8) :: y
    character(len=64) :: record
    open(newunit=uin, file=name, status='old', action='read')
    open(newunit=uout, file=name//'.out', status='replace', action='write')
    do
      read(uin, '(A)', iostat=status) record
      if (status /= 0) exit
      if (integer_field) then
        read(record(1:w), format, iostat=status) k
        if (status == 0) then
          write(uout, '(I0)') k
        else
          write(uout, '(A)') 'ERR'
        end if
      else
        if (format == '*') then
          read(record, *, iostat=status) y
        else
          read(record(1:w), format, iostat=status) y
        end if
        if (status == 0) then
          write(uout, '(Z16.16)') transfer(y, 0_8)
        else
          write(uout, '(A)') 'ERR'
        end if
      end if
    end do
    close(uin)
    close(uout)
  end subroutine
end program
)";
  const auto replace = [&](const std::string& key, const std::string& text) {
    program.replace(program.find(key), key.size(), text);
  };
  replace("REAL_FORMAT", FortranFormat(std::begin(kRealOutputs), std::end(kRealOutputs)));
  replace("INTEGER_FORMAT", FortranFormat(std::begin(kIntegerOutputs), std::end(kIntegerOutputs)));
  return program;
}

std::optional<std::string> FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

std::string Hex(double value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
  return text;
}

double FromDecimal(const std::string& text) {
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

class Random {
 public:
  std::uint64_t Bits() { return engine_(); }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(engine_() % n); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }
  std::string Digits(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>('0' + Below(10)));
    return text;
  }

 private:
  std::mt19937_64 engine_{kSeed};
};

std::vector<double> RealValues(Random& random) {
  std::vector<double> values = {
      0.0,
      1.5,
      0.5,
      0.99999996,
      9.9999996,
      0.1,
      0.125,
      0.375,
      0.05,
      0.35,
      2.5,
      99.99,
      99.995,
      999.995,
      0.00125,
      0.1255,
      1.0e99,
      1.0e100,
      9.9999995e99,
      9.99999995e98,
      1.0e-99,
      1.0e-100,
      0.99999995e-99,
      1.23e-300,
      1.23e300,
      1.0e8,
      1.0e9,
      1.0e15,
      1.0e16,
      1.0e17,
      99999999999999990.0,
      0.09999999999999999,
      std::numeric_limits<double>::max(),
      std::numeric_limits<double>::min(),
      std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
      0.004,
      0.005,
      0.0049999,
      0.04999,
      0.95,
      0.9999999,
      9.99995,
      99999.9,
      999999.95,
      9999999.95,
      99999999.95,
      0.5e-4,
      4.004000186920166,
      6.0078065e-7,
  };
  const std::size_t edges = values.size();
  for (std::size_t i = 0; i < edges; ++i) values.push_back(-values[i]);
  while (values.size() < kRandomReals) {
    const std::size_t kind = random.Below(4);
    double value = 0.0;
    if (kind == 0) {
      // Any bit pattern: every magnitude, subnormals, NaN payloads.
      value = std::bit_cast<double>(random.Bits());
    } else if (kind == 1) {
      // The magnitudes the files hold: 1e-12 .. 1e7.
      value = FromDecimal(random.Digits(1 + random.Below(17)) + "e" +
                          std::to_string(static_cast<int>(random.Below(20)) - 12 - 8));
    } else {
      // Near a rounding boundary: a decimal ending in 5 (a near tie) or a run
      // of nines (a carry), then one step up or down in binary.
      std::string digits = random.Digits(1 + random.Below(9));
      digits += kind == 2 ? "5" : std::string(3 + random.Below(6), '9');
      value = FromDecimal(
          digits + "e" + std::to_string(static_cast<int>(random.Below(16)) - 10 - static_cast<int>(digits.size()) + 1));
      const std::size_t step = random.Below(3);
      if (step == 1) value = std::nextafter(value, 0.0);
      if (step == 2) value = std::nextafter(value, 1.0e300);
    }
    values.push_back(random.OneIn(2) ? -value : value);
  }
  return values;
}

std::vector<std::int32_t> IntegerValues(Random& random) {
  std::vector<std::int32_t> values = {
      0,     1,     -1,     9,     -9,     999,    -999,       1000,       -1000,      9999,
      -9999, 10000, -10000, 99999, 100000, 999999, 1000000000, -999999999, 2147483647, -2147483647 - 1};
  while (values.size() < kRandomIntegers) {
    const std::string digits = random.Digits(1 + random.Below(10));
    std::int64_t magnitude = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    magnitude %= std::int64_t{1} << 31;
    values.push_back(static_cast<std::int32_t>(random.OneIn(2) ? -magnitude : magnitude));
  }
  return values;
}

// Inserts a blank at random places, then pads to a random width.
std::string Blur(Random& random, std::string text, int w) {
  for (std::size_t blanks = random.Below(3); blanks > 0; --blanks) text.insert(random.Below(text.size() + 1), " ");
  const std::size_t width = static_cast<std::size_t>(w);
  if (text.size() < width && random.OneIn(2))
    text.insert(0, width - text.size() - random.Below(width - text.size() + 1), ' ');
  return text;
}

std::string NumberText(Random& random, bool integer) {
  std::string text;
  const std::size_t sign = random.Below(4);
  if (sign == 1) text += '+';
  if (sign == 2) text += '-';
  if (integer) return text + random.Digits(random.Below(12));
  text += random.Digits(random.Below(7));
  if (!random.OneIn(4)) text += "." + random.Digits(random.Below(7));
  if (random.OneIn(2)) {
    const char* const forms[] = {"E", "e", "D", "d", "E+", "E-", "D-", "e+", "+", "-", "Q", "q"};
    text += forms[random.Below(std::size(forms))];
    text += random.Digits(random.OneIn(10) ? 0 : 1 + random.Below(3));
  }
  return text;
}

std::vector<std::string> FieldTexts(Random& random, const Descriptor& descriptor) {
  std::vector<std::string> texts = {"",
                                    " ",
                                    "+",
                                    "-",
                                    ".",
                                    "1.e5",
                                    "Infinity",
                                    "-Inf",
                                    "NaN",
                                    "1.5+3",
                                    "1.5-3",
                                    "1 2 3",
                                    "12345",
                                    "12345E2",
                                    "-12345",
                                    "1.5e",
                                    "e5",
                                    "1.5d+03",
                                    "1.5Q3",
                                    "--1",
                                    "+-1",
                                    "1,5",
                                    " 1.5E 3",
                                    "1.5E+",
                                    ".e5",
                                    "+.",
                                    "-.E1",
                                    "1.2.3",
                                    "1e5e5",
                                    " - 1 2",
                                    "2147483647",
                                    "2147483648",
                                    "-2147483648",
                                    "-2147483649",
                                    "1.5E400",
                                    "1.5E-400",
                                    "-1.5E-400",
                                    "1D1",
                                    "-0",
                                    "-0.0",
                                    "5.",
                                    "0x10",
                                    "1.5x",
                                    "12a",
                                    "   0.150000E+01",
                                    "  -0.12345E-05",
                                    "999999999999",
                                    "1+",
                                    "1E",
                                    "+1.5-0"};
  const bool integer = descriptor.letter == 'I';
  const char alphabet[] = "0123456789012345678901234567890123456789          ..++--EeDd";
  while (texts.size() < kRandomFields) {
    if (random.OneIn(3)) {
      std::string text;
      for (std::size_t n = random.Below(static_cast<std::size_t>(descriptor.w) + 3); n > 0; --n) {
        text.push_back(alphabet[random.Below(sizeof alphabet - 1)]);
      }
      texts.push_back(text);
    } else {
      texts.push_back(Blur(random, NumberText(random, integer), descriptor.w));
    }
  }
  return texts;
}

std::vector<std::string> ListTexts(Random& random) {
  std::vector<std::string> texts = {"1.5+3", "1.e5", ".5", "5.", "1D2",  "-0",  "+7",  "1.5q3",   "2*3.5",    "1,5",
                                    "+",     "-",    ".",  "e5", "1.5e", "Inf", "NaN", "1.5E400", "1.5E-400", "abc"};
  while (texts.size() < kRandomListValues) texts.push_back(NumberText(random, false));
  return texts;
}

// True for a real whose mantissa (after blanks are removed and one sign is
// skipped) holds no digit: gfortran reads some of these as zero, textio
// refuses them.
bool HasNoMantissaDigit(std::string_view text) {
  std::string packed;
  for (const char c : text) {
    if (c != ' ') packed.push_back(c);
  }
  std::size_t i = 0;
  if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) ++i;
  for (; i < packed.size() && (std::isdigit(static_cast<unsigned char>(packed[i])) || packed[i] == '.'); ++i) {
    if (packed[i] != '.') return false;
  }
  return true;
}

bool IsNonFiniteHex(const std::string& hex) {
  std::uint64_t bits = 0;
  std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
  return !std::isfinite(std::bit_cast<double>(bits));
}

class TextioGfortran : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::optional<std::string> gfortran = FindOnPath("gfortran");
    if (!gfortran) return;
    dir_ = new ScratchDir();
    Random random;
    reals_ = RealValues(random);
    integers_ = IntegerValues(random);
    std::string text;
    for (const double value : reals_) text += Hex(value) + "\n";
    dir_->Write("reals.txt", text);
    text.clear();
    for (const std::int32_t value : integers_) text += std::to_string(value) + "\n";
    dir_->Write("integers.txt", text);
    for (const Descriptor& descriptor : kInputs) {
      fields_.push_back(FieldTexts(random, descriptor));
      text.clear();
      for (const std::string& field : fields_.back()) text += field + "\n";
      dir_->Write("in_" + descriptor.Text() + ".txt", text);
    }
    list_texts_ = ListTexts(random);
    text.clear();
    for (const std::string& value : list_texts_) text += value + "\n";
    dir_->Write("in_list.txt", text);

    dir_->Write("reference.f90", FortranProgram());
    const std::string command = "cd '" + dir_->path() + "' && '" + *gfortran +
                                "' -ffree-line-length-none -o reference reference.f90 > compile.log 2>&1";
    if (std::system(command.c_str()) != 0) {
      setup_error_ = "gfortran cannot compile the reference program: " + dir_->Read("compile.log");
      return;
    }
    const testing::RunResult run = testing::RunProgram(dir_->PathOf("reference"), dir_->path());
    if (run.exit_status != 0) {
      setup_error_ = "the reference program failed: " + run.err;
      return;
    }
    list_output_ = Lines(run.out);
    available_ = true;
  }

  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  void SetUp() override {
    if (!available_ && setup_error_.empty()) GTEST_SKIP() << "gfortran is not on PATH";
    ASSERT_TRUE(setup_error_.empty()) << setup_error_;
  }

  static std::vector<std::string> Output(const std::string& name) { return Lines(dir_->Read(name)); }

  static inline ScratchDir* dir_ = nullptr;
  static inline bool available_ = false;
  static inline std::string setup_error_;
  static inline std::vector<double> reals_;
  static inline std::vector<std::int32_t> integers_;
  static inline std::vector<std::vector<std::string>> fields_;
  static inline std::vector<std::string> list_texts_;
  static inline std::vector<std::string> list_output_;
};

// Compares line by line and reports the first differences with their input.
void ExpectSameLines(const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
                     const std::vector<std::string>& inputs) {
  ASSERT_EQ(ours.size(), theirs.size());
  std::size_t differences = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (ours[i] == theirs[i]) continue;
    if (++differences <= kMaxReported) {
      ADD_FAILURE() << "input " << inputs[i] << "\n textio:   \"" << ours[i] << "\"\n gfortran: \"" << theirs[i]
                    << "\"";
    }
  }
  EXPECT_EQ(differences, 0u) << "of " << ours.size() << " lines";
}

TEST_F(TextioGfortran, FormatsRealsLikeFormattedWrite) {
  std::vector<std::string> ours, inputs;
  for (const double value : reals_) {
    std::string line;
    for (const Descriptor& descriptor : kRealOutputs) {
      if (descriptor.letter == 'F')
        PutF(line, value, descriptor.w, descriptor.d);
      else
        PutE(line, value, descriptor.w, descriptor.d);
      line += '|';
    }
    ours.push_back(line);
    inputs.push_back(Hex(value));
  }
  ExpectSameLines(ours, Output("reals.out"), inputs);
}

TEST_F(TextioGfortran, FormatsIntegersLikeFormattedWrite) {
  std::vector<std::string> ours, inputs;
  for (const std::int32_t value : integers_) {
    std::string line;
    for (const Descriptor& descriptor : kIntegerOutputs) {
      PutI(line, value, descriptor.w);
      line += '|';
    }
    ours.push_back(line);
    inputs.push_back(std::to_string(value));
  }
  ExpectSameLines(ours, Output("integers.out"), inputs);
}

TEST_F(TextioGfortran, WritesListLinesLikeListDirectedWrite) {
  std::vector<std::string> ours, inputs;
  for (const double value : reals_) {
    ours.push_back(ListLine().Real(value).str());
    ours.push_back(ListLine().Text("mitgwd").Real(value).Text("ab").str());
    inputs.insert(inputs.end(), 2, Hex(value));
  }
  for (const std::int32_t value : integers_) {
    ours.push_back(ListLine().Integer(value).str());
    ours.push_back(ListLine().Text("seed").Integer(value).Text("x").Real(1.5).Integer(value).str());
    inputs.insert(inputs.end(), 2, std::to_string(value));
  }
  ExpectSameLines(ours, list_output_, inputs);
}

TEST_F(TextioGfortran, ReadsFieldsLikeFormattedRead) {
  for (std::size_t k = 0; k < std::size(kInputs); ++k) {
    const Descriptor& descriptor = kInputs[k];
    const std::vector<std::string> theirs = Output("in_" + descriptor.Text() + ".txt.out");
    const std::vector<std::string>& fields = fields_[k];
    ASSERT_EQ(theirs.size(), fields.size());
    std::size_t differences = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string name = "field";
      FieldReader reader(fields[i], name, 1);
      std::string ours = "ERR";
      bool allowed_difference = false;
      if (descriptor.letter == 'I') {
        if (const std::optional<std::int32_t> value = reader.TryI(descriptor.w)) ours = std::to_string(*value);
      } else {
        if (const std::optional<double> value = reader.TryF(descriptor.w, descriptor.d)) ours = Hex(*value);
        const std::string_view field = std::string_view(fields[i]).substr(0, static_cast<std::size_t>(descriptor.w));
        allowed_difference =
            ours == "ERR" && theirs[i] != "ERR" && (HasNoMantissaDigit(field) || IsNonFiniteHex(theirs[i]));
      }
      if (ours == theirs[i] || allowed_difference) continue;
      if (++differences <= kMaxReported) {
        ADD_FAILURE() << descriptor.Text() << " of \"" << fields[i] << "\": textio " << ours << ", gfortran "
                      << theirs[i];
      }
    }
    EXPECT_EQ(differences, 0u) << descriptor.Text() << ", of " << fields.size() << " fields";
  }
}

TEST_F(TextioGfortran, ReadsFreeFormatValuesLikeListDirectedRead) {
  const std::vector<std::string> theirs = Output("in_list.txt.out");
  ASSERT_EQ(theirs.size(), list_texts_.size());
  std::size_t differences = 0;
  for (std::size_t i = 0; i < list_texts_.size(); ++i) {
    const TextFile file = TextFile::FromString("list", list_texts_[i] + "\n");
    RecordCursor cursor(file);
    double value = 0.0;
    std::string ours = "ERR";
    try {
      if (cursor.ReadList(std::span<double>(&value, 1), "a value")) ours = Hex(value);
    } catch (const InputError&) {
    }
    const bool allowed_difference =
        ours == "ERR" && theirs[i] != "ERR" && (HasNoMantissaDigit(list_texts_[i]) || IsNonFiniteHex(theirs[i]));
    if (ours == theirs[i] || allowed_difference) continue;
    if (++differences <= kMaxReported) {
      ADD_FAILURE() << "\"" << list_texts_[i] << "\": textio " << ours << ", gfortran " << theirs[i];
    }
  }
  EXPECT_EQ(differences, 0u) << "of " << list_texts_.size() << " values";
}

}  // namespace
}  // namespace wavecomp::textio
