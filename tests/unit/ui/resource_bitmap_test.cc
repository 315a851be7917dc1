#include "ui/resource_bitmap.h"

#include <gtest/gtest.h>

#include <string>

#include "base/resource_util.h"
#include "captured_log.h"
#include "logging/log_record.h"
#include "ui/resource_stream.h"
#include "ui/scale_factor.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

constexpr COLORREF kBackground = RGB(1, 2, 3);

TEST(ResourceBitmapTest, LoadScaledPicksTheImageForTheScale) {
  struct Case {
    double scale;
    int high_resolution_id;
    double factor;
    int width;
    int height;
    COLORREF colour;  // red: the normal image, blue: the high-resolution one
  };
  const Case cases[] = {
      {1.0, IDR_TEST_HIGH_RESOLUTION, 1.0, 7, 5, RGB(255, 0, 0)},
      {1.0, 0, 1.0, 7, 5, RGB(255, 0, 0)},
      // 14 x 0.75 = 10.5 and 10 x 0.75 = 7.5, truncated.
      {1.5, IDR_TEST_HIGH_RESOLUTION, 0.75, 10, 7, RGB(0, 0, 255)},
      {1.5, 0, 1.5, 10, 7, RGB(255, 0, 0)},
      {2.0, IDR_TEST_HIGH_RESOLUTION, 1.0, 14, 10, RGB(0, 0, 255)},
      {2.0, 0, 2.0, 14, 10, RGB(255, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.scale) + " " + std::to_string(c.high_resolution_id));
    ScopedScaleFactorForTesting scale(c.scale);
    ResourceBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadScaled(IDR_TEST_NORMAL, c.high_resolution_id));
    EXPECT_DOUBLE_EQ(bitmap.factor(), c.factor);
    EXPECT_EQ(bitmap.Width(), c.width);
    EXPECT_EQ(bitmap.Height(), c.height);
    TestCanvas canvas(20, 20);
    canvas.Fill(kBackground);
    bitmap.DrawImage(canvas.dc(), 0, 0, bitmap.Width(), bitmap.Height(), 0, 0, bitmap.Width(),
                     bitmap.Height());
    EXPECT_EQ(canvas.Colour(c.width / 2, c.height / 2), c.colour);
  }
}

TEST(ResourceBitmapTest, LoadDividesTheScale) {
  ScopedScaleFactorForTesting scale(1.5);
  ResourceBitmap bitmap;
  ASSERT_TRUE(bitmap.Load(IDR_TEST_NORMAL, 2));
  EXPECT_DOUBLE_EQ(bitmap.factor(), 0.75);
  EXPECT_EQ(bitmap.Width(), 5);   // 7 x 0.75 = 5.25
  EXPECT_EQ(bitmap.Height(), 3);  // 5 x 0.75 = 3.75
}

TEST(ResourceBitmapTest, EmptyBitmapHasNoSizeAndDrawsNothing) {
  const ResourceBitmap empty;
  EXPECT_TRUE(empty.is_empty());
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.Height(), 0);
  EXPECT_DOUBLE_EQ(empty.factor(), 1.0);
  TestCanvas canvas(4, 4);
  canvas.Fill(kBackground);
  empty.DrawImage(canvas.dc(), 0, 0, 4, 4, 0, 0, 4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.Colour(x, y), kBackground);
  }
}

TEST(ResourceBitmapTest, FailedLoadsLogAndKeepWhatWasThere) {
  ScopedScaleFactorForTesting scale(1.0);
  ScopedLogCapture log;
  ResourceBitmap bitmap;

  EXPECT_FALSE(bitmap.Load(9999, 1));
  EXPECT_TRUE(bitmap.is_empty());
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].severity, LOG_ERROR);
  EXPECT_EQ(log.lines()[0].function, "Load");
  EXPECT_EQ(log.lines()[0].message, "Failed to create the resource 9999 stream - " +
                                        SystemErrorText(ERROR_RESOURCE_NAME_NOT_FOUND));

  ASSERT_TRUE(bitmap.Load(IDR_TEST_NORMAL, 1));
  log.clear();
  EXPECT_FALSE(bitmap.Load(IDR_TEST_NOT_AN_IMAGE, 2));
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].severity, LOG_ERROR);
  EXPECT_EQ(log.lines()[0].function, "Load");
  EXPECT_EQ(log.lines()[0].message.rfind("Failed to load a bitmap - ", 0), 0u)
      << log.lines()[0].message;
  // The image and factor from before stay.
  EXPECT_DOUBLE_EQ(bitmap.factor(), 1.0);
  EXPECT_EQ(bitmap.Width(), 7);
  TestCanvas canvas(7, 5);
  bitmap.DrawImage(canvas.dc(), 0, 0, 7, 5, 0, 0, 7, 5);
  EXPECT_EQ(canvas.Colour(3, 2), RGB(255, 0, 0));
}

