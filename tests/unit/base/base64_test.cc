#include "base/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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
    if (c.valid) {
      EXPECT_EQ(*decoded, c.bytes) << c.text;
    }
  }
}

TEST(Base64Test, EncodesWithPadding) {
  const std::pair<std::string, const char*> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\x00\xff\x00\xff", 4), "AP8A/w=="},
      {"\xfb\xff\xbf", "+/+/"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(EncodeBase64(bytes), text) << text;
}

TEST(Base64Test, EncodedTextDecodesBackForEveryByteAndLength) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(255 - i));
  for (size_t length : {0u, 1u, 2u, 3u, 254u, 255u, 256u}) {
    const std::string part = bytes.substr(0, length);
    const std::string text = EncodeBase64(part);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(DecodeBase64(text), part) << length;
  }
}

}  // namespace
}  // namespace lite
