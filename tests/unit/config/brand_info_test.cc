#include "config/brand_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "config/language_table.h"
#include "config/service_hosts.h"
#include "logging/file_logger.h"
#include "system/registry_helpers.h"
#include "test_util.h"

namespace lite {
namespace {

class BrandInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCurrentLogger(std::make_unique<FileLogger>(folder_.Child(L"log.txt"), 1 << 30));
  }
  void TearDown() override { SetCurrentLogger(nullptr); }
  // Messages of the records logged so far, one per line.
  std::string Messages() const {
    static const std::regex kLine(R"(^\S+ \S+ \S+ (?:INFO|WARNING|ERROR): (.*) \((\w+):\d+\)$)");
    std::string messages;
    const std::string log = ReadWholeFile(folder_.Child(L"log.txt"));
    size_t start = 0;
    while (start < log.size()) {
      const size_t end = log.find('\n', start);
      std::smatch match;
      const std::string line = log.substr(start, end - start);
      if (std::regex_match(line, match, kLine)) messages += match[2].str() + "|" + match[1].str() + "\n";
      start = end + 1;
    }
    return messages;
  }

  ScopedTempFolder folder_;
};

TEST_F(BrandInfoTest, ReadsNestedKeysWithTheInstallFallback) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.ReadPackageKeys(R"(//sig
{
  "brand_id": "b1", "brand_name": 7,
  "setup_url": "top-level",
  "install": {"setup_url64": "nested", "send_statistics": "false",
              "make_browser_default": false, "alternate_installer_title": true},
  "setup_url64": "ignored: the nested one wins",
  "setup_url32": "top-level 32",
  "languages": {"interface": "uk"},
  "urls": {"abt": "https://abt/ab/get", "variations": {"not": "a string"}},
  "mirra_taskbar_shortcut_promt": true
})");
  EXPECT_EQ(info.brand_id, "b1");
  EXPECT_EQ(info.brand_name, "");  // wrong type
  EXPECT_EQ(info.setup_url, "top-level");
  EXPECT_EQ(info.setup_url_64, "nested");
  EXPECT_EQ(info.setup_url_32, "top-level 32");
  EXPECT_EQ(info.interface_language, "uk");
  EXPECT_EQ(info.language_id, 1058u);
  EXPECT_EQ(info.abt_url, "https://abt/ab/get");
  EXPECT_EQ(info.variations_url, "");
  EXPECT_TRUE(info.send_statistics());  // the string "false" is ignored
  EXPECT_FALSE(info.make_browser_default());
  EXPECT_TRUE(info.alternate_installer_title());
  EXPECT_TRUE(info.mirra_taskbar_shortcut_prompt());
}

TEST_F(BrandInfoTest, EarlierPackagesWin) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.ReadPackageKeys(R"({"brand_id": "p1", "install": {"send_statistics": false}})");  // partner
  info.ReadPackageKeys(R"({"brand_id": "zelmar", "partner_id": "x",
                           "install": {"send_statistics": true}, "languages": {"interface": "tr"}})");
  EXPECT_EQ(info.brand_id, "p1");
  EXPECT_EQ(info.partner_id, "x");
  EXPECT_FALSE(info.send_statistics());
  EXPECT_EQ(info.language_id, 1055u);
}

TEST_F(BrandInfoTest, BrokenTextChangesNothing) {
  for (const char* text : {"no slashes {\"brand_id\": \"x\"}", "{\"brand_id\": \"x\"} trailing",
                           "{\"brand_id\": \"x\"", "[\"brand_id\"]", "// only a comment"}) {
    BrandInfo info(L"C:\\t\\");
    info.Clear();
    EXPECT_FALSE(info.ReadPackageKeys(text)) << text;
    EXPECT_EQ(info.brand_id, "") << text;
  }
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  EXPECT_TRUE(info.ReadPackageKeys("{\"brand_id\": \"x\"} /* a closing comment */"));
  EXPECT_EQ(info.brand_id, "x");
}

