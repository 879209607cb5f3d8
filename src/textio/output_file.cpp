#include "textio/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "textio/errors.h"

namespace wavecomp::textio {
namespace {

// Records are gathered and written in blocks of this size.
constexpr std::size_t kBufferSize = 1 << 20;

// A temporary name in the folder of `path`, created exclusively so that two
// runs never share one. Returns the descriptor, or -1 with errno set.
int OpenTemporary(const std::string& path, std::string& temporary_path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_path = folder + "." + base + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int descriptor = ::open(temporary_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

}  // namespace

OutputFile::OutputFile(std::string path, std::string temporary_path, int descriptor, bool reserved)
    : path_(std::move(path)), temporary_path_(std::move(temporary_path)), descriptor_(descriptor), reserved_(reserved) {
  buffer_.reserve(kBufferSize);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_path_(std::move(other.temporary_path_)),
      descriptor_(other.descriptor_),
      reserved_(other.reserved_),
      committed_(other.committed_),
      buffer_(std::move(other.buffer_)) {
  other.descriptor_ = -1;
  other.reserved_ = false;
  other.committed_ = true;
}

std::optional<OutputFile> OutputFile::CreateExclusive(const std::string& path) {
  const int reservation = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (reservation < 0) return std::nullopt;
  ::close(reservation);
  std::string temporary_path;
  const int descriptor = OpenTemporary(path, temporary_path);
  if (descriptor < 0) {
    ::unlink(path.c_str());
    return std::nullopt;
  }
  return OutputFile(path, temporary_path, descriptor, true);
}

OutputFile OutputFile::CreateReplacing(const std::string& path) {
  std::string temporary_path;
  const int descriptor = OpenTemporary(path, temporary_path);
  if (descriptor < 0) {
    const int error_number = errno;
    throw OutputError("cannot create", path, error_number);
  }
  return OutputFile(path, temporary_path, descriptor, false);
}

OutputFile::~OutputFile() {
  if (!committed_) Discard();
}

void OutputFile::Discard() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  if (!temporary_path_.empty()) ::unlink(temporary_path_.c_str());
  if (reserved_) ::unlink(path_.c_str());
  reserved_ = false;
  committed_ = true;
}

void OutputFile::Fail(const std::string& what, int error_number) {
  Discard();
  throw OutputError(what, path_, error_number, "; no file was left under that name");
}

void OutputFile::WriteLine(std::string_view record) {
  buffer_.append(record);
  buffer_.push_back('\n');
  if (buffer_.size() >= kBufferSize) FlushBuffer();
}

void OutputFile::FlushBuffer() {
  const char* data = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t written = ::write(descriptor_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  buffer_.clear();
}

void OutputFile::Commit() {
  FlushBuffer();
  if (::fsync(descriptor_) != 0) Fail("cannot flush", errno);
  if (::close(descriptor_) != 0) {
    descriptor_ = -1;
    Fail("cannot close", errno);
  }
  descriptor_ = -1;
  if (::rename(temporary_path_.c_str(), path_.c_str()) != 0) Fail("cannot complete", errno);
  committed_ = true;
}

}  // namespace wavecomp::textio
