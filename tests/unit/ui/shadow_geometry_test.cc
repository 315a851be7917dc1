#include "ui/shadow_geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace lite {
namespace {

std::string RectText(const RECT& rect) {
  return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
         std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_TRUE(::EqualRect(&actual, &expected))
      << RectText(actual) << " instead of " << RectText(expected);
}

TEST(ShadowGeometryTest, MainWindowPiecesInDrawingOrder) {
  struct Case {
    int width;
    int height;
    int border;
    ShadowPiece pieces[8];
  };
  const Case cases[] = {
      // 728 x 400 at scale 1: border 8, corners 16.
      {728,
       400,
       8,
       {{125, {0, 0, 16, 16}},
        {130, {16, 0, 728, 8}},
        {126, {728, 0, 744, 16}},
        {131, {736, 16, 744, 400}},
        {127, {728, 400, 744, 416}},
        {132, {16, 408, 728, 416}},
        {128, {0, 400, 16, 416}},
        {129, {0, 16, 8, 400}}}},
      // The same window at scale 1.5: border 12, corners 24.
      {1092,
       600,
       12,
       {{125, {0, 0, 24, 24}},
        {130, {24, 0, 1092, 12}},
        {126, {1092, 0, 1116, 24}},
        {131, {1104, 24, 1116, 600}},
        {127, {1092, 600, 1116, 624}},
        {132, {24, 612, 1092, 624}},
        {128, {0, 600, 24, 624}},
        {129, {0, 24, 12, 600}}}},
  };
  for (const Case& c : cases) {
    const auto pieces = MainWindowShadowPieces(c.width, c.height, c.border);
    for (size_t i = 0; i < pieces.size(); ++i) {
      SCOPED_TRACE(std::to_string(c.width) + " piece " + std::to_string(i));
      EXPECT_EQ(pieces[i].image_id, c.pieces[i].image_id);
      ExpectRect(pieces[i].rect, c.pieces[i].rect);
    }
  }
}

TEST(ShadowGeometryTest, MainWindowPiecesFrameTheWholeWindow) {
  // Every pixel of the shadow bitmap outside the window itself belongs to
  // a piece.
  const int width = 40;
  const int height = 30;
  const int border = 4;
  const auto pieces = MainWindowShadowPieces(width, height, border);
  const RECT window = {border, border, border + width, border + height};
  for (int y = 0; y < height + 2 * border; ++y) {
    for (int x = 0; x < width + 2 * border; ++x) {
      const POINT point = {x, y};
      if (::PtInRect(&window, point)) continue;
      bool covered = false;
      for (const ShadowPiece& piece : pieces) covered = covered || ::PtInRect(&piece.rect, point);
      ASSERT_TRUE(covered) << x << "," << y;
    }
  }
}

TEST(ShadowGeometryTest, BoundsAndInnerRect) {
  const RECT dialog = {100, 200, 497, 374};
  const ShadowMargins margins = {7, 4, 6, 8};
  ExpectRect(ShadowBounds(dialog, margins), RECT{93, 196, 503, 382});
  ExpectRect(ShadowInnerRect(dialog, margins), RECT{7, 4, 404, 178});
  ExpectRect(ShadowBounds(dialog, ShadowMargins{8, 8, 8, 8}), RECT{92, 192, 505, 382});
}

TEST(ShadowGeometryTest, QuadrantsComeFromTheImageCorners) {
  struct Case {
    const char* what;
    SIZE outer;
    SIZE image;
    ImageCopy copies[4];  // top-left, top-right, bottom-right, bottom-left
  };
  const Case cases[] = {
      {"image as large as the window",
       {410, 186},
       {410, 186},
       {{{0, 0, 205, 93}, {0, 0}},
        {{205, 0, 410, 93}, {205, 0}},
        {{205, 93, 410, 186}, {205, 93}},
        {{0, 93, 205, 186}, {0, 93}}}},
      {"odd size, larger image: its middle is left out",
       {11, 7},
       {20, 12},
       {{{0, 0, 5, 3}, {0, 0}},
        {{5, 0, 11, 3}, {14, 0}},
        {{5, 3, 11, 7}, {14, 8}},
        {{0, 3, 5, 7}, {0, 8}}}},
      {"smaller image: each corner keeps it whole, the middle stays empty",
       {20, 12},
       {6, 4},
       {{{0, 0, 6, 4}, {0, 0}},
        {{14, 0, 20, 4}, {0, 0}},
        {{14, 8, 20, 12}, {0, 0}},
        {{0, 8, 6, 12}, {0, 0}}}},
      {"wider but lower image",
       {20, 12},
       {14, 4},
       {{{0, 0, 10, 4}, {0, 0}},
        {{10, 0, 20, 4}, {4, 0}},
        {{10, 8, 20, 12}, {4, 0}},
        {{0, 8, 10, 12}, {0, 0}}}},
  };
  for (const Case& c : cases) {
    const auto copies = ShadowQuadrants(c.outer, c.image);
    for (size_t i = 0; i < copies.size(); ++i) {
      SCOPED_TRACE(std::string(c.what) + ", quadrant " + std::to_string(i));
      ExpectRect(copies[i].destination, c.copies[i].destination);
      EXPECT_EQ(copies[i].source.x, c.copies[i].source.x);
      EXPECT_EQ(copies[i].source.y, c.copies[i].source.y);
    }
  }
}

}  // namespace
}  // namespace lite
