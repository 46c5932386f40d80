#include "logsetup/log_configuration.h"

#include <gtest/gtest.h>
#include <log4cxx/logger.h>
#include <log4cxx/logmanager.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "logsetup/tests/expected_configuration.h"
#include "platform/codepage.h"
#include "platform/crt_time.h"
#include "platform/module.h"
#include "platform/testing/seams.h"
#include "testsupport/temp_dir.h"
#include "testsupport/temp_home.h"

namespace {

namespace fs = std::filesystem;
using logsetup_test::ExpectedConfiguration;
using testsupport::ReadFile;

// The clock stands on 7 March 2024, 12:00 local time, while a fixture lives.
__time64_t MarchSeventh() {
  std::tm noon{};
  noon.tm_year = 2024 - 1900;
  noon.tm_mon = 2;
  noon.tm_mday = 7;
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  return _mktime64(&noon);
}

class LogConfigurationTest : public testsupport::TempHomeTest {
 protected:
  void SetUp() override { savedLocale_ = std::setlocale(LC_ALL, nullptr); }
  void TearDown() override {
    // Close the appenders before the folders go.
    log4cxx::LogManager::resetConfiguration();
    std::setlocale(LC_ALL, savedLocale_.c_str());
  }

  platform::ScopedOverride<__time64_t()> clock_{platform::seams::CurrentTime,
                                                [] { return MarchSeventh(); }};
  std::string savedLocale_;
};

TEST_F(LogConfigurationTest, WritesSevenLinesNamingTheDatedLogFile) {
  struct Case {
    const char* label;
    std::string name;
    std::string folder;  // code page 932, under the temporary home
    int32_t versions[4];
    std::string hostFolder;     // where the folder lies in the file system (UTF-8, "/")
    std::string logFileTail;    // line 5 after the folder part
    std::string escapedFolder;  // the folder part of line 5
  };
  const std::string h = home_;
  const std::vector<Case> cases = {
      {"worked example",
       "Sample",
       h + "/a",
       {1, 0, 0, 0},
       h + "/a",
       "Sample/Sample.1.0.0Log_20240307.txt",
       h + "/a/"},
      {"four parts",
       "Sample",
       h + "/b",
       {1, 2, 3, 4},
       h + "/b",
       "Sample/Sample.1.2.3.4Log_20240307.txt",
       h + "/b/"},
      {"zero parts",
       "Sample",
       h + "/c",
       {0, 0, 0, 0},
       h + "/c",
       "Sample/Sample.0.0.0Log_20240307.txt",
       h + "/c/"},
      {"negative parts",
       "Sample",
       h + "/d",
       {-1, 0, INT32_MIN, -1},
       h + "/d",
       "Sample/Sample.-1.0.-2147483648.-1Log_20240307.txt",
       h + "/d/"},
      {"empty name", "", h + "/e", {1, 0, 0, 0}, h + "/e", "/.1.0.0Log_20240307.txt", h + "/e/"},
      {"real backslash is doubled",
       "Sample",
       h + "/f\\g",
       {1, 0, 0, 0},
       h + "/f/g",
       "Sample/Sample.1.0.0Log_20240307.txt",
       h + "/f\\\\g/"},
      {"trail byte 0x5C of \x95\x5C stays single",
       "Sample",
       h + "/\x95\x5C",
       {1, 0, 0, 0},
       h + "/\xE8\xA1\xA8",
       "Sample/Sample.1.0.0Log_20240307.txt",
       h + "/\x95\x5C/"},
      {"both in one folder",
       "\x95\x5C",
       h + "/\x95\x5C\\x",
       {1, 0, 0, 0},
       h + "/\xE8\xA1\xA8/x",
       "\x95\x5C/\x95\x5C.1.0.0Log_20240307.txt",
       h + "/\x95\x5C\\\\x/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::create_directories(c.hostFolder);
    const std::string path = WriteLogConfiguration(c.name, c.folder, c.versions[0], c.versions[1],
                                                   c.versions[2], c.versions[3]);
    EXPECT_EQ(path, c.folder + "/" + c.name + ".ini");
    const std::string hostName = platform::Utf8FromAnsi(c.name);
    EXPECT_EQ(ReadFile(c.hostFolder + "/" + hostName + ".ini"),
              ExpectedConfiguration(c.escapedFolder + c.logFileTail));
    EXPECT_TRUE(fs::is_directory(c.hostFolder + "/" + hostName));
  }
}

TEST_F(LogConfigurationTest, LongerOldFileIsReplacedWhole) {
  const std::string folder = home_ + "/logs";
  fs::create_directories(folder);
  std::ofstream(folder + "/Sample.ini") << std::string(5000, '#');
  WriteLogConfiguration("Sample", folder, 1, 0, 0, 0);
  EXPECT_EQ(ReadFile(folder + "/Sample.ini"),
            ExpectedConfiguration(folder + "/Sample/Sample.1.0.0Log_20240307.txt"));
}

TEST_F(LogConfigurationTest, FileThatCannotBeOpenedIsPassedOver) {
  // A file stands where the log folder should be: nothing can be created below it.
  std::ofstream(home_ + "/blocked") << "a file";
  std::string path;
  EXPECT_NO_THROW(path = WriteLogConfiguration("Sample", home_ + "/blocked", 1, 0, 0, 0));
  EXPECT_EQ(path, home_ + "/blocked/Sample.ini");
  EXPECT_EQ(ReadFile(home_ + "/blocked"), "a file");
}

TEST_F(LogConfigurationTest, OnlyTheGeneratedBranchSetsTheUserLocale) {
  const std::string override = home_ + "/Documents/Korvo/SystemLog/KDefault.ini";
  fs::create_directories(home_ + "/Documents/Korvo/SystemLog");
  std::ofstream(override) << "log4j.rootLogger = Info\n";
  setenv("LC_ALL", "C.UTF-8", 1);

  std::setlocale(LC_ALL, "C");
  SetUpLogging("Sample", 1, 0, 0, 0);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");

  fs::remove(override);
  SetUpLogging("Sample", 1, 0, 0, 0);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C.UTF-8");

  // A user default that is not UTF-8 takes every category but the character type, which stays
  // as start-up set it for the file names.
  setenv("LC_ALL", "C", 1);
  std::setlocale(LC_ALL, "C.UTF-8");
  SetUpLogging("Sample", 1, 0, 0, 0);
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  unsetenv("LC_ALL");
}

TEST_F(LogConfigurationTest, GeneratedConfigurationIsInForce) {
  SetUpLogging("Sample", 1, 0, 0, 0);
  const std::string logFolder = home_ + "/Documents/Korvo/SystemLog";
  EXPECT_EQ(ReadFile(logFolder + "/Sample.ini"),
            ExpectedConfiguration(logFolder + "/Sample/Sample.1.0.0Log_20240307.txt"));

  log4cxx::LoggerPtr logger = log4cxx::Logger::getLogger("linkstart.test");
  LOG4CXX_INFO(logger, "info line");
  LOG4CXX_DEBUG(logger, "debug line");
  const auto log = ReadFile(logFolder + "/Sample/Sample.1.0.0Log_20240307.txt");
  ASSERT_TRUE(log.has_value());
  EXPECT_NE(log->find("[ INFO] "), std::string::npos) << *log;
  EXPECT_NE(log->find(" - info line\n"), std::string::npos) << *log;
  EXPECT_EQ(log->find("debug line"), std::string::npos) << *log;
}

TEST_F(LogConfigurationTest, OverrideWinsAndIsLeftAlone) {
  // The override sits under a Documents folder with a non-ASCII name; the path reaches the
  // library whole (the character type is UTF-8, as start-up sets it).
  const std::string documents = home_ + "/\xE6\x96\x87\xE6\x9B\xB8";  // 文書
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\x9B\xB8\"\n");
  const std::string logFolder = documents + "/Korvo/SystemLog";
  fs::create_directories(logFolder);
  const std::string content =
      "log4j.rootLogger=DEBUG, O\n"
      "log4j.appender.O=org.apache.log4j.FileAppender\n"
      "log4j.appender.O.File=" +
      home_ +
      "/override.log\n"
      "log4j.appender.O.layout=org.apache.log4j.SimpleLayout\n";
  std::ofstream(logFolder + "/KDefault.ini") << content;
  std::setlocale(LC_CTYPE, "C.UTF-8");

  SetUpLogging("Sample", 1, 0, 0, 0);
  LOG4CXX_DEBUG(log4cxx::Logger::getLogger("linkstart.test"), "debug line");
  EXPECT_EQ(ReadFile(home_ + "/override.log"), "DEBUG - debug line\n");
  EXPECT_EQ(ReadFile(logFolder + "/KDefault.ini"), content);
  EXPECT_FALSE(fs::exists(logFolder + "/Sample.ini"));
  EXPECT_FALSE(fs::exists(logFolder + "/Sample"));
}

TEST_F(LogConfigurationTest, OverrideFolderCountsAsOverride) {
  const std::string logFolder = home_ + "/Documents/Korvo/SystemLog";
  fs::create_directories(logFolder + "/KDefault.ini");
  SetUpLogging("Sample", 1, 0, 0, 0);
  EXPECT_TRUE(fs::is_directory(logFolder + "/KDefault.ini"));
  EXPECT_TRUE(fs::is_empty(logFolder + "/KDefault.ini"));
  EXPECT_FALSE(fs::exists(logFolder + "/Sample.ini"));
  EXPECT_FALSE(fs::exists(logFolder + "/Sample"));
}

TEST_F(LogConfigurationTest, NoDocumentsFolderStartsAtTheRoot) {
  // Without a Documents folder the log folder is "/Korvo/SystemLog". The real root is not
  // touched: a child process runs the set-up with its root changed to the temporary folder
  // (which needs root; the tests run as root here).
  if (geteuid() != 0) GTEST_SKIP() << "changing the root needs root";
  const std::string root = home_ + "/root";
  fs::create_directories(root);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::ScopedOverride<const platform::BuiltinModule*(LPCSTR)> noShell(
        platform::seams::FindBuiltinModule,
        [](LPCSTR) -> const platform::BuiltinModule* { return nullptr; });
    // Open what the set-up needs from the real system before the root changes: the code page
    // converters, the time zone and the logging library's own state.
    platform::Utf8FromAnsi("x");
    platform::WideFromAnsi("x");
    const __time64_t now = _time64(nullptr);
    _localtime64(&now);
    log4cxx::Logger::getRootLogger();
    if (chroot(root.c_str()) != 0 || chdir("/") != 0) _exit(2);
    SetUpLogging("Sample", 1, 0, 0, 0);
    LOG4CXX_INFO(log4cxx::Logger::getLogger("linkstart.test"), "from the root");
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(root + "/Korvo/SystemLog/Sample.ini"),
            ExpectedConfiguration("/Korvo/SystemLog/Sample/Sample.1.0.0Log_20240307.txt"));
  const auto log = ReadFile(root + "/Korvo/SystemLog/Sample/Sample.1.0.0Log_20240307.txt");
  ASSERT_TRUE(log.has_value());
  EXPECT_NE(log->find(" - from the root\n"), std::string::npos) << *log;
}

}  // namespace
