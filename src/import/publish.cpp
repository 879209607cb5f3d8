#include "import/publish.h"

#include <unistd.h>

#include <filesystem>
#include <optional>

#include "import/errors.h"

namespace wavecomp::importer {
namespace {

bool NameExists(const std::string& path) {
  std::error_code error;
  // A dangling symbolic link counts: creating through it would write elsewhere.
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

OutputSet::OutputSet(std::span<const std::string> paths) : paths_(paths.begin(), paths.end()) {
  for (const std::string& path : paths_) {
    if (NameExists(path)) {
      throw Refusal("the output file " + path + " exists already; it is never overwritten (nothing was written)");
    }
  }
  files_.reserve(paths_.size());
  for (const std::string& path : paths_) {
    std::optional<textio::OutputFile> file = textio::OutputFile::CreateExclusive(path);
    if (!file) {
      if (NameExists(path)) throw Refusal("the output file " + path + " appeared meanwhile; nothing was written");
      throw OutputFailure("cannot create the output file " + path + "; nothing was written");
    }
    files_.push_back(std::move(*file));
  }
}

void OutputSet::Append(std::size_t k, std::string_view text) {
  if (text.empty()) return;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);  // WriteLine ends the last line
  files_[k].WriteLine(text);
}

void OutputSet::Publish() {
  std::size_t published = 0;
  try {
    for (textio::OutputFile& file : files_) {
      file.Commit();
      ++published;
    }
  } catch (...) {
    for (std::size_t k = 0; k < published; ++k) ::unlink(paths_[k].c_str());
    throw;
  }
}

}  // namespace wavecomp::importer
