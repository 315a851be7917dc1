#include "ui/slide_folder_url.h"

#include <gtest/gtest.h>

#include <string>

#include "captured_log.h"
#include "config/brand_info.h"
#include "config/service_hosts.h"
#include "map_distrib_params.h"

namespace lite {
namespace {

const std::string kCdn = kDownloadCdnOrigin;
const char kDeprecated[] =
    "Deprecated. Use brand package for setting \"slide_url\" in \"install\" section";

struct FolderCase {
  const char* name;
  const char* ins;  // null: no "ins" parameter
  const char* slide_url;
  const char* new_slide_url;
  const wchar_t* command_line;
  std::string expected;
  bool warns;
};

class SlideFolderUrlTest : public testing::TestWithParam<FolderCase> {};

TEST_P(SlideFolderUrlTest, ChoosesTheFolder) {
  const FolderCase& test = GetParam();
  BrandInfo brand(L"C:\\t\\");
  brand.interface_language = "tr";
  brand.slide_url = test.slide_url;
  brand.new_slide_url = test.new_slide_url;
  MapDistribParams params;
  if (test.ins) params.values["ins"] = test.ins;
  ScopedLogCapture log;
  EXPECT_EQ(GetSlideFolderUrl(brand, params, InstallerCommandLine::FromString(test.command_line)),
            test.expected);
  EXPECT_EQ(log.Contains(LOG_WARNING, "GetInstallerSlideUrl", kDeprecated), test.warns)
      << log.Dump();
  EXPECT_EQ(log.lines().size(), test.warns ? 1u : 0u) << log.Dump();
}

const wchar_t kWithSwitch[] = L"a.exe --ins-url=http://switch/slides/";
const wchar_t kEmptySwitch[] = L"a.exe --ins-url=";
const wchar_t kNoSwitch[] = L"a.exe";

INSTANTIATE_TEST_SUITE_P(
    Cases, SlideFolderUrlTest,
    testing::Values(
        // The alternative theme: brand's new address, the switch, the CDN.
        FolderCase{"NewUrlWinsOverSwitch", "1", "http://s/", "http://new/", kWithSwitch,
                   "http://new/", false},
        FolderCase{"SwitchWithoutNewUrl", "1", "http://s/", "", kWithSwitch,
                   "http://switch/slides/", false},
        FolderCase{"EmptySwitchGivesCdn", "1", "http://s/", "", kEmptySwitch,
                   kCdn + "/browser/installer/2022/", false},
        FolderCase{"NothingGivesCdn", "1", "", "", kNoSwitch, kCdn + "/browser/installer/2022/",
                   false},
        // The usual theme ignores the new address and the switch.
        FolderCase{"SlideUrl", nullptr, "http://s/", "http://new/", kWithSwitch, "http://s/",
                   false},
        FolderCase{"NoSlideUrlGivesLanguageFolder", nullptr, "", "http://new/", kWithSwitch,
                   kCdn + "/browser/installer/tr/", true},
        FolderCase{"InsOtherThanOneIsUsual", "2", "", "http://new/", kWithSwitch,
                   kCdn + "/browser/installer/tr/", true},
        FolderCase{"InsOneWithSpaceIsUsual", " 1", "http://s/", "http://new/", kNoSwitch,
                   "http://s/", false}),
    [](const testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lite
