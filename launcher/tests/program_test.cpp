// The built program, started as a user starts it, from copies in temporary folders with or
// without a component file beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/tests/program_runner.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/testing/command_line.h"
#include "testsupport/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using launcher_test::Outcome;
using launcher_test::RunProgram;

const std::string kCreateFailed =
    "AppRunオブジェクトの作成に失敗しました。\n処理を継続することができません。\n";

// A temporary folder holding the program in `app/` and, when asked, a component file beside it.
class ProgramTest : public testing::Test {
 protected:
  void Install(const std::string& folderName, const std::string& component) {
    app_ = dir_.Path(folderName);
    fs::create_directories(app_);
    fs::copy_file(LINKSTART_PROGRAM, app_ / "linkstart");
    // The shared assembly the program's manifest depends on, as the install lays it beside.
    fs::copy_file(LINKSTART_SHARED_ASSEMBLY, app_ / "Korvo.Suite.Shared.manifest");
    if (component == "garbage") {
      std::ofstream(app_ / "KLinkUI.dll") << "MZ this is not a shared object\n";
    } else if (!component.empty()) {
      fs::copy_file(component, app_ / "KLinkUI.dll");
    }
  }
  Outcome Start(const std::vector<std::string>& arguments) {
    return RunProgram((app_ / "linkstart").string(), arguments, dir_.Path(), dir_.Path());
  }

  // The arguments that AppRun's Run received, split as CommandLineToArgvW splits them.
  static std::vector<std::u16string> ReceivedArguments(const Outcome& outcome) {
    const std::string prefix = "AppRun command line: ";
    const std::size_t at = outcome.out.find(prefix);
    if (at == std::string::npos) return {};
    const std::size_t end = outcome.out.find('\n', at);
    const std::string line = outcome.out.substr(at + prefix.size(), end - at - prefix.size());
    return platform::SplitCommandLine(platform::WideFromAnsi(platform::AnsiFromUtf8(line)));
  }

  static std::u16string Wide(const std::string& utf8) {
    return platform::WideFromAnsi(platform::AnsiFromUtf8(utf8));
  }

  testsupport::TempDir dir_;
  fs::path app_;
};

TEST_F(ProgramTest, ExitStatusIsRunsResult) {
  Install("app", LINKSTART_COMPONENT);
  for (const auto& [result, status] : {std::pair{"0", 0}, {"7", 7}, {"-3", 253}}) {
    SCOPED_TRACE(result);
    const Outcome outcome = Start({"--exit", result});
    EXPECT_EQ(outcome.status, status);
    EXPECT_NE(outcome.out.find("AppRun show command: 10\n"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.err, "");
  }
}

TEST_F(ProgramTest, RunReceivesTheWholeCommandLineProgramPathFirst) {
  Install("my app", LINKSTART_COMPONENT);  // a space in the program's path
  const std::string program = (app_ / "linkstart").string();
  const std::vector<std::vector<std::string>> runs = {
      {},
      {"two words", "表示", "データ 連携", "say \"hi\"", "", "trailing\\"},
  };
  for (const auto& arguments : runs) {
    const Outcome outcome = Start(arguments);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::vector<std::u16string> expected = {Wide(program)};
    for (const std::string& argument : arguments) expected.push_back(Wide(argument));
    EXPECT_EQ(ReceivedArguments(outcome), expected) << outcome.out;
  }
  const Outcome outcome = Start({});
  EXPECT_NE(outcome.out.find("AppRun command line: \"" + program + "\"\n"), std::string::npos)
      << outcome.out;
}

TEST_F(ProgramTest, ComponentThatCannotGiveAppRunShowsTheBoxAndExitsWithMinusOne) {
  const std::pair<const char*, std::string> cases[] = {
      {"missing", ""},
      {"not loadable", "garbage"},
      {"no DllGetClassObject", LINKSTART_FIXTURE_NO_ENTRY},
      {"class refused", LINKSTART_FIXTURE_NO_CLASS},
      {"factory fails", LINKSTART_FIXTURE_FACTORY_FAILS},
      {"no IAppRun", LINKSTART_FIXTURE_NO_INTERFACE},
  };
  for (const auto& [what, component] : cases) {
    SCOPED_TRACE(what);
    fs::remove_all(dir_.Path("app"));
    Install("app", component);
    const Outcome outcome = Start({"--exit", "7"});
    EXPECT_EQ(outcome.status, 255);
    EXPECT_EQ(outcome.err, kCreateFailed);
    EXPECT_EQ(outcome.out, "");
  }
}

TEST_F(ProgramTest, ComponentIsLoadedOnlyFromTheProgramsFolder) {
  // The component in the current folder, not beside the program: never loaded, whether the
  // program is started by path or by bare name through PATH.
  Install("app", "");
  fs::copy_file(LINKSTART_COMPONENT, dir_.Path("KLinkUI.dll"));
  Outcome outcome = Start({});
  EXPECT_EQ(outcome.status, 255);
  EXPECT_EQ(outcome.err, kCreateFailed);
  outcome = RunProgram("linkstart", {}, dir_.Path(), dir_.Path(), app_.string());
  EXPECT_EQ(outcome.status, 255);
  EXPECT_EQ(outcome.out, "");

  // Beside the program it is found from any current folder, and a bare-name start stays a bare
  // name on the command line.
  fs::copy_file(LINKSTART_COMPONENT, app_ / "KLinkUI.dll");
  fs::remove(dir_.Path("KLinkUI.dll"));
  outcome = RunProgram("linkstart", {"x"}, dir_.Path(), dir_.Path(), app_.string());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReceivedArguments(outcome), (std::vector<std::u16string>{u"linkstart", u"x"}));
}

}  // namespace
