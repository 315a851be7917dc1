#ifndef LITE_UI_MEMORY_CANVAS_H_
#define LITE_UI_MEMORY_CANVAS_H_

#include <windows.h>

#include <cstdint>

#include "base/scoped_gdi.h"

namespace lite {

// A memory context with a bitmap of its own selected, for drawing off
// screen. Everything is freed (the bitmap deselected first) on destruction.
class MemoryCanvas {
 public:
  enum class Format {
    // Compatible with the reference context (null: the screen).
    kCompatible,
    // 32 bits per pixel with an alpha channel, top-down, all zero: the
    // premultiplied source a layered window takes.
    kArgb,
  };

  MemoryCanvas(HDC reference, int width, int height, Format format = Format::kCompatible);
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;
  ~MemoryCanvas();

  bool is_valid() const { return previous_ != nullptr; }
  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // kArgb only: the pixels, row by row from the top, as 0xAARRGGBB. Call
  // GdiFlush before reading what GDI drew.
  uint32_t* pixels() const { return pixels_; }

 private:
  ScopedMemoryDc dc_;
  ScopedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_;
  int height_;
};

}  // namespace lite

#endif  // LITE_UI_MEMORY_CANVAS_H_
