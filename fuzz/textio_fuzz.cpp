// Fuzz target: the record reading of textio on a fuzzed file. The first
// bytes choose a short program of reads (fixed-format fields of any width,
// free-format lists, fixed lists over several records, skips, rewinds, the
// free-format answer word); the rest is the file. Besides crashes it checks
// the readers' promises: every real read is finite, an A field has exactly
// its width, an answer word is never longer than asked.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "textio/records.h"

namespace {

using wavecomp::fuzz::Finding;
using wavecomp::fuzz::RunUntilStop;
using wavecomp::textio::FieldReader;
using wavecomp::textio::RecordCursor;

constexpr std::size_t kProgramBytes = 8;

void CheckFinite(double value) {
  if (!std::isfinite(value)) Finding("a real read as a non-finite value");
}

// Reads the fields of one record as the byte `code` says.
void ReadFields(FieldReader& fields, std::uint8_t code) {
  const int w = 1 + code % 24;
  const int d = (code / 24) % 6;
  switch ((code >> 5) & 7) {
    case 0:
      (void)fields.I(w);
      break;
    case 1:
      CheckFinite(fields.F(w, d));
      break;
    case 2:
      CheckFinite(fields.E(w, d));
      break;
    case 3:
      if (fields.A(w).size() != static_cast<std::size_t>(w)) Finding("an A field of another width");
      break;
    case 4:
      (void)fields.TryI(w);
      break;
    case 5:
      if (const std::optional<double> value = fields.TryF(w, d)) CheckFinite(*value);
      break;
    case 6:
      fields.Skip(w);
      break;
    default:
      for (int k = 0; k < 4; ++k) CheckFinite(fields.E(10, 3));
      break;
  }
}

void Step(RecordCursor& cursor, std::uint8_t code) {
  const std::uint8_t argument = static_cast<std::uint8_t>(code >> 3);
  switch (code & 7) {
    case 0: {
      FieldReader fields = cursor.Next("fields");
      for (int k = 0; k < 3; ++k) ReadFields(fields, static_cast<std::uint8_t>(argument * 37 + k * 101));
      break;
    }
    case 1: {
      std::array<double, 8> values{};
      const std::size_t count = 1 + argument % values.size();
      (void)cursor.ReadList(std::span<double>(values.data(), count), "a free-format list");
      for (std::size_t k = 0; k < count; ++k) CheckFinite(values[k]);
      break;
    }
    case 2: {
      std::array<double, 40> values{};
      const std::size_t count = 1 + argument % values.size();
      const int per_record = 1 + argument % 8;
      cursor.ReadFixedList(std::span<double>(values.data(), count), per_record, 10 + argument % 3, 3, "a fixed list");
      for (std::size_t k = 0; k < count; ++k) CheckFinite(values[k]);
      break;
    }
    case 3:
      cursor.SkipFixedList(argument, 1 + argument % 8, "a skipped list");
      break;
    case 4: {
      const std::size_t length = 1 + argument % 16;
      const std::string_view line = cursor.NextText("an answer");
      if (wavecomp::textio::ListWord(line, length).size() > length) Finding("an answer word longer than asked");
      if (const std::optional<std::string> word = wavecomp::textio::TryListWord(line, length)) {
        if (word->size() > length) Finding("an answer word longer than asked");
      }
      break;
    }
    case 5:
      cursor.Skip("a record");
      break;
    case 6:
      cursor.Rewind();
      break;
    default:
      if (std::optional<FieldReader> fields = cursor.TryNext()) ReadFields(*fields, argument);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kProgramBytes) return 0;
  const wavecomp::textio::TextFile file = wavecomp::textio::TextFile::FromString(
      "fuzz.txt", std::string(reinterpret_cast<const char*>(data) + kProgramBytes, size - kProgramBytes));
  RecordCursor cursor(file);
  // Each step runs on its own: an input error ends that step, as it ends a
  // reader, and the next step goes on from where the cursor stands.
  for (std::size_t k = 0; k < kProgramBytes; ++k) {
    RunUntilStop([&] { Step(cursor, data[k]); });
  }
  // Every record as an answer line too.
  for (std::size_t r = 0; r < file.record_count(); ++r) {
    if (wavecomp::textio::ListWord(file.record(r), 3).size() > 3) Finding("an answer word longer than asked");
  }
  return 0;
}
