#ifndef LITE_UI_MAIN_WINDOW_LAYOUT_H_
#define LITE_UI_MAIN_WINDOW_LAYOUT_H_

#include <windows.h>

namespace lite {

// The two looks of the window: kA when the distribution asks for the
// alternative theme ("ins" = "1"), kB otherwise.
enum class VisualVariant { kA, kB };

// Which option boxes the first screen shows; a layout type is their sum.
enum LayoutBox { kDefaultBox = 1, kStatisticsBox = 2, kMirraBox = 4 };

int LayoutTypeFor(bool default_box, bool statistics_box, bool mirra_box);

// Where the window's pieces go, in unscaled pixels of the 728 x 400 window.
// Check box rectangles give the top and the width only: their height is
// measured from the label at run time. The privacy link's rectangle gives
// its left edge only; it sits under the statistics box, sized to its text.
class MainWindowLayout {
 public:
  MainWindowLayout(int type, VisualVariant variant);

  int type() const { return type_; }
  VisualVariant variant() const { return variant_; }

  RECT TitleRect() const;
  RECT DefaultCheckBoxRect() const;
  RECT StatisticsCheckBoxRect() const;
  RECT MirraCheckBoxRect() const;
  RECT PrivacyLinkRect() const;
  RECT LogoRect() const;
  RECT LicenceNoteRect() const;
  RECT InstallButtonRect() const;
  RECT CloseButtonRect() const;
  RECT ProgressBarRect() const;
  RECT PercentLabelRect() const;
  RECT QuickStartNoteRect() const;

 private:
  int type_;
  VisualVariant variant_;
};

}  // namespace lite

#endif  // LITE_UI_MAIN_WINDOW_LAYOUT_H_
