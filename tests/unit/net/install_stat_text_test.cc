#include "net/install_stat_text.h"

#include <gtest/gtest.h>

#include <string>

namespace lite {
namespace {

TEST(InstallStatTextTest, ParsesLinesAlternatelyAsKeyAndValue) {
  struct {
    const wchar_t* text;
    StatisticsParameters expected;
  } cases[] = {
      {L"", {}},
      {L"brand_id\nzelmar\nold_ver\n1.2\n", {{"brand_id", L"zelmar"}, {"old_ver", L"1.2"}}},
      // An empty line where a key belongs starts no pair.
      {L"\n\nbrand_id\nzelmar\n", {{"brand_id", L"zelmar"}}},
      // An empty value is a value.
      {L"old_ver\n\nui\nX\n", {{"old_ver", L""}, {"ui", L"X"}}},
      // A last key without its value line is dropped.
      {L"a\n1\ndangling\n", {{"a", L"1"}}},
      {L"a\n1\ndangling", {{"a", L"1"}}},
      // The last value needs no line feed after it.
      {L"a\n1", {{"a", L"1"}}},
      // A later pair replaces an earlier one.
      {L"a\n1\na\n2\n", {{"a", L"2"}}},
      {L"k\xE9y\nv\xE4lue\n", {{"k\xC3\xA9y", L"v\xE4lue"}}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.text);
    EXPECT_EQ(ParseInstallStatText(test.text), test.expected);
  }
}

TEST(InstallStatTextTest, FormatsEveryPairInKeyOrderAndReadsBack) {
  const StatisticsParameters parameters = {
      {"ui", L"ABC"}, {"brand_id", L"zelmar"}, {"old_ver", L""}, {"k\xC3\xA9y", L"\xE4"}};
  const std::wstring text = FormatInstallStatText(parameters);
  EXPECT_EQ(text, L"brand_id\nzelmar\nk\xE9y\n\xE4\nold_ver\n\nui\nABC\n");
  EXPECT_EQ(ParseInstallStatText(text), parameters);
}

TEST(InstallStatTextTest, LineFeedsAndEmptyKeysCannotShiftLaterPairs) {
  const StatisticsParameters parameters = {
      {"", L"lost"}, {"a", L"one\ntwo"}, {"b\nc", L"2"}, {"z", L"last"}};
  const StatisticsParameters expected = {{"a", L"one two"}, {"b c", L"2"}, {"z", L"last"}};
  EXPECT_EQ(ParseInstallStatText(FormatInstallStatText(parameters)), expected);
}

TEST(InstallStatTextTest, VarsSeparatorsBecomeUnderscores) {
  EXPECT_EQ(ReplaceVarsSeparators(L"a-b=c,d"), L"a_b_c_d");
  EXPECT_EQ(ReplaceVarsSeparators(L"1.2.3 /x"), L"1.2.3 /x");
}

TEST(InstallStatTextTest, PercentEscapeKeepsOnlyTheUnreservedSet) {
  struct {
    std::string in;
    std::string expected;
  } cases[] = {
      {"AZaz09!'()._~", "AZaz09!'()._~"},
      {" %-*+,/:;=?@", "%20%25%2D%2A%2B%2C%2F%3A%3B%3D%3F%40"},
      {std::string("\x7F\x80\xFF\0", 4), "%7F%80%FF%00"},
      {"\xC3\xA9", "%C3%A9"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.in);
    EXPECT_EQ(PercentEscapeUnreserved(test.in), test.expected);
  }
}

}  // namespace
}  // namespace lite
