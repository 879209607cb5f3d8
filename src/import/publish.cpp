#include "import/publish.h"

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "import/errors.h"
#include "textio/output_file.h"

namespace wavecomp::importer {
namespace {

bool NameExists(const std::string& path) {
  std::error_code error;
  // A dangling symbolic link counts: creating through it would write elsewhere.
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

void RefuseExistingNames(std::span<const PendingOutput> outputs) {
  for (const PendingOutput& output : outputs) {
    if (NameExists(output.path)) {
      throw Refusal("the output file " + output.path +
                    " exists already; it is never overwritten (nothing was written)");
    }
  }
}

void PublishOutputs(std::span<const PendingOutput> outputs) {
  RefuseExistingNames(outputs);
  std::vector<textio::OutputFile> files;
  files.reserve(outputs.size());
  for (const PendingOutput& output : outputs) {
    std::optional<textio::OutputFile> file = textio::OutputFile::CreateExclusive(output.path);
    if (!file) {
      if (NameExists(output.path))
        throw Refusal("the output file " + output.path + " appeared while writing; nothing was written");
      throw OutputFailure("cannot create the output file " + output.path + "; nothing was written");
    }
    std::string_view text = output.text;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);  // WriteLine ends the last line
    file->WriteLine(text);
    files.push_back(std::move(*file));
  }
  std::size_t published = 0;
  try {
    for (textio::OutputFile& file : files) {
      file.Commit();
      ++published;
    }
  } catch (...) {
    for (std::size_t k = 0; k < published; ++k) ::unlink(outputs[k].path.c_str());
    throw;
  }
}

}  // namespace wavecomp::importer
