#include "ui/slideshow.h"

#include "ui/slide_source.h"

namespace lite {

Slideshow::Slideshow(const SlideSource* source, SIZE size, HBRUSH brush, size_t next_index,
                     MicrosecondClock clock)
    : source_(source), size_(size), brush_(brush), next_index_(next_index), clock_(clock),
      slide_(std::make_unique<Slide>(source_->ImageAt(0), size_, clock_)) {}

Slideshow::~Slideshow() = default;

bool Slideshow::Advance() {
  if (slide_->IsExpired()) {
    index_ = index_ == 0 ? next_index_ : index_ + 1;
    slide_ = std::make_unique<Slide>(source_->ImageAt(index_), size_, clock_);
  }
  return slide_->TakeChanged();
}

void Slideshow::Draw(HDC dc, const RECT& rect) const { slide_->Draw(dc, rect, brush_); }

}  // namespace lite
