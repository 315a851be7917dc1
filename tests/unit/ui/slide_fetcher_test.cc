#include "ui/slide_fetcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "net/fake_downloader.h"

namespace lite {
namespace {

struct FetchCase {
  const char* name;
  std::vector<FakeDownloader::Chunk> chunks;
  bool finalize_result;
  bool expected;
};

// Tells the test which address it opened: the fetch destroys its
// downloader before the test can look.
class RecordingDownloader : public FakeDownloader {
 public:
  explicit RecordingDownloader(std::wstring* opened) : opened_(opened) {}
  bool OpenDownload(const std::wstring& url, DownloadSink* sink) override {
    *opened_ = url;
    return FakeDownloader::OpenDownload(url, sink);
  }

 private:
  std::wstring* opened_;
};

class DownloaderSlideFetcherTest : public testing::TestWithParam<FetchCase> {};

TEST_P(DownloaderSlideFetcherTest, GetsTheBodyWithinFiveSeconds) {
  const FetchCase& test = GetParam();
  std::wstring opened;
  DownloaderSlideFetcher fetcher(
      [&] {
        auto fake = std::make_unique<RecordingDownloader>(&opened);
        fake->chunks = test.chunks;
        fake->finalize_result = test.finalize_result;
        return fake;
      },
      &FakeClock::Now);
  std::atomic<bool> running{true};
  std::string body = "before";
  EXPECT_EQ(fetcher.Fetch(L"http://127.0.0.1/x2/02.jpg", running, &body), test.expected);
  EXPECT_EQ(opened, L"http://127.0.0.1/x2/02.jpg");
  if (test.expected) {
    size_t total = 0;
    for (const FakeDownloader::Chunk& chunk : test.chunks) total += chunk.bytes;
    EXPECT_EQ(body.size(), total);
  } else {
    EXPECT_EQ(body, "before");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloaderSlideFetcherTest,
    testing::Values(
        FetchCase{"Quick", {{32768, 10}, {100, 10}}, true, true},
        FetchCase{"JustWithinTheLimit", {{10, 2500}, {10, 2500}}, true, true},
        FetchCase{"OverTheLimit", {{10, 2500}, {10, 2501}}, true, false},
        FetchCase{"NotFound", {}, false, false}),
    [](const testing::TestParamInfo<FetchCase>& info) { return info.param.name; });

TEST(DownloaderSlideFetcherStopTest, ClearedRunningFlagFails) {
  DownloaderSlideFetcher fetcher(
      [] {
        auto fake = std::make_unique<FakeDownloader>();
        fake->chunks = {{10, 0}};
        return fake;
      },
      &FakeClock::Now);
  std::atomic<bool> running{false};
  std::string body;
  EXPECT_FALSE(fetcher.Fetch(L"http://127.0.0.1/x2/02.jpg", running, &body));
}

}  // namespace
}  // namespace lite
