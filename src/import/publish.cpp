#include "import/publish.h"

#include <cstring>
#include <filesystem>

#include "import/errors.h"
#include "textio/errors.h"

namespace wavecomp::importer {
namespace {

bool NameExists(const std::string& path) {
  std::error_code error;
  // A dangling symbolic link counts: creating through it would write elsewhere.
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

Refusal TakenMeanwhile(const std::string& path) {
  return Refusal("the output file " + path + " appeared meanwhile; it is never overwritten (nothing was written)");
}

}  // namespace

OutputSet::OutputSet(std::span<const std::string> paths, const std::string& input)
    : paths_(paths.begin(), paths.end()) {
  set_.Reads(input);
  for (const std::string& path : paths_) {
    if (NameExists(path)) {
      throw Refusal("the output file " + path + " exists already; it is never overwritten (nothing was written)");
    }
  }
  files_.reserve(paths_.size());
  for (const std::string& path : paths_) {
    try {
      files_.push_back(set_.Create(path, textio::Publication::kNew));
    } catch (const textio::OutputExists&) {
      throw TakenMeanwhile(path);
    } catch (const textio::OutputError& error) {
      throw OutputFailure("cannot create the output file " + path + ": " + std::strerror(error.error_number()) +
                          "; nothing was written");
    }
  }
}

void OutputSet::Append(std::size_t k, std::string_view text) {
  if (text.empty()) return;
  if (text.back() == '\n') text.remove_suffix(1);  // WriteLine ends the last line
  files_[k].WriteLine(text);
}

void OutputSet::Finish() {
  for (textio::OutputFile& file : files_) set_.Add(std::move(file));
  files_.clear();
}

void OutputSet::Publish() {
  Finish();
  try {
    set_.PublishAll();
  } catch (const textio::OutputExists& taken) {
    throw TakenMeanwhile(taken.path());
  }
}

}  // namespace wavecomp::importer
