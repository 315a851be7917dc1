#include "ui/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/scoped_gdi.h"
#include "base/string_conversion.h"
#include "ui/memory_canvas.h"
#include "ui/resource_bitmap.h"
#include "ui/scale_factor.h"
#include "ui/window_icons.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

TEST(CreateUiFontTest, CharacterHeightWeightUnderlineAndFace) {
  struct Case {
    const wchar_t* face;
    int size;
    int weight;
    bool underline;
  };
  const Case cases[] = {{L"Arial", 12, 400, false}, {L"SegoeUI", 15, 400, true},
                        {L"Arial", 32, 700, false}};
  for (const Case& c : cases) {
    const ScopedFont font = CreateUiFont(c.face, c.size, c.weight, c.underline);
    ASSERT_TRUE(font);
    LOGFONTW description = {};
    ASSERT_EQ(::GetObjectW(font.get(), sizeof(description), &description),
              static_cast<int>(sizeof(description)));
    EXPECT_EQ(description.lfHeight, -c.size);  // negative: character height, not cell height
    EXPECT_EQ(description.lfWidth, 0);
    EXPECT_EQ(description.lfWeight, c.weight);
    EXPECT_EQ(description.lfUnderline != 0, c.underline);
    EXPECT_EQ(description.lfItalic, 0);
    EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(description.lfFaceName, c.face);
  }
}

// The darkest pixel of a canvas area, as the lowest of its channels.
struct Darkest {
  int x = -1;
  int y = -1;
  COLORREF colour = RGB(255, 255, 255);
};

Darkest FindDarkest(const TestCanvas& canvas, const RECT& area) {
  Darkest darkest;
  int lowest = 256 * 3;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF colour = canvas.Colour(x, y);
      const int sum = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
      if (sum < lowest) {
        lowest = sum;
        darkest = {x, y, colour};
      }
    }
  }
  return darkest;
}

TEST(DrawAlphaTextTest, OpaqueAndTranslucentText) {
  const ScopedFont font = CreateUiFont(L"Arial", 30, 700, false);
  const RECT rect = {10, 5, 70, 45};
  struct Case {
    COLORREF text;
    BYTE alpha;
    COLORREF darkest;
  };
  // Over white, text at 184/255 leaves 71/255 of the white showing.
  const Case cases[] = {
      {RGB(0, 0, 0), 255, RGB(0, 0, 0)},
      {RGB(0, 0, 0), 184, RGB(71, 71, 71)},
      {RGB(255, 0, 0), 184, RGB(255, 71, 71)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ColourText(c.text) + " alpha " + std::to_string(c.alpha));
    TestCanvas canvas(80, 50);
    canvas.Fill(RGB(255, 255, 255));
    DrawAlphaText(canvas.dc(), rect, L"HM", font.get(), c.text, c.alpha, 0);
    const Darkest darkest = FindDarkest(canvas, rect);
    ASSERT_GE(darkest.x, 0);
    EXPECT_TRUE(Near(darkest.colour, c.darkest)) << ColourText(darkest.colour);
    // White stays white around the glyphs, inside and outside the rectangle.
    EXPECT_EQ(canvas.Colour(rect.right - 1, rect.bottom - 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Colour(5, 2), RGB(255, 255, 255));
  }
}

TEST(DrawAlphaTextTest, TextStaysInsideItsRectangle) {
  const ScopedFont font = CreateUiFont(L"Arial", 30, 700, false);
  TestCanvas canvas(80, 50);
  canvas.Fill(RGB(255, 255, 255));
  // Far too small for the text: nothing may spill out.
  DrawAlphaText(canvas.dc(), RECT{20, 20, 30, 30}, L"HMHMHM", font.get(), RGB(0, 0, 0), 255, 0);
  const Darkest inside = FindDarkest(canvas, RECT{20, 20, 30, 30});
  EXPECT_LT(GetRValue(inside.colour), 128);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 80; ++x) {
      if (x >= 20 && x < 30 && y >= 20 && y < 30) continue;
      ASSERT_EQ(canvas.Colour(x, y), RGB(255, 255, 255)) << x << "," << y;
    }
  }
}

// Laid-out note pieces get controls exactly as wide as their text measures:
// a line drawn there is the line drawn with room to spare, nothing cut off.
// Drawn on a canvas like the screen's, as in the window: Wine's display
// driver set some lines wider than their measure, and the last letter or
// the period was lost.
TEST(DrawAlphaTextTest, OneLineFitsTheWidthItMeasures) {
  const ScopedFont font = CreateUiFont(L"Arial", 12, 400, false);
  ScopedGetDc screen(nullptr);
  constexpr int kWidth = 240;
  constexpr int kHeight = 20;
  for (const wchar_t* text : {L"Lisans S\u00f6zle\u015fmesi", L"etmi\u015f olursunuz.",
                              L"License Agreement", L"Zelmar Browser'\u0131 kullanarak "}) {
    SCOPED_TRACE(WideToUTF8(text));
    const std::wstring line = text;
    std::vector<COLORREF> pixels[2];
    for (int i = 0; i < 2; ++i) {
      MemoryCanvas canvas(screen.get(), kWidth, kHeight);
      ASSERT_TRUE(canvas.is_valid());
      RECT all = {0, 0, kWidth, kHeight};
      ::FillRect(canvas.dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      SIZE size = {};
      {
        ScopedSelectObject select(canvas.dc(), font.get());
        ::GetTextExtentPoint32W(canvas.dc(), line.c_str(), static_cast<int>(line.size()), &size);
      }
      ASSERT_LT(size.cx, kWidth - 20);
      const int width = i == 0 ? size.cx : kWidth;
      DrawAlphaText(canvas.dc(), RECT{0, 0, width, kHeight}, line, font.get(), RGB(0, 0, 0), 255,
                    DT_SINGLELINE);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) pixels[i].push_back(::GetPixel(canvas.dc(), x, y));
      }
    }
    EXPECT_TRUE(pixels[0] == pixels[1]) << "the line does not fit the width it measures";
  }
}

