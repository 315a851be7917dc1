#include "net/install_stat_sender.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "config/service_hosts.h"
#include "net/install_stat_text.h"
#include "net/installer_events.h"
#include "statistics_test_support.h"
#include "system/registry_values.h"

namespace lite {
namespace {

constexpr char kUserId[] = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
constexpr wchar_t kUi[] = L"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const std::wstring kVersion = UTF8ToWide(LITE_TEST_PRODUCT_VERSION);

// The vars entries of a statistics URL, in order.
std::vector<std::wstring> VarsEntries(const std::wstring& url) {
  const size_t start = url.find(L"/vars=");
  if (start == std::wstring::npos) return {};
  const size_t end = url.rfind(L"/*");
  const std::wstring vars = url.substr(start + 6, end - start - 6);
  std::vector<std::wstring> entries;
  size_t begin = 0;
  for (size_t comma; (comma = vars.find(L',', begin)) != std::wstring::npos; begin = comma + 1) {
    entries.push_back(vars.substr(begin, comma - begin));
  }
  entries.push_back(vars.substr(begin));
  return entries;
}

class InstallStatSenderTest : public testing::Test {
 protected:
  std::unique_ptr<InstallStatSender> MakeSender(int target_type = 0, int installer_type = 0) {
    return std::make_unique<InstallStatSender>(
        target_type, installer_type, ScopedStatisticsRegistry::Get(kRegValueInstallStat) ==
                                             L"<absent>"
                                         ? std::wstring()
                                         : ScopedStatisticsRegistry::Get(kRegValueInstallStat),
        StatisticsParameters(), kStatTargetInstaller);
  }

