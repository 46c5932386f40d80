// Component files that fail in one defined way each, for the activation tests. The build makes
// one shared object per FIXTURE_* mode; a test copies it beside the program under the file name
// that the manifest lists.
//   FIXTURE_NO_ENTRY         exports no DllGetClassObject
//   FIXTURE_NO_CLASS         DllGetClassObject refuses the class (CLASS_E_CLASSNOTAVAILABLE)
//   FIXTURE_FACTORY_FAILS    the class factory's CreateInstance fails with E_FAIL
//   FIXTURE_NO_INTERFACE     the object has no IAppRun (E_NOINTERFACE)
#include "apprun/iapprun.h"

namespace {

class Plain final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG references_ = 1;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** object) override {
    *object = nullptr;
#if defined(FIXTURE_FACTORY_FAILS)
    (void)iid;
    return E_FAIL;
#else
    auto* plain = new Plain;
    const HRESULT hr = plain->QueryInterface(iid, object);
    plain->Release();
    return hr;
#endif
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

[[maybe_unused]] Factory factory;

}  // namespace

#if defined(FIXTURE_NO_ENTRY)
extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return S_OK; }
#else
PLATFORM_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                      void** object) {
  *object = nullptr;
#if defined(FIXTURE_NO_CLASS)
  (void)clsid;
  (void)iid;
  return CLASS_E_CLASSNOTAVAILABLE;
#else
  if (clsid != CLSID_AppRun) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, object);
#endif
}
#endif
