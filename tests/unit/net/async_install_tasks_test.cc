#include "net/async_install_tasks.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "config/brand_info.h"
#include "config/service_hosts.h"
#include "map_distrib_params.h"
#include "net/downloader.h"
#include "process/installer_command_line.h"
#include "test_util.h"

namespace lite {
namespace {

// What the worker asked the downloaders for, across threads.
struct DownloadRecord {
  std::mutex lock;
  // "string <url>" or "file <url>", and the target of file downloads.
  std::vector<std::string> requests;
  std::vector<std::wstring> targets;
  // The first download waits here until it is cancelled.
  bool block_first = false;
  ScopedHandle first_started{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  bool first_saw_cancel = false;

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> hold(lock);
    return requests;
  }
};

// Fails every download after recording it; never touches the network.
class RecordingDownloader : public Downloader {
 public:
  explicit RecordingDownloader(DownloadRecord* record) : record_(record) {}

  bool DownloadToString(const std::string& url, HANDLE cancel_event, uint32_t,
                        std::string*) override {
    return Record("string " + url, L"", cancel_event);
  }
  bool DownloadToFile(const std::string& url, const std::wstring& target,
                      HANDLE cancel_event) override {
    return Record("file " + url, target, cancel_event);
  }

 private:
  bool Record(const std::string& request, const std::wstring& target, HANDLE cancel_event) {
    bool first = false;
    {
      std::lock_guard<std::mutex> hold(record_->lock);
      first = record_->requests.empty();
      record_->requests.push_back(request);
      record_->targets.push_back(target);
    }
    if (first && record_->block_first) {
      ::SetEvent(record_->first_started.get());
      record_->first_saw_cancel = ::WaitForSingleObject(cancel_event, 20000) == WAIT_OBJECT_0;
    }
    set_error_stage("final_query_info-404-0");
    return false;
  }

  DownloadRecord* record_;
};

AsyncInstallTasks::DownloaderFactory RecordingFactory(DownloadRecord* record) {
  return [record] { return std::make_unique<RecordingDownloader>(record); };
}

class AsyncInstallTasksTest : public testing::Test {
 protected:
  AsyncInstallTasksTest() : brand_(GetTempFolder()) {
    brand_.brand_id = "zelmar";
    brand_.variations_url = "http://127.0.0.1:1/content/get/experiments/browser.proto";
    brand_.abt_url = "http://127.0.0.1:1/ab/get";
    brand_.set_user_id_for_testing("{0A1B}");
  }

  std::unique_ptr<AsyncInstallTasks> Start(std::map<std::string, std::string> tag) {
    params_ = std::make_unique<MapDistribParams>(std::move(tag));
    return std::make_unique<AsyncInstallTasks>(brand_, *params_, RecordingFactory(&record_),
                                               folder_.path() + L"\\");
  }

  std::string VariationsRequest() const {
    return "string http://127.0.0.1:1/content/get/experiments/browser.proto?brand=zelmar&uid="
           "{0A1B}&version=" + std::string(kInstallerVersion);
  }
  std::string AbtRequest() const {
    return "string http://127.0.0.1:1/ab/get?brand=zelmar&uid={0A1B}&version=" +
           std::string(kInstallerVersion);
  }

