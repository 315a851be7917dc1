#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "app/bring_process_window_to_top.h"
#include "app/error_message_box.h"
#include "app/process_session.h"
#include "app/processor_check.h"
#include "app/shared_sections.h"
#include "app/single_instance_mutex.h"
#include "base/file_util.h"
#include "logging/file_logger.h"
#include "system/platform_queries.h"
#include "test_util.h"

namespace lite {
namespace {

class FakeProcessor : public PlatformQueries {
 public:
  FakeProcessor(bool sse2, bool sse3) : sse2_(sse2), sse3_(sse3) {}
  bool IsProcessorFeaturePresent(uint32_t feature) override {
    return feature == 10 ? sse2_ : feature == 13 ? sse3_ : false;
  }

 private:
  bool sse2_, sse3_;
};

TEST(ProcessorCheckTest, NeedsSse2AndSse3) {
  struct Case {
    bool sse2, sse3, supported;
    int message;
  };
  const Case cases[] = {
      {true, true, true, 0},
      {true, false, false, 447},
      {false, false, false, 447},  // SSE3 missing wins
      {false, true, false, 446},
  };
  for (const auto& c : cases) {
    FakeProcessor fake(c.sse2, c.sse3);
    ScopedPlatformQueriesOverride scope(&fake);
    int message = 0;
    EXPECT_EQ(IsProcessorSupported(&message), c.supported);
    EXPECT_EQ(message, c.message);
  }
}

TEST(ErrorMessageBoxTest, TextComesFromTheStringTable) {
  EXPECT_EQ(ErrorMessageBoxText(1033, 447),
            L"Couldn't install Zelmar\u00a0Browser on this computer.\n"
            L"The processor doesn't support SSE3.");
  // A language without its own table falls back to English.
  EXPECT_EQ(ErrorMessageBoxText(1055, 446),
            L"Couldn't install Zelmar\u00a0Browser on this computer.\n"
            L"Your processor does not support SSE2.");
}

TEST(SingleInstanceMutexTest, OnlyOneOwnerAtATime) {
  auto first = std::make_unique<SingleInstanceMutex>();
  ASSERT_TRUE(first->Acquire());
  bool second_owned = true;
  // Mutexes are recursive per thread, so the rival runs on another one.
  std::thread([&] {
    SingleInstanceMutex second;
    second_owned = second.Acquire();
  }).join();
  EXPECT_FALSE(second_owned);
  first.reset();
  std::thread([&] {
    SingleInstanceMutex third;
    second_owned = third.Acquire();
  }).join();
  EXPECT_TRUE(second_owned);
}

TEST(SingleInstanceMutexTest, AbandonedMutexDoesNotCountAsOwned) {
  std::thread([] {
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, SingleInstanceMutex::kName);
    (void)mutex;  // the thread ends owning it
  }).join();
  bool owned = true;
  std::thread([&] {
    SingleInstanceMutex rival;
    owned = rival.Acquire();
  }).join();
  EXPECT_FALSE(owned);
  // The rival released what it took over, so the next one owns it.
  std::thread([&] {
    SingleInstanceMutex next;
    owned = next.Acquire();
  }).join();
  EXPECT_TRUE(owned);
}

TEST(SharedSectionsTest, StoresTheMasterProcessId) {
  SetMasterInstallerProcessId(0xDEADBEEF);
  EXPECT_EQ(GetMasterInstallerProcessId(), 0xDEADBEEFu);
  SetMasterInstallerProcessId(0);
  EXPECT_NE(DelayedParamsStorage(), nullptr);
}

// Another process of our session is the mutex holder of the end-to-end
// test of a refused second instance.
TEST(ProcessSessionTest, OnlyRunningProcessesOfOurSession) {
  EXPECT_TRUE(IsProcessInCurrentSession(::GetCurrentProcessId()));
  EXPECT_FALSE(IsProcessInCurrentSession(0));
  EXPECT_FALSE(IsProcessInCurrentSession(0x7FFFFFFC));  // no such process
}

TEST(BringProcessWindowToTopTest, RejectsProcessIdZero) {
  ScopedTempFolder folder;
  const std::wstring log = folder.Child(L"lite_installer.log");
  SetCurrentLogger(std::make_unique<FileLogger>(log, 1048576));
  BringProcessWindowToTop(0);
  BringProcessWindowToTop(::GetCurrentProcessId());  // no window: nothing happens
  SetCurrentLogger(nullptr);
  const std::string content = ReadWholeFile(log);
  EXPECT_NE(content.find("ERROR: Failed to bring process window to top: wrong process id - "),
            std::string::npos)
      << content;
  // One record only: a process without windows is left alone quietly.
  const size_t suffix = content.find("(BringProcessWindowToTop:");
  ASSERT_NE(suffix, std::string::npos);
  EXPECT_EQ(content.find("(BringProcessWindowToTop:", suffix + 1), std::string::npos);
}

}  // namespace
}  // namespace lite
