#ifndef LITE_UI_RESOURCE_BITMAP_H_
#define LITE_UI_RESOURCE_BITMAP_H_

#include <windows.h>
#include <objidl.h>

namespace lite {

struct SharedImage;

// A picture decoded by GDI+, drawn in logical pixels: its pixel size times
// its factor. Copies share the decoded image, which goes when the last copy
// does. An empty object (no image, factor 1.0) is valid everywhere: its size
// is 0 and drawing it does nothing.
class ResourceBitmap {
 public:
  ResourceBitmap() = default;
  ResourceBitmap(const ResourceBitmap& other);
  ResourceBitmap& operator=(const ResourceBitmap& other);
  ~ResourceBitmap();

  // The image for the display's scale: the high-resolution variant (twice
  // the pixels, used at half the factor) when the scale is not 1 and one is
  // given (non-zero), else the normal image stretched by the scale.
  bool LoadScaled(int id, int high_resolution_id);
  // RT_RCDATA resource |id| at the display's scale divided by |divisor|.
  bool Load(int id, int divisor);
  // Decodes |stream|; on success the image and factor are replaced, on
  // failure the previous ones are kept.
  bool Load(IStream* stream, double factor);
  // A copy of a GDI bitmap at factor 1.0; empty when it cannot be made.
  static ResourceBitmap FromBitmapHandle(HBITMAP bitmap);
  // A copy with only the pixels its logical size needs (factor 1): a
  // picture decoded with more pixels than the screen shows keeps them all
  // otherwise. Itself when it has no more than that, or on failure.
  ResourceBitmap Reduced() const;

  bool is_empty() const { return holder_ == nullptr; }
  double factor() const { return factor_; }
  int Width() const;
  int Height() const;

  // Draws the source rectangle of the image into the destination
  // rectangle, both in logical pixels.
  void DrawImage(HDC dc, int x, int y, int width, int height, int source_x, int source_y,
                 int source_width, int source_height) const;

 private:
  // Takes over |holder|'s reference.
  void Reset(SharedImage* holder, double factor);

  SharedImage* holder_ = nullptr;
  double factor_ = 1.0;
};

}  // namespace lite

#endif  // LITE_UI_RESOURCE_BITMAP_H_
