// The interface of the application object AppRun, which the suite's user-interface library
// provides and the program activates through its application manifest.
//
// IAppRun derives directly from IUnknown; its slots are QueryInterface, AddRef, Release, Run.
#pragma once

#include "platform/com.h"

// {CAF3F30D-6A26-4FCB-B160-5353976D86D0}
inline constexpr CLSID CLSID_AppRun = {
    0xCAF3F30D, 0x6A26, 0x4FCB, {0xB1, 0x60, 0x53, 0x53, 0x97, 0x6D, 0x86, 0xD0}};
// {A23D34D3-E586-4476-B8AD-6E9181541B49}
inline constexpr IID IID_IAppRun = {
    0xA23D34D3, 0xE586, 0x4476, {0xB8, 0xAD, 0x6E, 0x91, 0x81, 0x54, 0x1B, 0x49}};

class IAppRun : public IUnknown {
 public:
  // Runs the application with the whole command line (allocated and freed by the caller) and
  // the window show command; the result becomes the process's exit code.
  virtual LONG STDMETHODCALLTYPE Run(BSTR commandLine, INT showCommand) = 0;
};
