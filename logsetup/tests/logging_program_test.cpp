// The logging set-up as a user meets it: the real program, copied with its component into a
// temporary folder under the name Sample, started with a temporary home folder and with the
// date set by faketime. The component (the stand-in AppRun) logs one Info and one Debug line
// from its Run, so each start shows which configuration the application object ran under.
#include <gtest/gtest.h>
#include <log4cxx/logmanager.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "launcher/startup.h"
#include "logsetup/tests/expected_configuration.h"
#include "logsetup/tests/sample_program.h"
#include "platform/codepage.h"
#include "platform/com.h"
#include "platform/process.h"
#include "testsupport/temp_dir.h"
#include "testsupport/temp_home.h"

namespace {

namespace fs = std::filesystem;
using logsetup_test::ExpectedConfiguration;
using logsetup_test::Outcome;
using testsupport::kHyoUtf8;
using testsupport::ReadFile;

class LoggingProgramTest : public logsetup_test::SampleProgramTest {};

// One line of the component's Info message in the pattern of the generated configuration.
const std::regex kInfoLine(
    R"(\d{4}-\d\d-\d\d 10:00:\d\d \[ INFO\] \S*apprun\.cpp\(\d+\) \S*Run - AppRun started\n)");

int CountMatches(const std::string& text, const std::regex& pattern) {
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern),
                                        std::sregex_iterator()));
}

TEST_F(LoggingProgramTest, GeneratedConfigurationPerDay) {
  const Outcome first = Start("2024-03-07");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find("AppRun command line: "), std::string::npos);
  EXPECT_EQ(first.err, "");

  EXPECT_TRUE(fs::is_directory(logFolder() + "/Sample"));
  const std::string dayOne = logFolder() + "/Sample/Sample.1.0.0Log_20240307.txt";
  const auto configuration = ReadFile(logFolder() + "/Sample.ini");
  EXPECT_EQ(configuration, ExpectedConfiguration(dayOne));
  auto log = ReadFile(dayOne);
  ASSERT_TRUE(log.has_value());
  EXPECT_TRUE(std::regex_match(*log, kInfoLine)) << *log;
  EXPECT_EQ(log->find("DEBUG"), std::string::npos);

  // The same day again: the same bytes, the same log file, one more line.
  ASSERT_EQ(Start("2024-03-07").exitCode, 0);
  EXPECT_EQ(ReadFile(logFolder() + "/Sample.ini"), configuration);
  log = ReadFile(dayOne);
  EXPECT_EQ(CountMatches(*log, kInfoLine), 2) << *log;

  // A later day names a new file; the old one stays as it was.
  ASSERT_EQ(Start("2024-03-08").exitCode, 0);
  const std::string dayTwo = logFolder() + "/Sample/Sample.1.0.0Log_20240308.txt";
  EXPECT_EQ(ReadFile(logFolder() + "/Sample.ini"), ExpectedConfiguration(dayTwo));
  EXPECT_EQ(ReadFile(dayOne), log);
  const auto second = ReadFile(dayTwo);
  ASSERT_TRUE(second.has_value());
  EXPECT_TRUE(std::regex_match(*second, kInfoLine)) << *second;
}

TEST_F(LoggingProgramTest, OverrideFileWinsAndIsNeverChanged) {
  fs::create_directories(logFolder());
  const std::string override = logFolder() + "/KDefault.ini";
  const std::string content =
      "log4j.rootLogger=DEBUG, O\n"
      "log4j.appender.O=org.apache.log4j.FileAppender\n"
      "log4j.appender.O.File=" +
      home_() +
      "/override.log\n"
      "log4j.appender.O.layout=org.apache.log4j.SimpleLayout\n";
  std::ofstream(override) << content;
  const auto written = fs::last_write_time(override);

  const Outcome outcome = Start("2024-03-07");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  // The component logged through the override: both its lines, in the override's layout.
  EXPECT_EQ(ReadFile(home_() + "/override.log"),
            "INFO - AppRun started\nDEBUG - AppRun show command 10\n");
  EXPECT_EQ(ReadFile(override), content);
  EXPECT_EQ(fs::last_write_time(override), written);
  EXPECT_FALSE(fs::exists(logFolder() + "/Sample.ini"));
  EXPECT_FALSE(fs::exists(logFolder() + "/Sample"));
}

