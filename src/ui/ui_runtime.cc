#include "ui/ui_runtime.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

namespace lite {

UiRuntime::UiRuntime() {
  com_initialized_ = SUCCEEDED(::CoInitialize(nullptr));
  // Makes this thread a GUI thread before the first window exists.
  ::DefWindowProcW(nullptr, WM_NULL, 0, 0);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) gdiplus_token_ = token;
}

UiRuntime::~UiRuntime() {
  if (gdiplus_token_) Gdiplus::GdiplusShutdown(gdiplus_token_);
  if (com_initialized_) ::CoUninitialize();
}

}  // namespace lite
