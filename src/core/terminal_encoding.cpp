#include "core/terminal_encoding.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>

namespace wavecomp {
namespace {

iconv_t Descriptor(void* handle) { return static_cast<iconv_t>(handle); }

bool IsUtf8Name(const char* codeset) {
  return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

bool EnvironmentLocaleIsUtf8() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) utf8 = IsUtf8Name(nl_langinfo(CODESET));
  std::setlocale(LC_CTYPE, saved.c_str());
  return utf8;
}

ShiftJisToUtf8::ShiftJisToUtf8() {
  for (const char* source : {"CP932", "SHIFT_JIS"}) {
    const iconv_t descriptor = iconv_open("UTF-8", source);
    if (descriptor != reinterpret_cast<iconv_t>(-1)) {
      descriptor_ = descriptor;
      available_ = true;
      return;
    }
  }
}

ShiftJisToUtf8::~ShiftJisToUtf8() {
  if (available_) iconv_close(Descriptor(descriptor_));
}

std::string ShiftJisToUtf8::Convert(std::string_view text) {
  if (!available_) return std::string(text);
  const iconv_t descriptor = Descriptor(descriptor_);
  iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  // A two-byte Shift-JIS character becomes at most three UTF-8 bytes, a
  // one-byte one (ASCII, half-width katakana) at most three.
  char buffer[3 * 256];
  std::string in(text);  // iconv takes a non-const input pointer
  char* input = in.data();
  std::size_t input_left = in.size();
  while (input_left > 0) {
    char* output = buffer;
    std::size_t output_left = sizeof buffer;
    const std::size_t result = iconv(descriptor, &input, &input_left, &output, &output_left);
    out.append(buffer, static_cast<std::size_t>(output - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // An invalid or cut-off character: show it as '?' and go on after its first byte.
    out.push_back('?');
    ++input;
    --input_left;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

LineFilter TerminalLineFilter(int descriptor) {
  if (isatty(descriptor) != 1 || !EnvironmentLocaleIsUtf8()) return {};
  auto converter = std::make_shared<ShiftJisToUtf8>();
  if (!converter->available()) return {};
  return [converter](std::string_view line) { return converter->Convert(line); };
}

}  // namespace wavecomp
