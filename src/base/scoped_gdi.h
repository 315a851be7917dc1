#ifndef LITE_BASE_SCOPED_GDI_H_
#define LITE_BASE_SCOPED_GDI_H_

#include <windows.h>

#include "base/scoped_generic.h"

namespace lite {

// Fonts, bitmaps, brushes and other objects freed with DeleteObject.
template <typename T>
struct GdiObjectTraits {
  static T InvalidValue() { return nullptr; }
  static bool IsValid(T object) { return object != nullptr; }
  static void Free(T object) { ::DeleteObject(object); }
};
using ScopedFont = ScopedGeneric<HFONT, GdiObjectTraits<HFONT>>;
using ScopedBitmap = ScopedGeneric<HBITMAP, GdiObjectTraits<HBITMAP>>;
using ScopedBrush = ScopedGeneric<HBRUSH, GdiObjectTraits<HBRUSH>>;

// Contexts made with CreateCompatibleDC.
struct MemoryDcTraits {
  static HDC InvalidValue() { return nullptr; }
  static bool IsValid(HDC dc) { return dc != nullptr; }
  static void Free(HDC dc) { ::DeleteDC(dc); }
};
using ScopedMemoryDc = ScopedGeneric<HDC, MemoryDcTraits>;

// A window's (or, for null, the screen's) context from GetDC.
class ScopedGetDc {
 public:
  explicit ScopedGetDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;
  ~ScopedGetDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a context and puts the previous one back: an
// object must not be deleted while it is selected.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object)
      : dc_(object ? dc : nullptr), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() {
    if (dc_ && previous_) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace lite

#endif  // LITE_BASE_SCOPED_GDI_H_
