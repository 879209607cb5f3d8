// Publishing outputs: whichever step fails, no file is made or changed; a
// name that exists is never replaced unless asked; and nothing of a process
// killed outright outlives it, or the next output made in its folder.
#include "textio/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "textio/errors.h"

namespace wavecomp::textio {
namespace {

using testing::ScratchDir;

using Snapshot = std::map<std::string, std::string>;  // every file of a folder, hidden ones too

Snapshot Take(const ScratchDir& dir) {
  Snapshot files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    files[entry.path().filename().string()] = testing::ReadFile(entry.path().string());
  }
  return files;
}

// The names in a folder, hidden ones too (without reading a FIFO that may be there).
std::set<std::string> Names(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
  return names;
}

// A fault hook for as long as it lives.
class Hook {
 public:
  explicit Hook(std::function<int(FileStep)> hook) { SetFaultHook(std::move(hook)); }
  ~Hook() { SetFaultHook(nullptr); }
  Hook(const Hook&) = delete;
  Hook& operator=(const Hook&) = delete;
};

// Makes the `nth` use of `step` fail with ENOSPC while it lives; without
// `unnamed` the file system seems to have no unnamed files.
class Faults {
 public:
  Faults(FileStep step, int nth, bool unnamed) {
    SetFaultHook([this, step, nth, unnamed, count = 0](FileStep now) mutable {
      if (!unnamed && now == FileStep::kCreateUnnamed) return EOPNOTSUPP;
      if (now != step || ++count != nth) return 0;
      hit = true;
      return ENOSPC;
    });
  }
  ~Faults() { SetFaultHook(nullptr); }
  bool hit = false;
};

const std::string kSpectrum(3 << 19, 's');  // 1.5 MiB: written in two blocks

// A run's two outputs: jonswap.spe replacing an old one, wave.dat new.
void WriteBoth(const ScratchDir& dir) {
  OutputSet outputs;
  OutputFile spectrum = OutputFile::Create(dir.PathOf("jonswap.spe"), Publication::kReplace);
  spectrum.WriteLine(kSpectrum);
  outputs.Add(std::move(spectrum));
  OutputFile wave = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
  wave.WriteLine("components");
  outputs.Add(std::move(wave));
  outputs.PublishAll();
}

TEST(TextioOutputFile, AFailedStepLeavesTheFolderAsItWas) {
  const FileStep steps[] = {FileStep::kCreateUnnamed, FileStep::kCreateNamed, FileStep::kWrite, FileStep::kSync,
                            FileStep::kClose,         FileStep::kLink,        FileStep::kRename};
  for (const bool unnamed : {true, false}) {
    for (const FileStep step : steps) {
      for (const int nth : {1, 2, 3}) {
        if (!unnamed && step == FileStep::kCreateUnnamed) continue;
        SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + " step " + std::to_string(static_cast<int>(step)) +
                     " use " + std::to_string(nth));
        ScratchDir dir;
        dir.Write("jonswap.spe", "old spectrum\n");
        const Snapshot before = Take(dir);
        Faults faults(step, nth, unnamed);
        int error = 0;
        try {
          WriteBoth(dir);
        } catch (const OutputError& failure) {
          error = failure.error_number();
        }
        if (faults.hit) {
          EXPECT_EQ(error, ENOSPC);
          EXPECT_EQ(Take(dir), before);
        } else {
          // A step the road does not take that often: both outputs are there, and nothing else.
          EXPECT_EQ(error, 0);
          EXPECT_EQ(Take(dir), (Snapshot{{"jonswap.spe", kSpectrum + "\n"}, {"wave.dat", "components\n"}}));
        }
      }
    }
  }
}