TEST_F(LoggingProgramTest, OverrideFolderWinsToo) {
  fs::create_directories(logFolder() + "/KDefault.ini");
  const Outcome outcome = Start("2024-03-07");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("AppRun command line: "), std::string::npos);
  // Handed to the library, which cannot read a folder: it says so itself and logs nowhere.
  EXPECT_NE(outcome.err.find("log4cxx: "), std::string::npos) << outcome.err;
  EXPECT_TRUE(fs::is_empty(logFolder() + "/KDefault.ini"));
  std::vector<fs::path> entries(fs::directory_iterator(logFolder()), {});
  EXPECT_EQ(entries, std::vector<fs::path>{logFolder() + "/KDefault.ini"});
}

TEST_F(LoggingProgramTest, ReadOnlyConfigurationIsUsedAsItIs) {
  // Root writes read-only files; an unprivileged user does not.
  const std::string nobody = "65534";
  ASSERT_EQ(std::system(("chown -R " + nobody + ":" + nobody + " '" + root_ + "'").c_str()), 0);
  ASSERT_EQ(Start("2024-03-07", nobody).exitCode, 0);
  const std::string dayOne = logFolder() + "/Sample/Sample.1.0.0Log_20240307.txt";
  const auto configuration = ReadFile(logFolder() + "/Sample.ini");
  ASSERT_EQ(configuration, ExpectedConfiguration(dayOne));
  fs::permissions(logFolder() + "/Sample.ini",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const Outcome later = Start("2024-03-08", nobody);
  EXPECT_EQ(later.exitCode, 0);
  EXPECT_NE(later.out.find("AppRun command line: "), std::string::npos);
  EXPECT_EQ(later.err, "");
  // Not rewritten: the library ran on the old content, so the line went to the first day's file.
  EXPECT_EQ(ReadFile(logFolder() + "/Sample.ini"), configuration);
  EXPECT_FALSE(fs::exists(logFolder() + "/Sample/Sample.1.0.0Log_20240308.txt"));
  EXPECT_EQ(CountMatches(ReadFile(dayOne).value_or(""), kInfoLine), 2);
}

// Every file and folder below `folder`, as paths relative to it.
std::set<std::string> TreeBelow(const std::string& folder) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    entries.insert(fs::relative(entry.path(), folder).string());
  }
  return entries;
}

