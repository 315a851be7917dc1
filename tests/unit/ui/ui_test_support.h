#ifndef LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_

#include <windows.h>
#include <oleacc.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/scoped_generic.h"
#include "base/scoped_handle.h"
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

}  // namespace lite

#endif  // LITE_TESTS_UNIT_UI_UI_TEST_SUPPORT_H_
