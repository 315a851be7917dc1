#include "base/string_conversion.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

struct RoundTripCase {
  const char* utf8;
  const wchar_t* wide;
};

TEST(StringConversionTest, ConvertsBothWays) {
  const RoundTripCase cases[] = {
      {"", L""},
      {"ascii", L"ascii"},
      {"T\xC3\xBCrk\xC3\xA7\x65", L"T\u00fcrk\u00e7e"},
      {"\xD0\xBF\xD1\x80\xD0\xB8", L"\u043f\u0440\u0438"},
      {"\xE2\x80\xAF", L"\u202f"},
      {"\xF0\x9F\x98\x80", L"\U0001F600"},  // needs a surrogate pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToUTF8(c.wide), c.utf8);
    EXPECT_EQ(UTF8ToWide(c.utf8), c.wide);
  }
}

TEST(StringConversionTest, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(UTF8ToWide("a\xFF" "b"), L"a\ufffd" L"b");
  EXPECT_EQ(UTF8ToWide("\xC0\xAF"), L"\ufffd\ufffd");           // overlong '/'
  EXPECT_EQ(UTF8ToWide("\xED\xA0\x80"), L"\ufffd\ufffd\ufffd");  // surrogate
  EXPECT_EQ(UTF8ToWide("\xE2\x82"), L"\ufffd\ufffd");           // truncated
  const wchar_t lone_surrogate[] = {L'x', static_cast<wchar_t>(0xD800), 0};
  EXPECT_EQ(WideToUTF8(lone_surrogate), "x\xEF\xBF\xBD");
}

TEST(StringConversionTest, ValidatesUTF8) {
  EXPECT_TRUE(IsValidUTF8(""));
  EXPECT_TRUE(IsValidUTF8("plain"));
  EXPECT_TRUE(IsValidUTF8("\xEF\xBF\xBD"));  // a real U+FFFD
  EXPECT_TRUE(IsValidUTF8("\xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(IsValidUTF8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUTF8("\x80"));
  EXPECT_FALSE(IsValidUTF8("ok\xC3"));
}

TEST(StringConversionTest, ByteWiseConversionsKeepLowBytes) {
  EXPECT_EQ(NarrowLowByte(L"A\u0142z"), std::string("A\x42z"));
  EXPECT_EQ(WidenBytes("a\xE9"), std::wstring(L"a\u00e9"));
  EXPECT_EQ(ToLowerASCII("SiLeNt-\xC4"), "silent-\xC4");
}

}  // namespace
}  // namespace lite