TEST_F(BrandInfoTest, OnlyAPackageThatParsesIsLogged) {
  const std::string cabinet = ReadWholeFile(ExecutableFolder() + L"\\config_data\\two_files.cab");
  ASSERT_FALSE(cabinet.empty());
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.ReadPackage(cabinet, "other.txt");  // plain text, not JSON
  EXPECT_EQ(Messages(), "Clear|Reset brand info.\n");
  EXPECT_EQ(info.brand_id, "");
  info.ReadPackage(cabinet, "brand_config");
  EXPECT_NE(Messages().find("LogBrandInfo|Brand id: two\n"), std::string::npos);
}

TEST_F(BrandInfoTest, DefaultsFillOnlyWhatIsEmpty) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.ApplyDefaults();
  EXPECT_EQ(info.brand_id, "zelmar");
  EXPECT_EQ(info.brand_name, "zelmar");
  EXPECT_EQ(info.setup_url, std::string(kDownloadCdnOrigin) + "/browser/zelmar/browser-setup.arc");
  EXPECT_EQ(info.license_url, std::string(kLegalSiteOrigin) + "/browser_agreement/");
  EXPECT_EQ(info.privacy_policy_url, std::string(kLegalSiteOrigin) + "/confidential/");
  EXPECT_EQ(info.variations_url, std::string(kApiOrigin) + "/content/get/experiments/browser.proto");
  EXPECT_EQ(info.abt_url, std::string(kAbtApiOrigin) + "/ab/get");
  EXPECT_EQ(info.interface_language, GetUserLanguageCode());
  EXPECT_EQ(info.partner_id, "");

  BrandInfo custom(L"C:\\t\\");
  custom.Clear();
  custom.ReadPackageKeys(R"({"brand_id": "tb", "brand_name": "Named"})");
  custom.SetInterfaceLanguage("");  // an empty "lang" from the tag
  custom.ApplyDefaults();
  EXPECT_EQ(custom.brand_name, "Named");
  EXPECT_EQ(custom.setup_url, std::string(kDownloadCdnOrigin) + "/browser/tb/browser-setup.arc");
  EXPECT_EQ(custom.interface_language, GetUserLanguageCode());
}

TEST_F(BrandInfoTest, LogsSeventeenLines) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.ReadPackageKeys(R"({"brand_id": "b", "install": {"send_statistics": false}})");
  info.LogBrandInfo();
  const std::string expected =
      "Clear|Reset brand info.\n"
      "LogBrandInfo|Brand id: b\nLogBrandInfo|Brand name: \nLogBrandInfo|Setup url: \n"
      "LogBrandInfo|Versioned setup url: \nLogBrandInfo|Setup url64: \n"
      "LogBrandInfo|Versioned setup url64: \nLogBrandInfo|Setup url32: \n"
      "LogBrandInfo|Default language: \nLogBrandInfo|Mirra install scenarios url: \n"
      "LogBrandInfo|Install slide url by default: \n"
      "LogBrandInfo|Install slide url if tagged installer: \n"
      "LogBrandInfo|Install new slide url by default: \nLogBrandInfo|Show international title: 0\n"
      "LogBrandInfo|Send browser's statistics: 0\nLogBrandInfo|Make browser default after import: 1\n"
      "LogBrandInfo|Preloaded wallpapers url: \nLogBrandInfo|Mirra taskbar shortcut promt: 0\n";
  EXPECT_EQ(Messages(), expected);
}

TEST_F(BrandInfoTest, ServiceParametersAndLinks) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.brand_id = "zelmar";
  info.set_user_id_for_testing("{U}");
  EXPECT_EQ(info.AppendServiceParams("https://h/ab/get"),
            "https://h/ab/get?brand=zelmar&uid={U}&version=22.9.3.891");
  info.partner_id = "p&1";  // passed on unencoded
  info.set_user_id_for_testing("");
  EXPECT_EQ(info.AppendServiceParams("https://h/ab/get?x=1"),
            "https://h/ab/get?x=1&brand=zelmar&partner=p&1&version=22.9.3.891");
  info.license_url = "https://l/agreement?v=2";
  info.interface_language = "tr";
  EXPECT_EQ(info.GetLicenseLinkUrl(), L"https://l/agreement?v=2?lang=tr");
}

