#include "ui/scale_factor.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(ScaleFactorTest, ForcedValueOrScreenDpi) {
  struct Case {
    const wchar_t* forced;
    int dpi;
    double factor;
  };
  const Case cases[] = {
      {nullptr, 96, 1.0},
      {nullptr, 144, 1.5},
      {L"", 120, 1.25},
      {L"2", 96, 2.0},
      {L"1.75", 144, 1.75},
      {L"0", 144, 1.5},
      {L"abc", 144, 1.5},
      {L"inf", 96, 1.0},
      {L"nan", 96, 1.0},
      {L"-2", 96, 1.0},  // a negative factor would draw nothing
      {nullptr, 0, 1.0},  // no screen to ask
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(ComputeScaleFactor(c.forced, c.dpi), c.factor)
        << (c.forced ? c.forced : L"(none)") << " " << c.dpi;
  }
}

}  // namespace
}  // namespace lite