TEST(ResourceBitmapTest, CopiesShareTheImage) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap original;
  ASSERT_TRUE(original.Load(IDR_TEST_NORMAL, 1));
  ResourceBitmap copy = original;
  ResourceBitmap assigned;
  assigned = copy;
  original = ResourceBitmap();
  copy = copy;
  EXPECT_TRUE(original.is_empty());
  EXPECT_EQ(copy.Width(), 7);
  EXPECT_EQ(assigned.Height(), 5);
  copy = ResourceBitmap();
  // The last holder still draws the decoded image.
  TestCanvas canvas(7, 5);
  assigned.DrawImage(canvas.dc(), 0, 0, 7, 5, 0, 0, 7, 5);
  EXPECT_EQ(canvas.Colour(6, 4), RGB(255, 0, 0));
}

TEST(ResourceBitmapTest, DrawImageAtFactorOneCopiesPixels) {
  ScopedScaleFactorForTesting scale(1.0);
  ResourceBitmap columns;
  ASSERT_TRUE(columns.Load(IDR_TEST_COLUMNS, 1));
  TestCanvas canvas(20, 6);
  canvas.Fill(kBackground);
  // Columns 2..7 of the image at (10, 3).
  columns.DrawImage(canvas.dc(), 10, 3, 6, 2, 2, 0, 6, 2);
  const COLORREF expected[] = {RGB(0, 255, 0),   RGB(0, 255, 0),     RGB(0, 0, 255),
                               RGB(0, 0, 255),   RGB(255, 255, 255), RGB(255, 255, 255)};
  for (int x = 0; x < 6; ++x) {
    for (int y = 3; y < 5; ++y) {
      EXPECT_EQ(canvas.Colour(10 + x, y), expected[x]) << x << "," << y;
    }
  }
  EXPECT_EQ(canvas.Colour(9, 3), kBackground);
  EXPECT_EQ(canvas.Colour(16, 3), kBackground);
  EXPECT_EQ(canvas.Colour(10, 2), kBackground);
  EXPECT_EQ(canvas.Colour(10, 5), kBackground);
}

TEST(ResourceBitmapTest, DrawImageMapsSourceCoordinatesThroughTheFactor) {
  struct Case {
    double scale;
    int divisor;
    RECT source;  // logical
    COLORREF colour;
  };
  const Case cases[] = {
      // Factor 2: logical 16 x 4; logical x 8..12 are pixels 4..6, blue.
      {2.0, 1, {8, 0, 12, 4}, RGB(0, 0, 255)},
      {2.0, 1, {4, 0, 8, 4}, RGB(0, 255, 0)},
      // Factor 0.5: logical 4 x 1; logical x 3 is pixels 6..8, white.
      {1.0, 2, {3, 0, 4, 1}, RGB(255, 255, 255)},
      {1.0, 2, {0, 0, 1, 1}, RGB(255, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.scale) + "/" + std::to_string(c.divisor) + " from " +
                 std::to_string(c.source.left));
    ScopedScaleFactorForTesting scale(c.scale);
    ResourceBitmap columns;
    ASSERT_TRUE(columns.Load(IDR_TEST_COLUMNS, c.divisor));
    TestCanvas canvas(8, 8);
    canvas.Fill(kBackground);
    columns.DrawImage(canvas.dc(), 0, 0, 8, 8, c.source.left, c.source.top,
                      c.source.right - c.source.left, c.source.bottom - c.source.top);
    // The middle of the stretched block, clear of the smoothing that mixes
    // in the pixels around the source rectangle.
    for (int y = 3; y < 5; ++y) {
      for (int x = 3; x < 5; ++x) {
        EXPECT_TRUE(Near(canvas.Colour(x, y), c.colour, 8))
            << x << "," << y << ": " << ColourText(canvas.Colour(x, y));
      }
    }
  }
}

