#include "platform/module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/lasterror.h"
#include "platform/shell.h"
#include "platform/testing/seams.h"

namespace {

const std::string kModulePath = LINKSTART_TEST_MODULE;

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Whether the loader still holds the test module (asked without loading it).
bool ModuleIsLoaded() {
  void* handle = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

// Restores the library search setting that a test changes.
class ModuleTest : public testing::Test {
 protected:
  void TearDown() override { SetDllDirectoryA(nullptr); }
};

TEST_F(ModuleTest, BuiltinShfolderGivesThePlatformFunction) {
  for (const char* name : {"shfolder.dll", "SHFolder.DLL"}) {
    SCOPED_TRACE(name);
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "SHGetFolderPathA"),
              reinterpret_cast<FARPROC>(&SHGetFolderPathA));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "SHGetFolderPathW"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(FreeLibrary(module), TRUE);
    // Its one reference is gone: the handle is no longer valid.
    EXPECT_EQ(FreeLibrary(module), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetProcAddress(module, "SHGetFolderPathA"), nullptr);
  }
}

TEST_F(ModuleTest, SharedObjectByPathIsCountedAndUnloadedByTheLastFree) {
  ASSERT_FALSE(ModuleIsLoaded());
  HMODULE first = LoadLibraryA(kModulePath.c_str());
  ASSERT_NE(first, nullptr);
  std::string backslashed = kModulePath;
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  HMODULE second = LoadLibraryA(backslashed.c_str());
  EXPECT_EQ(second, first);

  auto value = reinterpret_cast<int (*)()>(GetProcAddress(first, "LinkstartTestModuleValue"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 42);
  EXPECT_EQ(GetProcAddress(first, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  EXPECT_EQ(FreeLibrary(first), TRUE);
  EXPECT_TRUE(ModuleIsLoaded());
  EXPECT_EQ(FreeLibrary(second), TRUE);
  EXPECT_FALSE(ModuleIsLoaded());
  EXPECT_EQ(FreeLibrary(first), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ModuleTest, BareNamesAreSearchedInTheRecordedFolderOnly) {
  const std::string name = NameOf(kModulePath);
  EXPECT_FALSE(platform::DllDirectory().has_value());
  // The loader's own search path does not hold the test module.
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  EXPECT_EQ(SetDllDirectoryA(FolderOf(kModulePath).c_str()), TRUE);
  EXPECT_EQ(platform::DllDirectory(), FolderOf(kModulePath));
  HMODULE module = LoadLibraryA(name.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "LinkstartTestModuleValue"), nullptr);
  EXPECT_EQ(FreeLibrary(module), TRUE);

  EXPECT_EQ(SetDllDirectoryA(""), TRUE);
  EXPECT_EQ(platform::DllDirectory(), std::string());
  EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
  SetDllDirectoryA(nullptr);
  EXPECT_FALSE(platform::DllDirectory().has_value());
}

TEST_F(ModuleTest, BadArgumentsAreRefused) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(LoadLibraryA("no-such-library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  int notAModule = 0;
  HMODULE bogus = reinterpret_cast<HMODULE>(&notAModule);
  EXPECT_EQ(GetProcAddress(bogus, "SHGetFolderPathA"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(FreeLibrary(bogus), FALSE);
  EXPECT_EQ(FreeLibrary(nullptr), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  HMODULE module = LoadLibraryA("shfolder.dll");
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  FreeLibrary(module);
}

TEST_F(ModuleTest, WithoutTheBuiltinModuleTheNameGoesToTheLoaderAndIsNotFound) {
  platform::ScopedOverride<const platform::BuiltinModule*(LPCSTR)> none(
      platform::seams::FindBuiltinModule,
      [](LPCSTR) -> const platform::BuiltinModule* { return nullptr; });
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("shfolder.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
