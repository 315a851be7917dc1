#include "config/installer_data_files.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/file_util.h"
#include "base/resource_util.h"
#include "logging/file_logger.h"
#include "process/installer_command_line.h"
#include "test_util.h"

namespace lite {
namespace {

TEST(InstallerDataFilesTest, ExtractsWhatNoSwitchGives) {
  ScopedTempFolder folder;
  const std::wstring log = folder.Child(L"log.txt");
  SetCurrentLogger(std::make_unique<FileLogger>(log, 1 << 30));
  InstallerDataPaths paths = InstallerDataPaths::FromCommandLine(
      InstallerCommandLine::FromString(L"x.exe \"--clids-file=C:\\given\\clids.xml\""));
  const std::wstring target = folder.path() + L"\\";
  ExtractInstallerDataIfAbsent(target, &paths);
  SetCurrentLogger(nullptr);

  EXPECT_EQ(paths.clids, L"C:\\given\\clids.xml");
  EXPECT_FALSE(PathExists(target + L"clids.xml"));
  EXPECT_EQ(paths.installer_data, target + L"master_preferences");
  EXPECT_EQ(ReadWholeFile(paths.installer_data), LoadBinResource(305));
  EXPECT_NE(ReadWholeFile(paths.installer_data).find("variations_compressed_seed"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(paths.clids_searchband), LoadBinResource(322));
  EXPECT_EQ(paths.abt_config_resource, target + L"abt_config_resource");
  EXPECT_EQ(ReadWholeFile(paths.abt_config_resource), LoadBinResource(L"ABT_CONFIG"));
  // This build carries no site icon: an empty file, and a warning.
  EXPECT_EQ(paths.website_icon, target + L"website.ico");
  EXPECT_TRUE(PathExists(paths.website_icon));
  EXPECT_EQ(ReadWholeFile(paths.website_icon), "");
  const std::string content = ReadWholeFile(log);
  EXPECT_NE(content.find("WARNING: Failed to extract resource 323 (ExtractInstallerDataIfAbsent:"),
            std::string::npos)
      << content;
  EXPECT_EQ(content.find("Failed to extract resource 30"), std::string::npos);
}

}  // namespace
}  // namespace lite
