#include "support/test_support.h"

#include <fcntl.h>
#include <iconv.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace wavecomp::testing {
namespace {

std::string Pad(const std::string& label, const std::string& value, std::size_t width = 10) {
  std::string line = label;
  line.resize(width, ' ');
  return line + value;
}

// A value right-justified in a field of ten columns.
std::string Field(const std::string& value) {
  return value.size() >= 10 ? value : std::string(10 - value.size(), ' ') + value;
}

std::string ReadAll(int descriptor) {
  std::string text;
  char buffer[65536];
  ssize_t got = 0;
  while ((got = ::read(descriptor, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

}  // namespace

std::size_t WriteToChild(int descriptor, std::string_view bytes) {
  // The SIGPIPE of a write to a pipe whose reader has gone is sent to the
  // writing thread: blocked here, it stays pending instead of ending the
  // test process, and the write fails with EPIPE.
  sigset_t pipe_signal, before;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &before);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  // Take the pending signal (if the write raised one) before unblocking it.
  const timespec no_wait{};
  while (sigtimedwait(&pipe_signal, nullptr, &no_wait) == SIGPIPE) {
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return done;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wavecomp-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (made == nullptr) throw std::runtime_error("cannot make a scratch folder");
  path_ = made;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& content) const {
  std::ofstream stream(PathOf(name), std::ios::binary);
  stream << content;
}

std::string ScratchDir::Read(const std::string& name) const { return ReadFile(PathOf(name)); }

bool ScratchDir::Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

void ScratchDir::CopyFrom(const std::string& source_path, const std::string& name) const {
  std::filesystem::copy_file(source_path, PathOf(name), std::filesystem::copy_options::overwrite_existing);
}

RunResult RunProgram(const std::string& program, const std::string& folder, const std::string& input) {
  return RunProgram(program, folder, std::vector<std::string>{}, input);
}

RunResult RunProgram(const std::string& program, const std::string& folder, const std::vector<std::string>& arguments,
                     const std::string& input) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) throw std::runtime_error("pipe");
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in_pipe[0], 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    for (int descriptor : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      ::close(descriptor);
    }
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  // The program may end without reading all of its input (a dry run never
  // asks its question): what it leaves unread is dropped.
  std::thread feeder([&] {
    WriteToChild(in_pipe[1], input);
    ::close(in_pipe[1]);
  });
  RunResult result;
  std::thread error_reader([&] { result.err = ReadAll(err_pipe[0]); });
  result.out = ReadAll(out_pipe[0]);
  error_reader.join();
  feeder.join();
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

RunResult RunWavecomp(const ScratchDir& dir, const std::string& input) {
  return RunProgram(WAVECOMP_EXE, dir.path(), input);
}

std::string ControlFileText(const ControlValues& v) {
  std::string text = "wavecomp test run\n";
  text += Pad("SPECTRUM", v.type) + "\n";
  text += Pad("N_COMP", Field(v.count)) + "\n";
  text += Pad("SMAX", Field(v.smax)) + "\n";
  text += Pad("IN_FILE", v.input_file) + "\n";
  text += Pad("OUT_FILE", v.output_file) + "\n";
  text += Pad("H,T,DIR,G", Field(v.height) + Field(v.period) + Field(v.direction) + Field(v.gamma)) + "\n";
  text += Pad("FMIN,FMAX", Field(v.fmin) + Field(v.fmax)) + "\n";
  text += Pad("SEED", Field(v.seed)) + "\n";
  return text;
}

std::optional<RunEnding> EndingOfCall(const std::function<void()>& call) {
  try {
    call();
  } catch (...) {
    return EndingOf(std::current_exception());
  }
  return std::nullopt;
}

std::string ShiftJis(std::string_view utf8) {
  iconv_t converter = ::iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no UTF-8 to CP932 converter");
  std::string in(utf8);
  std::string out(in.size() * 2 + 16, '\0');
  char* source = in.data();
  char* target = out.data();
  std::size_t left = in.size();
  std::size_t room = out.size();
  const std::size_t converted = ::iconv(converter, &source, &left, &target, &room);
  ::iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1)) throw std::runtime_error("text without a Shift-JIS form");
  out.resize(out.size() - room);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    lines.push_back(text.substr(begin, end - begin));
  }
  if (begin < text.size()) lines.push_back(text.substr(begin));
  return lines;
}

std::string ReadFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  EXPECT_TRUE(stream.good()) << "cannot read " << path;
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

bool MakeHostile(const ScratchDir& dir, const std::string& name, Hostile kind, const std::string& input) {
  const std::string path = dir.PathOf(name);
  switch (kind) {
    case Hostile::kDevice:
      // The null device's numbers: harmless should anything write to it.
      if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) return true;
      std::cout << "skipped a device node: " << std::strerror(errno) << "\n";
      return false;
    case Hostile::kFifo:
      return ::mkfifo(path.c_str(), 0666) == 0;
    case Hostile::kSocket: {
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      if (path.size() >= sizeof address.sun_path) return false;
      std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
      const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
      const bool bound = socket >= 0 && ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
      if (socket >= 0) ::close(socket);
      return bound;
    }
    case Hostile::kFolder:
      return ::mkdir(path.c_str(), 0777) == 0;
    case Hostile::kLinkToInput:
      return ::symlink(input.c_str(), path.c_str()) == 0;
    case Hostile::kHardLinkToInput:
      return ::link(dir.PathOf(input).c_str(), path.c_str()) == 0;
  }
  return false;
}

std::string Refusal(const HostileTarget& target, const std::string& input) {
  if (target.kind == Hostile::kFolder) return "";
  if (target.kind == Hostile::kLinkToInput || target.kind == Hostile::kHardLinkToInput) {
    return "it is " + input + ", which this command reads";
  }
  return "it is " + std::string(target.label) + ", not a regular file";
}

std::string Fingerprint(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return "nothing";
  std::string print = "mode " + std::to_string(status.st_mode) + ", inode " + std::to_string(status.st_ino) +
                      ", device " + std::to_string(status.st_rdev);
  std::error_code error;
  if (S_ISLNK(status.st_mode)) print += ", to " + std::filesystem::read_symlink(path, error).string();
  if (S_ISREG(status.st_mode)) print += ", holding " + ReadFile(path);
  return print;
}

std::string SourcePath(const std::string& relative) { return std::string(WAVECOMP_SOURCE_DIR) + "/" + relative; }

std::string SamplesPath(const std::string& relative) {
  return std::string(WAVECOMP_SOURCE_DIR) + "/tests/data/samples/" + relative;
}

}  // namespace wavecomp::testing
