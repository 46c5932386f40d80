#include "platform/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/lasterror.h"
#include "platform/process.h"
#include "platform/testing/resources.h"
#include "platform/tests/res_builder.h"
#include "testsupport/temp_dir.h"

namespace {

using platform_test::Bytes;
using platform_test::ResBuilder;
using testsupport::TempDir;

std::string DataOf(HMODULE module, HRSRC found) {
  const void* data = LockResource(LoadResource(module, found));
  if (data == nullptr) return "<none>";
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(FindResourceTest, PicksTheLanguageVariantAsWindowsDoes) {
  TempDir dir;
  ResBuilder()
      .Add(6, 1, 0x0409, Text("en"))
      .Add(6, 1, 0x0411, Text("ja"))
      .Add(6, 2, 0x0407, Text("de"))
      .Add(6, 3, 0x0409, Text("en3"))
      .Add(6, 3, 0x0000, Text("neutral3"))
      .Add(u"Custom", u"Name", 0x0411, Text("named"))
      .Write(dir.Path("a.res"));
  auto file = platform::OpenResourceFile(dir.Path("a.res"));
  ASSERT_NE(file, nullptr);
  HMODULE module = file->Module();

  struct Case {
    LPCWSTR type;
    LPCWSTR name;
    WORD language;
    std::string data;  // "" when not found
    DWORD error;
  };
  const Case cases[] = {
      {RT_STRING, MAKEINTRESOURCEW(1), 0, "ja", 0},  // the thread's UI language first
      {RT_STRING, MAKEINTRESOURCEW(1), 0x0409, "en", 0},
      {RT_STRING, MAKEINTRESOURCEW(2), 0, "de", 0},  // else whatever the module has
      {RT_STRING, MAKEINTRESOURCEW(3), 0, "neutral3", 0},
      {RT_STRING, MAKEINTRESOURCEW(2), 0x0411, "", ERROR_RESOURCE_LANG_NOT_FOUND},
      {RT_STRING, MAKEINTRESOURCEW(9), 0, "", ERROR_RESOURCE_NAME_NOT_FOUND},
      {RT_MANIFEST, MAKEINTRESOURCEW(1), 0, "", ERROR_RESOURCE_TYPE_NOT_FOUND},
      {u"CUSTOM", u"name", 0, "named", 0},  // string identifiers ignore case
      {u"Custom", MAKEINTRESOURCEW(1), 0, "", ERROR_RESOURCE_NAME_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data + " / " + std::to_string(c.error));
    SetLastError(ERROR_SUCCESS);
    HRSRC found = FindResourceExW(module, c.type, c.name, c.language);
    if (c.data.empty()) {
      EXPECT_EQ(found, nullptr);
      EXPECT_EQ(GetLastError(), c.error);
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(DataOf(module, found), c.data);
    }
  }
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), RT_STRING),
            FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(1), 0));

  // A resource of one module is not one of another's.
  HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(1), 0);
  EXPECT_EQ(LoadResource(platform::ProgramModule(), found), nullptr);
  EXPECT_EQ(SizeofResource(platform::ProgramModule(), found), 0u);
  EXPECT_EQ(LoadResource(module, nullptr), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(FindResourceTest, ModulesWithoutResources) {
  // This test program has no resources linked in.
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(626), 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  int foreign = 0;
  EXPECT_EQ(
      FindResourceExW(reinterpret_cast<HMODULE>(&foreign), RT_STRING, MAKEINTRESOURCEW(626), 0),
      nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);

  // A closed file's handle is no longer a module.
  TempDir dir;
  ResBuilder().Add(6, 1, 0x0411, Text("x")).Write(dir.Path("a.res"));
  HMODULE closed = platform::OpenResourceFile(dir.Path("a.res"))->Module();
  EXPECT_EQ(FindResourceExW(closed, RT_STRING, MAKEINTRESOURCEW(1), 0), nullptr);
}

TEST(OpenResourceFileTest, RefusesWhatIsNotAResFile) {
  const Bytes good = ResBuilder().Add(6, 1, 0x0411, Text("abcd")).bytes();
  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes truncated(good.begin(), good.end() - 4);
  Bytes headerPastEnd = good;
  headerPastEnd[36] = 0xF0;  // second entry's HeaderSize
  Bytes dataPastEnd = good;
  dataPastEnd[32] = 0x40;  // second entry's DataSize
  Bytes oddHeader = good;
  oddHeader[36] = 0x21;
  Bytes noMarker(good.begin() + 32, good.end());
  const Case cases[] = {
      {"empty", {}},
      {"truncated", truncated},
      {"header past end", headerPastEnd},
      {"data past end", dataPastEnd},
      {"unaligned header", oddHeader},
      {"no empty first entry", noMarker},
      {"text", Text("STRINGTABLE BEGIN END\n")},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResBuilder::WriteBytes(dir.Path("bad.res"), c.bytes);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(platform::OpenResourceFile(dir.Path("bad.res")), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  }
  ResBuilder::WriteBytes(dir.Path("good.res"), good);
  EXPECT_NE(platform::OpenResourceFile(dir.Path("good.res")), nullptr);
  std::string backslashed = dir.Path("good.res");  // "\" separates folders as "/" does
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  EXPECT_NE(platform::OpenResourceFile(backslashed), nullptr);
  EXPECT_EQ(platform::OpenResourceFile(dir.Path("missing.res")), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(OpenResourceFileTest, ReadsWhatTheResourceCompilerMakes) {
  auto file = platform::OpenResourceFile(LINKSTART_RES_FILE);
  ASSERT_NE(file, nullptr);
  HMODULE module = file->Module();
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(626), 0x0411);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SizeofResource(module, block) % 2, 0u);
  HRSRC manifest = FindResourceExW(module, RT_MANIFEST, MAKEINTRESOURCEW(1), 0);
  ASSERT_NE(manifest, nullptr);
  EXPECT_EQ(DataOf(module, manifest).rfind("<?xml", 0), 0u);
  EXPECT_NE(FindResourceExW(module, RT_VERSION, MAKEINTRESOURCEW(1), 0), nullptr);
  EXPECT_NE(FindResourceExW(module, RT_GROUP_ICON, MAKEINTRESOURCEW(1), 0), nullptr);
}

TEST(ResourceModulesTest, TheExecutableAloneUnlessATestReplacesIt) {
  ASSERT_EQ(platform::ResourceModuleCount(), 1);
  EXPECT_EQ(platform::ResourceModuleAt(0), platform::ProgramModule());
  EXPECT_EQ(platform::ResourceModuleAt(1), nullptr);
  EXPECT_EQ(platform::ResourceModuleAt(-1), nullptr);
  int other = 0;
  {
    platform::ScopedResourceModules scoped(reinterpret_cast<HMODULE>(&other));
    EXPECT_EQ(platform::ResourceModuleAt(0), reinterpret_cast<HMODULE>(&other));
  }
  EXPECT_EQ(platform::ResourceModuleAt(0), platform::ProgramModule());
}

}  // namespace
