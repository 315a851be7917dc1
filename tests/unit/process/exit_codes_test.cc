#include "process/exit_codes.h"

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(ExitCodesTest, NamesTheSetupExitCode) {
  struct Case {
    uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {0, "SUCCESS_EXIT_CODE(0); error: 0"},
      {1, "SUCCESS_EXIT_CODE(0); error: 1"},
      {(112u << 24) | 5, "UNABLE_TO_EXTRACT_CHROME_ARCHIVE(112); error: 5"},
      {(1u << 24), "GENERIC_ERROR(1); error: 0"},
      {(117u << 24) | 0xFFFFFF, "UNABLE_TO_SET_DIRECTORY_ACL(117); error: 16777215"},
      {(113u << 24) | 7, "Exit code: 113; error: 7"},
      {0xFFFFFFFFu, "Exit code: 255; error: 16777215"},  // -1
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeSetupExitCode(c.code), c.text) << c.code;
}

}  // namespace
}  // namespace lite
