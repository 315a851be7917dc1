#include "ui/slide.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace lite {

int64_t SteadyMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Slide::Slide(const ResourceBitmap& image, SIZE slideshow_size, MicrosecondClock clock)
    : image_(image), clock_(clock), start_us_(clock()) {
  destination_.left = 0;
  destination_.top = slideshow_size.cy - image_.Height();
  destination_.right = std::min(image_.Width(), static_cast<int>(slideshow_size.cx));
  destination_.bottom = slideshow_size.cy;
}

Slide::~Slide() = default;

bool Slide::TakeChanged() { return std::exchange(changed_, false); }

void Slide::Draw(HDC dc, const RECT& rect, HBRUSH brush) const {
  ::FillRect(dc, &rect, brush);
  const int width = destination_.right - destination_.left;
  const int height = destination_.bottom - destination_.top;
  image_.DrawImage(dc, destination_.left, destination_.top, width, height, 0, 0, width, height);
}

bool Slide::IsExpired() const {
  return clock_() - start_us_ >= static_cast<int64_t>(duration_ms_ * 1000.0f);
}

const ResourceBitmap& Slide::image() const { return image_; }

}  // namespace lite
