#include "ui/main_window_theme.h"

#include <string>
#include <utility>

#include "config/brand_info.h"
#include "ui/link_markup_layout.h"
#include "ui/resource_ids.h"
#include "ui/resource_strings.h"
#include "ui/scale_factor.h"
#include "ui/text_metrics.h"

namespace lite {
namespace {

constexpr uint32_t kRussianLanguageId = 1049;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The security panel on the right half of the built-in slide (variant B).
constexpr int kSlideWidth = 728;
constexpr int kSlideHeight = 400;
constexpr int kSlidePanelWidth = 304;
constexpr int kSlidePanelTop = 126;
constexpr int kSlidePanelGap = 16;
constexpr double kSlideBodyLineSpacing = 1.4;

constexpr FontSpec kFonts[MainWindowTheme::kFontCount] = {
    {L"Arial", 32, false},    // 1: title
    {L"SegoeUI", 15, false},  // 2: Install button
    {L"Arial", 12, false},    // 3: labels, licence note, percent
    {L"Arial", 12, true},     // 4: first-screen links
    {L"Arial", 28, false},    // 5: slide heading
    {L"Arial", 15, false},    // 6: slide body
    {L"Arial", 11, false},    // 7: progress-screen licence note
    {L"Arial", 11, true},     // 8: progress-screen link
};

}  // namespace

MainWindowTheme::MainWindowTheme(VisualVariant variant, const BrandInfo* brand_info,
                                 std::shared_ptr<const MainWindowLayout> layout)
    : variant_(variant),
      brand_info_(brand_info),
      layout_(std::move(layout)),
      brush_(::CreateSolidBrush(kWhite)) {}

MainWindowTheme::~MainWindowTheme() = default;

bool MainWindowTheme::russian() const {
  return brand_info_ && brand_info_->language_id == kRussianLanguageId;
}

ImageIds MainWindowTheme::BackgroundImage() const { return {IDR_MAIN_BACKGROUND, 0}; }

ImageIds MainWindowTheme::FirstScreenLogoImages() const {
  if (variant_ == VisualVariant::kA) {
    return russian() ? ImageIds{IDR_LOGO_A_FIRST_RU, IDR_LOGO_A_FIRST_RU_HIRES}
                     : ImageIds{IDR_LOGO_A_FIRST, IDR_LOGO_A_FIRST_HIRES};
  }
  return russian() ? ImageIds{IDR_LOGO_B_FIRST_RU, IDR_LOGO_B_FIRST_RU_HIRES}
                   : ImageIds{IDR_LOGO_B_FIRST, IDR_LOGO_B_FIRST_HIRES};
}

ImageIds MainWindowTheme::ProgressScreenLogoImages() const {
  if (variant_ == VisualVariant::kA) {
    return russian() ? ImageIds{IDR_LOGO_A_PROGRESS_RU, IDR_LOGO_A_PROGRESS_RU_HIRES}
                     : ImageIds{IDR_LOGO_A_PROGRESS, IDR_LOGO_A_PROGRESS_HIRES};
  }
  return russian() ? ImageIds{IDR_LOGO_B_PROGRESS_RU, IDR_LOGO_B_PROGRESS_RU_HIRES}
                   : ImageIds{IDR_LOGO_B_PROGRESS, IDR_LOGO_B_PROGRESS_HIRES};
}

ImageIds MainWindowTheme::InstallButtonImages() const { return {IDR_INSTALL_BUTTON, 0}; }
ImageIds MainWindowTheme::CheckBoxImages() const { return {IDR_CHECK_BOX, 0}; }
ImageIds MainWindowTheme::ProgressFilledImages() const { return {IDR_PROGRESS_FILLED, 0}; }
ImageIds MainWindowTheme::ProgressEmptyImages() const { return {IDR_PROGRESS_EMPTY, 0}; }

int MainWindowTheme::SlidePictureImage() const {
  if (variant_ == VisualVariant::kA) return russian() ? IDR_SLIDE_A_RU : IDR_SLIDE_A;
  return russian() ? IDR_SLIDE_B_RU : IDR_SLIDE_B;
}

// Variant B's picture is drawn at half scale beside the panel.
int MainWindowTheme::SlidePictureDivisor() const { return variant_ == VisualVariant::kA ? 1 : 2; }

int MainWindowTheme::TitleStringId() const { return 404; }
int MainWindowTheme::DefaultCheckBoxStringId() const { return 413; }

COLORREF MainWindowTheme::TitleColour() const { return kBlack; }
BYTE MainWindowTheme::TitleAlpha() const { return 255; }
UINT MainWindowTheme::TitleFormat() const { return DT_LEFT; }
COLORREF MainWindowTheme::LabelColour() const { return kBlack; }
// Labels read as dark grey over the light background, below the title.
BYTE MainWindowTheme::LabelAlpha() const { return 184; }

FontSpec MainWindowTheme::Font(int number) const {
  if (number < 1 || number > kFontCount) return kFonts[2];
  return kFonts[number - 1];
}

void MainWindowTheme::DrawSlideExtras(HDC dc, HFONT heading, HFONT body, HFONT spacing) const {
  if (variant_ == VisualVariant::kA) return;
  const uint32_t language_id = brand_info_ ? brand_info_->language_id : 1033;
  ::SetBkColor(dc, kBlack);
  ::SetTextColor(dc, kBlack);
  ::SetBkMode(dc, TRANSPARENT);
  const int x = kSlideWidth / 2 + (kSlideWidth / 2 - kSlidePanelWidth) / 2;
  const HGDIOBJ previous = ::SelectObject(dc, heading);
  RECT heading_rect = ScaleRect(RECT{x, kSlidePanelTop, x + kSlidePanelWidth, kSlideHeight});
  const std::wstring heading_text = LoadUiString(406, language_id);
  ::DrawTextW(dc, heading_text.c_str(), -1, &heading_rect, DT_WORDBREAK | DT_CENTER);
  RECT body_rect = ScaleRect(
      RECT{x, kSlidePanelTop + kSlidePanelGap, x + kSlidePanelWidth, kSlideHeight});
  body_rect.top += LineHeight(spacing);
  DrawWrappedCentered(dc, body_rect, LoadUiString(407, language_id), body, kSlideBodyLineSpacing);
  ::SelectObject(dc, previous);
}

}  // namespace lite
