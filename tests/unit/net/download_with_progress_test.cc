#include "net/download_with_progress.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/scoped_handle.h"
#include "fake_downloader.h"
#include "net/download_progress_observer.h"
#include "net/string_download_sink.h"

namespace lite {
namespace {

class RecordingObserver : public DownloadProgressObserver {
 public:
  void SetProgress(float fraction) override {
    char text[32];
    std::snprintf(text, sizeof(text), "progress %.3f", fraction);
    events.push_back(text);
  }
  void OnSlowDownload() override { events.push_back("slow"); }
  void SetTimeLeft(int seconds, int kind) override {
    events.push_back("time_left " + std::to_string(seconds) + " " + std::to_string(kind));
  }
  // Everything but the progress fractions.
  std::vector<std::string> TimeEvents() const {
    std::vector<std::string> result;
    for (const std::string& event : events) {
      if (event.rfind("progress", 0) != 0) result.push_back(event);
    }
    return result;
  }
  std::vector<std::string> events;
};

struct ProgressCase {
  const char* name;
  std::vector<FakeDownloader::Chunk> chunks;
  uint32_t content_length;
  uint32_t already_in_sink;
  bool finalize_result;
  bool expected_result;
  std::vector<std::string> expected_events;
};

class DownloadWithProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(DownloadWithProgressTest, ReportsProgressAndResult) {
  const ProgressCase& test = GetParam();
  FakeDownloader downloader;
  downloader.chunks = test.chunks;
  downloader.content_length_after_first_chunk = test.content_length;
  downloader.finalize_result = test.finalize_result;
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  sink.set_size(test.already_in_sink);
  RecordingObserver observer;
  std::string stage = "stale";
  uint32_t length = 7;

  EXPECT_EQ(DownloadWithProgressUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/a", &sink,
                                      nullptr, &observer, {&stage, nullptr, &length, nullptr}),
            test.expected_result);
  EXPECT_EQ(observer.events, test.expected_events);
  EXPECT_EQ(downloader.finalize_calls, 1);
  EXPECT_EQ(length, test.content_length);
  EXPECT_EQ(stage, test.finalize_result ? "" : "final_query_info-404-0");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadWithProgressTest,
    testing::Values(
        ProgressCase{"WithoutContentLengthOnlyStartAndEnd",
                     {{100, 10}, {50, 10}}, 0, 0, true, true,
                     {"progress 0.000", "time_left -1 0", "progress 1.000", "time_left 0 2"}},
        ProgressCase{"FractionsAfterEveryChunk",
                     {{100, 10}, {100, 10}}, 200, 0, true, true,
                     {"progress 0.000", "time_left -1 0", "progress 0.500", "progress 1.000",
                      "progress 1.000", "time_left 0 2"}},
        ProgressCase{"ResumedSinkSkipsTheStartReport",
                     {{100, 10}}, 200, 100, true, true,
                     {"progress 1.000", "progress 1.000", "time_left 0 2"}},
        ProgressCase{"FailedFinalCheckReportsNoEnd",
                     {{100, 10}}, 200, 0, false, false,
                     {"progress 0.000", "time_left -1 0", "progress 0.500"}},
        // A server that sends more than it announced: the bar stops at the
        // end and the estimate says nothing is left instead of wrapping.
        ProgressCase{"BodyLongerThanAnnounced",
                     {{100, 1000}, {100, 60000}}, 100, 0, true, true,
                     {"progress 0.000", "time_left -1 0", "progress 1.000", "progress 1.000",
                      "time_left 0 1", "progress 1.000", "time_left 0 2"}}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return info.param.name; });

// 150 seconds at a steady 10 bytes a second.
TEST(DownloadWithProgressTimeLeftTest, EstimatesOncePerMinuteAndFlagsSlowDownloads) {
  FakeDownloader downloader;
  downloader.chunks.assign(150, {10, 1000});
  downloader.content_length_after_first_chunk = 1500;
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  RecordingObserver observer;
  FakeClock::now = 0xFFFF0000;  // the tick count wraps during the download

  EXPECT_TRUE(DownloadWithProgressUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/a",
                                        &sink, nullptr, &observer, {}));
  EXPECT_EQ(observer.TimeEvents(),
            (std::vector<std::string>{"time_left -1 0", "slow", "time_left 90 1", "slow",
                                      "time_left 30 1", "time_left 0 2"}));
  // One fraction per chunk between the start and the end reports.
  EXPECT_EQ(observer.events.size(), 2u + 150u + 2u + 4u);
  EXPECT_EQ(observer.events[2], "progress 0.007");
  EXPECT_EQ(observer.events[61], "progress 0.400");  // chunk 60, just before the estimate
  EXPECT_EQ(observer.events[62], "slow");
}

TEST(DownloadWithProgressTimeLeftTest, FastDownloadIsNotSlow) {
  FakeDownloader downloader;
  // 90 s elapsed at the first estimate with 20 s left: 110 s in all.
  downloader.chunks = {{900, 90000}, {200, 20000}};
  downloader.content_length_after_first_chunk = 1100;
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  RecordingObserver observer;
  EXPECT_TRUE(DownloadWithProgressUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/a",
                                        &sink, nullptr, &observer, {}));
  EXPECT_EQ(observer.TimeEvents(),
            (std::vector<std::string>{"time_left -1 0", "time_left 20 1", "time_left 0 2"}));
}

TEST(DownloadWithProgressCancelTest, StopsBeforeTheNextChunkWithoutFinalCheck) {
  ScopedHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  FakeDownloader downloader;
  downloader.chunks = {{100, 10}, {100, 10}, {100, 10}};
  downloader.content_length_after_first_chunk = 300;
  downloader.event_to_set_after_first_chunk = cancel.get();
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  RecordingObserver observer;

  EXPECT_FALSE(DownloadWithProgressUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/a",
                                         &sink, cancel.get(), &observer, {}));
  EXPECT_EQ(downloader.read_calls, 1);
  EXPECT_EQ(downloader.finalize_calls, 0);
  EXPECT_EQ(observer.events,
            (std::vector<std::string>{"progress 0.000", "time_left -1 0", "progress 0.333"}));
}

TEST(DownloadWithProgressOpenTest, FailedOpenHandsOverStageRedirectAndFault) {
  FakeDownloader downloader;
  downloader.open_result = false;
  downloader.open_stage = "internet_open_url-12029";
  downloader.redirect_to = L"http://127.0.0.1/moved";
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  RecordingObserver observer;
  std::string stage;
  std::wstring redirect;
  uint32_t length = 5;
  GuardedCallFault fault;

  EXPECT_FALSE(DownloadWithProgressUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/a",
                                         &sink, nullptr, &observer,
                                         {&stage, &redirect, &length, &fault}));
  EXPECT_EQ(stage, "internet_open_url-12029");
  EXPECT_EQ(redirect, L"http://127.0.0.1/moved");
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(fault.code, 0xC06D007Eu);
  EXPECT_EQ(downloader.read_calls, 0);
  EXPECT_TRUE(observer.events.empty());
}

}  // namespace
}  // namespace lite
