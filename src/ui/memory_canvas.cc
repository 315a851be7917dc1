#include "ui/memory_canvas.h"

namespace lite {

MemoryCanvas::MemoryCanvas(HDC reference, int width, int height, Format format)
    : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  dc_.reset(::CreateCompatibleDC(reference));
  if (!dc_) return;
  if (format == Format::kArgb) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap_) pixels_ = static_cast<uint32_t*>(bits);
  } else if (reference) {
    bitmap_.reset(::CreateCompatibleBitmap(reference, width, height));
  } else {
    // Not the new memory context: it holds a one-pixel monochrome bitmap.
    ScopedGetDc screen(nullptr);
    bitmap_.reset(::CreateCompatibleBitmap(screen.get(), width, height));
  }
  if (bitmap_) previous_ = ::SelectObject(dc_.get(), bitmap_.get());
}

MemoryCanvas::~MemoryCanvas() {
  if (previous_) ::SelectObject(dc_.get(), previous_);
}

}  // namespace lite
