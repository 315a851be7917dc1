#include "ui/link_markup_layout.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/string_conversion.h"
#include "ui/text_metrics.h"

namespace lite {
namespace {

const wchar_t kLicenceNote[] =
    L"By using Zelmar Browser, you agree to the terms and conditions of the "
    L"((License Agreement)).";

class LinkMarkupLayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    font_ = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH, L"Arial");
    ASSERT_NE(font_, nullptr);
    dc_ = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc_, nullptr);
  }
  void TearDown() override {
    ::DeleteDC(dc_);
    ::DeleteObject(font_);
  }

  int Width(const std::wstring& text) {
    HGDIOBJ previous = ::SelectObject(dc_, font_);
    SIZE size = {};
    ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc_, previous);
    return size.cx;
  }

  HFONT font_ = nullptr;
  HDC dc_ = nullptr;
};

// Whatever the width, the link is one piece, the period follows it on its
// line, lines are consecutive and pieces of a line follow each other.
TEST_F(LinkMarkupLayoutTest, LicenceNoteAtEveryWidth) {
  const std::vector<MarkupSegment> segments = TokenizeLinkMarkup(kLicenceNote);
  const int full = Width(L"By using Zelmar Browser, you agree to the terms and conditions of the "
                         L"License Agreement.");
  for (int limit = 40; limit <= full + 40; limit += 9) {
    SCOPED_TRACE(limit);
    const std::vector<LayoutPiece> pieces = LayoutSegments(segments, font_, dc_, limit);
    ASSERT_FALSE(pieces.empty());
    std::vector<const LayoutPiece*> links;
    for (const LayoutPiece& piece : pieces) {
      if (piece.kind == SegmentKind::kLink) links.push_back(&piece);
    }
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->text, L"License Agreement");
    const LayoutPiece& last = pieces.back();
    EXPECT_EQ(last.text, L".");
    EXPECT_EQ(last.line, links[0]->line);
    EXPECT_EQ(last.x, links[0]->x + links[0]->width);
    for (size_t i = 1; i < pieces.size(); ++i) {
      const LayoutPiece& a = pieces[i - 1];
      const LayoutPiece& b = pieces[i];
      if (a.line == b.line) {
        EXPECT_EQ(b.x, a.x + a.width);
      } else {
        EXPECT_EQ(b.line, a.line + 1);
        EXPECT_EQ(b.x, 0);
      }
      // Only punctuation, or a word alone on its line, may pass the limit.
      if (b.x + b.width > limit && b.text != L".") {
        EXPECT_EQ(b.x, 0) << WideToUTF8(b.text);
      }
    }
    if (limit >= full) {
      EXPECT_EQ(last.line, 0);
    }
  }
}

TEST_F(LinkMarkupLayoutTest, LayoutLeavesTheContextsFontInPlace) {
  HGDIOBJ before = ::GetCurrentObject(dc_, OBJ_FONT);
  LayoutSegments(TokenizeLinkMarkup(kLicenceNote), font_, dc_, 100);
  EXPECT_EQ(::GetCurrentObject(dc_, OBJ_FONT), before);
}

TEST_F(LinkMarkupLayoutTest, WordWiderThanTheLimit) {
  const std::vector<LayoutPiece> pieces =
      LayoutSegments(TokenizeLinkMarkup(L"Incomprehensibilities x"), font_, dc_, 10);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].line, 0);
  EXPECT_EQ(pieces[0].text, L"Incomprehensibilities ");
  EXPECT_GT(pieces[0].width, 10);
  EXPECT_EQ(pieces[1].line, 1);
}

TEST_F(LinkMarkupLayoutTest, TextMetrics) {
  const int line = LineHeight(font_);
  EXPECT_GE(line, 12);
  EXPECT_LE(line, 20);
  HGDIOBJ previous = ::SelectObject(dc_, font_);
  EXPECT_EQ(TextExtent(dc_, L"").cx, 0);
  const SIZE one = TextExtent(dc_, L"License");
  const SIZE two = TextExtent(dc_, L"License Agreement");
  ::SelectObject(dc_, previous);
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(two.cx, one.cx);
  EXPECT_EQ(one.cy, line);
}

// The columns and rows of |bitmap| that hold dark pixels.
struct Ink {
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
};

Ink FindInk(HDC dc, const RECT& area) {
  Ink ink;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (GetRValue(::GetPixel(dc, x, y)) < 128) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
  }
  return ink;
}