TEST_F(BrandInfoTest, SelectsPackagesFromResources) {
  struct Case {
    const char* requested;
    const char* brand_id;
    const char* log;  // a line that must be there
  };
  const Case cases[] = {
      {"", "zelmar", "GetInfoFromResources|Fetching default package"},
      {"tb", "tb", "GetInfoFromResources|Fetching definedtb package"},
      {"UA_RU", "ua_ru", "GetInfoFromResources|Fetching definedUA_RU package"},
      {"Auto", "zelmar", "GetInfoFromResources|Fetching definedAuto package"},  // no BRAND_AUTO
  };
  for (const auto& c : cases) {
    SetCurrentLogger(std::make_unique<FileLogger>(folder_.Child(L"log.txt"), 1 << 30));
    ::DeleteFileW(folder_.Child(L"log.txt").c_str());
    BrandInfo info(folder_.path() + L"\\");
    info.GetInfo(c.requested);
    EXPECT_EQ(info.brand_id, c.brand_id) << c.requested;
    EXPECT_TRUE(info.brand_package_extracted);
    EXPECT_FALSE(info.partner_package_extracted);
    EXPECT_EQ(info.brand_package_path, folder_.Child(L"BrandFile"));
    const std::string messages = Messages();
    EXPECT_NE(messages.find(c.log), std::string::npos) << messages;
    EXPECT_NE(messages.find("GetInfoFromResources|Partner package is empty."), std::string::npos);
    // The copy for the setup program is the cabinet, byte for byte.
    const std::string copy = ReadWholeFile(info.brand_package_path);
    EXPECT_EQ(copy.substr(0, 4), "MSCF");
    EXPECT_NE(messages.find("GetInfoFromResources|Extract Brand package: " +
                            WideToUTF8(info.brand_package_path) + " [" +
                            std::to_string(copy.size()) + "B]"),
              std::string::npos);
    EXPECT_FALSE(PathExists(folder_.Child(L"PartnerFile")));
  }
}

TEST_F(BrandInfoTest, MirrorsTheBrandIntoTheRegistry) {
  BrandInfo info(L"C:\\t\\");
  info.Clear();
  info.brand_name = "tb";
  info.interface_language = "tr";
  info.brand_package_path = L"C:\\t\\BrandFile";
  info.partner_package_path = L"C:\\t\\PartnerFile";
  StoreBrowserValue(L"PartnerFile", L"left over");
  BrandInfo::RemoveBrandFromRegistry();
  info.StoreLanguageInRegistry();
  info.StoreBrandInRegistry();
  EXPECT_EQ(ReadBrowserValue(L"lang"), L"tr");
  EXPECT_EQ(ReadBrowserValue(L"brand"), L"tb");
  EXPECT_EQ(ReadBrowserValue(L"BrandFile"), L"C:\\t\\BrandFile");
  EXPECT_EQ(ReadBrowserValue(L"PartnerFile"), L"");  // no partner package extracted

  info.partner_package_extracted = true;
  info.StoreBrandInRegistry();
  EXPECT_EQ(ReadBrowserValue(L"PartnerFile"), L"C:\\t\\PartnerFile");
  BrandInfo::RemoveBrandFromRegistry();
  for (const wchar_t* name : {L"brand", L"BrandFile", L"PartnerFile"}) {
    EXPECT_EQ(ReadBrowserValue(name), L"") << name;
  }
  EXPECT_EQ(ReadBrowserValue(L"lang"), L"tr");  // the language stays
  RemoveBrowserValue(L"lang");
}

}  // namespace
}  // namespace lite