  ScopedStatisticsRegistry registry_;
  ScopedUserId user_id_{kUserId};
};

TEST_F(InstallStatSenderTest, ConstructionSetsTheStandingParameters) {
  struct {
    const wchar_t* zpv;
    const wchar_t* pv;
    const wchar_t* old_ver;
  } cases[] = {
      {nullptr, nullptr, L""},
      {nullptr, L"20.1.0.5", L"20.1.0.5"},
      {L"21.3.1.2", L"20.1.0.5", L"21.3.1.2"},
      {L"", L"20.1.0.5", L"20.1.0.5"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << (test.zpv ? test.zpv : L"-") << " "
                                    << (test.pv ? test.pv : L"-"));
    RemoveBrowserValue(kRegValueZpv);
    RemoveBrowserValue(kRegValuePv);
    if (test.zpv) ScopedStatisticsRegistry::Set(kRegValueZpv, test.zpv);
    if (test.pv) ScopedStatisticsRegistry::Set(kRegValuePv, test.pv);
    const auto sender = MakeSender();
    const StatisticsParameters expected = {{"installer_type", L"lite"},
                                           {"launched", L"false"},
                                           {"lite_ver", kVersion},
                                           {"old_ver", test.old_ver},
                                           {"ui", kUi}};
    EXPECT_EQ(sender->parameters(), expected);
    EXPECT_EQ(sender->GetOldVersion(), test.old_ver);
  }
}

TEST_F(InstallStatSenderTest, SavedTextIsRestoredAndOwnValuesRecomputed) {
  ScopedStatisticsRegistry::Set(kRegValueZpv, L"99.0.0.0");
  const std::wstring saved =
      L"brand_id\nzelmar\nlaunched\ntrue\nlite_ver\n1.0.0.0\nold_ver\n21.3.1.2\n"
      L"installer_type\nfull\nui\nSTALE\nnew_ver\n22.1.0.0\n";
  InstallStatSender sender(0, InstallStatSender::kInstallerTypeLite, saved,
                           {{"brand_id", L"initial"}, {"mirra", L"1"}}, kStatTargetInstaller);
  const StatisticsParameters expected = {
      {"brand_id", L"zelmar"},      {"installer_type", L"lite"}, {"launched", L"false"},
      {"lite_ver", kVersion},       {"mirra", L"1"},             {"new_ver", L"22.1.0.0"},
      {"old_ver", L"21.3.1.2"},     {"ui", kUi}};
  EXPECT_EQ(sender.parameters(), expected);
}

TEST_F(InstallStatSenderTest, LaunchedWhenTheSetupsEventExists) {
  EXPECT_EQ(InstallStatSender::LaunchEventName(L"\"C:\\Users\\Test User\\Setup.EXE\""),
            L"Global\\c:!users!test user!setup.exe");
  EXPECT_EQ(InstallStatSender::LaunchEventName(L"C:\\A\\b\""), L"Global\\c:!a!b");

  const std::wstring command_line = L"\"C:\\Program Files\\Zelmar\\Browser\\Setup.exe\"";
  const std::wstring name = L"Global\\c:!program files!zelmar!browser!setup.exe";
  struct {
    const wchar_t* value;
    bool create_event;
    const wchar_t* launched;
  } cases[] = {
      {command_line.c_str(), true, L"true"},
      {command_line.c_str(), false, L"false"},
      // Too short to name anything, even with the event present.
      {L"\"\"", true, L"false"},
      {nullptr, true, L"false"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << (test.value ? test.value : L"-") << test.create_event);
    RemoveBrowserValue(kRegValueInstallerSuccessLaunchCmdLine);
    if (test.value) ScopedStatisticsRegistry::Set(kRegValueInstallerSuccessLaunchCmdLine, test.value);
    ScopedHandle event;
    if (test.create_event) {
      event.reset(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
      ASSERT_TRUE(event.is_valid());
    }
    EXPECT_EQ(MakeSender()->parameters().at("launched"), test.launched);
  }
}

TEST_F(InstallStatSenderTest, DownloadStartedUrlListsTheMergedValuesInKeyOrder) {
  const auto sender = MakeSender();
  sender->SetParameter("brand_id", "zelmar");
  ScopedLogCapture log;
  const std::wstring url = sender->GetQueryUrl(DownloadStartedEvent());

  const std::wstring prefix = UTF8ToWide(kStatisticsOrigin) +
                              L"/installstats/send/dtype=stred/pid=457/cid=72992"
                              L"/path=extended_stat/vars=-action=download,-brand_id=zelmar,";
  EXPECT_EQ(url.substr(0, prefix.size()), prefix) << url;
  const std::vector<std::wstring> expected = {
      L"-action=download",   L"-brand_id=zelmar",   L"-installer_type=lite",
      L"-launched=false",    L"-lite_ver=" + kVersion, L"-old_style=0",
      L"-old_ver=",          L"-stage=started",
      // The identifier's hyphens are separators of the vars text.
      L"-ui=0A1B2C3D_4E5F_6071_8293_A4B5C6D7E8F9"};
  EXPECT_EQ(VarsEntries(url), expected) << url;
  EXPECT_EQ(url.substr(url.size() - 2), L"/*");

  const std::vector<CapturedLine> lines = log.lines();
  ASSERT_EQ(lines.size(), 10u) << log.Dump();
  EXPECT_EQ(lines[0].message, "InstallStatSender::Send:");
  EXPECT_EQ(lines[2].message, "brand_id=zelmar");
  EXPECT_EQ(lines[9].message, "ui=" + WideToUTF8(kUi));
  for (const CapturedLine& line : lines) {
    EXPECT_EQ(line.severity, LOG_INFO);
    EXPECT_EQ(line.function, std::string("GetQueryUrl"));
  }
}

TEST_F(InstallStatSenderTest, VarsTextEscapesEachKeyAndValue) {
  struct {
    std::string value;
    std::wstring entry;  // "" when the entry's value is empty
  } cases[] = {
      {"a-b=c,d", L"-zz=a_b_c_d"},
      {"a b/c?d#e", L"-zz=a%20b%2Fc%3Fd%23e"},
      // Too long for the escape buffer: the value goes out empty.
      {std::string(3000, 'x'), L"-zz="},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.value.substr(0, 20));
    const auto sender = MakeSender();
    sender->SetParameter("zz", test.value);
    const std::vector<std::wstring> entries = VarsEntries(sender->GetQueryUrl({}));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), test.entry);
  }
  const auto sender = MakeSender();
  const std::vector<std::wstring> entries = VarsEntries(sender->GetQueryUrl({{"x-y=z,w", L"1"}}));
  EXPECT_NE(std::find(entries.begin(), entries.end(), L"-x_y_z_w=1"), entries.end());
}

