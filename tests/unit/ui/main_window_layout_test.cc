#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lite {
namespace {

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

bool IsEmpty(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

TEST(LayoutTypeForTest, SumOfTheShownBoxes) {
  EXPECT_EQ(LayoutTypeFor(false, false, false), 0);
  EXPECT_EQ(LayoutTypeFor(true, true, false), 3);
  EXPECT_EQ(LayoutTypeFor(false, true, true), 6);
  EXPECT_EQ(LayoutTypeFor(true, true, true), 7);
}

// The places that are fixed for these layouts.
TEST(MainWindowLayoutTest, FixedPlaces) {
  for (VisualVariant variant : {VisualVariant::kA, VisualVariant::kB}) {
    const MainWindowLayout none(0, variant);
    EXPECT_TRUE(IsEmpty(none.DefaultCheckBoxRect()));
    EXPECT_TRUE(IsEmpty(none.StatisticsCheckBoxRect()));
    EXPECT_TRUE(IsEmpty(none.MirraCheckBoxRect()));

    const MainWindowLayout six(6, variant);
    EXPECT_EQ(six.MirraCheckBoxRect().top, 279);
    EXPECT_EQ(six.StatisticsCheckBoxRect().top, 309);
    EXPECT_TRUE(IsEmpty(six.DefaultCheckBoxRect()));

    const MainWindowLayout seven(7, variant);
    EXPECT_EQ(seven.TitleRect().top, 152);
    EXPECT_EQ(seven.DefaultCheckBoxRect().top, 250);
    EXPECT_EQ(seven.MirraCheckBoxRect().top, 280);
    EXPECT_EQ(seven.StatisticsCheckBoxRect().top, 310);

    const MainWindowLayout three(3, variant);
    const RECT default_box = three.DefaultCheckBoxRect();
    const RECT statistics = three.StatisticsCheckBoxRect();
    EXPECT_EQ(default_box.left, 314);
    EXPECT_EQ(default_box.right, 537);
    EXPECT_EQ(statistics.left, 60);
    EXPECT_EQ(statistics.right, 308);
    EXPECT_EQ(default_box.top, 305);
    EXPECT_EQ(statistics.top, 305);
  }
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Every layout keeps its pieces inside the window and apart from each
// other: the statistics box as tall as a two-line label (margin 4 + 2 lines
// of 14), the others' one-line labels under the box's 16 pixels, and the
// privacy link one line under the statistics box.
TEST(MainWindowLayoutTest, PiecesStayApartInEveryLayout) {
  constexpr int kTwoLineBoxHeight = 32, kOneLineBoxHeight = 26, kLinkHeight = 14, kLinkWidth = 120;
  for (int type = 0; type < 8; ++type) {
    for (VisualVariant variant : {VisualVariant::kA, VisualVariant::kB}) {
      SCOPED_TRACE("type " + std::to_string(type) +
                   (variant == VisualVariant::kA ? " variant A" : " variant B"));
      const MainWindowLayout layout(type, variant);
      struct Piece {
        const char* name;
        RECT rect;
      };
      std::vector<Piece> pieces = {{"title", layout.TitleRect()},
                                   {"logo", layout.LogoRect()},
                                   {"licence", layout.LicenceNoteRect()},
                                   {"install", layout.InstallButtonRect()},
                                   {"close", layout.CloseButtonRect()}};
      const struct {
        const char* name;
        RECT rect;
        int bit;
      } boxes[] = {{"default", layout.DefaultCheckBoxRect(), kDefaultBox},
                   {"statistics", layout.StatisticsCheckBoxRect(), kStatisticsBox},
                   {"mirra", layout.MirraCheckBoxRect(), kMirraBox}};
      for (const auto& box : boxes) {
        EXPECT_EQ(IsEmpty(box.rect), !(type & box.bit)) << box.name;
        if (IsEmpty(box.rect)) continue;
        RECT measured = box.rect;
        measured.bottom =
            measured.top + (box.bit == kStatisticsBox ? kTwoLineBoxHeight : kOneLineBoxHeight);
        pieces.push_back({box.name, measured});
        if (box.bit == kStatisticsBox) {
          const int left = 4 + layout.PrivacyLinkRect().left;
          pieces.push_back({"privacy", {left, measured.bottom, left + kLinkWidth,
                                        measured.bottom + kLinkHeight}});
        }
      }
      for (size_t i = 0; i < pieces.size(); ++i) {
        const RECT& r = pieces[i].rect;
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 728 && r.bottom <= 400)
            << pieces[i].name << Text(r);
        for (size_t j = i + 1; j < pieces.size(); ++j) {
          EXPECT_FALSE(Overlap(r, pieces[j].rect))
              << pieces[i].name << Text(r) << " and " << pieces[j].name
              << Text(pieces[j].rect);
        }
      }
    }
  }
}

TEST(MainWindowLayoutTest, LogoRectangleHasTheLogosSize) {
  const RECT a = MainWindowLayout(0, VisualVariant::kA).LogoRect();
  const RECT b = MainWindowLayout(0, VisualVariant::kB).LogoRect();
  EXPECT_EQ(a.right - a.left, 212);
  EXPECT_EQ(a.bottom - a.top, 38);
  EXPECT_EQ(b.right - b.left, 166);
  EXPECT_EQ(b.bottom - b.top, 28);
}

TEST(MainWindowLayoutTest, ProgressScreenPiecesStayApart) {
  const MainWindowLayout layout(7, VisualVariant::kB);
  const RECT bar = layout.ProgressBarRect();
  EXPECT_EQ(bar.right - bar.left, 292);  // the bar's images
  EXPECT_EQ(bar.bottom - bar.top, 4);
  EXPECT_FALSE(Overlap(bar, layout.PercentLabelRect()));
  EXPECT_FALSE(Overlap(bar, layout.QuickStartNoteRect()));
  EXPECT_FALSE(Overlap(layout.PercentLabelRect(), layout.QuickStartNoteRect()));
  // Above the built-in slide's text panel, and right of the logo.
  EXPECT_LE(layout.QuickStartNoteRect().bottom, 126);
  EXPECT_GE(bar.top, layout.LogoRect().bottom);
}

}  // namespace
}  // namespace lite
