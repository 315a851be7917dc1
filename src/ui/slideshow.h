#ifndef LITE_UI_SLIDESHOW_H_
#define LITE_UI_SLIDESHOW_H_

#include <windows.h>

#include <cstddef>
#include <memory>

#include "ui/slide.h"

namespace lite {

class SlideSource;

// The progress screen's pictures: the source's first entry (the built-in
// slide), then every further entry in turn, each for the slide's
// duration, wrapping around. Driven by the window's timer.
class Slideshow {
 public:
  // Nothing is owned. |next_index| is the position taken at the first
  // change.
  Slideshow(const SlideSource* source, SIZE size, HBRUSH brush, size_t next_index,
            MicrosecondClock clock = &SteadyMicroseconds);
  ~Slideshow();

  // Moves on when the current slide has expired; true when a slide was
  // made that has not been reported yet (the window repaints once).
  bool Advance();
  // Whether the show has left its first slide.
  bool HasMovedOn() const { return index_ != 0; }
  void Draw(HDC dc, const RECT& rect) const;

  size_t index() const { return index_; }
  const Slide& current() const { return *slide_; }

 private:
  const SlideSource* source_;
  SIZE size_;
  HBRUSH brush_;
  size_t index_ = 0;
  size_t next_index_;
  MicrosecondClock clock_;
  std::unique_ptr<Slide> slide_;
};

}  // namespace lite

#endif  // LITE_UI_SLIDESHOW_H_
