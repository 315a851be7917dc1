#ifndef LITE_UI_SLIDE_H_
#define LITE_UI_SLIDE_H_

#include <windows.h>

#include <cstdint>

#include "ui/resource_bitmap.h"

namespace lite {

// Microseconds of a monotonic clock; tests pass their own.
using MicrosecondClock = int64_t (*)();
int64_t SteadyMicroseconds();

// One picture of the slideshow and how long it stays: it sits on the
// bottom-left corner at its logical size and is cut at the right edge.
class Slide {
 public:
  static constexpr float kDurationMs = 10000.0f;

  Slide(const ResourceBitmap& image, SIZE slideshow_size, MicrosecondClock clock);
  virtual ~Slide();

  // Whether the slide is new since the last call.
  virtual bool TakeChanged();
  // Fills |rect| with |brush|, then draws the picture.
  virtual void Draw(HDC dc, const RECT& rect, HBRUSH brush) const;
  virtual bool IsExpired() const;
  virtual const ResourceBitmap& image() const;

  const RECT& destination() const { return destination_; }

 private:
  ResourceBitmap image_;
  float duration_ms_ = kDurationMs;
  MicrosecondClock clock_;
  int64_t start_us_;
  bool changed_ = true;
  RECT destination_;
};

}  // namespace lite

#endif  // LITE_UI_SLIDE_H_
