#include "ui/slide_downloader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/resource_util.h"
#include "base/scoped_handle.h"
#include "captured_log.h"
#include "ui/scale_factor.h"
#include "ui_test_resources.h"

namespace lite {
namespace {

const std::wstring kFolder = L"http://127.0.0.1:1/browser/installer/2022/";
// How long a test waits for the download thread before it calls it stuck.
constexpr int kStuckMs = 20000;

std::string ResourceBytes(int id) {
  return LoadResourceBytes(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_RCDATA);
}

// A slide folder in memory: bodies by file name, optional failures before
// a file answers, and every address asked for, in order.
struct FakeSlideServer {
  std::mutex lock;
  std::map<std::wstring, std::string> bodies;
  std::map<std::wstring, int> failures_first;
  std::string answer_to_everything;  // when not empty, every file has it
  std::vector<std::wstring> asked;

  std::vector<std::wstring> Asked() {
    std::lock_guard<std::mutex> hold(lock);
    return asked;
  }
};

class FakeSlideFetcher : public SlideFetcher {
 public:
  explicit FakeSlideFetcher(FakeSlideServer* server) : server_(server) {}
  bool Fetch(const std::wstring& url, const std::atomic<bool>&, std::string* body) override {
    std::lock_guard<std::mutex> hold(server_->lock);
    server_->asked.push_back(url);
    const std::wstring name = url.substr(url.rfind(L'/') + 1);
    int& failures = server_->failures_first[name];
    if (failures > 0) {
      --failures;
      return false;
    }
    if (!server_->answer_to_everything.empty()) {
      *body = server_->answer_to_everything;
      return true;
    }
    const auto found = server_->bodies.find(name);
    if (found == server_->bodies.end()) return false;
    *body = found->second;
    return true;
  }