TEST(PaintBufferedTest, PaintsOffScreenInTheSameCoordinates) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap columns;
  ASSERT_TRUE(columns.Load(IDR_TEST_COLUMNS, 1));
  TestCanvas canvas(30, 20);
  canvas.Fill(RGB(1, 2, 3));
  const RECT rect = {10, 5, 20, 15};
  int calls = 0;
  PaintBuffered(canvas.dc(), rect, [&](HDC dc, const RECT& area) {
    ++calls;
    EXPECT_NE(dc, canvas.dc());
    EXPECT_TRUE(::EqualRect(&area, &rect));
    // More than the rectangle: only the rectangle may arrive.
    const RECT everything = {0, 0, 30, 20};
    ::FillRect(dc, &everything, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    columns.DrawImage(dc, area.left, area.top, 8, 2, 0, 0, 8, 2);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(canvas.Colour(10, 5), RGB(255, 0, 0));
  EXPECT_EQ(canvas.Colour(14, 6), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Colour(19, 14), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Colour(9, 5), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Colour(20, 14), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Colour(10, 4), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Colour(10, 15), RGB(1, 2, 3));
}

TEST(PositionInParentTest, ChildCornerInParentClientCoordinates) {
  ScopedWindow parent(::CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                        120, 300, 200, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(parent);
  const HWND child = CreateChild(parent.get(), L"Static", L"", WS_BORDER, RECT{12, 34, 50, 60});
  ASSERT_TRUE(child);
  const POINT position = PositionInParent(child);
  EXPECT_EQ(position.x, 12);
  EXPECT_EQ(position.y, 34);
}

TEST(DrawParentBackgroundTest, DrawsThePartUnderTheControl) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap positions;  // pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(positions.Load(IDR_TEST_POSITIONS, 1));
  ScopedWindow parent(CreatePopup(RECT{50, 50, 150, 150}));
  const HWND control = CreateChild(parent.get(), L"Static", L"", 0, RECT{3, 2, 9, 6});
  ASSERT_TRUE(control);
  TestCanvas canvas(6, 4);
  DrawParentBackground(canvas.dc(), control, positions, RECT{0, 0, 6, 4});
  EXPECT_EQ(canvas.Colour(0, 0), RGB(30, 40, 128));
  EXPECT_EQ(canvas.Colour(5, 3), RGB(80, 100, 128));
  // With the parent's client area starting at (4, 1) in the image, and
  // only part of the control.
  canvas.Fill(RGB(1, 2, 3));
  DrawParentBackground(canvas.dc(), control, positions, RECT{2, 1, 4, 3}, POINT{4, 1});
  EXPECT_EQ(canvas.Colour(2, 1), RGB(90, 80, 128));
  EXPECT_EQ(canvas.Colour(3, 2), RGB(100, 100, 128));
  EXPECT_EQ(canvas.Colour(1, 1), RGB(1, 2, 3));
  EXPECT_EQ(canvas.Colour(4, 2), RGB(1, 2, 3));
}

SIZE IconSize(HICON icon) {
  ICONINFO info = {};
  if (!::GetIconInfo(icon, &info)) return SIZE{0, 0};
  BITMAP bitmap = {};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  SIZE size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return size;
}

TEST(SetWindowIconsTest, LargeAndSmallIcons) {
  ScopedWindow window(CreatePopup(RECT{0, 0, 50, 50}));
  SetWindowIcons(window.get(), IDI_TEST_ICON);
  const HICON big =
      reinterpret_cast<HICON>(::SendMessageW(window.get(), WM_GETICON, ICON_BIG, 0));
  const HICON small_icon =
      reinterpret_cast<HICON>(::SendMessageW(window.get(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_TRUE(big);
  ASSERT_TRUE(small_icon);
  EXPECT_EQ(IconSize(big).cx, ::GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconSize(big).cy, ::GetSystemMetrics(SM_CYICON));
  EXPECT_EQ(IconSize(small_icon).cx, ::GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(IconSize(small_icon).cy, ::GetSystemMetrics(SM_CYSMICON));

  ScopedWindow other(CreatePopup(RECT{0, 0, 50, 50}));
  SetWindowIcons(other.get(), 9999);
  EXPECT_EQ(::SendMessageW(other.get(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(::SendMessageW(other.get(), WM_GETICON, ICON_SMALL, 0), 0);
}

}  // namespace
}  // namespace lite