TEST(TextioOutputFile, ANameTakenMeanwhileIsNeverReplaced) {
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    ScratchDir dir;
    dir.Write("jonswap.spe", "old spectrum\n");
    Faults faults(FileStep::kWrite, 0, unnamed);
    OutputSet outputs;
    OutputFile spectrum = OutputFile::Create(dir.PathOf("jonswap.spe"), Publication::kReplace);
    spectrum.WriteLine("new spectrum");
    outputs.Add(std::move(spectrum));
    OutputFile wave = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
    wave.WriteLine("ours");
    outputs.Add(std::move(wave));
    dir.Write("wave.dat", "theirs\n");
    EXPECT_THROW(outputs.PublishAll(), OutputExists);
    EXPECT_EQ(Take(dir), (Snapshot{{"jonswap.spe", "old spectrum\n"}, {"wave.dat", "theirs\n"}}));
    EXPECT_THROW(OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew), OutputExists);
  }
}

// A child makes an output and ends without cleaning up: killed outright, or
// by a handler that removes the named temporaries first.
TEST(TextioOutputFile, NothingOutlivesAKilledProcessForLong) {
  for (const bool unnamed : {true, false}) {
    for (const bool handler : {false, true}) {
      SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + (handler ? ", handler" : ", SIGKILL"));
      ScratchDir dir;
      dir.Write(".other.partial-1-0", "of a process that is alive\n");  // pid 1 always is
      const pid_t child = ::fork();
      if (child == 0) {
        Faults faults(FileStep::kWrite, 0, unnamed);
        OutputFile file = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
        file.WriteLine("half");
        file.Finish();
        if (handler) RemoveTemporaryFiles();
        ::kill(::getpid(), SIGKILL);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status));
      // Only the named road without a handler leaves a hidden temporary ...
      EXPECT_EQ(Take(dir).size(), unnamed || handler ? 1u : 2u);
      // ... which the next output made in the folder removes, as its process is gone.
      OutputFile next = OutputFile::Create(dir.PathOf("next.dat"), Publication::kNew);
      EXPECT_EQ(Take(dir), (Snapshot{{".other.partial-1-0", "of a process that is alive\n"}}));
    }
  }
}