  ScopedTempFolder folder_;
  BrandInfo brand_;
  std::unique_ptr<MapDistribParams> params_;
  DownloadRecord record_;
};

struct PathView {
  const char* switch_name;
  const std::wstring& (AsyncInstallTasks::*path)() const;
};
const PathView kPaths[] = {
    {"variations-update-path", &AsyncInstallTasks::variations_path},
    {"abt-update-path", &AsyncInstallTasks::abt_path},
    {"webntp-path", &AsyncInstallTasks::webntp_path},
    {"server-config-bundle-path", &AsyncInstallTasks::server_config_path},
    {"preloaded-wallpaper-bundle-path", &AsyncInstallTasks::wallpaper_bundle_path},
};

TEST_F(AsyncInstallTasksTest, TagDecidesPathsAndDownloads) {
  const std::string config = "file " + std::string(kApiOrigin) + "/configs/all_zip?brandID=zelmar";
  struct Case {
    const char* name;
    std::map<std::string, std::string> tag;
    std::string wallpapers_url;
    bool reserved[5];  // in the order of kPaths
    std::vector<std::string> requests;
  };
  const Case cases[] = {
      {"no tag", {}, "", {true, true, false, false, false}, {VariationsRequest(), AbtRequest()}},
      {"vup=0", {{"vup", "0"}}, "", {false, true, false, false, false}, {AbtRequest()}},
      {"values other than 1 or empty",
       {{"vup", "2"}, {"abtup", ""}, {"webntp", "yes"}, {"scup", "01"}, {"pwexp", ""}},
       "http://127.0.0.1:1/wp/", {false, false, false, false, false}, {}},
      {"webntp=1", {{"vup", "0"}, {"abtup", "0"}, {"webntp", "1"}}, "",
       {false, false, true, false, false}, {}},
      {"scup=1", {{"vup", "0"}, {"abtup", "0"}, {"scup", "1"}}, "",
       {false, false, false, true, false}, {config}},
      {"pwexp without a wallpapers url", {{"vup", "0"}, {"abtup", "0"}, {"pwexp", "abc"}}, "",
       {false, false, false, false, true}, {}},
      {"pwexp with a wallpapers url", {{"vup", "0"}, {"abtup", "0"}, {"pwexp", "abc"}},
       "http://127.0.0.1:1/wp/x_", {false, false, false, false, true},
       {"file http://127.0.0.1:1/wp/x_abc"}},
      {"every row", {{"webntp", "1"}, {"scup", "1"}, {"pwexp", "a%2Fb"}},
       "http://127.0.0.1:1/wp/", {true, true, true, true, true},
       {VariationsRequest(), AbtRequest(), config, "file http://127.0.0.1:1/wp/a%2Fb"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    record_.requests.clear();
    record_.targets.clear();
    brand_.preloaded_wallpapers_url = test.wallpapers_url;
    std::unique_ptr<AsyncInstallTasks> tasks = Start(test.tag);
    ASSERT_TRUE(tasks->WaitForTasksForTesting(20000));

    InstallerCommandLine command_line;
    tasks->AppendPathSwitches(&command_line);
    std::set<std::wstring> distinct;
    for (size_t i = 0; i < 5; ++i) {
      const std::wstring& path = ((*tasks).*kPaths[i].path)();
      SCOPED_TRACE(kPaths[i].switch_name);
      EXPECT_EQ(!path.empty(), test.reserved[i]);
      EXPECT_EQ(command_line.HasSwitch(kPaths[i].switch_name), test.reserved[i]);
      if (path.empty()) continue;
      EXPECT_EQ(command_line.GetSwitchValue(kPaths[i].switch_name), path);
      EXPECT_EQ(DirName(path), folder_.path());
      // Only the name is reserved; the failed downloads wrote nothing.
      EXPECT_FALSE(PathExists(path));
      distinct.insert(path);
    }
    EXPECT_EQ(distinct.size(), command_line.switches().size());
    EXPECT_EQ(record_.requests, test.requests);
    // Bundles go straight to their reserved paths.
    for (size_t i = 0; i < record_.requests.size(); ++i) {
      if (record_.requests[i] == config) {
        EXPECT_EQ(record_.targets[i], tasks->server_config_path());
      }
      if (record_.requests[i].find("/wp/") != std::string::npos) {
        EXPECT_EQ(record_.targets[i], tasks->wallpaper_bundle_path());
      }
    }
  }
}

TEST(ServerConfigUrlTest, QueryHoldsTheIdsThatAreSet) {
  const std::string base = std::string(kApiOrigin) + "/configs/all_zip";
  struct {
    const char* brand_id;
    const char* partner_id;
    std::string url;
  } cases[] = {
      {"zelmar", "", base + "?brandID=zelmar"},
      {"zelmar", "p 1&x", base + "?brandID=zelmar&partnerID=p 1&x"},
      {"", "p1", base + "?partnerID=p1"},
      {"", "", base},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(AsyncInstallTasks::GetServerConfigUrl(test.brand_id, test.partner_id), test.url);
  }
}

TEST_F(AsyncInstallTasksTest, NoUsableTempFolderTurnsEveryRowOff) {
  brand_.preloaded_wallpapers_url = "http://127.0.0.1:1/wp/";
  params_ = std::make_unique<MapDistribParams>(
      std::map<std::string, std::string>{{"webntp", "1"}, {"scup", "1"}, {"pwexp", "a"}});
  AsyncInstallTasks tasks(brand_, *params_, RecordingFactory(&record_),
                          folder_.Child(L"missing") + L"\\");
  ASSERT_TRUE(tasks.WaitForTasksForTesting(20000));
  InstallerCommandLine command_line;
  tasks.AppendPathSwitches(&command_line);
  EXPECT_TRUE(command_line.switches().empty());
  EXPECT_TRUE(record_.Requests().empty());
}

TEST_F(AsyncInstallTasksTest, TeardownStopsTheWorkerAndRemovesOnlyOneShotFiles) {
  brand_.preloaded_wallpapers_url = "http://127.0.0.1:1/wp/";
  record_.block_first = true;
  std::unique_ptr<AsyncInstallTasks> tasks =
      Start({{"webntp", "1"}, {"scup", "1"}, {"pwexp", "a"}});
  ASSERT_EQ(::WaitForSingleObject(record_.first_started.get(), 20000), WAIT_OBJECT_0);

  std::vector<std::wstring> paths;
  for (const PathView& view : kPaths) {
    paths.push_back(((*tasks).*view.path)());
    ASSERT_TRUE(WriteWholeFile(paths.back(), "content"));
  }
  tasks.reset();

  EXPECT_TRUE(record_.first_saw_cancel);
  EXPECT_EQ(record_.Requests(), std::vector<std::string>{VariationsRequest()});
  const bool kept[] = {false, false, true, false, true};
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(FileExists(paths[i]), kept[i]) << kPaths[i].switch_name;
    ::DeleteFileW(paths[i].c_str());
  }
}

TEST_F(AsyncInstallTasksTest, BundleFailuresGoToTheDebugLog) {
  std::string debug_log;
  SetDebugLogSinkForTesting(&debug_log);
  brand_.preloaded_wallpapers_url = "http://127.0.0.1:1/wp/";
  Start({{"vup", "0"}, {"abtup", "0"}, {"scup", "1"}, {"pwexp", "a"}})
      ->WaitForTasksForTesting(20000);
  SetDebugLogSinkForTesting(nullptr);
  EXPECT_EQ(debug_log,
            "Failed to download server config bundle: final_query_info-404-0\n"
            "Failed to download wallpaper bundle: final_query_info-404-0\n");
}

TEST(DownloadAndSaveVariationsTest, FailuresAreLoggedAndNothingIsWritten) {
  ScopedTempFolder folder;
  const std::wstring path = folder.Child(L"seed.json");
  DownloadRecord record;
  struct {
    bool download_succeeds;
    const char* message_start;
  } cases[] = {
      {false, "Failed to download variations seed: final_query_info-404-0 - "},
      // The fake has no response, so no signature header.
      {true, "Failed to get variations seed signature"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.message_start);
    class Fake : public RecordingDownloader {
     public:
      Fake(DownloadRecord* record, bool succeed) : RecordingDownloader(record), succeed_(succeed) {}
      bool DownloadToString(const std::string& url, HANDLE cancel, uint32_t limit,
                            std::string* body) override {
        const bool result = RecordingDownloader::DownloadToString(url, cancel, limit, body);
        if (!succeed_) return result;
        set_error_stage("");
        *body = "seed";
        return true;
      }

     private:
      bool succeed_;
    } downloader(&record, test.download_succeeds);
    ScopedLogCapture log;
    EXPECT_FALSE(AsyncInstallTasks::DownloadAndSaveVariations(&downloader, "http://127.0.0.1:1/v",
                                                              path, nullptr));
    EXPECT_FALSE(PathExists(path));
    const std::vector<CapturedLine> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u) << log.Dump();
    EXPECT_EQ(lines[0].severity, LOG_ERROR);
    EXPECT_EQ(lines[0].function, std::string("DownloadAndSaveVariations"));
    EXPECT_EQ(lines[0].message.rfind(test.message_start, 0), 0u) << lines[0].message;
  }
}

class SaveVariationsTest : public testing::Test {
 protected:
  ScopedTempFolder folder_;
  const std::wstring path_ = folder_.Child(L"variations.json");
};

TEST_F(SaveVariationsTest, WritesOneJsonLine) {
  struct {
    std::string body, signature, last_modified, country, text;
  } cases[] = {
      {"abc", "c2lnbmF0dXJl", "Wed, 05 Oct 2022 08:12:33 GMT", "",
       R"({"variations_seed_base64": "YWJj", "variations_seed_signature": "c2lnbmF0dXJl", )"
       R"("variations_last_modified_time": "Wed, 05 Oct 2022 08:12:33 GMT", )"
       R"("variations_country": ""})"},
      {std::string("\xff\x00\xfb\x01", 4), "s/\"q\"\\", "", "T\xc3\xbcrkiye",
       R"({"variations_seed_base64": "/wD7AQ==", "variations_seed_signature": "s/\"q\"\\", )"
       R"("variations_last_modified_time": "", "variations_country": "T)" "\xc3\xbc" R"(rkiye"})"},
      {"", "s", "", "tr",
       R"({"variations_seed_base64": "", "variations_seed_signature": "s", )"
       R"("variations_last_modified_time": "", "variations_country": "tr"})"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.text);
    // A longer earlier file must not leave a tail behind.
    ASSERT_TRUE(WriteWholeFile(path_, std::string(400, 'x')));
    EXPECT_TRUE(AsyncInstallTasks::SaveVariations(path_, test.body, test.signature,
                                                  test.last_modified, test.country));
    EXPECT_EQ(ReadWholeFile(path_), test.text);
  }
}

TEST_F(SaveVariationsTest, InvalidUtf8MemberIsRefused) {
  const std::string bad = "ab\xc3";
  struct {
    int index;  // which header value is bad
    const char* name;
  } cases[] = {{0, "variations_seed_signature"},
               {1, "variations_last_modified_time"},
               {2, "variations_country"}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::string values[3] = {"sig", "lm", "c"};
    values[test.index] = bad;
    ScopedLogCapture log;
    EXPECT_FALSE(AsyncInstallTasks::SaveVariations(path_, "seed", values[0], values[1], values[2]));
    EXPECT_TRUE(log.Contains(LOG_ERROR, "SaveVariations",
                             std::string("Failed to serialize variations value ") + test.name +
                                 ": " + bad))
        << log.Dump();
    EXPECT_FALSE(PathExists(path_));
  }
}

TEST_F(SaveVariationsTest, UnopenablePathIsReported) {
  const std::wstring path = folder_.Child(L"missing\\variations.json");
  ScopedLogCapture log;
  EXPECT_FALSE(AsyncInstallTasks::SaveVariations(path, "seed", "sig", "", ""));
  EXPECT_TRUE(log.Contains(LOG_ERROR, "SaveVariations",
                           "Failed to open variations file " + WideToUTF8(path)))
      << log.Dump();
}

}  // namespace
}  // namespace lite