TEST_F(LinkMarkupLayoutTest, DrawWrappedCenteredCentresEachLine) {
  const int kWidth = 300, kHeight = 120;
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, kWidth, kHeight);
  ::ReleaseDC(nullptr, screen);
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ old_bitmap = ::SelectObject(dc_, bitmap);
  const RECT all = {0, 0, kWidth, kHeight};
  const int line = LineHeight(font_);

  for (double spacing : {1.0, 2.0}) {
    SCOPED_TRACE(spacing);
    ::FillRect(dc_, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(dc_, RGB(0, 0, 0));
    ::SetBkMode(dc_, TRANSPARENT);
    // A rectangle off the bitmap's centre, so that centring in the
    // rectangle and centring in the bitmap differ.
    const RECT box = {40, 10, 240, kHeight};
    DrawWrappedCentered(dc_, box, L"Short ((line)).\nA much longer second line", font_, spacing);
    const int step = static_cast<int>(line * spacing);
    const Ink first = FindInk(dc_, {0, box.top, kWidth, box.top + step});
    const Ink second = FindInk(dc_, {0, box.top + step, kWidth, box.top + 2 * step});
    ASSERT_GE(first.right, 0);
    ASSERT_GE(second.right, 0);
    const int centre = (box.left + box.right) / 2;
    EXPECT_NEAR((first.left + first.right) / 2, centre, 3);
    EXPECT_NEAR((second.left + second.right) / 2, centre, 3);
    EXPECT_GT(second.right - second.left, first.right - first.left);
    EXPECT_TRUE(FindInk(dc_, {0, 0, box.left, kHeight}).right < 0) << "ink left of the box";
  }
  ::SelectObject(dc_, old_bitmap);
  ::DeleteObject(bitmap);
}

struct Child {
  std::wstring class_name;
  std::wstring text;
  int id;
  LONG style;
  RECT rect;  // in the parent's client coordinates
};

Child Describe(HWND parent, HWND window) {
  Child child;
  wchar_t buffer[256] = {};
  ::GetClassNameW(window, buffer, 256);
  child.class_name = buffer;
  ::GetWindowTextW(window, buffer, 256);
  child.text = buffer;
  child.id = ::GetDlgCtrlID(window);
  child.style = ::GetWindowLongW(window, GWL_STYLE);
  ::GetWindowRect(window, &child.rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&child.rect), 2);
  return child;
}

TEST_F(LinkMarkupLayoutTest, NoteControlsFollowTheLayout) {
  HWND parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  const RECT rect = {30, 40, 230, 140};
  const int kLineHeight = 17;
  for (bool centred : {false, true}) {
    SCOPED_TRACE(centred);
    const std::vector<HWND> windows =
        CreateNoteControls(parent, rect, kLicenceNote, font_, kLineHeight, centred, 122, 123);
    HDC dc = ::GetDC(parent);
    const std::vector<LayoutPiece> pieces =
        LayoutSegments(TokenizeLinkMarkup(kLicenceNote), font_, dc, 200);
    ::ReleaseDC(parent, dc);
    const std::vector<int> offsets = CenterOffsets(pieces, 200);
    ASSERT_EQ(windows.size(), pieces.size());
    ASSERT_GT(pieces.back().line, 0) << "the note should wrap in 200 pixels";
    for (size_t i = 0; i < pieces.size(); ++i) {
      const LayoutPiece& piece = pieces[i];
      const Child child = Describe(parent, windows[i]);
      SCOPED_TRACE(WideToUTF8(child.text));
      EXPECT_EQ(child.text, piece.text);
      const int x = rect.left + (centred ? offsets[piece.line] : 0) + piece.x;
      const int y = rect.top + piece.line * kLineHeight;
      EXPECT_EQ(child.rect.left, x);
      EXPECT_EQ(child.rect.top, y);
      EXPECT_EQ(child.rect.right - child.rect.left, piece.width);
      EXPECT_EQ(child.rect.bottom - child.rect.top, kLineHeight);
      EXPECT_TRUE(child.style & WS_VISIBLE);
      if (piece.kind == SegmentKind::kLink) {
        EXPECT_EQ(child.class_name, L"Button");
        EXPECT_EQ(child.id, 123);
        EXPECT_EQ(child.style & (WS_TABSTOP | BS_TYPEMASK), WS_TABSTOP | BS_OWNERDRAW);
      } else {
        EXPECT_EQ(child.class_name, L"Static");
        EXPECT_EQ(child.id, 122);
        EXPECT_EQ(child.style & (WS_TABSTOP | SS_TYPEMASK), SS_OWNERDRAW);
      }
    }
    if (centred) {
      // Each line's pieces sit symmetrically in the rectangle.
      const Child first = Describe(parent, windows.front());
      int line_right = first.rect.right;
      for (size_t i = 1; i < pieces.size() && pieces[i].line == 0; ++i) {
        line_right = Describe(parent, windows[i]).rect.right;
      }
      EXPECT_NEAR(first.rect.left - rect.left, rect.right - line_right, 1);
    }
    for (HWND window : windows) ::DestroyWindow(window);
  }
  ::DestroyWindow(parent);
}

}  // namespace
}  // namespace lite