// Non-ASCII and spaced Documents folders and program names: the configuration names the log
// file by its characters, so the log lands in <Documents>/Korvo/SystemLog/<name>/, and the
// library creates nothing else in the home folder (read as ISO-8859-1, such a path became a
// garbled folder tree beside the Documents folder, or lost its 0x5C trail byte to an escape).
TEST_F(LoggingProgramTest, NonAsciiPathsGetTheLogWhereTheConfigurationNamesIt) {
  struct Case {
    const char* label;
    std::string documents;  // below the home folder, UTF-8; set by user-dirs.dirs unless Documents
    std::string program;    // the copy's file name, UTF-8
  };
  const Case cases[] = {
      {"Documents in ドキュメント", "ドキュメント", "Sample"},
      {"Documents in 表", kHyoUtf8, "Sample"},
      {"Documents with a space", "My Documents", "Sample"},
      {"program named 表", "Documents", kHyoUtf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(home_());
    fs::create_directories(home_() + "/" + c.documents);
    std::set<std::string> expected = {c.documents};
    if (c.documents != "Documents") {
      fs::create_directories(home_() + "/.config");
      std::ofstream(home_() + "/.config/user-dirs.dirs")
          << "XDG_DOCUMENTS_DIR=\"$HOME/" << c.documents << "\"\n";
      expected.insert({".config", ".config/user-dirs.dirs"});
    }
    if (c.program != "Sample") fs::copy_file(root_ + "/app/Sample", root_ + "/app/" + c.program);

    const Outcome outcome = Start("2024-03-07", "", c.program);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");

    const std::string logFolder = c.documents + "/Korvo/SystemLog";
    const std::string logFile = c.program + ".1.0.0Log_20240307.txt";
    expected.insert({c.documents + "/Korvo", logFolder, logFolder + "/" + c.program + ".ini",
                     logFolder + "/" + c.program, logFolder + "/" + c.program + "/" + logFile});
    EXPECT_EQ(TreeBelow(home_()), expected);
    const auto log = ReadFile(home_() + "/" + logFolder + "/" + c.program + "/" + logFile);
    ASSERT_TRUE(log.has_value());
    EXPECT_TRUE(std::regex_match(*log, kInfoLine)) << *log;
    // The configuration names the same file in code page 932, as the program writes it.
    EXPECT_EQ(ReadFile(home_() + "/" + logFolder + "/" + c.program + ".ini"),
              ExpectedConfiguration(platform::AnsiFromUtf8(home_() + "/" + logFolder + "/" +
                                                           c.program + "/" + logFile)));
  }
}

TEST_F(LoggingProgramTest, OverrideFileWithNonAsciiLogPath) {
  fs::create_directories(logFolder());
  const std::string override = logFolder() + "/KDefault.ini";
  // ログ/表 ログ.log in code page 932; the trail byte of 表 is 0x5C, the line ends are CR LF.
  const std::string logPath = home_() + "/\x83\x8D\x83O/\x95\x5C \x83\x8D\x83O.log";
  const std::string content =
      "# written by an administrator\r\n"
      "log4j.rootLogger=INFO, O\r\n"
      "log4j.appender.O=org.apache.log4j.FileAppender\r\n"
      "log4j.appender.O.File=" +
      logPath +
      "\r\n"
      "log4j.appender.O.layout=org.apache.log4j.SimpleLayout\r\n";
  std::ofstream(override, std::ios::binary) << content;

  const Outcome outcome = Start("2024-03-07");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  const std::string hostLog = "\u30ED\u30B0/" + kHyoUtf8 + " \u30ED\u30B0.log";
  EXPECT_EQ(ReadFile(home_() + "/" + hostLog), "INFO - AppRun started\n");
  EXPECT_EQ(ReadFile(override), content);
  EXPECT_EQ(
      TreeBelow(home_()),
      (std::set<std::string>{"Documents", "Documents/Korvo", "Documents/Korvo/SystemLog",
                             "Documents/Korvo/SystemLog/KDefault.ini", "\u30ED\u30B0", hostLog}));
}

TEST_F(LoggingProgramTest, UnreadableOverrideFileIsHandedToTheLibrary) {
  fs::create_directories(logFolder());
  const std::string override = logFolder() + "/KDefault.ini";
  std::ofstream(override) << "log4j.rootLogger=INFO, O\n"
                             "log4j.appender.O=org.apache.log4j.FileAppender\n"
                             "log4j.appender.O.File=" +
                                 home_() + "/override.log\n";
  fs::permissions(override, fs::perms::none);
  // Root reads any file; an unprivileged user does not.
  const std::string nobody = "65534";
  ASSERT_EQ(std::system(("chown -R " + nobody + ":" + nobody + " '" + root_ + "'").c_str()), 0);

  const Outcome outcome = Start("2024-03-07", nobody);
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("AppRun command line: "), std::string::npos);
  // The library tried the path itself, said so, and logged nowhere.
  EXPECT_NE(outcome.err.find("log4cxx: "), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(home_() + "/override.log"));
  EXPECT_EQ(TreeBelow(logFolder()), std::set<std::string>{"KDefault.ini"});
}

// In process: start-up sets up logging before it initialises COM, so the set-up has run even
// when COM then refuses (here for real: the thread is already in the other kind of apartment).
class StartupLoggingTest : public testsupport::TempHomeTest {};

TEST_F(StartupLoggingTest, LoggingIsSetUpBeforeComInitialisationFails) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 1);
  CoUninitialize();
  log4cxx::LogManager::resetConfiguration();

  // The configuration is named after the running program, this test.
  char path[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  const std::string name = fs::path(path).stem().string();
  const std::string logFolder = home_ + "/Documents/Korvo/SystemLog";
  const auto configuration = ReadFile(logFolder + "/" + name + ".ini");
  ASSERT_TRUE(configuration.has_value());
  EXPECT_NE(configuration->find("File = " + logFolder + "/" + name + "/" + name + ".1.0.0Log_"),
            std::string::npos)
      << *configuration;
}

}  // namespace
