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

// A child makes its outputs and ends without cleaning up: killed outright,
// or by a handler that removes the named temporaries first. Fault: there was
// room for 8 named temporaries ("File name too long" with more outputs).
TEST(TextioOutputFile, NothingOutlivesAKilledProcessForLong) {
  constexpr int kOutputs = 30;  // past the first two chunks of named temporaries: 8 + 16
  for (const bool unnamed : {true, false}) {
    for (const bool handler : {false, true}) {
      SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + (handler ? ", handler" : ", SIGKILL"));
      ScratchDir dir;
      dir.Write(".other.partial-1-0", "of a process that is alive\n");  // pid 1 always is
      const pid_t child = ::fork();
      if (child == 0) {
        Faults faults(FileStep::kWrite, 0, unnamed);
        std::vector<OutputFile> files;
        for (int k = 0; k < kOutputs; ++k) {
          files.push_back(OutputFile::Create(dir.PathOf("wave" + std::to_string(k)), Publication::kNew));
          files.back().WriteLine("half");
          if (k == 0) files.back().Finish();
        }
        if (handler) RemoveTemporaryFiles();
        ::kill(::getpid(), SIGKILL);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status));
      // Only the named road without a handler leaves hidden temporaries ...
      EXPECT_EQ(Take(dir).size(), unnamed || handler ? 1u : 1u + kOutputs);
      // ... which the next output made in the folder removes, as their process is gone.
      OutputFile next = OutputFile::Create(dir.PathOf("next.dat"), Publication::kNew);
      EXPECT_EQ(Take(dir), (Snapshot{{".other.partial-1-0", "of a process that is alive\n"}}));
    }
  }
}

// What a name to replace resolves to is looked at again just before the
// rename: one that became a device, FIFO, socket or folder, or a link to an
// input, while the outputs were written is left as it is, and so is every
// other name of the set. (Each program's own table has them from the start.)
TEST(TextioOutputFile, ANameThatBecameUnfitMeanwhileIsNotReplaced) {
  for (const bool unnamed : {true, false}) {
    for (const testing::HostileTarget& target : testing::kHostileTargets) {
      SCOPED_TRACE(target.label + std::string(unnamed ? ", unnamed" : ", named"));
      ScratchDir dir;
      dir.Write("cont.txt", "settings\n");
      const std::string plot = dir.PathOf("plot.svg");
      bool made = false;
      std::string before, message;
      // The first link is a step of publishing, before any name is given.
      Hook hook([&, links = 0](FileStep step) mutable {
        if (!unnamed && step == FileStep::kCreateUnnamed) return EOPNOTSUPP;
        if (step == FileStep::kLink && ++links == 1) {
          made = testing::MakeHostile(dir, "plot.svg", target.kind, "cont.txt");
          before = testing::Fingerprint(plot);
        }
        return 0;
      });
      OutputSet outputs;
      outputs.Reads(dir.PathOf("cont.txt"));
      try {
        for (const std::string name : {"plot.svg", "wave.dat"}) {
          OutputFile file = outputs.Create(dir.PathOf(name), name == "wave.dat" ? Publication::kNew : Publication::kReplace);
          file.WriteLine("new");
          outputs.Add(std::move(file));
        }
        outputs.PublishAll();
      } catch (const OutputError& error) {
        message = error.what();
      }
      if (!made) continue;
      const std::string reason = testing::Refusal(target, dir.PathOf("cont.txt"));
      EXPECT_EQ(message, reason.empty() ? "cannot complete " + plot + ": Is a directory; no file was written or changed"
                                        : "will not replace " + plot + ": " + reason + "; no file was written or changed");
      EXPECT_EQ(testing::Fingerprint(plot), before);
      EXPECT_EQ(Names(dir), (std::set<std::string>{"cont.txt", "plot.svg"}));
    }
  }
}

// A live process holds the lock of its temporary until the name is gone,
// and a sweep removes only what it can lock. Fault: a temporary whose process
// id did not exist here was taken for a dead one's, and a run in another PID
// namespace lost it to a sweep.
TEST(TextioOutputFile, ASweepTakesOnlyTemporariesItCanLock) {
  const std::string elsewhere = ".wave.dat.partial-2147483000-0";  // above any pid_max: no such process here
  const struct {
    const char* label;
    std::string name;
    bool locked;  // by another open file, as a live process elsewhere holds it
    bool fifo;
    bool survives;
  } cases[] = {
      {"locked, of a process of another namespace", elsewhere, true, false, true},
      {"unlocked, of no process", elsewhere, false, false, false},
      {"unlocked, of a live process", ".wave.dat.partial-1-0", false, false, true},
      {"a FIFO of no process", elsewhere, false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    const std::string path = dir.PathOf(c.name);
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    } else {
      dir.Write(c.name, "half a spectrum\n");
    }
    const int held = c.locked ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    ASSERT_EQ(c.locked ? ::flock(held, LOCK_EX) : 0, 0);
    { OutputFile sweeps = OutputFile::Create(dir.PathOf("next.dat"), Publication::kNew); }
    EXPECT_EQ(Names(dir).count(c.name), c.survives ? 1u : 0u);
    if (held >= 0) ::close(held);
  }
  // The maker's own hold: the temporary of a live output cannot be locked by anyone else.
  ScratchDir dir;
  Faults named(FileStep::kWrite, 0, false);
  OutputFile file = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
  const int other = ::open(dir.PathOf(*Names(dir).begin()).c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  ::close(other);
}

}  // namespace
}  // namespace wavecomp::textio
