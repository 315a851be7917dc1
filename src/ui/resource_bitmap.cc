#include "ui/resource_bitmap.h"

#include <gdiplus.h>

#include <new>

#include "base/scoped_gdi.h"
#include "base/scoped_generic.h"
#include "logging/log_record.h"
#include "ui/resource_stream.h"
#include "ui/scale_factor.h"

namespace lite {

namespace gdip = Gdiplus::DllExports;

// The shared image. Allocated from GDI+'s own heap like the image it holds;
// the count is atomic because copies may be dropped on other threads.
struct SharedImage {
  LONG references;
  Gdiplus::GpImage* image;
};

namespace {

struct GraphicsTraits {
  static Gdiplus::GpGraphics* InvalidValue() { return nullptr; }
  static bool IsValid(Gdiplus::GpGraphics* graphics) { return graphics != nullptr; }
  static void Free(Gdiplus::GpGraphics* graphics) { gdip::GdipDeleteGraphics(graphics); }
};
using ScopedGraphics = ScopedGeneric<Gdiplus::GpGraphics*, GraphicsTraits>;

// Owns |image| from here on; null when the holder cannot be allocated.
SharedImage* NewHolder(Gdiplus::GpImage* image) {
  void* memory = gdip::GdipAlloc(sizeof(SharedImage));
  if (!memory) {
    gdip::GdipDisposeImage(image);
    return nullptr;
  }
  return new (memory) SharedImage{1, image};
}

void AddReference(SharedImage* holder) {
  if (holder) ::InterlockedIncrement(&holder->references);
}

void DropReference(SharedImage* holder) {
  if (!holder || ::InterlockedDecrement(&holder->references) != 0) return;
  gdip::GdipDisposeImage(holder->image);
  gdip::GdipFree(holder);
}

}  // namespace

ResourceBitmap::ResourceBitmap(const ResourceBitmap& other)
    : holder_(other.holder_), factor_(other.factor_) {
  AddReference(holder_);
}

ResourceBitmap& ResourceBitmap::operator=(const ResourceBitmap& other) {
  AddReference(other.holder_);
  Reset(other.holder_, other.factor_);
  return *this;
}

ResourceBitmap::~ResourceBitmap() {
  DropReference(holder_);
}

void ResourceBitmap::Reset(SharedImage* holder, double factor) {
  DropReference(holder_);
  holder_ = holder;
  factor_ = holder ? factor : 1.0;
}

bool ResourceBitmap::LoadScaled(int id, int high_resolution_id) {
  if (ScaleFactor() != 1.0 && high_resolution_id != 0) return Load(high_resolution_id, 2);
  return Load(id, 1);
}

bool ResourceBitmap::Load(int id, int divisor) {
  const ScopedComPtr<IStream> stream = OpenResourceStream(id);
  if (!stream) {
    PLOG(ERROR, "Load") << "Failed to create the resource " << id << " stream";
    return false;
  }
  return Load(stream.get(), ScaleFactor() / divisor);
}

bool ResourceBitmap::Load(IStream* stream, double factor) {
  Gdiplus::GpImage* image = nullptr;
  SharedImage* holder = nullptr;
  if (gdip::GdipLoadImageFromStreamICM(stream, &image) == Gdiplus::Ok) holder = NewHolder(image);
  if (!holder) {
    PLOG(ERROR, "Load") << "Failed to load a bitmap";
    return false;
  }
  Reset(holder, factor);
  return true;
}

// static
ResourceBitmap ResourceBitmap::FromBitmapHandle(HBITMAP bitmap) {
  ResourceBitmap result;
  const ScopedBitmap copy(
      static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE)));
  if (!copy) {
    PLOG(ERROR, "ResourceBitmap") << "Failed to construct a ResourceBitmap from HBITMAP";
    return result;
  }
  Gdiplus::GpBitmap* image = nullptr;
  if (gdip::GdipCreateBitmapFromHBITMAP(copy.get(), nullptr, &image) == Gdiplus::Ok) {
    result.Reset(NewHolder(image), 1.0);
  }
  return result;
}

ResourceBitmap ResourceBitmap::Reduced() const {
  if (!holder_ || factor_ >= 1.0) return *this;
  const int width = Width();
  const int height = Height();
  if (width <= 0 || height <= 0) return *this;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr, &bitmap) !=
      Gdiplus::Ok) {
    return *this;
  }
  SharedImage* holder = NewHolder(bitmap);
  if (!holder) return *this;
  ResourceBitmap result;
  result.Reset(holder, 1.0);
  ScopedGraphics graphics;
  if (gdip::GdipGetImageGraphicsContext(bitmap, graphics.receive()) != Gdiplus::Ok) return *this;
  gdip::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
  gdip::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHalf);
  UINT source_width = 0, source_height = 0;
  gdip::GdipGetImageWidth(holder_->image, &source_width);
  gdip::GdipGetImageHeight(holder_->image, &source_height);
  if (gdip::GdipDrawImageRectRectI(graphics.get(), holder_->image, 0, 0, width, height, 0, 0,
                                   static_cast<INT>(source_width),
                                   static_cast<INT>(source_height), Gdiplus::UnitPixel, nullptr,
                                   nullptr, nullptr) != Gdiplus::Ok) {
    return *this;
  }
  return result;
}

int ResourceBitmap::Width() const {
  UINT pixels = 0;
  if (holder_) gdip::GdipGetImageWidth(holder_->image, &pixels);
  return static_cast<int>(pixels * factor_);
}

int ResourceBitmap::Height() const {
  UINT pixels = 0;
  if (holder_) gdip::GdipGetImageHeight(holder_->image, &pixels);
  return static_cast<int>(pixels * factor_);
}

void ResourceBitmap::DrawImage(HDC dc, int x, int y, int width, int height, int source_x,
                               int source_y, int source_width, int source_height) const {
  if (!holder_) return;
  ScopedGraphics graphics;
  if (gdip::GdipCreateFromHDC(dc, graphics.receive()) != Gdiplus::Ok) return;
  // Logical source coordinates back to image pixels.
  auto pixels = [this](int logical) { return static_cast<Gdiplus::REAL>(logical / factor_); };
  auto real = [](int value) { return static_cast<Gdiplus::REAL>(value); };
  gdip::GdipDrawImageRectRect(graphics.get(), holder_->image, real(x), real(y), real(width),
                              real(height), pixels(source_x), pixels(source_y),
                              pixels(source_width), pixels(source_height), Gdiplus::UnitPixel,
                              nullptr, nullptr, nullptr);
}

}  // namespace lite
