#include "system/disk_space.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "base/file_util.h"
#include "logging/file_logger.h"
#include "system/platform_queries.h"
#include "test_util.h"

namespace lite {
namespace {

class FakeDisk : public PlatformQueries {
 public:
  bool GetFolderPath(int csidl, std::wstring* path) override {
    asked_csidl = csidl;
    if (!folder_ok) return false;
    *path = L"C:\\folder";
    return true;
  }
  bool GetFreeDiskSpace(const std::wstring& folder, uint64_t* bytes) override {
    asked_folder = folder;
    if (!space_ok) return false;
    *bytes = available;
    return true;
  }
  bool folder_ok = true;
  bool space_ok = true;
  uint64_t available = 0;
  int asked_csidl = -1;
  std::wstring asked_folder;
};

TEST(DiskSpaceTest, DecidesAndLogs) {
  struct Case {
    bool system_level;
    bool folder_ok, space_ok;
    uint64_t available;
    bool enough;
    int csidl;
    const char* log;  // expected message, or "" for none
  };
  const Case cases[] = {
      {false, true, true, kRequiredDiskSpace, true, CSIDL_LOCAL_APPDATA, ""},
      {false, true, true, kRequiredDiskSpace - 1, false, CSIDL_LOCAL_APPDATA,
       "There is not enough disk space to install browser"},
      {true, true, true, 0x100000000ull + 1, true, CSIDL_PROGRAM_FILES, ""},  // above 32 bits
      {true, false, true, 0, true, CSIDL_PROGRAM_FILES, "SHGetFolderPath failed"},
      {false, true, false, 0, true, CSIDL_LOCAL_APPDATA, "GetDiskFreeSpaceEx failed"},
  };
  for (const auto& c : cases) {
    ScopedTempFolder folder;
    const std::wstring log = folder.Child(L"lite_installer.log");
    SetCurrentLogger(std::make_unique<FileLogger>(log, 1048576));
    FakeDisk fake;
    fake.folder_ok = c.folder_ok;
    fake.space_ok = c.space_ok;
    fake.available = c.available;
    ScopedPlatformQueriesOverride scope(&fake);
    EXPECT_EQ(HasEnoughDiskSpace(c.system_level, kRequiredDiskSpace), c.enough);
    EXPECT_EQ(fake.asked_csidl, c.csidl);
    SetCurrentLogger(nullptr);
    const std::string content = ReadWholeFile(log);
    if (*c.log) {
      EXPECT_NE(content.find(std::string("INFO: ") + c.log + " (HasEnoughDiskSpace:"),
                std::string::npos)
          << content;
    } else {
      EXPECT_EQ(content, "");
    }
  }
}

TEST(DiskSpaceTest, RealSystemAnswers) {
  // Whatever the machine has, the real queries must work under the test
  // runner and a request for zero bytes must pass.
  EXPECT_TRUE(HasEnoughDiskSpace(false, 0));
  EXPECT_FALSE(HasEnoughDiskSpace(false, ~0ull));
}

}  // namespace
}  // namespace lite
