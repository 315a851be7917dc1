#ifndef LITE_UI_IMAGE_PROGRESS_BAR_H_
#define LITE_UI_IMAGE_PROGRESS_BAR_H_

#include <windows.h>

#include "ui/accessible_control.h"
#include "ui/resource_bitmap.h"
#include "ui/subclassed_window.h"

namespace lite {

// How many of a bar's |width| columns show filled at |position| of the
// range [low, high]: in proportion, kept within the bar, and none for a
// range without length.
int FilledWidth(int width, int position, int low, int high);

// A progress control painted from two pictures as large as the bar: the
// filled one up to the position, the empty one after it, optionally over
// the parent's picture.
class ImageProgressBar : public SubclassedWindow {
 public:
  // Attaches to |progress|, a msctls_progress32 control.
  explicit ImageProgressBar(HWND progress);
  ~ImageProgressBar() override;

  // |background|: the parent's picture to show under the bar, or null.
  void SetImages(int filled_id, int filled_high_resolution_id, int empty_id,
                 int empty_high_resolution_id, const ResourceBitmap* background);
  void SetRange(int low, int high);
  // Also the accessible value, as a percentage.
  void SetPosition(int position);
  int Position() const;

  // Paints WM_PAINT (and WM_PRINTCLIENT, so that a printed copy of the
  // window shows the same bar); swallows the erase and the system colours.
  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override;

  AccessibleControl& accessible() { return accessible_; }

 private:
  void Paint(HDC dc) const;
  void DrawBar(HDC dc, const RECT& client) const;

  AccessibleControl accessible_;
  bool has_background_ = false;
  ResourceBitmap background_;
  ResourceBitmap filled_;
  ResourceBitmap empty_;
};

}  // namespace lite

#endif  // LITE_UI_IMAGE_PROGRESS_BAR_H_
