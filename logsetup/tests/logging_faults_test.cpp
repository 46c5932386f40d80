// Start-up under file-system faults, as a user meets them: the real program, copied with its
// component into a temporary folder under the name Sample, started with a temporary home folder
// and the date set by faketime. Whatever happens to the log configuration and the log file, the
// start goes on: AppRun runs and its result is the exit status, and the configuration file holds
// one whole version, never bytes of two.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "logsetup/tests/expected_configuration.h"
#include "logsetup/tests/sample_program.h"
#include "testsupport/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using logsetup_test::ExpectedConfiguration;
using logsetup_test::Outcome;
using testsupport::ReadFile;

class LoggingFaultTest : public logsetup_test::SampleProgramTest {
 protected:
  // The names in the log folder: the configuration, the log subfolder, and nothing left over
  // from an interrupted write.
  std::set<std::string> LogFolderNames() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(logFolder())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
};

// The file read in pieces of 16 bytes, one system call each and a pause after each, as a reader
// that takes its time does, so that writes of other processes fall inside one read; none when it
// cannot be opened.
std::optional<std::string> ReadInPieces(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::string content;
  char piece[16];
  for (std::size_t count; (count = std::fread(piece, 1, sizeof piece, file)) > 0;) {
    content.append(piece, count);
    std::this_thread::sleep_for(std::chrono::microseconds(20));
  }
  std::fclose(file);
  return content;
}

bool RanAppRun(const Outcome& outcome) {
  return outcome.out.find("AppRun command line: ") != std::string::npos;
}

// Without SIGXFSZ ignored, the first write of the configuration ends the process (status 153).
// Nothing can be written to a file, standard output included: the status is Run's result.
TEST_F(LoggingFaultTest, NoFileSizeAllowedStillRunsAppRun) {
  const Outcome outcome =
      Run(StartCommand("2024-03-07", "--exit 7", "sh -c 'ulimit -f 0 && exec \"$0\" \"$@\"'"));
  EXPECT_EQ(outcome.exitCode, 7) << outcome.err;
  EXPECT_EQ(LogFolderNames(), std::set<std::string>{"Sample"});
}

TEST_F(LoggingFaultTest, WriteCutPartWayKeepsTheOldConfiguration) {
  ASSERT_EQ(Run(StartCommand("2024-03-07")).exitCode, 0);
  const auto configuration = ReadFile(logFolder() + "/Sample.ini");
  ASSERT_EQ(configuration, ExpectedConfiguration(logFile("20240307")));

  // 200 bytes: less than the configuration, so its write stops part-way.
  const Outcome later = Run(StartCommand("2025-12-31", "--exit 3", "prlimit --fsize=200"));
  EXPECT_EQ(later.exitCode, 3) << later.err;
  EXPECT_TRUE(RanAppRun(later));
  EXPECT_EQ(ReadFile(logFolder() + "/Sample.ini"), configuration);
  EXPECT_EQ(LogFolderNames(), (std::set<std::string>{"Sample", "Sample.ini"}));
}

// The read-only attribute binds administrators too: as root, a read-only configuration is not
// replaced, and the library runs on its old content (the line goes to the first day's file).
// LoggingProgramTest covers an unprivileged user.
TEST_F(LoggingFaultTest, ReadOnlyConfigurationIsKeptForRootToo) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  ASSERT_EQ(Run(StartCommand("2024-03-07")).exitCode, 0);
  const auto configuration = ReadFile(logFolder() + "/Sample.ini");
  ASSERT_EQ(configuration, ExpectedConfiguration(logFile("20240307")));
  fs::permissions(logFolder() + "/Sample.ini",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const Outcome later = Run(StartCommand("2024-03-08", "--exit 5"));
  EXPECT_EQ(later.exitCode, 5) << later.err;
  EXPECT_EQ(later.err, "");
  EXPECT_EQ(ReadFile(logFolder() + "/Sample.ini"), configuration);
  EXPECT_FALSE(fs::exists(logFile("20240308")));
  const std::string firstDay = ReadFile(logFile("20240307")).value_or("");
  EXPECT_EQ(std::count(firstDay.begin(), firstDay.end(), '\n'), 2) << firstDay;
}

// Ten processes starting the program three times each, each on a day of its own, while a reader
// polls the configuration in small pieces: every read finds one start's whole file.
TEST_F(LoggingFaultTest, ConcurrentStartsNeverShowAMixedConfiguration) {
  std::set<std::string> versions;
  std::string script;
  for (int day = 10; day <= 19; ++day) {
    const std::string date = "2024-03-" + std::to_string(day);
    versions.insert(ExpectedConfiguration(logFile("202403" + std::to_string(day))));
    const std::string start = StartCommand(date) + " >/dev/null 2>&1";
    script += "{ " + start + "; " + start + "; " + start + "; } & ";
  }
  script += "wait";

  std::atomic<bool> done{false};
  int reads = 0;
  std::vector<std::string> mixed;
  std::thread reader([&] {
    const std::string path = logFolder() + "/Sample.ini";
    while (!done) {
      const auto content = ReadInPieces(path);
      if (!content) continue;
      ++reads;
      if (versions.count(*content) == 0 && mixed.size() < 3) mixed.push_back(*content);
    }
  });
  const Outcome outcome = Run(script);
  done = true;
  reader.join();

  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(mixed, std::vector<std::string>{});
  EXPECT_EQ(versions.count(ReadFile(logFolder() + "/Sample.ini").value_or("")), 1u);
  EXPECT_EQ(LogFolderNames(), (std::set<std::string>{"Sample", "Sample.ini"}));
}

// A full disk under the Documents folder: a small tmpfs in a private mount namespace (root
// only). The log file is made to end on a page boundary, so the component's next line needs a
// page the disk no longer has, and log4cxx throws out of the logging call; the configuration
// cannot be replaced either. The files are copied out before the namespace goes.
TEST_F(LoggingFaultTest, FullDiskLosesTheLogLinesNotTheStart) {
  if (std::system("unshare --mount --propagation private true >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no private mount namespace here (needs root with CAP_SYS_ADMIN)";
  }
  const std::string script =
      "mount -t tmpfs -o size=256k tmpfs '" + home_() + "/Documents' || exit 90\n" +
      StartCommand("2024-03-07") + " >first.txt || exit 91\n" + "truncate -s 4096 '" +
      logFile("20240307") + "' || exit 92\n" + "cp '" + logFolder() +
      "/Sample.ini' before.ini || exit 93\n" + "dd if=/dev/zero of='" + home_() +
      "/Documents/filler' bs=4096 2>/dev/null\n" + StartCommand("2024-03-07", "--exit 7") + "\n" +
      "status=$?\n" + "cp '" + logFolder() + "/Sample.ini' after.ini\n" + "ls -a '" + logFolder() +
      "' >names.txt\n" + "exit $status\n";
  std::ofstream(root_ + "/full-disk.sh") << script;
  const Outcome outcome = Run("unshare --mount --propagation private sh full-disk.sh");
  ASSERT_LT(outcome.exitCode, 90) << outcome.err;
  EXPECT_EQ(outcome.exitCode, 7) << outcome.err;
  EXPECT_TRUE(RanAppRun(outcome));
  EXPECT_EQ(ReadFile(root_ + "/before.ini"), ExpectedConfiguration(logFile("20240307")));
  EXPECT_EQ(ReadFile(root_ + "/after.ini"), ReadFile(root_ + "/before.ini"));
  EXPECT_EQ(ReadFile(root_ + "/names.txt"), ".\n..\nSample\nSample.ini\n");
}

}  // namespace
