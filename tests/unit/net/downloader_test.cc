#include "net/downloader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "fake_downloader.h"
#include "net/string_download_sink.h"
#include "test_util.h"

namespace lite {
namespace {

// Files the downloader left in the temporary folder under its prefix.
int TempDownloadFiles() {
  int count = 0;
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(::FindFirstFileW((GetTempFolder() + L"dl*.tmp").c_str(), &data));
  if (!find) return 0;
  do {
    ++count;
  } while (::FindNextFileW(find.get(), &data));
  return count;
}

TEST(RunDownloadTest, ReadsToTheEndAndAsksTheFinalCheck) {
  for (bool finalize_result : {true, false}) {
    SCOPED_TRACE(finalize_result);
    FakeDownloader downloader;
    downloader.chunks = {{5, 0}, {7, 0}};
    downloader.finalize_result = finalize_result;
    StringDownloadSink sink(StringDownloadSink::kSeedLimit);
    EXPECT_EQ(downloader.RunDownload("http://127.0.0.1:8/a?b=1", nullptr, &sink),
              finalize_result);
    EXPECT_EQ(downloader.opened_url, L"http://127.0.0.1:8/a?b=1");
    EXPECT_EQ(sink.size(), 12u);
    EXPECT_EQ(downloader.read_calls, 3);
    EXPECT_EQ(downloader.finalize_calls, 1);
  }
}

TEST(RunDownloadTest, FailedOpenReadsNothing) {
  FakeDownloader downloader;
  downloader.open_result = false;
  downloader.chunks = {{5, 0}};
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  EXPECT_FALSE(downloader.RunDownload("http://127.0.0.1/a", nullptr, &sink));
  EXPECT_EQ(downloader.read_calls, 0);
  EXPECT_EQ(downloader.finalize_calls, 0);
}

TEST(RunDownloadTest, CancelStopsAfterTheCurrentChunk) {
  ScopedHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  FakeDownloader downloader;
  downloader.chunks = {{5, 0}, {5, 0}, {5, 0}};
  downloader.event_to_set_after_first_chunk = cancel.get();
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  EXPECT_FALSE(downloader.RunDownload("http://127.0.0.1/a", cancel.get(), &sink));
  EXPECT_EQ(downloader.read_calls, 1);
  EXPECT_EQ(downloader.finalize_calls, 0);
}

class DownloadToFileTest : public testing::Test {
 protected:
  ScopedTempFolder folder_;
  const std::wstring target_ = folder_.Child(L"target.bin");
};

TEST_F(DownloadToFileTest, ReplacesTheTargetOnlyAfterSuccess) {
  struct {
    bool finalize_result;
    bool cancel;
    bool expected;
  } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.finalize_result << test.cancel);
    ASSERT_TRUE(WriteWholeFile(target_, "old content"));
    const int temp_files_before = TempDownloadFiles();
    ScopedHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FakeDownloader downloader;
    downloader.chunks = {{3, 0}, {4, 0}};
    downloader.finalize_result = test.finalize_result;
    if (test.cancel) downloader.event_to_set_after_first_chunk = cancel.get();

    EXPECT_EQ(downloader.DownloadToFile("http://127.0.0.1/f", target_, cancel.get()),
              test.expected);
    // Chunk n of the fake is n+1 copies of its letter ('b', 'c', ...).
    EXPECT_EQ(ReadWholeFile(target_), test.expected ? "bbbcccc" : "old content");
    EXPECT_EQ(TempDownloadFiles(), temp_files_before);
  }
}

TEST(DownloadToStringTest, BodyReplacesTheOutStringOnlyOnSuccess) {
  for (bool finalize_result : {true, false}) {
    SCOPED_TRACE(finalize_result);
    FakeDownloader downloader;
    downloader.chunks = {{2, 0}, {1, 0}};
    downloader.finalize_result = finalize_result;
    std::string body = "previous";
    EXPECT_EQ(downloader.DownloadToString("http://127.0.0.1/s", nullptr, 3, &body), finalize_result);
    EXPECT_EQ(body, finalize_result ? "bbc" : "previous");
  }
}

// Real WinINet against a loopback port nobody listens on.
TEST(DownloaderWinInetTest, RefusedConnectionSetsTheOpenStage) {
  Downloader downloader;
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  EXPECT_FALSE(downloader.OpenDownload(L"http://127.0.0.1:1/nothing", &sink));
  EXPECT_EQ(downloader.error_stage().rfind("internet_open_url-", 0), 0u)
      << downloader.error_stage();
  EXPECT_NE(downloader.error_stage(), "internet_open_url-0");
  EXPECT_EQ(downloader.fault().code, 0u);
  // A failed downloader reads nothing and never reports success.
  EXPECT_EQ(downloader.ReadChunk(), 0u);
  EXPECT_FALSE(downloader.FinalizeDownload(nullptr));
  EXPECT_EQ(downloader.GetResponseHeader("Last-Modified"), "");
}

}  // namespace
}  // namespace lite
