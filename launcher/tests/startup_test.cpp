// Start-up inside the test process: a fake AppRun registered in the apartment stands in for the
// component, so what start-up does with it can be counted.
#include "launcher/startup.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "apprun/iapprun.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/testing/seams.h"

namespace {

class FakeApp final : public IAppRun {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IAppRun) return E_NOINTERFACE;
    *object = static_cast<IAppRun*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    return --references;
  }
  LONG STDMETHODCALLTYPE Run(BSTR commandLine, INT showCommand) override {
    ++runs;
    received = std::u16string(commandLine, SysStringLen(commandLine));
    terminated = commandLine[SysStringLen(commandLine)] == 0;
    shown = showCommand;
    return result;
  }

  ULONG references = 1;  // the test's own
  int releases = 0;
  int runs = 0;
  std::u16string received;
  bool terminated = false;
  int shown = 0;
  LONG result = 0;
};

class FakeFactory final : public IClassFactory {
 public:
  explicit FakeFactory(FakeApp& app) : app_(app) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** object) override {
    ++created;
    if (fail) {
      *object = nullptr;
      return E_OUTOFMEMORY;
    }
    return app_.QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  int created = 0;
  bool fail = false;

 private:
  FakeApp& app_;
};

// The apartment the test itself opens (so that the fake can be registered) and the registration.
class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoRegisterClassObject(CLSID_AppRun, &factory_, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
  }
  void TearDown() override {
    CoRevokeClassObject(cookie_);
    CoUninitialize();
  }

  // Whether the calling thread's apartment is still open.
  static bool ApartmentOpen() {
    void* object = nullptr;
    return CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_ALL, IID_IUnknown, &object) !=
           CO_E_NOTINITIALIZED;
  }

  FakeApp app_;
  FakeFactory factory_{app_};
  DWORD cookie_ = 0;
};

TEST_F(StartupTest, HandsTheCommandLineToRunOnceAndReturnsItsResult) {
  for (const LONG result : {0, 7, -3}) {
    SCOPED_TRACE(result);
    app_ = FakeApp();
    app_.result = result;
    testing::internal::CaptureStderr();
    // The thread is already a single-threaded apartment: CoInitialize gives S_FALSE, which
    // start-up takes as success and balances.
    EXPECT_EQ(WinMain(platform::ProgramModule(), nullptr, nullptr, 5), result);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(app_.runs, 1);
    EXPECT_EQ(app_.releases, 1);
    EXPECT_EQ(app_.references, 1u);
    EXPECT_EQ(app_.shown, 5);
    EXPECT_EQ(app_.received, platform::WideFromAnsi(GetCommandLineA()));
    EXPECT_TRUE(app_.terminated);
    EXPECT_TRUE(ApartmentOpen());
  }
  CoRevokeClassObject(cookie_);
  CoUninitialize();
  EXPECT_FALSE(ApartmentOpen());           // the test's own CoInitialize was the last one left
  ASSERT_EQ(CoInitialize(nullptr), S_OK);  // for TearDown
}

TEST_F(StartupTest, CreationFailureShowsTheBoxAndGivesMinusOne) {
  factory_.fail = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(WinMain(platform::ProgramModule(), nullptr, nullptr, SW_SHOWDEFAULT), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "AppRunオブジェクトの作成に失敗しました。\n処理を継続することができません。\n");
  EXPECT_EQ(factory_.created, 1);
  EXPECT_EQ(app_.runs, 0);
  EXPECT_TRUE(ApartmentOpen());
}

TEST(StartupComTest, ComRefusingInitialisationGivesOneWithoutBoxOrUninitialise) {
  std::thread([] {
    // A multithreaded apartment first: CoInitialize then fails with RPC_E_CHANGED_MODE.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    FakeApp app;
    FakeFactory factory(app);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_AppRun, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(WinMain(platform::ProgramModule(), nullptr, nullptr, SW_SHOWDEFAULT), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(factory.created, 0);
    // Start-up did not uninitialise: the apartment is still the test's, counted once.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoRevokeClassObject(cookie);
    CoUninitialize();
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun, &object),
              CO_E_NOTINITIALIZED);
  }).join();
}

BSTR FailingAllocation(const OLECHAR*, UINT) { return nullptr; }

TEST_F(StartupTest, ConversionFailureRaisesOutOfMemoryAndSkipsRun) {
  platform::ScopedOverride<BSTR(const OLECHAR*, UINT)> fail(platform::seams::SysAllocStringLen,
                                                            FailingAllocation);
  try {
    RunApplication("prog arg", SW_SHOWDEFAULT);
    ADD_FAILURE() << "no error raised";
  } catch (const platform::ComError& error) {
    EXPECT_EQ(error.Error(), E_OUTOFMEMORY);
  }
  EXPECT_EQ(app_.runs, 0);
}

// Nothing handles the error: the process ends abnormally. The lambda stands for the runtime's
// start-up code, which calls the entry with no handler of its own.
TEST(StartupDeathTest, ConversionFailureEndsTheProcessAbnormally) {
  EXPECT_EXIT(([]() noexcept {
                CoInitialize(nullptr);
                FakeApp app;
                FakeFactory factory(app);
                DWORD cookie = 0;
                CoRegisterClassObject(CLSID_AppRun, &factory, CLSCTX_INPROC_SERVER,
                                      REGCLS_MULTIPLEUSE, &cookie);
                platform::ScopedOverride<BSTR(const OLECHAR*, UINT)> fail(
                    platform::seams::SysAllocStringLen, FailingAllocation);
                std::exit(WinMain(platform::ProgramModule(), nullptr, nullptr, SW_SHOWDEFAULT));
              })(),
              testing::KilledBySignal(SIGABRT), "COM error 0x8007000E");
}

}  // namespace
