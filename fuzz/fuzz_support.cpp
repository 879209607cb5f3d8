#include "fuzz_support.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/exit_status.h"
#include "app/run_driver.h"
#include "input/control_file.h"
#include "textio/format.h"

namespace wavecomp::fuzz {
namespace {

std::string& ScratchPath() {
  static std::string path;
  return path;
}

void RemoveScratchFolder() {
  if (ScratchPath().empty()) return;
  ClearScratchFolder();
  if (chdir("/") == 0) rmdir(ScratchPath().c_str());
}

}  // namespace

void EnterScratchFolder() {
  std::string& path = ScratchPath();
  if (path.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/wavecomp-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Finding("cannot create the scratch folder");
    path = pattern;
    std::atexit(RemoveScratchFolder);
  }
  if (chdir(path.c_str()) != 0) Finding("cannot enter the scratch folder");
}

SpectrumWorkspace& FreshWorkspace() {
  static WorkspacePtr workspace = MakeWorkspace();
  static bool checked = false;
  unsigned char* const bytes = reinterpret_cast<unsigned char*>(workspace.get());
  if (!checked) {
    // The page trick needs memory that the kernel maps privately (a large
    // calloc is such a mapping); checked once, so a reset can never leave
    // stale data behind unnoticed.
    bytes[sizeof(SpectrumWorkspace) / 2] = 1;
    ClearWorkspace(*workspace);
    if (bytes[sizeof(SpectrumWorkspace) / 2] != 0) Finding("the workspace reset does not clear memory");
    checked = true;
  }
  ClearWorkspace(*workspace);
  return *workspace;
}

void WriteFile(const std::string& name, std::string_view bytes) {
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) Finding("cannot write an input file");
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    Finding("cannot write an input file");
  }
  std::fclose(file);
}

std::vector<std::string> ScratchFiles() {
  std::vector<std::string> names;
  DIR* folder = opendir(".");
  if (folder == nullptr) Finding("cannot list the scratch folder");
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

void ClearScratchFolder() {
  for (const std::string& name : ScratchFiles()) {
    if (unlink(name.c_str()) != 0) rmdir(name.c_str());
  }
}

void Finding(const char* what) {
  std::fprintf(stderr, "wavecomp fuzz finding: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

bool RunUntilStop(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (...) {
    // What a run may end with is what the program shows; anything else
    // escapes EndingOf and is a finding.
    const RunEnding ending = EndingOf(std::current_exception());
    // For the triage of one input: WAVECOMP_FUZZ_VERBOSE=1 shows how it ended.
    if (std::getenv("WAVECOMP_FUZZ_VERBOSE") != nullptr) {
      std::fprintf(stderr, "stop %d: %s%s\n", ending.exit_status, ending.console_line.value_or("").c_str(),
                   ending.diagnostic.value_or("").c_str());
    }
    return false;
  }
}

RunParameters DecodeParameters(const std::uint8_t* data) {
  static constexpr const char* kAnswers[] = {"Y\n", "Yes\n", "n\n", ""};
  RunParameters parameters{};
  parameters.component_count = static_cast<int>(data[0] % 44) - 3;
  parameters.spread = (data[1] & 4) == 0;
  parameters.answer = kAnswers[data[1] & 3];
  parameters.whole_run = (data[1] & 0x18) == 0x18;
  return parameters;
}

std::string ControlFile(std::string_view type, const RunParameters& parameters) {
  std::string text = "fuzz run\n";
  text += "SPECTRUM  ";
  text += type;
  text += "\nN_COMP    ";
  textio::PutI(text, parameters.component_count, 10);
  text += "\nSMAX      ";
  textio::PutF(text, parameters.spread ? 10.0 : 999.0, 10, 1);
  text += "\nIN_FILE   ";
  text += kDataFileName;
  text += "\nOUT_FILE  ";
  text += kOutputFileName;
  text += "\nH,T,DIR,G        1.0      10.0       0.0       3.3\n";
  text += "FMIN,FMAX       0.01       1.0\n";
  text += "SEED            4711\n";
  return text;
}

void RunProgramChecked(const RunParameters& parameters, Reader reader) {
  const std::vector<std::string> before = ScratchFiles();
  SpectrumWorkspace& workspace = FreshWorkspace();
  Console console;
  console.SetInput(parameters.answer);
  const bool finished = RunUntilStop([&] {
    if (parameters.whole_run) {
      RunWavecomp(workspace, console);
    } else {
      reader(ReadControlFile(), workspace, console);
    }
  });
  if (std::getenv("WAVECOMP_FUZZ_VERBOSE") != nullptr) std::fprintf(stderr, "%s", console.captured().c_str());
  std::vector<std::string> after = ScratchFiles();
  if (!finished || !parameters.whole_run) {
    if (after != before) Finding("a stopped run added or removed a file");
    return;
  }
  const auto output = std::find(after.begin(), after.end(), kOutputFileName);
  if (output == after.end()) Finding("a finished run wrote no output file");
  after.erase(output);
  if (after != before) Finding("a finished run left another file behind");
  std::ifstream stream(kOutputFileName, std::ios::binary);
  std::ostringstream content;
  content << stream.rdbuf();
  const std::string text = content.str();
  for (const char* word : {"nan", "NaN", "NAN", "inf", "Inf", "INF"}) {
    if (text.find(word) != std::string::npos) Finding("the output file holds a non-finite number");
  }
  unlink(kOutputFileName);
}

void FuzzReaderInput(std::string_view type, Reader reader, bool with_point_file, const std::uint8_t* data,
                     std::size_t size) {
  if (size < kParameterBytes) return;
  EnterScratchFolder();
  ClearScratchFolder();
  const RunParameters parameters = DecodeParameters(data);
  WriteFile(kControlFileName, ControlFile(type, parameters));
  const std::string_view files(reinterpret_cast<const char*>(data) + kParameterBytes, size - kParameterBytes);
  const std::size_t separator = with_point_file ? files.find(kFileSeparator) : std::string_view::npos;
  WriteFile(kDataFileName, files.substr(0, separator));
  if (separator != std::string_view::npos) WriteFile(kPointFileName, files.substr(separator + 1));
  RunProgramChecked(parameters, reader);
}

}  // namespace wavecomp::fuzz