// A name to replace goes only over nothing or a regular file that is no
// input, judged by what it resolves to when the output is made and again
// just before the rename, on either road; a refusal leaves everything as it
// was.
TEST(TextioOutputFile, ReplacesOnlyARegularFileThatIsNoInput) {
  struct Case {
    std::string label;
    std::function<bool(const ScratchDir&)> make;  // false: not possible here
    std::string refusal;                          // after "<action> <path>: "; empty when replaced
  };
  std::vector<Case> cases;
  for (const testing::HostileTarget& target : testing::kHostileTargets) {
    const auto make = [kind = target.kind](const ScratchDir& dir) {
      return testing::MakeHostile(dir, "plot.svg", kind, "cont.txt");
    };
    std::string refusal;
    switch (target.kind) {
      case testing::Hostile::kDevice:
        refusal = "it is a character device, not a regular file; no file was written or changed";
        break;
      case testing::Hostile::kFifo:
        refusal = "it is a FIFO, not a regular file; no file was written or changed";
        break;
      case testing::Hostile::kSocket:
        refusal = "it is a socket, not a regular file; no file was written or changed";
        break;
      case testing::Hostile::kFolder:
        refusal = "Is a directory";
        break;
      case testing::Hostile::kLinkToInput:
      case testing::Hostile::kHardLinkToInput:
        refusal = "it is <dir>/cont.txt, which this command reads; no file was written or changed";
        break;
    }
    cases.push_back({target.label, make, refusal});
  }
  cases.push_back({"a link to a folder",
                   [](const ScratchDir& dir) {
                     return ::mkdir(dir.PathOf("plots").c_str(), 0777) == 0 &&
                            ::symlink("plots", dir.PathOf("plot.svg").c_str()) == 0;
                   },
                   "Is a directory"});
  // A link that leads nowhere is replaced itself, as is an earlier file.
  cases.push_back({"a link to nothing",
                   [](const ScratchDir& dir) { return ::symlink("gone", dir.PathOf("plot.svg").c_str()) == 0; }, ""});
  cases.push_back({"an earlier plot", [](const ScratchDir& dir) { dir.Write("plot.svg", "old\n"); return true; }, ""});

  for (const bool unnamed : {true, false}) {
    for (const bool meanwhile : {false, true}) {
      for (const Case& c : cases) {
        SCOPED_TRACE(c.label + (unnamed ? ", unnamed" : ", named") + (meanwhile ? ", made meanwhile" : ""));
        ScratchDir dir;
        dir.Write("cont.txt", "settings\n");
        const std::string plot = dir.PathOf("plot.svg");
        bool made = false;
        std::string before;
        const auto make = [&] {
          made = c.make(dir);
          before = testing::Fingerprint(plot);
        };
        if (!meanwhile) make();
        // The first link is a step of publishing, before any name is given.
        Hook hook([&, links = 0](FileStep step) mutable {
          if (!unnamed && step == FileStep::kCreateUnnamed) return EOPNOTSUPP;
          if (meanwhile && step == FileStep::kLink && ++links == 1) make();
          return 0;
        });
        std::string message;
        try {
          OutputSet outputs;
          outputs.Reads(dir.PathOf("cont.txt"));
          OutputFile drawing = outputs.Create(plot, Publication::kReplace);
          drawing.WriteLine("new");
          outputs.Add(std::move(drawing));
          OutputFile wave = outputs.Create(dir.PathOf("wave.dat"), Publication::kNew);
          wave.WriteLine("components");
          outputs.Add(std::move(wave));
          outputs.PublishAll();
        } catch (const OutputError& error) {
          message = error.what();
        }
        if (!made) {
          std::cout << "skipped " << c.label << ": cannot be made by this user\n";
          continue;
        }
        if (c.refusal.empty()) {
          EXPECT_EQ(message, "");
          struct stat status {};
          EXPECT_TRUE(::lstat(plot.c_str(), &status) == 0 && S_ISREG(status.st_mode));
          EXPECT_EQ(dir.Read("plot.svg"), "new\n");
          EXPECT_EQ(Names(dir), (std::set<std::string>{"cont.txt", "plot.svg", "wave.dat"}));
          continue;
        }
        std::string expected = c.refusal;
        if (const std::size_t at = expected.find("<dir>"); at != std::string::npos) expected.replace(at, 5, dir.path());
        if (expected == "Is a directory") {
          expected = meanwhile ? "cannot complete " + plot + ": Is a directory; no file was written or changed"
                               : "cannot create " + plot +
                                     ": Is a directory; no file was made (check the name, and that its folder exists "
                                     "and may be written to)";
        } else {
          expected = "will not replace " + plot + ": " + expected;
        }
        EXPECT_EQ(message, expected);
        EXPECT_EQ(testing::Fingerprint(plot), before);
        const std::set<std::string> left = Names(dir);
        EXPECT_EQ(left.count("wave.dat"), 0u);
        EXPECT_EQ(left.size(), c.label == "a link to a folder" ? 3u : 2u);  // cont.txt, plot.svg (and plots)
      }
    }
  }
}

// Where there are no unnamed files, a run may have any number of outputs
// (there was room for 8 named temporaries), and a handler finds every one.
TEST(TextioOutputFile, TheNamedRoadTakesAnyNumberOfOutputs) {
  constexpr int kOutputs = 60;  // past the table's first three chunks: 8 + 16 + 32
  const auto name = [](int k) { return "point" + std::to_string(k) + ".spe"; };
  for (const bool handler : {false, true}) {
    SCOPED_TRACE(handler ? "stopped by a signal" : "published");
    ScratchDir dir;
    const pid_t child = handler ? ::fork() : 0;
    if (child == 0) {
      Hook named([](FileStep step) { return step == FileStep::kCreateUnnamed ? EOPNOTSUPP : 0; });
      OutputSet outputs;
      std::vector<OutputFile> files;
      for (int k = 0; k < kOutputs; ++k) {
        files.push_back(outputs.Create(dir.PathOf(name(k)), Publication::kNew));
        files.back().WriteLine(std::to_string(k));
      }
      if (handler) {
        // Every output stands under a hidden name until the handler takes them all away.
        if (Names(dir).size() != kOutputs) ::_exit(1);
        RemoveTemporaryFiles();
        ::kill(::getpid(), SIGKILL);
      }
      for (OutputFile& file : files) outputs.Add(std::move(file));
      outputs.PublishAll();
    }
    if (handler) {
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << "the child found " << WEXITSTATUS(status);
      EXPECT_EQ(Names(dir), std::set<std::string>());
    } else {
      std::set<std::string> expected;
      for (int k = 0; k < kOutputs; ++k) expected.insert(name(k));
      EXPECT_EQ(Names(dir), expected);
      EXPECT_EQ(dir.Read(name(kOutputs - 1)), std::to_string(kOutputs - 1) + "\n");
    }
  }
}