 private:
  FakeSlideServer* server_;
};

// The addresses of |names| in the test folder, each |times| times.
std::vector<std::wstring> Addresses(std::initializer_list<const wchar_t*> names, int times = 1) {
  std::vector<std::wstring> addresses;
  for (const wchar_t* name : names) {
    for (int i = 0; i < times; ++i) addresses.push_back(kFolder + L"x2/" + name);
  }
  return addresses;
}

std::vector<std::wstring> Joined(std::vector<std::wstring> first,
                                 const std::vector<std::wstring>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

class SlideDownloaderTest : public testing::Test {
 protected:
  SlideDownloaderTest() {
    built_in_.Load(IDR_TEST_COLUMNS, 1);  // 8 x 2
    slide_ = ResourceBytes(IDR_TEST_HIGH_RESOLUTION);  // 14 x 10: 7 x 5 at half scale
  }

  std::unique_ptr<SlideDownloader> Start() {
    return std::make_unique<SlideDownloader>(built_in_, kFolder,
                                             std::make_unique<FakeSlideFetcher>(&server_));
  }

  // Waits until the thread gives up; false when it does not.
  static bool WaitUntilStopped(const SlideDownloader& slides) {
    for (int waited = 0; slides.running(); ++waited) {
      if (waited > kStuckMs) return false;
      ::Sleep(1);
    }
    return true;
  }

  void ServeNumbers(int first, int last, const std::string& body) {
    for (int number = first; number <= last; ++number) {
      wchar_t name[16];
      std::swprintf(name, 16, L"%02d.jpg", number);
      server_.bodies[name] = body;
    }
  }

  ScopedScaleFactorForTesting scale_{1.0};
  ResourceBitmap built_in_;
  std::string slide_;
  FakeSlideServer server_;
};

TEST_F(SlideDownloaderTest, FileNamesAreTwoDigitsThenPlain) {
  EXPECT_EQ(SlideDownloader::SlideFileName(1), L"02.jpg");
  EXPECT_EQ(SlideDownloader::SlideFileName(8), L"09.jpg");
  EXPECT_EQ(SlideDownloader::SlideFileName(9), L"10.jpg");
  EXPECT_EQ(SlideDownloader::SlideFileName(10), L"11.jpg");
  EXPECT_EQ(SlideDownloader::SlideFileName(98), L"99.jpg");
}

TEST_F(SlideDownloaderTest, NineSlidesThenTenMissesOfTheNext) {
  ServeNumbers(2, 10, slide_);
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  EXPECT_EQ(server_.Asked(),
            Joined(Addresses({L"02.jpg", L"03.jpg", L"04.jpg", L"05.jpg", L"06.jpg", L"07.jpg",
                              L"08.jpg", L"09.jpg", L"10.jpg"}),
                   Addresses({L"11.jpg"}, 10)));
  ASSERT_EQ(slides->Count(), 10u);
  // The built-in slide first, then the server's at half their pixels.
  EXPECT_EQ(slides->ImageAt(0).Width(), 8);
  for (size_t index = 1; index < 10; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(slides->ImageAt(index).Width(), 7);
    EXPECT_EQ(slides->ImageAt(index).Height(), 5);
  }
}

TEST_F(SlideDownloaderTest, EmptyServerAsksForTheFirstTenTimes) {
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  EXPECT_EQ(server_.Asked(), Addresses({L"02.jpg"}, 10));
  EXPECT_EQ(slides->Count(), 1u);
}

TEST_F(SlideDownloaderTest, ASuccessStartsTheFailureCountAgain) {
  ServeNumbers(2, 3, slide_);
  server_.failures_first[L"02.jpg"] = 9;
  server_.failures_first[L"03.jpg"] = 9;
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  EXPECT_EQ(server_.Asked(),
            Joined(Joined(Addresses({L"02.jpg"}, 10), Addresses({L"03.jpg"}, 10)),
                   Addresses({L"04.jpg"}, 10)));
  EXPECT_EQ(slides->Count(), 3u);
}

TEST_F(SlideDownloaderTest, UndecodableDataIsLoggedAndCountedAsAFailure) {
  ServeNumbers(2, 2, slide_);
  ServeNumbers(3, 3, ResourceBytes(IDR_TEST_NOT_AN_IMAGE));
  ScopedLogCapture log;
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  EXPECT_EQ(server_.Asked(), Joined(Addresses({L"02.jpg"}), Addresses({L"03.jpg"}, 10)));
  EXPECT_EQ(slides->Count(), 2u);
  const std::string expected =
      "Failed to load a background slide bitmap from data downloaded from "
      "http://127.0.0.1:1/browser/installer/2022/x2/03.jpg - ";
  int logged = 0;
  for (const CapturedLine& line : log.lines()) {
    if (line.function != "DownloadImage") continue;
    EXPECT_EQ(line.severity, LOG_ERROR);
    EXPECT_EQ(line.message.substr(0, expected.size()), expected);
    ++logged;
  }
  EXPECT_EQ(logged, 10) << log.Dump();
}

TEST_F(SlideDownloaderTest, StopsAfterTheLastTwoDigitNumber) {
  server_.answer_to_everything = slide_;
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  const std::vector<std::wstring> asked = server_.Asked();
  ASSERT_EQ(asked.size(), 98u);
  EXPECT_EQ(asked.back(), kFolder + L"x2/99.jpg");
  EXPECT_EQ(slides->Count(), 99u);
}

TEST_F(SlideDownloaderTest, ServerSlidesDecodeAtHalfTheScale) {
  ServeNumbers(2, 2, slide_);
  const struct {
    double scale;
    int width;
  } kCases[] = {{1.0, 7}, {1.5, 10}, {2.0, 14}};
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.scale);
    ScopedScaleFactorForTesting scale(test.scale);
    server_.asked.clear();
    auto slides = Start();
    ASSERT_TRUE(WaitUntilStopped(*slides));
    ASSERT_EQ(slides->Count(), 2u);
    // Kept with only the pixels the screen shows.
    EXPECT_DOUBLE_EQ(slides->ImageAt(1).factor(), 1.0);
    EXPECT_EQ(slides->ImageAt(1).Width(), test.width);
  }
}

TEST_F(SlideDownloaderTest, ImageAtWrapsAround) {
  ServeNumbers(2, 3, slide_);
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  ASSERT_EQ(slides->Count(), 3u);
  for (size_t index : {0u, 3u, 6u, 300u}) EXPECT_EQ(slides->ImageAt(index).Width(), 8) << index;
  for (size_t index : {1u, 2u, 4u, 5u, 301u}) EXPECT_EQ(slides->ImageAt(index).Width(), 7) << index;
}

TEST_F(SlideDownloaderTest, EmptyBuiltInSlideGivesEmptyImages) {
  built_in_ = ResourceBitmap();
  auto slides = Start();
  ASSERT_TRUE(WaitUntilStopped(*slides));
  for (size_t index : {0u, 1u, 7u}) EXPECT_TRUE(slides->ImageAt(index).is_empty()) << index;
}

// Blocks in its first fetch until the owner clears the running flag, as
// the real fetch notices it after a chunk.
class BlockingFetcher : public SlideFetcher {
 public:
  BlockingFetcher(HANDLE entered, bool* saw_stop, int* calls)
      : entered_(entered), saw_stop_(saw_stop), calls_(calls) {}
  bool Fetch(const std::wstring&, const std::atomic<bool>& running, std::string*) override {
    ++*calls_;
    ::SetEvent(entered_);
    for (int waited = 0; running.load() && waited < kStuckMs; ++waited) ::Sleep(1);
    *saw_stop_ = !running.load();
    return false;
  }

 private:
  HANDLE entered_;
  bool* saw_stop_;
  int* calls_;
};

TEST_F(SlideDownloaderTest, DestructionStopsTheFetchInProgress) {
  ScopedHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  bool saw_stop = false;
  int calls = 0;
  auto slides = std::make_unique<SlideDownloader>(
      built_in_, kFolder, std::make_unique<BlockingFetcher>(entered.get(), &saw_stop, &calls));
  ASSERT_EQ(::WaitForSingleObject(entered.get(), kStuckMs), WAIT_OBJECT_0);
  EXPECT_TRUE(slides->running());
  slides.reset();  // joins the thread
  EXPECT_TRUE(saw_stop);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace lite