TEST_F(InstallStatSenderTest, StandingParametersWinOverEventValues) {
  const auto sender = MakeSender();
  sender->SetParameter("install_type", "normal");
  const std::vector<std::wstring> entries =
      VarsEntries(sender->GetQueryUrl({{"install_type", L"event"}, {"old_style", L"7"},
                                       {"brand_id", L"from_event"}}));
  for (const wchar_t* entry : {L"-install_type=normal", L"-old_style=7", L"-brand_id=from_event"}) {
    EXPECT_NE(std::find(entries.begin(), entries.end(), entry), entries.end()) << entry;
  }
  // Without any brand the service still gets one.
  const std::vector<std::wstring> plain = VarsEntries(MakeSender()->GetQueryUrl({}));
  EXPECT_EQ(plain[0], L"-brand_id=unknown");
}

TEST_F(InstallStatSenderTest, InstallerAndTargetTypesNameThemselves) {
  struct {
    int target_type;
    int installer_type;
    const wchar_t* installer_type_value;
    const wchar_t* old_style;
    const wchar_t* target;  // null: absent
    const char* version_key;
  } cases[] = {
      {0, 0, L"lite", L"0", nullptr, "lite_ver"},
      {2, 0, L"lite", L"0", L"service", "lite_ver"},
      {0, 2, L"updater", L"0", nullptr, "ver"},
      {1, -1, L"mini", L"1", nullptr, "lite_ver"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.target_type << " " << test.installer_type);
    const auto sender = MakeSender(test.target_type, test.installer_type);
    const StatisticsParameters parameters = sender->parameters();
    EXPECT_EQ(parameters.at("installer_type"), test.installer_type_value);
    EXPECT_EQ(parameters.at(test.version_key), kVersion);
    const std::vector<std::wstring> entries = VarsEntries(sender->GetQueryUrl({}));
    auto has = [&](const std::wstring& entry) {
      return std::find(entries.begin(), entries.end(), entry) != entries.end();
    };
    EXPECT_TRUE(has(std::wstring(L"-old_style=") + test.old_style));
    if (test.target) {
      EXPECT_TRUE(has(std::wstring(L"-target=") + test.target));
    } else {
      EXPECT_EQ(sender->GetQueryUrl({}).find(L"-target="), std::wstring::npos);
    }
  }
}

TEST_F(InstallStatSenderTest, TableRowChoosesCounterAndPath) {
  const auto sender = MakeSender();
  struct {
    int row;
    const wchar_t* part;
  } cases[] = {
      {1, L"/cid=72696/path=zlbrowser_reinstall_dialog/"},
      {2, L"/cid=72696/path=zlbrowser_pf_migration/"},
      {3, L"/cid=72924/path=zombo_window/"},
      // A row the table does not have leaves the last one.
      {4, L"/cid=72924/path=zombo_window/"},
      {-1, L"/cid=72924/path=zombo_window/"},
      {0, L"/cid=72992/path=extended_stat/"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.row);
    sender->SetTableRow(test.row);
    EXPECT_NE(sender->GetQueryUrl({}).find(test.part), std::wstring::npos);
  }
}

TEST_F(InstallStatSenderTest, RegistryCopyLivesUntilTheSenderOfTheInstallerGoes) {
  for (int installer_type : {0, -1, 2}) {
    SCOPED_TRACE(installer_type);
    {
      const auto sender = MakeSender(0, installer_type);
      sender->SetParameter("brand_id", "zelmar");
      ASSERT_TRUE(sender->StoreInRegistry());
      const std::wstring stored = ScopedStatisticsRegistry::Get(kRegValueInstallStat);
      EXPECT_EQ(ParseInstallStatText(stored), sender->parameters());
      EXPECT_EQ(stored.substr(0, 16), L"brand_id\nzelmar\n");
    }
    EXPECT_EQ(ScopedStatisticsRegistry::Get(kRegValueInstallStat) == L"<absent>",
              installer_type < 2);
    RemoveBrowserValue(kRegValueInstallStat);
  }
}

}  // namespace
}  // namespace lite
