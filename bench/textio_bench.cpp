// Times the text formatter and reader on made-up values:
//   - ns per E15.6, E20.8 and F10.2 field (PutE/PutF into a reused record);
//   - ns per list-directed real (ListLine().Real);
//   - MB/s of ReadFixedList over a 50 MB file of E12.5 fields, six to a
//     record (the largest directional spectrum files), the file read whole;
//   - MB/s of the free-format ReadList over the same values, one blank
//     before each field.
// Usage: textio_bench [quick]   ("quick" uses a 5 MB file)
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "textio/format.h"
#include "textio/records.h"

namespace {

namespace textio = wavecomp::textio;

// CPU seconds of the process: with other work on the machine the wall time
// says little, the CPU time still does.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Values as the files hold them: a few decades either side of 1, both signs.
std::vector<double> Values(std::size_t count) {
  std::mt19937_64 engine(42);
  std::vector<double> values(count);
  for (double& value : values) {
    const double unit = static_cast<double>(engine() >> 11) * 0x1p-53;
    const int decade = static_cast<int>(engine() % 8) - 5;
    value = (engine() & 1 ? -1.0 : 1.0) * (1.0 + 9.0 * unit) * std::pow(10.0, decade);
  }
  return values;
}

double Checksum(const std::string& text) {
  double sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  return sum;
}

void TimeField(const char* name, const std::vector<double>& values, void (*put)(std::string&, double, int, int), int w,
               int d) {
  std::string record;
  record.reserve(256);
  double check = 0;
  const int rounds = 5;
  const double start = CpuSeconds();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < values.size(); i += 4) {
      record.clear();
      for (std::size_t k = i; k < i + 4 && k < values.size(); ++k) put(record, values[k], w, d);
      check += static_cast<double>(record[static_cast<std::size_t>(w) - 1]);
    }
  }
  const double seconds = CpuSeconds() - start;
  std::printf("%-28s %8.1f ns per field   (check %.0f)\n", name,
              1e9 * seconds / (static_cast<double>(values.size()) * rounds), check);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
  const std::vector<double> values = Values(1 << 20);

  TimeField("PutE E15.6", values, textio::PutE, 15, 6);
  TimeField("PutE E20.8", values, textio::PutE, 20, 8);
  TimeField("PutF F10.2", values, textio::PutF, 10, 2);
  {
    double check = 0;
    const double start = CpuSeconds();
    for (const double value : values) check += Checksum(textio::ListLine().Real(value).str());
    std::printf("%-28s %8.1f ns per line    (check %.0f)\n", "ListLine().Real",
                1e9 * (CpuSeconds() - start) / static_cast<double>(values.size()), check);
  }

  // A file of E12.5 fields, six to a record.
  const std::size_t target_bytes = quick ? 5u << 20 : 50u << 20;
  const std::size_t count = target_bytes / 73 * 6;
  const std::string path = (std::filesystem::temp_directory_path() / "textio_bench.txt").string();
  const std::string free_path = (std::filesystem::temp_directory_path() / "textio_bench_free.txt").string();
  // Free format needs a separator: negative E12.5 fields touch their neighbours.
  for (const bool free_format : {false, true}) {
    std::string text;
    text.reserve(target_bytes + target_bytes / 10);
    std::string record;
    for (std::size_t i = 0; i < count; i += 6) {
      record.clear();
      for (std::size_t k = i; k < i + 6 && k < count; ++k) {
        if (free_format) textio::PutX(record, 1);
        textio::PutE(record, values[k % values.size()], 12, 5);
      }
      text += record;
      text += '\n';
    }
    std::ofstream(free_format ? free_path : path, std::ios::binary) << text;
  }
  const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  std::vector<double> read(count);
  {
    const double start = CpuSeconds();
    const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
    const double opened = CpuSeconds();
    textio::RecordCursor cursor(*file);
    cursor.ReadFixedList(read, 6, 12, 5, "the values");
    const double seconds = CpuSeconds() - start;
    std::printf("%-28s %8.1f MB/s  (%.1f MB, %.3f s, of which open %.3f s)\n", "Open + ReadFixedList E12.5",
                megabytes / seconds, megabytes, seconds, opened - start);
  }
  {
    const double free_megabytes = static_cast<double>(std::filesystem::file_size(free_path)) / (1 << 20);
    const std::optional<textio::TextFile> file = textio::TextFile::Open(free_path);
    textio::RecordCursor cursor(*file);
    std::vector<double> check(count);
    const double start = CpuSeconds();
    // One free-format read per record, as the frequency spectrum reader does.
    std::size_t index = 0;
    while (index + 6 <= count && cursor.ReadList(std::span<double>(check.data() + index, 6), "the values")) index += 6;
    const double seconds = CpuSeconds() - start;
    std::printf(
        "%-28s %8.1f MB/s  (same values: %s)\n", "ReadList, six per read", free_megabytes / seconds,
        std::equal(check.begin(), check.begin() + static_cast<std::ptrdiff_t>(index), read.begin()) ? "yes" : "NO");
  }
  std::filesystem::remove(path);
  std::filesystem::remove(free_path);
  return 0;
}
