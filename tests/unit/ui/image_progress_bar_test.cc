#include "ui/image_progress_bar.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>

#include "base/scoped_handle.h"
#include "ui/scale_factor.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

TEST(FilledWidthTest, InProportionWithinTheBar) {
  struct Case {
    int width;
    int position;
    int low;
    int high;
    int filled;
  };
  const Case cases[] = {
      {292, 0, 0, 100, 0},
      {292, 100, 0, 100, 292},
      {292, 50, 0, 100, 146},
      {292, 33, 0, 100, 96},  // 96.36, truncated
      {40, 25, 0, 100, 10},
      {100, 30, 20, 40, 50},
      // Outside the range: kept within the bar.
      {100, 10, 20, 40, 0},
      {100, 45, 20, 40, 100},
      {100, -5, 0, 100, 0},
      // A range without length would divide by zero: nothing done.
      {100, 50, 50, 50, 0},
      {100, 50, 60, 40, 0},
      {0, 50, 0, 100, 0},
      // Large values do not overflow.
      {2000, 65000, 0, 65535, 1983},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilledWidth(c.width, c.position, c.low, c.high), c.filled)
        << c.width << " " << c.position << " in " << c.low << ".." << c.high;
  }
}

class ImageProgressBarTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.reset(CreatePopup(RECT{30, 30, 230, 130}));
    progress_ = CreateChild(parent_.get(), PROGRESS_CLASSW, L"", 0, RECT{2, 3, 42, 9}, 115);
    ASSERT_TRUE(progress_);
  }

  // The bar as it paints itself into a printed copy of the window.
  void Print(TestCanvas* canvas) {
    canvas->Fill(RGB(1, 2, 3));
    ::SendMessageW(progress_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()),
                   PRF_CLIENT);
  }

  ScopedScaleFactorForTesting scale_{1.0};
  ScopedWindow parent_;
  HWND progress_ = nullptr;
};

constexpr COLORREF kFilled = RGB(0, 255, 0);
constexpr COLORREF kEmpty = RGB(255, 0, 0);

TEST_F(ImageProgressBarTest, FilledColumnsUpToThePosition) {
  ImageProgressBar bar(progress_);
  bar.SetImages(IDR_TEST_BAR_FILLED, 0, IDR_TEST_BAR_EMPTY, 0, nullptr);
  bar.SetRange(0, 100);
  struct Case {
    int position;
    int filled;  // of 40 columns
  };
  for (const Case& c : {Case{0, 0}, Case{25, 10}, Case{51, 20}, Case{99, 39}, Case{100, 40}}) {
    SCOPED_TRACE(c.position);
    bar.SetPosition(c.position);
    EXPECT_EQ(bar.Position(), c.position);
    TestCanvas canvas(40, 6);
    Print(&canvas);
    for (int x = 0; x < 40; ++x) {
      for (int y : {0, 5}) {
        ASSERT_EQ(canvas.Colour(x, y), x < c.filled ? kFilled : kEmpty) << x << "," << y;
      }
    }
  }
}

TEST_F(ImageProgressBarTest, RangeOtherThanPercent) {
  ImageProgressBar bar(progress_);
  bar.SetImages(IDR_TEST_BAR_FILLED, 0, IDR_TEST_BAR_EMPTY, 0, nullptr);
  bar.SetRange(10, 90);
  PBRANGE range = {};
  ::SendMessageW(progress_, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 10);
  EXPECT_EQ(range.iHigh, 90);
  bar.SetPosition(30);  // a quarter of the way
  TestCanvas canvas(40, 6);
  Print(&canvas);
  EXPECT_EQ(canvas.Colour(9, 3), kFilled);
  EXPECT_EQ(canvas.Colour(10, 3), kEmpty);
}

