#include "input/spectral_sources.h"

#include <array>
#include <fstream>

#include "textio/errors.h"
#include "textio/records.h"

namespace wavecomp::spectra {
namespace {

swan::SwanFile ReadSwan(const std::string& path) {
  const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
  if (!text) throw textio::UnopenableFile("SWAN file", path);
  return swan::ReadSwanFile(*text);
}

const std::array kSources = {
    SpectralSource{"swan", "SWAN", "SWAN_FILE", "SWAN file",
                   "A SWAN spectrum file: 2D spectra become an Emep data file NAME and its point list NAME.pnt, 1D "
                   "spectra an Sspe table NAME per location (NAME_L<k> for several).",
                   "the SWAN spectrum file (ASCII)", ReadSwan, nullptr},
};

}  // namespace

std::span<const SpectralSource> SpectralSources() { return kSources; }

const SpectralSource* FindSpectralSource(std::string_view command) {
  for (const SpectralSource& source : kSources) {
    if (source.command == command) return &source;
  }
  return nullptr;
}

std::string SpectralSourceCommands() {
  std::string text;
  for (std::size_t k = 0; k < kSources.size(); ++k) {
    if (k > 0) text += k + 1 == kSources.size() ? " and " : ", ";
    text += kSources[k].command;
  }
  return text;
}

std::string FileHead(const std::string& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string head(count, '\0');
  if (!in) return {};
  in.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

}  // namespace wavecomp::spectra
