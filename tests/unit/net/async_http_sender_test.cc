#include "net/async_http_sender.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "captured_log.h"
#include "statistics_test_support.h"

namespace lite {
namespace {

std::vector<std::wstring> Numbered(int count) {
  std::vector<std::wstring> urls;
  for (int i = 0; i < count; ++i) urls.push_back(L"http://127.0.0.1:9/" + std::to_wstring(i));
  return urls;
}

TEST(AsyncHttpSenderTest, SendsEveryUrlOnceInQueueOrder) {
  SendRecorder recorder;
  AsyncHttpSender sender(&SendRecorder::Send);
  const std::vector<std::wstring> urls = Numbered(20);
  for (const std::wstring& url : urls) EXPECT_TRUE(sender.Send(url));
  ASSERT_TRUE(recorder.WaitFor(urls.size()));
  EXPECT_EQ(recorder.Urls(), urls);
}

TEST(AsyncHttpSenderTest, SendersOnTwoThreadsShareOneQueue) {
  SendRecorder recorder;
  AsyncHttpSender sender(&SendRecorder::Send);
  std::thread other([&] {
    for (int i = 0; i < 50; ++i) sender.Send(L"http://127.0.0.1:9/b" + std::to_wstring(i));
  });
  for (int i = 0; i < 50; ++i) sender.Send(L"http://127.0.0.1:9/a" + std::to_wstring(i));
  other.join();
  ASSERT_TRUE(recorder.WaitFor(100));
  // Each thread's URLs keep their own order.
  int next_a = 0, next_b = 0;
  for (const std::wstring& url : recorder.Urls()) {
    const std::wstring tail = url.substr(url.rfind(L'/') + 1);
    int& next = tail[0] == L'a' ? next_a : next_b;
    EXPECT_EQ(tail.substr(1), std::to_wstring(next));
    ++next;
  }
  EXPECT_EQ(next_a, 50);
  EXPECT_EQ(next_b, 50);
}

TEST(AsyncHttpSenderTest, DestructionDropsQueuedUrlsAndFinishesTheOneInProgress) {
  SendRecorder recorder;
  ::ResetEvent(recorder.release_first.get());
  auto sender = std::make_unique<AsyncHttpSender>(&SendRecorder::Send);
  ASSERT_TRUE(sender->Send(L"http://127.0.0.1:9/in-progress"));
  ASSERT_EQ(::WaitForSingleObject(recorder.first_entered.get(), 30000), WAIT_OBJECT_0);
  for (const std::wstring& url : Numbered(10)) ASSERT_TRUE(sender->Send(url));

  // The request in progress ends only once the destructor has begun; the
  // destructor must then wait for it and send nothing more.
  AsyncHttpSender* stopping = sender.get();
  std::thread releaser([&] {
    while (!stopping->stop_requested_for_testing()) ::Sleep(1);
    ::SetEvent(recorder.release_first.get());
  });
  sender.reset();
  releaser.join();
  EXPECT_EQ(recorder.Urls(), std::vector<std::wstring>{L"http://127.0.0.1:9/in-progress"});
}

TEST(AsyncHttpSenderTest, DestructionWithoutAnySendReturns) {
  SendRecorder recorder;
  { AsyncHttpSender sender(&SendRecorder::Send); }
  EXPECT_TRUE(recorder.Urls().empty());
}

// Real WinINet against a loopback port nobody listens on.
TEST(AsyncHttpSenderWinInetTest, RefusedConnectionIsLoggedWithTheUrl) {
  ScopedLogCapture log;
  const std::wstring url = L"http://127.0.0.1:1/installstats/send/x/*";
  AsyncHttpSender::SendUrl(url);
  const std::vector<CapturedLine> lines = log.lines();
  ASSERT_EQ(lines.size(), 1u) << log.Dump();
  EXPECT_EQ(lines[0].severity, LOG_ERROR);
  EXPECT_EQ(lines[0].function, std::string("SendUrl"));
  EXPECT_EQ(lines[0].message.rfind("Failed to open http://127.0.0.1:1/installstats/send/x/* - ", 0),
            0u)
      << lines[0].message;
}

}  // namespace
}  // namespace lite
