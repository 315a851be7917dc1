#ifndef LITE_UI_MAIN_WINDOW_THEME_H_
#define LITE_UI_MAIN_WINDOW_THEME_H_

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/scoped_gdi.h"
#include "ui/main_window_layout.h"

namespace lite {

class BrandInfo;

// A normal picture and its double-resolution variant (0 when none).
struct ImageIds {
  int normal;
  int high_resolution;
};

// A font of the window's table, in unscaled pixels.
struct FontSpec {
  const wchar_t* face;
  int size;
  bool underline;
};

// The pictures, texts and colours of one visual variant of the window:
// everything that differs between the variants or between languages, so
// that the window's code has no branches on either.
class MainWindowTheme {
 public:
  static constexpr int kFontCount = 8;

  MainWindowTheme(VisualVariant variant, const BrandInfo* brand_info,
                  std::shared_ptr<const MainWindowLayout> layout);
  MainWindowTheme(const MainWindowTheme&) = delete;
  MainWindowTheme& operator=(const MainWindowTheme&) = delete;
  virtual ~MainWindowTheme();

  VisualVariant variant() const { return variant_; }

  ImageIds BackgroundImage() const;
  ImageIds FirstScreenLogoImages() const;
  ImageIds ProgressScreenLogoImages() const;
  ImageIds InstallButtonImages() const;
  ImageIds CheckBoxImages() const;
  ImageIds ProgressFilledImages() const;
  ImageIds ProgressEmptyImages() const;
  // The built-in slide's picture and the divisor it is loaded with.
  int SlidePictureImage() const;
  int SlidePictureDivisor() const;

  int TitleStringId() const;
  int DefaultCheckBoxStringId() const;

  COLORREF TitleColour() const;
  BYTE TitleAlpha() const;
  UINT TitleFormat() const;
  COLORREF LabelColour() const;
  BYTE LabelAlpha() const;
  // The slide's white.
  HBRUSH Brush() const { return brush_.get(); }

  // Fonts 1 to 8 of the window.
  FontSpec Font(int number) const;

  // What the variant draws over the built-in slide's picture, with the
  // slide's heading, body and spacing fonts.
  virtual void DrawSlideExtras(HDC dc, HFONT heading, HFONT body, HFONT spacing) const;

 private:
  bool russian() const;

  VisualVariant variant_;
  const BrandInfo* brand_info_;
  std::shared_ptr<const MainWindowLayout> layout_;
  ScopedBrush brush_;
};

}  // namespace lite

#endif  // LITE_UI_MAIN_WINDOW_THEME_H_
