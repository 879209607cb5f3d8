// Fuzz target: wavecomp-import on a fuzzed spectrum file of a text source
// (SWAN, WAVEWATCH III, an NDBC realtime or yearly density file), from the
// reader through the conversion to the published Emep or Sspe files. The
// first byte chooses the frame, the time selection and (its top two bits)
// the source; the rest is the file.
// Besides crashes it checks the importer's promises: a refused or failed
// import leaves no file behind, a finished one writes only finite numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "import/errors.h"
#include "import/swan_import.h"
#include "textio/errors.h"

namespace {

using wavecomp::fuzz::Finding;

// The sources by the top two bits of the first byte, and the file name each
// is known by.
struct FuzzedSource {
  const char* command;
  const char* file_name;
};
constexpr FuzzedSource kSources[] = {
    {"swan", "in.swn"}, {"ww3", "in.ww3"}, {"ndbc", "41010.data_spec"}, {"ndbc", "41010w2019.txt"}};

// Every number in a written file is finite ("nan" and "inf" would be words).
void CheckWrittenFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::string_view word : {"nan", "NaN", "NAN", "inf", "Inf", "INF"}) {
    if (text.find(word) != std::string::npos) Finding("a non-finite number in an imported file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  wavecomp::fuzz::EnterScratchFolder();
  wavecomp::fuzz::ClearScratchFolder();
  const FuzzedSource& source = kSources[data[0] >> 6];
  wavecomp::fuzz::WriteFile(source.file_name, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

  wavecomp::importer::ImportOptions options;
  options.source = source.command;
  options.swan_file = source.file_name;
  options.out = "out";
  options.normal_from = 45.0 * (data[0] % 8);
  options.clockwise = (data[0] & 8) != 0;
  options.all_times = (data[0] & 16) != 0;
  if ((data[0] & 32) != 0) options.directions = 2 + data[0] % 64;

  bool finished = false;
  try {
    const wavecomp::importer::ImportReport report = wavecomp::importer::RunImport(options);
    finished = true;
    for (const wavecomp::importer::OutputReport& output : report.outputs) {
      for (const std::string& file : output.files) CheckWrittenFile(file);
    }
  } catch (const wavecomp::importer::Refusal&) {
  } catch (const wavecomp::importer::OutputFailure&) {
  } catch (const wavecomp::textio::InputError&) {
  } catch (const wavecomp::textio::OutputError&) {
  }
  if (!finished && wavecomp::fuzz::ScratchFiles().size() != 1) Finding("a failed import left a file behind");
  return 0;
}
