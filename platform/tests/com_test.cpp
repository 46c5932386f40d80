#include "platform/com.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "apprun/iapprun.h"
#include "platform/codepage.h"
#include "platform/testing/activation.h"
#include "testsupport/temp_dir.h"

namespace {

using testsupport::TempDir;

// Runs `body` on a thread of its own, so that each test starts with an uninitialised apartment.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

TEST(CoInitializeTest, CountsTheApartmentAndRefusesAChangeOfMode) {
  OnFreshThread([] {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();  // one too many: ignored
    int reserved = 0;
    EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
    EXPECT_EQ(CoInitializeEx(nullptr, 0x40), E_INVALIDARG);
    void* object = &reserved;
    EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
  });
}

TEST(GuidFromStringTest, ReadsRegistryFormOnly) {
  GUID guid{};
  ASSERT_TRUE(platform::GuidFromString("{caf3f30d-6a26-4FCB-B160-5353976D86D0}", guid));
  EXPECT_EQ(guid, CLSID_AppRun);
  for (const char* bad :
       {"", "CAF3F30D-6A26-4FCB-B160-5353976D86D0", "{CAF3F30D-6A26-4FCB-B160-5353976D86D}",
        "{CAF3F30D+6A26-4FCB-B160-5353976D86D0}", "{CAF3F30D-6A26-4FCB-B160-5353976D86DG}"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(platform::GuidFromString(bad, guid));
  }
}

std::string ManifestListing(const std::string& fileName,
                            const std::string& clsid = "{CAF3F30D-6A26-4FCB-B160-5353976D86D0}") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
         "  <assemblyIdentity type=\"win32\" name=\"T\" version=\"1.0.0.0\"/>\n"
         "  <file name=\"" +
         fileName +
         "\">\n"
         "    <comClass clsid=\"" +
         clsid +
         "\"/>\n"
         "  </file>\n"
         "</assembly>\n";
}

// Activation from a manifest and a folder, with each way a component file can fail.
TEST(CoCreateInstanceTest, ActivatesFromTheManifestOrReportsWhyNot) {
  struct Case {
    const char* what;
    std::string manifest;
    const char* file;  // copied into the folder as KLinkUI.dll; "" for none, "garbage" for text
    DWORD context;
    HRESULT expected;
  };
  const std::string listing = ManifestListing("KLinkUI.dll");
  const Case cases[] = {
      {"working component", listing, LINKSTART_COMPONENT, CLSCTX_ALL, S_OK},
      {"in-process only", listing, LINKSTART_COMPONENT, CLSCTX_INPROC_SERVER, S_OK},
      {"no file", listing, "", CLSCTX_ALL, CO_E_DLLNOTFOUND},
      {"not a shared object", listing, "garbage", CLSCTX_ALL, CO_E_ERRORINDLL},
      {"no DllGetClassObject", listing, LINKSTART_FIXTURE_NO_ENTRY, CLSCTX_ALL, CO_E_ERRORINDLL},
      {"class refused", listing, LINKSTART_FIXTURE_NO_CLASS, CLSCTX_ALL, CLASS_E_CLASSNOTAVAILABLE},
      {"factory fails", listing, LINKSTART_FIXTURE_FACTORY_FAILS, CLSCTX_ALL, E_FAIL},
      {"no IAppRun", listing, LINKSTART_FIXTURE_NO_INTERFACE, CLSCTX_ALL, E_NOINTERFACE},
      {"local server only", listing, LINKSTART_COMPONENT, CLSCTX_LOCAL_SERVER, REGDB_E_CLASSNOTREG},
      {"class not listed", ManifestListing("KLinkUI.dll", "{00000000-6A26-4FCB-B160-5353976D86D0}"),
       LINKSTART_COMPONENT, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
      {"not well-formed before the class", ManifestListing("KLinkUI.dll\" name=\"twice"),
       LINKSTART_COMPONENT, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
      // The reader stops at the class's declaration, so a fault after it is never seen.
      {"not well-formed after the class", listing.substr(0, listing.size() - 4),
       LINKSTART_COMPONENT, CLSCTX_ALL, S_OK},
      {"no manifest", "", LINKSTART_COMPONENT, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
      {"file outside the folder", ManifestListing("../KLinkUI.dll"), LINKSTART_COMPONENT,
       CLSCTX_ALL, CO_E_DLLNOTFOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir root;
    std::filesystem::create_directory(root.Path("app"));
    const std::string folder = root.Path("app");
    const std::string target = folder + "/KLinkUI.dll";
    if (std::string(c.file) == "garbage") {
      std::ofstream(target) << "not a shared object\n";
    } else if (*c.file != '\0') {
      std::filesystem::copy_file(c.file, target);
      // A copy one folder up, which a manifest must not reach.
      std::filesystem::copy_file(c.file, root.Path("KLinkUI.dll"));
    }
    OnFreshThread([&] {
      ASSERT_EQ(CoInitialize(nullptr), S_OK);
      {
        platform::ScopedActivationContext context(c.manifest, folder);
        IAppRun* app = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, c.context, IID_IAppRun,
                                   reinterpret_cast<void**>(&app)),
                  c.expected);
        EXPECT_EQ(app != nullptr, SUCCEEDED(c.expected));
        if (app != nullptr) app->Release();
      }
      CoUninitialize();
    });
  }
}

// The program's manifest depends on the shared assembly Korvo.Suite.Shared 1.0.0.0: activation
// works only when that assembly is found as a private assembly beside the program (as
// <name>.manifest, or <name>/<name>.manifest), as Windows probes for one; without it the whole
// activation context is refused.
TEST(CoCreateInstanceTest, DependencyMustBeFoundAsAPrivateAssembly) {
  const std::string manifest =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
      "  <dependency><dependentAssembly>\n"
      "    <assemblyIdentity type=\"win32\" name=\"Korvo.Suite.Shared\" version=\"1.0.0.0\"/>\n"
      "  </dependentAssembly></dependency>\n"
      "  <file name=\"KLinkUI.dll\"><comClass clsid=\"{CAF3F30D-6A26-4FCB-B160-5353976D86D0}\"/>"
      "</file>\n"
      "</assembly>\n";
  auto shared = [](const std::string& name, const std::string& version) {
    return "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
           "<assemblyIdentity type=\"win32\" name=\"" +
           name + "\" version=\"" + version + "\"/></assembly>";
  };
  struct Case {
    const char* what;
    const char* path;  // of the shared assembly's manifest in the folder; "" for none
    std::string content;
    HRESULT expected;
  } cases[] = {
      {"beside the program", "Korvo.Suite.Shared.manifest", shared("Korvo.Suite.Shared", "1.0.0.0"),
       S_OK},
      {"in its own folder", "Korvo.Suite.Shared/Korvo.Suite.Shared.manifest",
       shared("korvo.suite.shared", "1.0.0.0"), S_OK},
      {"missing", "", "", REGDB_E_CLASSNOTREG},
      {"another version", "Korvo.Suite.Shared.manifest", shared("Korvo.Suite.Shared", "2.0.0.0"),
       REGDB_E_CLASSNOTREG},
      {"another assembly under its name", "Korvo.Suite.Shared.manifest", shared("Other", "1.0.0.0"),
       REGDB_E_CLASSNOTREG},
      {"not well-formed", "Korvo.Suite.Shared.manifest", "<assembly", REGDB_E_CLASSNOTREG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    std::filesystem::copy_file(LINKSTART_COMPONENT, folder.Path("KLinkUI.dll"));
    if (*c.path != '\0') {
      std::filesystem::create_directories(std::filesystem::path(folder.Path(c.path)).parent_path());
      std::ofstream(folder.Path(c.path)) << c.content;
    }
    OnFreshThread([&] {
      ASSERT_EQ(CoInitialize(nullptr), S_OK);
      {
        platform::ScopedActivationContext context(manifest, folder.Path());
        IAppRun* app = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun,
                                   reinterpret_cast<void**>(&app)),
                  c.expected);
        if (app != nullptr) app->Release();
      }
      CoUninitialize();
    });
  }
}

// A manifest with a dependency and two files around `middle`, the text between them.
std::string TwoFileManifest(const std::string& middle) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
         "  <dependency><dependentAssembly>\n"
         "    <assemblyIdentity type=\"win32\" name=\"Korvo.Suite.Shared\" version=\"1.0.0.0\"\n"
         "        processorArchitecture=\"X86\" publicKeyToken=\"5f3e9a1c27b4d608\" "
         "language=\"*\"/>\n"
         "  </dependentAssembly></dependency>\n"
         "  <file name=\"First.dll\">\n"
         "    <comClass clsid=\"{11111111-6A26-4FCB-B160-5353976D86D0}\"/>\n"
         "    <comClass clsid=\"{CAF3F30D-6A26-4FCB-B160-5353976D86D0}\"/>\n"
         "  </file>\n" +
         middle +
         "  <file name=\"Second.dll\">\n"
         "    <comClass clsid=\"{22222222-6A26-4FCB-B160-5353976D86D0}\"/>\n"
         "    <comClass clsid=\"{CAF3F30D-6A26-4FCB-B160-5353976D86D0}\"/>\n"
         "  </file>\n"
         "</assembly>\n";
}

// The class lookup reads up to the class's first declaration: what comes before it decides,
// what comes after it is never read.
TEST(FindManifestClassTest, ReadsTheManifestOnlyUpToTheClass) {
  struct Case {
    const char* what;
    std::string manifest;
    const char* clsid;
    bool read;
    const char* file;  // nullptr: not listed
  };
  const char* const appRun = "{CAF3F30D-6A26-4FCB-B160-5353976D86D0}";
  const char* const second = "{22222222-6A26-4FCB-B160-5353976D86D0}";
  const std::string undefinedEntity = "  <description>&undefined;</description>\n";
  const std::string whole = TwoFileManifest("");
  const Case cases[] = {
      {"first file that declares it", whole, appRun, true, "First.dll"},
      {"class of a later file", whole, second, true, "Second.dll"},
      {"not listed", whole, "{00000000-6A26-4FCB-B160-5353976D86D0}", true, nullptr},
      // A full read refuses these; the lookup stopped before the fault.
      {"undefined entity after the class", TwoFileManifest(undefinedEntity), appRun, true,
       "First.dll"},
      {"cut off after the class", whole.substr(0, whole.find("  </file>")), appRun, true,
       "First.dll"},
      // The fault lies before the class, or the class is not found before it: refused.
      {"undefined entity before the class", TwoFileManifest(undefinedEntity), second, false,
       nullptr},
      {"not listed, fault at the end", whole.substr(0, whole.size() - 4),
       "{00000000-6A26-4FCB-B160-5353976D86D0}", false, nullptr},
      {"root of another namespace", std::string(whole).replace(whole.find("asm.v1"), 6, "asm.v3"),
       appRun, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CLSID clsid{};
    ASSERT_TRUE(platform::GuidFromString(c.clsid, clsid));
    platform::ManifestClass found;
    found.fileName = "stale";
    ASSERT_EQ(platform::FindManifestClass(c.manifest, clsid, found), c.read);
    EXPECT_EQ(found.listed, c.file != nullptr);
    EXPECT_EQ(found.fileName, c.file != nullptr ? c.file : "");
    if (!c.read) {
      EXPECT_TRUE(found.dependencies.empty());
      continue;
    }
    // Dependencies come before the files and are read for every class.
    ASSERT_EQ(found.dependencies.size(), 1u);
    const platform::AssemblyIdentity& shared = found.dependencies.front();
    EXPECT_EQ(shared.type, "win32");
    EXPECT_EQ(shared.name, "Korvo.Suite.Shared");
    EXPECT_EQ(shared.version, "1.0.0.0");
    EXPECT_EQ(shared.processorArchitecture, "X86");
    EXPECT_EQ(shared.publicKeyToken, "5f3e9a1c27b4d608");
    EXPECT_EQ(shared.language, "*");
  }
  // The full reader sees the fault that the lookup stopped before.
  std::vector<platform::ManifestFile> files;
  EXPECT_FALSE(platform::ReadManifestFiles(TwoFileManifest(undefinedEntity), files));
  EXPECT_TRUE(platform::ReadManifestFiles(whole, files));
  EXPECT_EQ(files.size(), 2u);
}

// A class object registered in the apartment, counting what is done with it.
class CountingFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID, void** object) override {
    ++created;
    *object = nullptr;
    return outer != nullptr ? CLASS_E_NOAGGREGATION : E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  ULONG references = 1;
  int created = 0;
};

TEST(CoRegisterClassObjectTest, RegisteredClassComesFirstUntilRevokedOrUninitialised) {
  OnFreshThread([] {
    CountingFactory factory;
    DWORD cookie = 7;
    EXPECT_EQ(CoRegisterClassObject(CLSID_AppRun, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(cookie, 0u);

    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoRegisterClassObject(CLSID_AppRun, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    EXPECT_EQ(factory.references, 2u);
    void* object = nullptr;
    // Found in the apartment, not in the (absent) manifest of this test program.
    EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun, &object),
              E_NOINTERFACE);
    EXPECT_EQ(factory.created, 1);
    EXPECT_EQ(factory.references, 2u);  // the factory reference taken for the call is returned
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.references, 1u);
    EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun, &object),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(CoRegisterClassObject(CLSID_AppRun, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    CoUninitialize();  // the last one revokes what is still registered
    EXPECT_EQ(factory.references, 1u);
  });
}

TEST(SysAllocStringLenTest, KeepsTheLayoutOfAnAutomationString) {
  const std::u16string text(u"AB\0表", 4);
  BSTR copy = SysAllocStringLen(text.data(), 4);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(SysStringLen(copy), 4u);
  std::uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const unsigned char*>(copy) - 4, 4);
  EXPECT_EQ(prefix, 8u);  // bytes, terminator not counted
  EXPECT_EQ(std::u16string(copy, 4), text.substr(0, 4));
  EXPECT_EQ(copy[4], 0);
  SysFreeString(copy);

  BSTR blank = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(std::u16string(blank, 4), std::u16string(4, u'\0'));
  SysFreeString(blank);

  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);  // size overflows
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

}  // namespace
