#include "ui/resource_strings.h"

#include <gtest/gtest.h>

#include "base/string_conversion.h"

namespace lite {
namespace {

constexpr uint32_t kEnglish = 1033;

TEST(LoadUiStringTest, EnglishTable) {
  struct Case {
    int id;
    const wchar_t* text;
  } cases[] = {
      {400, L"Zelmar"},
      {405, L"Install"},
      {413, L"&Set as default browser"},
      {417, L"Privacy policy"},
      // No-break space inside the product name; the link markup kept as is.
      {430, L"By using Zelmar\u00a0Browser, you agree to the terms and conditions of the "
            L"((License Agreement))."},
      {438, L"Not enough disk space\nto install Zelmar\u00a0Browser"},
      // Only the first product name is kept together.
      {449, L"Powered by Zelmar\u00a0Browser. Zelmar Browser will be installed along with "
            L"Zelmar Mail."},
      {453, L"Zelmar.Mail is now always just a click away on your computer."},
      // The gap in the table, and ids outside it.
      {441, L""},
      {399, L""},
      {454, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadUiString(c.id, kEnglish), c.text) << c.id;
  }
}

TEST(LoadUiStringTest, EveryIdOfTheTableIsThere) {
  for (int id = 400; id <= 453; ++id) {
    if (id == 441) continue;
    EXPECT_FALSE(LoadUiString(id, kEnglish).empty()) << id;
  }
}

}  // namespace
}  // namespace lite
