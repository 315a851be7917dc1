#ifndef LITE_UI_SLIDE_SOURCE_H_
#define LITE_UI_SLIDE_SOURCE_H_

#include <cstddef>

#include "ui/resource_bitmap.h"

namespace lite {

// Where the slideshow takes its pictures from: a list that only grows,
// read by position.
class SlideSource {
 public:
  virtual ~SlideSource() = default;
  // A copy of the entry at |index| modulo the list's length; an empty
  // image for an empty list.
  virtual ResourceBitmap ImageAt(size_t index) const = 0;
};

}  // namespace lite

#endif  // LITE_UI_SLIDE_SOURCE_H_
