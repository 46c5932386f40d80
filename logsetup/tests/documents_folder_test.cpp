#include "logsetup/documents_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/lasterror.h"
#include "platform/module.h"
#include "platform/shell.h"
#include "platform/testing/seams.h"
#include "testsupport/temp_dir.h"
#include "testsupport/temp_home.h"

namespace {

namespace fs = std::filesystem;

// A stand-in shell folder library: its SHGetFolderPathA records each request and answers from a
// script, since the platform's own cannot be made to fail or to answer with an empty text.
struct Answer {
  HRESULT result;
  const char* text;
};
std::vector<std::pair<int, DWORD>> requests;
Answer answers[2];

HRESULT ScriptedGetFolderPath(HWND, int folder, HANDLE, DWORD type, LPSTR path) {
  requests.emplace_back(folder, type);
  const Answer& answer = answers[requests.size() == 1 ? 0 : 1];
  std::strcpy(path, answer.text);
  return answer.result;
}

const platform::BuiltinExport kScriptedExports[] = {
    {"SHGetFolderPathA", reinterpret_cast<FARPROC>(&ScriptedGetFolderPath)}};
const platform::BuiltinModule kScriptedShfolder = {"shfolder.dll", kScriptedExports, 1};
const platform::BuiltinModule kShfolderWithoutExports = {"shfolder.dll", nullptr, 0};

const platform::BuiltinModule* Scripted(LPCSTR) { return &kScriptedShfolder; }
const platform::BuiltinModule* WithoutExports(LPCSTR) { return &kShfolderWithoutExports; }
const platform::BuiltinModule* Missing(LPCSTR) { return nullptr; }

using ModuleFinder = const platform::BuiltinModule*(LPCSTR);

// Whether `module` still holds a reference taken by LoadLibraryA.
bool StillLoaded(const platform::BuiltinModule& module) {
  HMODULE handle = reinterpret_cast<HMODULE>(const_cast<platform::BuiltinModule*>(&module));
  return GetProcAddress(handle, "SHGetFolderPathA") != nullptr ||
         GetLastError() != ERROR_INVALID_HANDLE;
}

class ShellFolderPathTest : public testing::Test {
 protected:
  void SetUp() override {
    requests.clear();
    SetDllDirectoryA("/some/folder");
  }
  void TearDown() override { SetDllDirectoryA(nullptr); }
};

TEST_F(ShellFolderPathTest, RequestsAndResults) {
  constexpr HRESULT kFail = E_FAIL;
  struct Case {
    const char* label;
    int folderId;
    int retry;
    Answer first;
    Answer second;
    int expected;
    std::vector<std::pair<int, DWORD>> expectedRequests;
    const char* expectedText;
  };
  const std::vector<Case> cases = {
      {"first request answers",
       5,
       1,
       {S_OK, "/home/u/Docs"},
       {kFail, ""},
       1,
       {{5, 0}},
       "/home/u/Docs"},
      {"S_FALSE with a text is success", 5, 1, {S_FALSE, "/d"}, {kFail, ""}, 1, {{5, 0}}, "/d"},
      {"failed first, created second",
       5,
       1,
       {kFail, ""},
       {S_OK, "/home/u/Documents"},
       1,
       {{5, 0}, {0x8005, 1}},
       "/home/u/Documents"},
      {"empty first text leads to the second",
       5,
       1,
       {S_OK, ""},
       {S_OK, "/d2"},
       1,
       {{5, 0}, {0x8005, 1}},
       "/d2"},
      {"other folder ids keep their value",
       0x1A,
       1,
       {kFail, ""},
       {S_OK, "/a"},
       1,
       {{0x1A, 0}, {0x801A, 1}},
       "/a"},
      {"no retry: one request", 5, 0, {kFail, "left"}, {S_OK, "/never"}, 0, {{5, 0}}, "left"},
      {"no retry, empty text: one request", 5, 0, {S_OK, ""}, {S_OK, "/never"}, 0, {{5, 0}}, ""},
      {"both fail: the text left stays",
       5,
       1,
       {kFail, ""},
       {kFail, "junk"},
       0,
       {{5, 0}, {0x8005, 1}},
       "junk"},
      {"second success with an empty text fails",
       5,
       1,
       {kFail, ""},
       {S_OK, ""},
       0,
       {{5, 0}, {0x8005, 1}},
       ""},
  };
  platform::ScopedOverride<ModuleFinder> shell(platform::seams::FindBuiltinModule, Scripted);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    requests.clear();
    answers[0] = c.first;
    answers[1] = c.second;
    char buffer[MAX_PATH] = "stale";
    EXPECT_EQ(GetShellFolderPath(buffer, c.folderId, c.retry), c.expected);
    EXPECT_EQ(requests, c.expectedRequests);
    EXPECT_STREQ(buffer, c.expectedText);
    EXPECT_FALSE(StillLoaded(kScriptedShfolder));
  }
}

TEST_F(ShellFolderPathTest, MissingLibraryOrFunctionGivesAnEmptyText) {
  {
    platform::ScopedOverride<ModuleFinder> shell(platform::seams::FindBuiltinModule, Missing);
    char buffer[MAX_PATH] = "stale";
    EXPECT_EQ(GetDocumentsFolder(buffer), 0);
    EXPECT_STREQ(buffer, "");
    // The library search order was changed before the load was tried.
    EXPECT_EQ(platform::DllDirectory(), std::string());
  }
  SetDllDirectoryA("/some/folder");
  {
    platform::ScopedOverride<ModuleFinder> shell(platform::seams::FindBuiltinModule,
                                                 WithoutExports);
    char buffer[MAX_PATH] = "stale";
    EXPECT_EQ(GetDocumentsFolder(buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(platform::DllDirectory(), std::string());
    EXPECT_FALSE(StillLoaded(kShfolderWithoutExports));
  }
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(GetDocumentsFolder(nullptr), 0);
}

// The lookup through the platform's own shfolder.dll, over the XDG settings of a temporary home.
class DocumentsFolderTest : public testsupport::TempHomeTest {};

TEST_F(DocumentsFolderTest, FollowsTheXdgSettings) {
  struct Case {
    const char* label;
    const char* userDirs;  // null: no user-dirs.dirs
    const char* existing;  // a folder made under the home folder first, or null
    const char* expected;  // under the home folder
  };
  const Case cases[] = {
      {"configured and existing", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", "Papers", "/Papers"},
      {"configured and missing: default created", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", nullptr,
       "/Documents"},
      {"not configured, Documents exists", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "Documents",
       "/Documents"},
      {"no settings, no Documents: created", nullptr, nullptr, "/Documents"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (const auto& entry : fs::directory_iterator(home_)) fs::remove_all(entry.path());
    if (c.userDirs != nullptr) WriteUserDirs(c.userDirs);
    if (c.existing != nullptr) fs::create_directory(home_ + "/" + c.existing);

    char buffer[MAX_PATH] = {};
    EXPECT_EQ(GetDocumentsFolder(buffer), 1);
    EXPECT_EQ(std::string(buffer), home_ + c.expected);
    EXPECT_TRUE(fs::is_directory(buffer));
  }
}

TEST_F(DocumentsFolderTest, HomeThatDoesNotExistGivesNothing) {
  setenv("HOME", (home_ + "/gone").c_str(), 1);
  char buffer[MAX_PATH] = "stale";
  EXPECT_EQ(GetDocumentsFolder(buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(fs::exists(home_ + "/gone"));
}

}  // namespace
