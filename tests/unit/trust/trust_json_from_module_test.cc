#include "trust/trust_json_from_module.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "test_util.h"

namespace lite {
namespace {

class TrustJsonFromModuleTest : public testing::Test {
 protected:
  void SetUp() override { SetCurrentLogger(std::make_unique<RecordingLogger>(&lines_)); }
  void TearDown() override { SetCurrentLogger(nullptr); }

  static std::wstring Module(const wchar_t* name) {
    return ExecutableFolder() + L"\\trust_module_" + name + L".exe";
  }
  // Messages of the ERROR records under the function name, without the
  // system error text.
  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const CapturedLine& line : lines_) {
      if (line.severity != LOG_ERROR || line.function != "GetTrustJsonFromModule") continue;
      errors.push_back(line.message.substr(0, line.message.find(" - ")));
    }
    return errors;
  }

  std::vector<CapturedLine> lines_;
};

TEST_F(TrustJsonFromModuleTest, ReturnsTheSignedDocument) {
  const std::string json = GetTrustJsonFromModule(Module(L"good"));
  EXPECT_NE(json.find("\"trusted_info\""), std::string::npos);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(TrustJsonFromModuleTest, RefusesBrokenModules) {
  struct Case {
    const wchar_t* module;
    const char* error;
  };
  const Case cases[] = {
      {L"other_key", "Verify error"},
      {L"tampered", "Verify error"},
      {L"index_10", "Cannot find key"},
      {L"index_only", "Cannot find resource SIGNATURE_DAT"},
      {L"no_json", "Cannot find resource TRUSTED_JSON"},
  };
  for (const auto& c : cases) {
    lines_.clear();
    ASSERT_TRUE(PathExists(Module(c.module)));
    EXPECT_EQ(GetTrustJsonFromModule(Module(c.module)), "") << c.module;
    EXPECT_EQ(Errors(), std::vector<std::string>{c.error}) << c.module;
  }
}

TEST_F(TrustJsonFromModuleTest, NeedsAnAbsolutePathToALoadableFile) {
  const std::wstring missing = ExecutableFolder() + L"\\no_such_module.exe";
  const std::string missing_utf8 = WideToUTF8(missing);
  struct Case {
    std::wstring path;
    std::string error;
  };
  const Case cases[] = {
      {L"trust_module_good.exe", "Attempting to GetTrustJsonFromModule at an invalid path: trust_module_good.exe"},
      {L"C:relative.exe", "Attempting to GetTrustJsonFromModule at an invalid path: C:relative.exe"},
      {missing, "Failed to load module for GetTrustJsonFromModule: " + missing_utf8},
  };
  for (const auto& c : cases) {
    lines_.clear();
    EXPECT_EQ(GetTrustJsonFromModule(c.path), "");
    EXPECT_EQ(Errors(), std::vector<std::string>{c.error});
  }
}

}  // namespace
}  // namespace lite
