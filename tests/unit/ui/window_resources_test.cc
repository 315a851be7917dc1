// The window's resources as the system reads them: the pictures through
// GDI+, the icon through LoadImageW and the templates through the dialog
// manager. The test executable carries the installer's resources.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/scoped_generic.h"
#include "base/scoped_handle.h"
#include "ui/resource_ids.h"
#include "ui/ui_runtime.h"

namespace lite {
namespace {

using namespace Gdiplus::DllExports;  // the flat API, as the window uses it

struct GdiplusImageTraits {
  static Gdiplus::GpImage* InvalidValue() { return nullptr; }
  static bool IsValid(Gdiplus::GpImage* image) { return image != nullptr; }
  static void Free(Gdiplus::GpImage* image) { GdipDisposeImage(image); }
};
struct IconTraits {
  static HICON InvalidValue() { return nullptr; }
  static bool IsValid(HICON icon) { return icon != nullptr; }
  static void Free(HICON icon) { ::DestroyIcon(icon); }
};
struct BitmapTraits {
  static HBITMAP InvalidValue() { return nullptr; }
  static bool IsValid(HBITMAP bitmap) { return bitmap != nullptr; }
  static void Free(HBITMAP bitmap) { ::DeleteObject(bitmap); }
};
struct WindowTraits {
  static HWND InvalidValue() { return nullptr; }
  static bool IsValid(HWND window) { return window != nullptr; }
  static void Free(HWND window) { ::DestroyWindow(window); }
};

class WindowResourcesTest : public testing::Test {
 protected:
  UiRuntime runtime_;  // COM, the progress bar's class and GDI+
};

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
  if (IS_INTRESOURCE(name))
    reinterpret_cast<std::vector<int>*>(ids)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

TEST_F(WindowResourcesTest, EveryPictureDecodesWithGdiplus) {
  ASSERT_TRUE(runtime_.gdiplus_started());
  std::vector<int> ids;
  ::EnumResourceNamesW(nullptr, RT_RCDATA, CollectId, reinterpret_cast<LONG_PTR>(&ids));
  ASSERT_FALSE(ids.empty());
  for (int id : ids) {
    SCOPED_TRACE(id);
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
    ASSERT_TRUE(info);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, info)));
    const UINT size = ::SizeofResource(nullptr, info);
    ASSERT_TRUE(bytes && size > 8);
    ScopedComPtr<IStream> stream;
    *stream.receive() = ::SHCreateMemStream(bytes, size);
    ASSERT_TRUE(stream);
    ScopedGeneric<Gdiplus::GpImage*, GdiplusImageTraits> image;
    ASSERT_EQ(GdipLoadImageFromStream(stream.get(), image.receive()), Gdiplus::Ok);
    UINT width = 0, height = 0;
    GdipGetImageWidth(image.get(), &width);
    GdipGetImageHeight(image.get(), &height);
    EXPECT_GT(width, 0u);
    EXPECT_GT(height, 0u);
    if (bytes[0] != 0x89) continue;  // JPEG: opaque by nature
    // Every face and piece is drawn over another picture: its alpha must
    // survive decoding. Each one's top-left pixel lies outside its shape.
    Gdiplus::PixelFormat format = 0;
    GdipGetImagePixelFormat(image.get(), &format);
    EXPECT_TRUE(format & PixelFormatAlpha) << std::hex << format;
    Gdiplus::ARGB corner = 0;
    ASSERT_EQ(GdipBitmapGetPixel(reinterpret_cast<Gdiplus::GpBitmap*>(image.get()), 0, 0, &corner),
              Gdiplus::Ok);
    EXPECT_LT(corner >> 24, 255u);
  }
}

TEST_F(WindowResourcesTest, EveryImageOfTheIconLoads) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC group_info = ::FindResourceW(module, MAKEINTRESOURCEW(IDI_WINDOW), RT_GROUP_ICON);
  ASSERT_TRUE(group_info);
  auto* group = static_cast<BYTE*>(::LockResource(::LoadResource(module, group_info)));
  ASSERT_TRUE(group);
  for (int size : {16, 24, 32, 48, 256}) {
    SCOPED_TRACE(size);
    // The image the system picks for this size, decoded on its own: each
    // one is drawn for its size, so none may be broken.
    const int id = ::LookupIconIdFromDirectoryEx(group, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_TRUE(info);
    ScopedGeneric<HICON, IconTraits> icon(::CreateIconFromResourceEx(
        static_cast<BYTE*>(::LockResource(::LoadResource(module, info))), ::SizeofResource(module, info),
        TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_TRUE(icon);
    ICONINFO parts = {};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &parts));
    ScopedGeneric<HBITMAP, BitmapTraits> colour(parts.hbmColor), mask(parts.hbmMask);
    BITMAP bitmap = {};
    ASSERT_TRUE(colour && ::GetObjectW(colour.get(), sizeof(bitmap), &bitmap));
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);
  }
}

INT_PTR CALLBACK AcceptDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

TEST_F(WindowResourcesTest, TemplatesMakeDialogsWithTheirControls) {
  struct Case {
    int dialog;
    std::vector<std::pair<int, const wchar_t*>> controls;
    int children;
  };
  const Case cases[] = {
      {IDD_MAIN_WINDOW,
       {{IDC_INSTALL_BUTTON, L"Button"}, {IDC_TITLE, L"Static"}, {IDC_DEFAULT_CHECK_BOX, L"Button"},
        {IDC_STATISTICS_CHECK_BOX, L"Button"}, {IDC_MIRRA_CHECK_BOX, L"Button"},
        {IDC_PROGRESS_CLOSE_BUTTON, L"Button"}, {IDC_CLOSE_BUTTON, L"Button"},
        {IDC_PROGRESS_BAR, L"msctls_progress32"}, {IDC_PRIVACY_LINK, L"Button"},
        {IDC_PERCENT_LABEL, L"Static"}},
       10},
      {IDD_MESSAGE_DIALOG,
       {{IDC_TITLE, L"Static"}, {IDC_FIRST_BUTTON, L"Button"}, {IDC_SECOND_BUTTON, L"Button"},
        {IDC_UNUSED_BUTTON, L"Button"}},
       5},  // and the body text, which has no id
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    ScopedGeneric<HWND, WindowTraits> dialog(::CreateDialogParamW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.dialog), nullptr, AcceptDialog, 0));
    ASSERT_TRUE(dialog) << ::GetLastError();
    for (const auto& [id, window_class] : c.controls) {
      HWND control = ::GetDlgItem(dialog.get(), id);
      ASSERT_TRUE(control) << id;
      wchar_t name[64] = {};
      ::GetClassNameW(control, name, 64);
      EXPECT_STREQ(name, window_class) << id;
    }
    int children = 0;
    for (HWND child = ::GetWindow(dialog.get(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      ++children;
    EXPECT_EQ(children, c.children);
    // The template's font, as the dialog manager made it.
    LOGFONTW font = {};
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog.get(), WM_GETFONT, 0, 0)),
                             sizeof(font), &font));
    EXPECT_STREQ(font.lfFaceName, L"Arial");
  }
}

}  // namespace
}  // namespace lite
