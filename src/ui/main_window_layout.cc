#include "ui/main_window_layout.h"

namespace lite {
namespace {

// One left-aligned column at x 60 under the logo and the title: the boxes
// sit in the band between the title and the licence note, stacked 30
// apart, except that a default box and a statistics box on their own share
// one line (the statistics box first: its label is the long one and wraps). The privacy link starts
// under the statistics box's label (box 60 + margin 4 + box 16 + gap 8 =
// 88 = margin 4 + 84). With three boxes the title moves up to make room.
struct TypeRow {
  int title_top;
  int default_top;  // -1: not shown
  int statistics_top;
  int mirra_top;
};

constexpr int kNone = -1;
constexpr TypeRow kRows[8] = {
    {190, kNone, kNone, kNone},  // 0: no boxes, the title lower
    {170, 294, kNone, kNone},    // 1: default
    {170, kNone, 294, kNone},    // 2: statistics
    {170, 305, 305, kNone},      // 3: default and statistics on one line
    {170, kNone, kNone, 294},    // 4: Mirra
    {170, 279, kNone, 309},      // 5: default, Mirra
    {170, kNone, 309, 279},      // 6: Mirra, statistics
    {152, 250, 310, 280},        // 7: default, Mirra, statistics
};

constexpr int kColumnLeft = 60;
constexpr int kColumnRight = 537;
constexpr int kTitleHeight = 80;  // two lines of the 32-pixel title font

RECT Box(int top, int left = kColumnLeft, int right = kColumnRight) {
  if (top == kNone) return {0, 0, 0, 0};
  return {left, top, right, top};
}

}  // namespace

int LayoutTypeFor(bool default_box, bool statistics_box, bool mirra_box) {
  return (default_box ? kDefaultBox : 0) | (statistics_box ? kStatisticsBox : 0) |
         (mirra_box ? kMirraBox : 0);
}

MainWindowLayout::MainWindowLayout(int type, VisualVariant variant)
    : type_(type & 7), variant_(variant) {}

RECT MainWindowLayout::TitleRect() const {
  const int top = kRows[type_].title_top;
  return {kColumnLeft, top, 668, top + kTitleHeight};
}

RECT MainWindowLayout::DefaultCheckBoxRect() const {
  // Beside the statistics box when the two share a line.
  if (type_ == (kDefaultBox | kStatisticsBox)) return Box(kRows[type_].default_top, 314, 537);
  return Box(kRows[type_].default_top);
}

RECT MainWindowLayout::StatisticsCheckBoxRect() const {
  if (type_ == (kDefaultBox | kStatisticsBox)) return Box(kRows[type_].statistics_top, 60, 308);
  return Box(kRows[type_].statistics_top);
}

RECT MainWindowLayout::MirraCheckBoxRect() const { return Box(kRows[type_].mirra_top); }

RECT MainWindowLayout::PrivacyLinkRect() const { return {84, 0, 84, 0}; }

RECT MainWindowLayout::LogoRect() const {
  // The logos: 212 x 38 (variant A), 166 x 28 (variant B).
  return variant_ == VisualVariant::kA ? RECT{60, 56, 272, 94} : RECT{60, 62, 226, 90};
}

// Under the Install button and as wide as the column and the button, so
// that the English note takes one line, clear of the privacy link under a
// three-line statistics label (the narrow box of type 3).
RECT MainWindowLayout::LicenceNoteRect() const { return {60, 372, 668, 400}; }

RECT MainWindowLayout::InstallButtonRect() const { return {556, 336, 668, 368}; }

RECT MainWindowLayout::CloseButtonRect() const { return {700, 16, 712, 28}; }

// The progress screen: the bar under the logo, right of it, with the
// percent beside it and the quick-start note under both, all above the
// built-in slide's text panel (which starts at 126) and clear of its
// picture at the bottom.
RECT MainWindowLayout::ProgressBarRect() const { return {218, 96, 510, 100}; }

RECT MainWindowLayout::PercentLabelRect() const { return {516, 90, 566, 106}; }

RECT MainWindowLayout::QuickStartNoteRect() const { return {114, 108, 614, 124}; }

}  // namespace lite