TEST_F(ImageProgressBarTest, ParentPictureUnderTheBar) {
  ResourceBitmap background;  // pixel (x, y) is RGB(10x, 20y, 128)
  ASSERT_TRUE(background.Load(IDR_TEST_POSITIONS, 1));
  ImageProgressBar bar(progress_);
  // Bar pictures that do not load: only the picture under the bar at (2, 3).
  bar.SetImages(9999, 0, 9998, 0, &background);
  bar.SetRange(0, 100);
  bar.SetPosition(50);
  TestCanvas canvas(40, 6);
  Print(&canvas);
  EXPECT_EQ(canvas.Colour(0, 0), RGB(20, 60, 128));
  EXPECT_EQ(canvas.Colour(17, 5), RGB(190, 160, 128));

  bar.SetImages(IDR_TEST_BAR_FILLED, 0, IDR_TEST_BAR_EMPTY, 0, &background);
  Print(&canvas);
  EXPECT_EQ(canvas.Colour(19, 2), kFilled);
  EXPECT_EQ(canvas.Colour(20, 2), kEmpty);
}

TEST_F(ImageProgressBarTest, PaintsTheWindow) {
  ::ShowWindow(parent_.get(), SW_SHOWNOACTIVATE);
  ImageProgressBar bar(progress_);
  bar.SetImages(IDR_TEST_BAR_FILLED, 0, IDR_TEST_BAR_EMPTY, 0, nullptr);
  bar.SetRange(0, 100);
  bar.SetPosition(50);
  ::InvalidateRect(progress_, nullptr, TRUE);
  ::UpdateWindow(progress_);
  EXPECT_FALSE(::GetUpdateRect(progress_, nullptr, FALSE));
  // What reached the window.
  TestCanvas canvas(40, 6);
  ScopedGetDc window_dc(progress_);
  ::BitBlt(canvas.dc(), 0, 0, 40, 6, window_dc.get(), 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.Colour(10, 3), kFilled);
  EXPECT_EQ(canvas.Colour(30, 3), kEmpty);
}

TEST_F(ImageProgressBarTest, SwallowsEraseAndSystemColours) {
  // The plain control answers the colour messages with the previous colour.
  ::SendMessageW(progress_, PBM_SETBARCOLOR, 0, RGB(1, 2, 3));
  ASSERT_EQ(::SendMessageW(progress_, PBM_SETBARCOLOR, 0, RGB(4, 5, 6)), RGB(1, 2, 3));
  ImageProgressBar bar(progress_);
  EXPECT_EQ(::SendMessageW(progress_, PBM_SETBARCOLOR, 0, RGB(7, 8, 9)), 0);
  EXPECT_EQ(::SendMessageW(progress_, PBM_SETBARCOLOR, 0, RGB(7, 8, 9)), 0);
  EXPECT_EQ(::SendMessageW(progress_, PBM_SETBKCOLOR, 0, RGB(7, 8, 9)), 0);
  EXPECT_EQ(::SendMessageW(progress_, PBM_SETBKCOLOR, 0, RGB(7, 8, 9)), 0);
  TestCanvas canvas(40, 6);
  canvas.Fill(RGB(1, 2, 3));
  EXPECT_EQ(::SendMessageW(progress_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0),
            0);
  EXPECT_EQ(canvas.Colour(20, 3), RGB(1, 2, 3));
}

TEST_F(ImageProgressBarTest, PositionIsTheAccessibleValue) {
  ImageProgressBar bar(progress_);
  bar.accessible().SetAccessibleInfo(ROLE_SYSTEM_PROGRESSBAR, L"", L"");
  bar.SetRange(0, 100);
  bar.SetPosition(42);
  ScopedComPtr<IAccessible> object;
  ASSERT_EQ(::AccessibleObjectFromWindow(progress_, static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), object.receive_void()),
            S_OK);
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR value = nullptr;
  ASSERT_EQ(object->get_accValue(self, &value), S_OK);
  EXPECT_STREQ(value, L"42%");
  ::SysFreeString(value);
  VARIANT role;
  ::VariantInit(&role);
  ASSERT_EQ(object->get_accRole(self, &role), S_OK);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_PROGRESSBAR);
}

}  // namespace
}  // namespace lite