// A live process holds the lock of its temporary until the name is gone.
// Fault: a temporary whose process id did not exist here was taken for a
// dead one's, and a run in another PID namespace lost it to a sweep.
TEST(TextioOutputFile, ASweepTakesOnlyTemporariesItCanLock) {
  const std::string elsewhere = ".wave.dat.partial-2147483000-0";  // above any pid_max: no such process here
  enum class Holder { kChild, kThisProcess, kNobody };
  const struct {
    const char* label;
    std::string name;
    Holder lock;
    mode_t type;
    bool survives;
  } cases[] = {
      {"locked by a live process of another namespace", elsewhere, Holder::kChild, S_IFREG, true},
      {"locked through another open file", elsewhere, Holder::kThisProcess, S_IFREG, true},
      {"unlocked, of no process", elsewhere, Holder::kNobody, S_IFREG, false},
      {"unlocked, of a live process", ".wave.dat.partial-1-0", Holder::kNobody, S_IFREG, true},
      {"a FIFO of no process", elsewhere, Holder::kNobody, S_IFIFO, true},
      {"a link of no process", elsewhere, Holder::kNobody, S_IFLNK, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    const std::string path = dir.PathOf(c.name);
    if (c.type == S_IFIFO) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    } else if (c.type == S_IFLNK) {
      dir.Write("kept", "a file the link leads to\n");
      ASSERT_EQ(::symlink("kept", path.c_str()), 0);
    } else {
      dir.Write(c.name, "half a spectrum\n");
    }
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t child = -1;
    int held = -1;
    if (c.lock == Holder::kChild) {
      child = ::fork();
      if (child == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const int descriptor = ::open(path.c_str(), O_RDONLY);
        char byte = ::flock(descriptor, LOCK_EX) == 0 ? 'y' : 'n';
        if (::write(ready[1], &byte, 1) != 1 || ::read(release[0], &byte, 1) < 0) ::_exit(1);
        ::_exit(0);
      }
      char byte = 0;
      ASSERT_EQ(::read(ready[0], &byte, 1), 1);
      ASSERT_EQ(byte, 'y');
    } else if (c.lock == Holder::kThisProcess) {
      held = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(::flock(held, LOCK_EX), 0);
    }
    { OutputFile sweeps = OutputFile::Create(dir.PathOf("next.dat"), Publication::kNew); }
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status) == 0, c.survives);
    for (const int descriptor : {ready[0], ready[1], release[0], release[1], held}) {
      if (descriptor >= 0) ::close(descriptor);
    }
    if (child > 0) {
      int exit = 0;
      ::waitpid(child, &exit, 0);
      EXPECT_TRUE(WIFEXITED(exit) && WEXITSTATUS(exit) == 0);
    }
  }
  // The maker's own hold: a temporary of a live run cannot be locked by anyone else.
  ScratchDir dir;
  Hook named([](FileStep step) { return step == FileStep::kCreateUnnamed ? EOPNOTSUPP : 0; });
  OutputFile file = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
  file.Finish();
  const std::set<std::string> names = Names(dir);
  ASSERT_EQ(names.size(), 1u);
  const int other = ::open(dir.PathOf(*names.begin()).c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  ::close(other);
}

}  // namespace
}  // namespace wavecomp::textio
