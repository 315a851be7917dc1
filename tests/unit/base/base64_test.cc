#include "base/base64.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(Base64Test, DecodesStrictStandardBase64) {
  struct Case {
    const char* text;
    bool valid;
    std::string bytes;
  };
  const Case cases[] = {
      {"", true, ""},
      {"Zg==", true, "f"},
      {"Zm8=", true, "fo"},
      {"Zm9v", true, "foo"},
      {"AP8A/w==", true, std::string("\x00\xff\x00\xff", 4)},
      {"+/+/", true, "\xfb\xff\xbf"},
      {"Zg=", false, ""},       // length not a multiple of four
      {"Zh==", false, ""},      // unused bits set
      {"Zm9=", false, ""},      // unused bits set
      {"Z===", false, ""},
      {"=Zg=", false, ""},
      {"Zg==Zg==", false, ""},  // padding in the middle
      {"Zm9v\n", false, ""},
      {"Zm-_", false, ""},      // the URL alphabet is not accepted
      {"Zm 9", false, ""},
      {"*@#$", false, ""},
      {"AQ\x01I", false, ""},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> decoded = DecodeBase64(c.text);
    ASSERT_EQ(decoded.has_value(), c.valid) << c.text;
    if (c.valid) EXPECT_EQ(*decoded, c.bytes) << c.text;
  }
}

}  // namespace
}  // namespace lite
