#include "net/download_with_time_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "fake_downloader.h"
#include "net/string_download_sink.h"

namespace lite {
namespace {

struct TimeLimitCase {
  const char* name;
  std::vector<FakeDownloader::Chunk> chunks;
  uint32_t limit_ms;
  bool open_result;
  bool finalize_result;
  bool expected_result;
  int expected_finalize_calls;
};

class DownloadWithTimeLimitTest : public testing::TestWithParam<TimeLimitCase> {};

TEST_P(DownloadWithTimeLimitTest, FinishesOnlyWithinTheLimit) {
  const TimeLimitCase& test = GetParam();
  FakeDownloader downloader;
  downloader.chunks = test.chunks;
  downloader.open_result = test.open_result;
  downloader.finalize_result = test.finalize_result;
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  std::atomic<bool> running{true};
  EXPECT_EQ(DownloadWithTimeLimitUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/s.jpg",
                                       &sink, test.limit_ms, running),
            test.expected_result);
  EXPECT_EQ(downloader.finalize_calls, test.expected_finalize_calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadWithTimeLimitTest,
    testing::Values(
        TimeLimitCase{"NoLimit", {{10, 600000}, {10, 600000}}, 0, true, true, true, 1},
        TimeLimitCase{"WithinLimit", {{10, 2000}, {10, 3000}}, 5000, true, true, true, 1},
        TimeLimitCase{"OverLimit", {{10, 2000}, {10, 3001}, {10, 0}}, 5000, true, true, false, 0},
        TimeLimitCase{"FinalCheckFails", {{10, 1}}, 5000, true, false, false, 1},
        TimeLimitCase{"OpenFails", {{10, 1}}, 5000, false, true, false, 0}),
    [](const testing::TestParamInfo<TimeLimitCase>& info) { return info.param.name; });

// The owner stops while a chunk arrives.
class StoppingDownloader : public FakeDownloader {
 public:
  explicit StoppingDownloader(std::atomic<bool>* running) : running_(running) {}
  uint32_t ReadChunk() override {
    const uint32_t read = FakeDownloader::ReadChunk();
    if (read_calls == stop_after) running_->store(false);
    return read;
  }
  int stop_after = 1;

 private:
  std::atomic<bool>* running_;
};

TEST(DownloadWithTimeLimitStopTest, OwnerStoppingFailsMidwayAndAtTheEnd) {
  for (int stop_after : {1, 2}) {
    SCOPED_TRACE(stop_after);
    std::atomic<bool> running{true};
    StoppingDownloader downloader(&running);
    downloader.chunks = {{10, 1}};  // the second read is the end
    downloader.stop_after = stop_after;
    StringDownloadSink sink(StringDownloadSink::kSeedLimit);
    EXPECT_FALSE(DownloadWithTimeLimitUsing(&downloader, &FakeClock::Now, L"http://127.0.0.1/s",
                                            &sink, 0, running));
    EXPECT_EQ(downloader.read_calls, stop_after);
    EXPECT_EQ(downloader.finalize_calls, 0);
  }
}

}  // namespace
}  // namespace lite
