#include "net/installer_statistics.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/string_conversion.h"
#include "config/service_hosts.h"
#include "net/install_stat_sender.h"
#include "net/install_stat_text.h"
#include "net/installer_events.h"
#include "statistics_test_support.h"
#include "system/registry_values.h"

namespace lite {
namespace {

class InstallerStatisticsTest : public testing::Test {
 protected:
  ScopedStatisticsRegistry registry_;
  ScopedUserId user_id_{"{11111111-2222-3333-4444-555555555555}"};
  SendRecorder recorder_;
};

TEST_F(InstallerStatisticsTest, ParametersByIndex) {
  struct {
    int index;
    const char* key;  // null: ignored
  } cases[] = {
      {0, "brand_id"},   {1, "partner_id"},       {2, "banner_id"},
      {3, "zelmar_uid"}, {4, "distr_zelmar_uid"}, {5, "new_ver"},
      {6, nullptr},      {7, "install_type"},     {8, "mirra"},
      {9, nullptr},      {-1, nullptr},
  };
  InstallerStatistics statistics(&SendRecorder::Send);
  for (const auto& test : cases) {
    SCOPED_TRACE(test.index);
    const StatisticsParameters before = statistics.install_stat_sender().parameters();
    statistics.SetParameter(test.index, "v\xC3\xA9" + std::to_string(test.index));
    StatisticsParameters expected = before;
    if (test.key) expected[test.key] = L"v\xE9" + std::to_wstring(test.index);
    EXPECT_EQ(statistics.install_stat_sender().parameters(), expected);
  }
  // A second value replaces the first.
  statistics.SetParameter(kStatParamNewVer, "22.9.1.0");
  EXPECT_EQ(statistics.install_stat_sender().parameters().at("new_ver"), L"22.9.1.0");
}

TEST_F(InstallerStatisticsTest, OldVersionIsTheOnlyReadableParameter) {
  ScopedStatisticsRegistry::Set(kRegValuePv, L"21.3.1.2");
  InstallerStatistics statistics(&SendRecorder::Send);
  statistics.SetParameter(kStatParamBrandId, "zelmar");
  EXPECT_EQ(statistics.GetParameter(kStatParamOldVer), L"21.3.1.2");
  EXPECT_EQ(statistics.GetParameter(kStatParamBrandId), L"");
  EXPECT_EQ(statistics.GetParameter(42), L"");
}

TEST_F(InstallerStatisticsTest, EventsAndDialogEventsGoToTheirPathsInOrder) {
  {
    InstallerStatistics statistics(&SendRecorder::Send);
    statistics.SetParameter(kStatParamBrandId, "zelmar");
    statistics.SendEvent(DownloadStartedEvent());
    statistics.SendDialogEvent(ButtonClickedEvent("close"));
    statistics.SendEvent(VerificationFailedEvent());
    ASSERT_TRUE(recorder_.WaitFor(3));
  }
  const std::wstring base = UTF8ToWide(kStatisticsOrigin) +
                            L"/installstats/send/dtype=stred/pid=457";
  const std::vector<std::wstring> urls = recorder_.Urls();
  ASSERT_EQ(urls.size(), 3u);
  const struct {
    const wchar_t* path;
    const wchar_t* entry;
  } expected[] = {
      {L"/cid=72992/path=extended_stat/vars=", L"-stage=started"},
      {L"/cid=72696/path=zlbrowser_reinstall_dialog/vars=", L"-clicked_button=close"},
      {L"/cid=72992/path=extended_stat/vars=", L"-action=verification"},
  };
  for (size_t i = 0; i < urls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(urls[i].rfind(base + expected[i].path, 0), 0u) << urls[i];
    EXPECT_NE(urls[i].find(expected[i].entry), std::wstring::npos) << urls[i];
    EXPECT_NE(urls[i].find(L"-brand_id=zelmar"), std::wstring::npos) << urls[i];
  }
}

TEST_F(InstallerStatisticsTest, InstallStatIsKeptForTheSetupAndReadBackAfterAnInterruptedRun) {
  {
    InstallerStatistics statistics(&SendRecorder::Send);
    statistics.SetParameter(kStatParamBrandId, "zelmar");
    statistics.SetParameter(kStatParamNewVer, "22.9.1.0");
    ASSERT_TRUE(statistics.StoreInRegistry());
    const StatisticsParameters stored =
        ParseInstallStatText(ScopedStatisticsRegistry::Get(kRegValueInstallStat));
    EXPECT_EQ(stored, statistics.install_stat_sender().parameters());

    // A run that ended abnormally leaves the value; the next one starts
    // from it.
    InstallerStatistics next_run(&SendRecorder::Send);
    EXPECT_EQ(next_run.install_stat_sender().parameters().at("new_ver"), L"22.9.1.0");
    EXPECT_EQ(next_run.install_stat_sender().parameters().at("brand_id"), L"zelmar");
  }
  EXPECT_EQ(ScopedStatisticsRegistry::Get(kRegValueInstallStat), L"<absent>");
}

}  // namespace
}  // namespace lite
