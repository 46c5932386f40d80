#include "platform/shell.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "testsupport/temp_home.h"

namespace {

namespace fs = std::filesystem;

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT kNameTooLong = static_cast<HRESULT>(0x800700CEu);

// Requests for the Documents folder under a temporary home folder.
class ShellFolderTest : public testsupport::TempHomeTest {
 protected:
  // The result of one request and the text it left.
  std::pair<HRESULT, std::string> Request(int folder, DWORD type) {
    char buffer[MAX_PATH];
    buffer[0] = 'x';
    const HRESULT result = SHGetFolderPathA(nullptr, folder, nullptr, type, buffer);
    return {result, buffer};
  }
};

TEST_F(ShellFolderTest, CurrentLocationFollowsUserDirs) {
  struct Case {
    const char* label;
    const char* userDirs;  // null: no user-dirs.dirs at all
    const char* folder;    // folder created under the home folder before the request
    const char* expected;  // relative to the home folder; null: the request fails
  };
  const Case cases[] = {
      {"configured, exists", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "Docs", "/Docs"},
      {"configured, missing", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "Documents", nullptr},
      {"not configured, default exists", "XDG_MUSIC_DIR=\"$HOME/Music\"\n", "Documents",
       "/Documents"},
      {"no file, default exists", nullptr, "Documents", "/Documents"},
      {"no file, no Documents", nullptr, "Other", nullptr},
      {"spaces, comments, escapes, trailing slash",
       "# written by hand\n\n  XDG_DOCUMENTS_DIR = \"$HOME/My \\\"Docs\\\"/\"  # note\n",
       "My \"Docs\"", "/My \"Docs\""},
      {"last valid line wins",
       "XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n"
       "XDG_DOCUMENTS_DIR=\"$HOME/C\nXDG_DOCUMENTS_DIR=relative\nXDG_DOCUMENTS_DIR=\"Docs\"\n",
       "B", "/B"},
      {"$HOME alone is the home folder", "XDG_DOCUMENTS_DIR=\"$HOME\"\n", "x", ""},
      {"commented out", "#XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "Docs", nullptr},
      {"other key with the same start", "XDG_DOCUMENTS_DIRS=\"$HOME/Docs\"\n", "Docs", nullptr},
      {"$HOMEX is not $HOME", "XDG_DOCUMENTS_DIR=\"$HOMEX\"\n", "Documents", "/Documents"},
      {"non-ASCII name comes back in code page 932",
       "XDG_DOCUMENTS_DIR=\"$HOME/\xE3\x83\x89\xE3\x82\xAD\xE3\x83\xA5\"\n",
       "\xE3\x83\x89\xE3\x82\xAD\xE3\x83\xA5", "/\x83\x68\x83\x4C\x83\x85"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(fs::path(home_) / ".config");
    for (const auto& entry : fs::directory_iterator(home_)) fs::remove_all(entry.path());
    if (c.userDirs != nullptr) WriteUserDirs(c.userDirs);
    fs::create_directory(fs::path(home_) / c.folder);

    const auto [result, text] = Request(CSIDL_PERSONAL, SHGFP_TYPE_CURRENT);
    if (c.expected == nullptr) {
      EXPECT_EQ(result, kFileNotFound);
      EXPECT_EQ(text, "");
    } else {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(text, home_ + c.expected);
    }
  }
}

TEST_F(ShellFolderTest, ConfigHomeAndAbsoluteValues) {
  const fs::path elsewhere = fs::path(home_) / "elsewhere";
  fs::create_directories(elsewhere / "docs");
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"" + elsewhere.string() + "/docs\"\n", home_ + "/cfg");
  // XDG_CONFIG_HOME chooses the file; a relative one is ignored as the XDG rules say.
  setenv("XDG_CONFIG_HOME", (home_ + "/cfg").c_str(), 1);
  EXPECT_EQ(Request(CSIDL_PERSONAL, SHGFP_TYPE_CURRENT),
            std::make_pair(S_OK, elsewhere.string() + "/docs"));
  setenv("XDG_CONFIG_HOME", "cfg", 1);
  EXPECT_EQ(Request(CSIDL_PERSONAL, SHGFP_TYPE_CURRENT).first, kFileNotFound);
}

TEST_F(ShellFolderTest, DefaultLocationIsCreatedOnlyWhenAsked) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n");
  // The default location ignores user-dirs.dirs.
  EXPECT_EQ(Request(CSIDL_PERSONAL, SHGFP_TYPE_DEFAULT).first, kFileNotFound);
  EXPECT_FALSE(fs::exists(fs::path(home_) / "Documents"));

  EXPECT_EQ(Request(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, SHGFP_TYPE_DEFAULT),
            std::make_pair(S_OK, home_ + "/Documents"));
  EXPECT_TRUE(fs::is_directory(fs::path(home_) / "Documents"));
  // Once there, it is found again without the flag.
  EXPECT_EQ(Request(CSIDL_PERSONAL, SHGFP_TYPE_DEFAULT),
            std::make_pair(S_OK, home_ + "/Documents"));
}

TEST_F(ShellFolderTest, CreationFailuresAndLimits) {
  // A file where the folder should be cannot become a folder.
  std::ofstream(fs::path(home_) / "Documents") << "not a folder";
  EXPECT_LT(Request(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, SHGFP_TYPE_DEFAULT).first, 0);
  fs::remove(fs::path(home_) / "Documents");

  // A home folder that does not exist: its Documents folder cannot be created.
  setenv("HOME", (home_ + "/missing").c_str(), 1);
  const auto [result, text] = Request(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, SHGFP_TYPE_DEFAULT);
  EXPECT_EQ(result, static_cast<HRESULT>(0x80070003u));
  EXPECT_EQ(text, "");

  // A path that does not fit in MAX_PATH bytes is refused, not cut.
  std::string deep = home_;
  while (deep.size() < MAX_PATH) deep += "/" + std::string(50, 'd');
  fs::create_directories(deep + "/Documents");
  setenv("HOME", deep.c_str(), 1);
  EXPECT_EQ(Request(CSIDL_PERSONAL, SHGFP_TYPE_CURRENT),
            std::make_pair(kNameTooLong, std::string()));
}

TEST_F(ShellFolderTest, UnsupportedRequestsAreInvalidArguments) {
  fs::create_directory(fs::path(home_) / "Documents");
  char buffer[MAX_PATH] = "x";
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x001A, nullptr, SHGFP_TYPE_CURRENT, buffer),
            E_INVALIDARG);  // CSIDL_APPDATA
  EXPECT_EQ(buffer[0], '\0');
  int token = 0;
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, &token, SHGFP_TYPE_CURRENT, buffer),
            E_INVALIDARG);
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 2, buffer), E_INVALIDARG);
  // Other flag bits are accepted.
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | 0x4000, nullptr, SHGFP_TYPE_CURRENT, buffer),
            S_OK);
}

}  // namespace
