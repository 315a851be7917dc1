#include "base/json_reader.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(JsonReaderTest, SkipsCommentsOutsideStrings) {
  struct Case {
    const char* text;
    const char* expected_value;  // of key "k"
  };
  const Case cases[] = {
      {"//RSA line\r\n{\"k\":\"v\"}", "v"},
      {"{/* a */\"k\"/**/:/* b\n c */\"v\"}", "v"},
      {"{\"k\":\"http://host/path\"} // trailing", "http://host/path"},
      {"{\"k\":\"/* not a comment */\"}", "/* not a comment */"},
      {"{\"k\":\"esc \\\" // still string\"}", "esc \" // still string"},
      {"{\"k\":\"v\"}/**/", "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    ScopedJson root = ParseJsonWithComments(c.text, &error);
    ASSERT_TRUE(root) << error;
    const char* value = json_string_value(json_object_get(root.get(), "k"));
    ASSERT_TRUE(value);
    EXPECT_STREQ(value, c.expected_value);
  }
}

TEST(JsonReaderTest, RejectsBrokenInput) {
  for (const char* text : {"{\"k\":1} /* open", "{\"k\":", "", "// only a comment",
                           "{\"k\":1}/", "{\"a\":1}{\"b\":2}", "\"a string root\"", "42"}) {
    SCOPED_TRACE(text);
    std::string error;
    EXPECT_FALSE(ParseJsonWithComments(text, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(JsonReaderTest, KeepsLineNumbersAcrossBlockComments) {
  std::string error;
  EXPECT_FALSE(ParseJsonWithComments("/*\n\n*/ {\n\"k\": nope}", &error));
  EXPECT_NE(error.find("line 4"), std::string::npos) << error;
}

}  // namespace
}  // namespace lite