// A picture with more pixels than its logical size keeps only what the
// screen shows, and draws the same; others stay as they are.
TEST(ResourceBitmapTest, ReducedKeepsOnlyTheLogicalPixels) {
  ResourceBitmap large;
  ASSERT_TRUE(large.Load(IDR_TEST_POSITIONS, 2));  // 20 x 12 pixels, logical 10 x 6
  const ResourceBitmap reduced = large.Reduced();
  EXPECT_EQ(reduced.factor(), 1.0);
  EXPECT_EQ(reduced.Width(), 10);
  EXPECT_EQ(reduced.Height(), 6);
  EXPECT_EQ(large.factor(), 0.5);  // the original is untouched

  TestCanvas from_large(10, 6), from_reduced(10, 6);
  large.DrawImage(from_large.dc(), 0, 0, 10, 6, 0, 0, 10, 6);
  reduced.DrawImage(from_reduced.dc(), 0, 0, 10, 6, 0, 0, 10, 6);
  for (const POINT p : {POINT{1, 1}, POINT{5, 3}, POINT{8, 4}}) {
    EXPECT_TRUE(Near(from_large.Colour(p.x, p.y), from_reduced.Colour(p.x, p.y), 12))
        << p.x << "," << p.y << ": " << ColourText(from_large.Colour(p.x, p.y)) << " vs "
        << ColourText(from_reduced.Colour(p.x, p.y));
  }

  ResourceBitmap normal;
  ASSERT_TRUE(normal.Load(IDR_TEST_NORMAL, 1));
  const ResourceBitmap same = normal.Reduced();
  EXPECT_EQ(same.Width(), 7);
  EXPECT_EQ(same.factor(), 1.0);
  EXPECT_EQ(ResourceBitmap().Reduced().is_empty(), true);
}

TEST(ResourceBitmapTest, FromBitmapHandleCopiesTheBitmap) {
  TestCanvas source(5, 3);
  source.Fill(RGB(10, 120, 230));
  const ResourceBitmap bitmap = ResourceBitmap::FromBitmapHandle(source.bitmap());
  ASSERT_FALSE(bitmap.is_empty());
  EXPECT_DOUBLE_EQ(bitmap.factor(), 1.0);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  // A copy: later changes of the source do not reach it.
  source.Fill(RGB(0, 0, 0));
  TestCanvas canvas(5, 3);
  bitmap.DrawImage(canvas.dc(), 0, 0, 5, 3, 0, 0, 5, 3);
  EXPECT_EQ(canvas.Colour(2, 1), RGB(10, 120, 230));
  // The source bitmap is still there.
  BITMAP info = {};
  EXPECT_EQ(::GetObjectW(source.bitmap(), sizeof(info), &info), static_cast<int>(sizeof(info)));
}

TEST(ResourceBitmapTest, FromBitmapHandleFailureLogs) {
  ScopedLogCapture log;
  const ResourceBitmap bitmap = ResourceBitmap::FromBitmapHandle(nullptr);
  EXPECT_TRUE(bitmap.is_empty());
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].severity, LOG_ERROR);
  EXPECT_EQ(log.lines()[0].function, "ResourceBitmap");
  EXPECT_EQ(log.lines()[0].message.rfind(
                "Failed to construct a ResourceBitmap from HBITMAP - ", 0),
            0u)
      << log.lines()[0].message;
}

TEST(ResourceStreamTest, HoldsACopyOfTheResource) {
  const std::string bytes = LoadResourceBytes(::GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(IDR_TEST_COLUMNS), RT_RCDATA);
  ASSERT_FALSE(bytes.empty());
  ScopedComPtr<IStream> stream = OpenResourceStream(IDR_TEST_COLUMNS);
  ASSERT_TRUE(stream);
  std::string read(bytes.size() + 8, '\0');
  ULONG count = 0;
  ASSERT_TRUE(SUCCEEDED(stream->Read(&read[0], static_cast<ULONG>(read.size()), &count)));
  read.resize(count);
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(OpenResourceStream(9999));
}

}  // namespace
}  // namespace lite
