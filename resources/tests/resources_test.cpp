// The resources as the program carries them: compiled by the resource compiler, linked in, read
// at run time. On POSIX llvm-rc's .res bytes are embedded and read by the backend; on Windows the
// resource section is the system's, so the cases that open the .res file or parse the manifest
// with the backend's reader stay POSIX-only.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "apprun/iapprun.h"
#include "platform/com.h"
#include "platform/process.h"
#include "platform/resource.h"
#ifndef _WIN32
#include "platform/testing/activation.h"
#include "platform/testing/resources.h"
#endif

namespace {

std::string ProgramResource(LPCWSTR type, WORD name, WORD language) {
  HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(name), language);
  if (found == nullptr) return {};
  const void* data = LockResource(LoadResource(nullptr, found));
  return std::string(static_cast<const char*>(data), SizeofResource(nullptr, found));
}

TEST(ProgramResourcesTest, MessageTenThousandTenIsInTheJapaneseStringTable) {
  const std::string block = ProgramResource(RT_STRING, 10010 / 16 + 1, 0x0411);
  ASSERT_EQ(block.size() % 2, 0u);
  std::u16string units(block.size() / 2, u'\0');
  std::memcpy(units.data(), block.data(), block.size());
  // Entries 0 to 9 are empty; entry 10 is the message.
  ASSERT_GE(units.size(), 11u);
  EXPECT_EQ(units.substr(0, 10), std::u16string(10, u'\0'));
  const std::u16string expected = u"AppRunオブジェクトの作成に失敗しました。";
  ASSERT_EQ(units[10], expected.size());
  EXPECT_EQ(units.substr(11, expected.size()), expected);
  EXPECT_EQ(expected.size(), 23u);
}

#ifndef _WIN32
TEST(ProgramResourcesTest, EmbeddedBytesAreTheCompiledResFile) {
  auto file = platform::OpenResourceFile(LINKSTART_RES_FILE);
  ASSERT_NE(file, nullptr);
  for (const auto& [type, name] :
       {std::make_tuple(RT_STRING, WORD{626}), std::make_tuple(RT_MANIFEST, WORD{1}),
        std::make_tuple(RT_VERSION, WORD{1})}) {
    HRSRC found = FindResourceExW(file->Module(), type, MAKEINTRESOURCEW(name), 0);
    ASSERT_NE(found, nullptr);
    const void* data = LockResource(LoadResource(file->Module(), found));
    EXPECT_EQ(ProgramResource(type, name, 0),
              std::string(static_cast<const char*>(data), SizeofResource(file->Module(), found)));
  }
}

TEST(ProgramResourcesTest, ManifestMakesTheSuiteClassesCreatable) {
  const std::string manifest = ProgramResource(RT_MANIFEST, 1, 0);
  std::vector<platform::ManifestFile> files;
  ASSERT_TRUE(platform::ReadManifestFiles(manifest, files));
  ASSERT_EQ(files.size(), 10u);
  EXPECT_EQ(files.front().name, "KLinkUI.dll");
  ASSERT_FALSE(files.front().classes.empty());
  EXPECT_EQ(files.front().classes.front(), CLSID_AppRun);

  std::set<std::string> names;
  std::set<std::tuple<std::uint32_t, std::uint16_t, std::uint16_t, std::string>> classes;
  std::size_t classCount = 0;
  int typeLibraries = 0;
  for (const auto& file : files) {
    names.insert(file.name);
    typeLibraries += file.typeLibraries;
    for (const CLSID& clsid : file.classes) {
      ++classCount;
      classes.emplace(clsid.Data1, clsid.Data2, clsid.Data3,
                      std::string(reinterpret_cast<const char*>(clsid.Data4), 8));
    }
  }
  EXPECT_EQ(names.size(), 10u);
  EXPECT_EQ(classCount, 58u);
  EXPECT_EQ(classes.size(), 58u);  // no class listed twice
  EXPECT_EQ(typeLibraries, 5);
}
#endif

TEST(ProgramResourcesTest, ManifestNamesIdentityDependencyAndSupportedSystems) {
  const std::string manifest = ProgramResource(RT_MANIFEST, 1, 0);
  // Identity, dependency, execution level, DPI awareness and supported systems.
  for (const char* part : {
           "<assemblyIdentity type=\"win32\" name=\"Korvo.LinkStart\" "
           "version=\"" LINKSTART_ASSEMBLY_VERSION "\" processorArchitecture=\"X86\"/>",
           "name=\"Korvo.Suite.Shared\" version=\"1.0.0.0\"",
           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>", ">true</dpiAware>",
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10
       }) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

// The version information carries the project version of CMake, as numbers and as text.
TEST(ProgramResourcesTest, VersionInformationIsTheProjectVersion) {
  const std::string version = ProgramResource(RT_VERSION, 1, 0);
  // VS_FIXEDFILEINFO starts with its signature; file and product version follow as MS/LS pairs.
  const char signature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
  const std::size_t at = version.find(std::string(signature, 4));
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(version.size(), at + 24);
  std::uint32_t words[4];
  std::memcpy(words, version.data() + at + 8, sizeof words);
  const std::uint32_t high = (LINKSTART_VERSION_MAJOR << 16) | LINKSTART_VERSION_MINOR;
  const std::uint32_t low = (LINKSTART_VERSION_PATCH << 16) | LINKSTART_VERSION_TWEAK;
  EXPECT_EQ(words[0], high);  // file version
  EXPECT_EQ(words[1], low);
  EXPECT_EQ(words[2], high);  // product version
  EXPECT_EQ(words[3], low);

  // The string values are UTF-16: "FileVersion" and "ProductVersion", each followed (after
  // alignment) by the dotted version.
  const std::string dotted = LINKSTART_VERSION;
  const std::u16string text(dotted.begin(), dotted.end());
  std::u16string units(version.size() / 2, u'\0');
  std::memcpy(units.data(), version.data(), units.size() * 2);
  for (const std::u16string key : {u"FileVersion", u"ProductVersion"}) {
    const std::size_t keyAt = units.find(key + u'\0');
    ASSERT_NE(keyAt, std::u16string::npos);
    std::size_t valueAt = keyAt + key.size() + 1;
    while (valueAt < units.size() && units[valueAt] == u'\0') ++valueAt;
    EXPECT_EQ(units.substr(valueAt, text.size() + 1), text + u'\0');
  }
  EXPECT_NE(FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(1), 0), nullptr);
}

}  // namespace
