#include "ui/slideshow.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/scoped_gdi.h"
#include "ui/slide_source.h"
#include "ui_test_resources.h"
#include "ui_test_support.h"

namespace lite {
namespace {

int64_t g_now_us = 0;
int64_t FakeClock() { return g_now_us; }

ResourceBitmap Image(int id) {
  ResourceBitmap image;
  EXPECT_TRUE(image.Load(id, 1));
  return image;
}

class FakeSlideSource : public SlideSource {
 public:
  explicit FakeSlideSource(std::vector<ResourceBitmap> images) : images_(std::move(images)) {}
  ResourceBitmap ImageAt(size_t index) const override {
    asked_.push_back(index);
    return images_.empty() ? ResourceBitmap() : images_[index % images_.size()];
  }
  mutable std::vector<size_t> asked_;

 private:
  std::vector<ResourceBitmap> images_;
};

constexpr SIZE kShowSize = {16, 20};

class SlideshowTest : public testing::Test {
 protected:
  void SetUp() override { g_now_us = 1000000; }
  void At(int64_t ms_since_start) { g_now_us = 1000000 + ms_since_start * 1000; }
};

// The first slide is reported once; the show moves on only once a slide
// has had its full ten seconds, to index 1, then one further each time.
TEST_F(SlideshowTest, MovesOnAfterEachSlidesDuration) {
  FakeSlideSource source({Image(IDR_TEST_POSITIONS), Image(IDR_TEST_NORMAL),
                          Image(IDR_TEST_COLUMNS)});
  ScopedBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
  Slideshow show(&source, kShowSize, white.get(), 1, &FakeClock);

  struct Step {
    int64_t at_ms;
    bool reported;
    size_t index;
  };
  const Step steps[] = {
      {0, true, 0},          // the first slide repaints once
      {0, false, 0},
      {9999, false, 0},      // not yet expired
      {10000, true, 1},      // exactly the duration
      {10000, false, 1},
      {19999, false, 1},
      {20000, true, 2},
      {30000, true, 3},      // index 3 wraps to the first entry
      {45000, true, 4},      // a late tick moves one slide, not two
      {45001, false, 4},
  };
  for (const Step& step : steps) {
    At(step.at_ms);
    EXPECT_EQ(show.Advance(), step.reported) << "at " << step.at_ms << " ms";
    EXPECT_EQ(show.index(), step.index) << "at " << step.at_ms << " ms";
    EXPECT_EQ(show.HasMovedOn(), step.index != 0);
  }
  EXPECT_EQ(source.asked_, (std::vector<size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(show.current().image().Width(), 7);  // entry 4 % 3 = 1
}

// With only the built-in slide the show takes it again after ten seconds:
// that still counts as moving on and repaints once.
TEST_F(SlideshowTest, OnlyTheBuiltInSlideStillMovesOn) {
  FakeSlideSource source({Image(IDR_TEST_NORMAL)});
  Slideshow show(&source, kShowSize, nullptr, 1, &FakeClock);
  EXPECT_TRUE(show.Advance());
  EXPECT_FALSE(show.HasMovedOn());
  At(10000);
  EXPECT_TRUE(show.Advance());
  EXPECT_TRUE(show.HasMovedOn());
  EXPECT_FALSE(show.Advance());
  EXPECT_EQ(show.current().image().Width(), 7);
}

// The picture keeps its logical size on the bottom-left corner and is cut
// at the right edge; an empty picture leaves only the fill.
TEST(SlideTest, DestinationSitsOnTheBottomLeftCorner) {
  struct Case {
    int image_id;
    RECT expected;
  };
  const Case cases[] = {
      {IDR_TEST_POSITIONS, {0, 8, 16, 20}},  // 20 x 12, cut at 16
      {IDR_TEST_NORMAL, {0, 15, 7, 20}},     // 7 x 5
      {0, {0, 20, 0, 20}},                   // no picture
  };
  for (const Case& c : cases) {
    const Slide slide(c.image_id ? Image(c.image_id) : ResourceBitmap(), kShowSize, &FakeClock);
    const RECT& rect = slide.destination();
    EXPECT_EQ(rect.left, c.expected.left) << c.image_id;
    EXPECT_EQ(rect.top, c.expected.top) << c.image_id;
    EXPECT_EQ(rect.right, c.expected.right) << c.image_id;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << c.image_id;
  }
}

TEST(SlideTest, DrawFillsThenDrawsThePictureUnscaled) {
  const Slide slide(Image(IDR_TEST_POSITIONS), kShowSize, &FakeClock);
  TestCanvas canvas(kShowSize.cx, kShowSize.cy);
  canvas.Fill(RGB(0, 0, 0));
  ScopedBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
  const RECT all = {0, 0, kShowSize.cx, kShowSize.cy};
  slide.Draw(canvas.dc(), all, white.get());

  EXPECT_TRUE(Near(canvas.Colour(3, 2), RGB(255, 255, 255))) << ColourText(canvas.Colour(3, 2));
  // Pixel (x, y) of the picture is RGB(10x, 20y, 128), drawn from row 8 on.
  for (const POINT p : {POINT{0, 8}, POINT{5, 10}, POINT{15, 19}}) {
    const COLORREF expected = RGB(10 * p.x, 20 * (p.y - 8), 128);
    EXPECT_TRUE(Near(canvas.Colour(p.x, p.y), expected, 6))
        << p.x << "," << p.y << ": " << ColourText(canvas.Colour(p.x, p.y));
  }
}

}  // namespace
}  // namespace lite
