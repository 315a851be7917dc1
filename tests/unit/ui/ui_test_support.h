#ifndef LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_

#include <windows.h>
#include <oleacc.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/scoped_gdi.h"
#include "base/scoped_generic.h"
#include "base/scoped_handle.h"
#include "test_util.h"
#include "ui/memory_canvas.h"
#include "ui/shadow_window.h"

namespace lite {

// Frame colours of the test strips (make_test_images.py).
constexpr COLORREF kFrameColours[6] = {RGB(200, 0, 0),   RGB(0, 200, 0),   RGB(0, 0, 200),
                                       RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};
constexpr COLORREF kPieceColours[8] = {RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),
                                       RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255),
                                       RGB(128, 128, 128), RGB(255, 255, 255)};
constexpr BYTE kLastPieceAlpha = 128;

// The interface languages: the codes and language ids of the string tables.
struct InterfaceLanguage {
  const char* code;
  uint32_t id;
};
inline constexpr InterfaceLanguage kInterfaceLanguages[] = {
    {"en", 1033},    {"ru", 1049},    {"uk", 1058}, {"tr", 1055}, {"de", 1031},    {"es", 3082},
    {"fr", 1036},    {"it", 1040},    {"ja", 1041}, {"pt-PT", 2070}, {"pt-BR", 1046},
    {"zh-CN", 2052}, {"zh-TW", 1028}, {"kk", 1087}, {"uz", 1091}, {"cs", 1029},
};

// A 32-bit canvas whose pixels the test reads.
class TestCanvas : public MemoryCanvas {
 public:
  TestCanvas(int width, int height) : MemoryCanvas(nullptr, width, height, Format::kArgb) {}

  void Fill(COLORREF colour) {
    const uint32_t value = 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                           GetBValue(colour);
    for (int i = 0; i < width() * height(); ++i) pixels()[i] = value;
  }
  uint32_t Raw(int x, int y) const {
    ::GdiFlush();
    return pixels()[y * width() + x];
  }
  COLORREF Colour(int x, int y) const {
    const uint32_t value = Raw(x, y);
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  }
  BYTE Alpha(int x, int y) const { return static_cast<BYTE>(Raw(x, y) >> 24); }
};

// Each channel within |tolerance|.
inline bool Near(COLORREF a, COLORREF b, int tolerance = 2) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

inline std::string ColourText(COLORREF colour) {
  return "RGB(" + std::to_string(GetRValue(colour)) + ", " + std::to_string(GetGValue(colour)) +
         ", " + std::to_string(GetBValue(colour)) + ")";
}

// Sets the colour depth the message dialogs' shadow sees for one scope.
class ScopedScreenBits {
 public:
  explicit ScopedScreenBits(int bits) { ShadowWindow::SetScreenBitsPerPixelForTesting(bits); }
  ScopedScreenBits(const ScopedScreenBits&) = delete;
  ScopedScreenBits& operator=(const ScopedScreenBits&) = delete;
  ~ScopedScreenBits() { ShadowWindow::SetScreenBitsPerPixelForTesting(0); }
};

struct WindowTraits {
  static HWND InvalidValue() { return nullptr; }
  static bool IsValid(HWND window) { return window != nullptr; }
  static void Free(HWND window) {
    if (::IsWindow(window)) ::DestroyWindow(window);
  }
};
using ScopedWindow = ScopedGeneric<HWND, WindowTraits>;

// A plain popup at a given place on the screen; hidden unless |extra_style|
// says WS_VISIBLE (Wine waits for the X server when a shown window goes).
inline HWND CreatePopup(const RECT& rect, DWORD extra_style = 0, HWND owner = nullptr) {
  return ::CreateWindowExW(0, L"Static", L"", WS_POPUP | extra_style, rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, owner,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

inline HWND CreateChild(HWND parent, const wchar_t* class_name, const wchar_t* text, DWORD style,
                        const RECT& rect, int id = 0) {
  return ::CreateWindowExW(0, class_name, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

// Asks |window| for its client object as a screen reader does, and takes
// the answer: one left unclaimed stays marshaled, holding a reference,
// until the control goes. Null when the window answers 0 (the system's object).
inline ScopedComPtr<IAccessible> GetObjectAnswer(HWND window) {
  ScopedComPtr<IAccessible> object;
  const LRESULT answer =
      ::SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  if (answer != 0 &&
      FAILED(::ObjectFromLresult(answer, __uuidof(IAccessible), 0, object.receive_void()))) {
    object.reset();
  }
  return object;
}

inline RECT WindowRect(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  return rect;
}

// The records a parent hands a control to paint itself.
inline NMCUSTOMDRAW CustomDraw(HWND window, HDC dc, const RECT& rect, UINT state,
                               DWORD stage = CDDS_PREERASE) {
  NMCUSTOMDRAW draw = {};
  draw.hdr.hwndFrom = window;
  draw.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(window));
  draw.hdr.code = NM_CUSTOMDRAW;
  draw.dwDrawStage = stage;
  draw.hdc = dc;
  draw.rc = rect;
  draw.uItemState = state;
  return draw;
}

inline DRAWITEMSTRUCT DrawItem(HWND window, HDC dc, const RECT& rect, UINT state) {
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(::GetDlgCtrlID(window));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = state;
  item.hwndItem = window;
  item.hDC = dc;
  item.rcItem = rect;
  return item;
}

// A window on the screen with |margins| around it (a dialog's shadow), as a
// person sees it. Saved as <build>/test-artefacts/|folder|/|name|.png.
class Screenshot : public TestCanvas {
 public:
  Screenshot(HWND dialog, const RECT& margins = RECT{0, 0, 0, 0})
      : TestCanvas(WindowRect(dialog).right - WindowRect(dialog).left + margins.left +
                       margins.right,
                   WindowRect(dialog).bottom - WindowRect(dialog).top + margins.top +
                       margins.bottom),
        origin_{margins.left, margins.top} {
    const RECT rect = WindowRect(dialog);
    ScopedGetDc screen(nullptr);
    ::BitBlt(dc(), 0, 0, width(), height(), screen.get(), rect.left - margins.left,
             rect.top - margins.top, SRCCOPY);
    ::GdiFlush();
  }

  // A pixel of the window, in its client coordinates.
  COLORREF At(int x, int y) const { return Colour(origin_.x + x, origin_.y + y); }

  void Save(const std::string& name, const std::string& folder = "dialogs") const {
    const std::wstring artefacts = ExecutableFolder() + L"\\..\\..\\test-artefacts";
    const std::wstring where = artefacts + L"\\" + std::wstring(folder.begin(), folder.end());
    ::CreateDirectoryW(artefacts.c_str(), nullptr);
    ::CreateDirectoryW(where.c_str(), nullptr);
    const std::wstring path = where + L"\\" + std::wstring(name.begin(), name.end()) + L".png";
    // The PNG encoder of GDI+.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3,
                       {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::GpBitmap* image = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap(), nullptr, &image),
              Gdiplus::Ok);
    EXPECT_EQ(Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &png, nullptr),
              Gdiplus::Ok);
    Gdiplus::DllExports::GdipDisposeImage(image);
  }

 private:
  POINT origin_;
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_
