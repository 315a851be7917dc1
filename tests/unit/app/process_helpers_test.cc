#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "app/error_message_box.h"
#include "app/processor_check.h"
#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "logging/file_logger.h"
#include "process/bring_process_window_to_top.h"
#include "process/process_session.h"
#include "process/shared_sections.h"
#include "process/single_instance_mutex.h"
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
  // The interface language's own table.
  EXPECT_EQ(ErrorMessageBoxText(1055, 446),
            L"Zelmar\u00a0Browser bu bilgisayara y\u00fcklenemedi.\n"
            L"\u0130\u015flemciniz SSE2'yi desteklemiyor.");
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

// The mutex holder fixture keeps a window of its own until its standard
// input closes.
class WindowOwnerProcess {
 public:
  WindowOwnerProcess() {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE input_read = nullptr, output_write = nullptr, input_write = nullptr,
           output_read = nullptr;
    if (!::CreatePipe(&input_read, &input_write, &inherit, 0)) return;
    if (!::CreatePipe(&output_read, &output_write, &inherit, 0)) return;
    ScopedHandle child_input(input_read), child_output(output_write);
    input_.reset(input_write);
    output_.reset(output_read);
    ::SetHandleInformation(input_write, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(output_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_input.get();
    startup.hStdOutput = child_output.get();
    startup.hStdError = child_output.get();
    std::wstring command = L"\"" + DirName(ExecutableFolder()) + L"\\fixtures\\mutex_holder.exe\"";
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &info)) {
      return;
    }
    process_.reset(info.hProcess);
    ScopedHandle thread(info.hThread);
    child_output.reset();
    // "ready pid=N" once its window exists.
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (::ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1 && c != '\n') line += c;
    if (line.rfind("ready pid=", 0) == 0) id_ = std::stoul(line.substr(10));
  }
  ~WindowOwnerProcess() {
    input_.reset();
    if (process_) ::WaitForSingleObject(process_.get(), 30000);
  }
  DWORD id() const { return id_; }

 private:
  ScopedHandle input_, output_, process_;
  DWORD id_ = 0;
};

DWORD ForegroundProcessId() {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(::GetForegroundWindow(), &owner);
  return owner;
}

TEST(BringProcessWindowToTopTest, RaisesTheWindowOfAnotherProcess) {
  // Our own window has the foreground first.
  HWND own = ::CreateWindowExW(0, L"STATIC", L"test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);
  ::SetForegroundWindow(own);
  ASSERT_EQ(ForegroundProcessId(), ::GetCurrentProcessId());
  DWORD lock_before = 0;
  ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lock_before, 0);

  {
    WindowOwnerProcess owner;
    ASSERT_NE(owner.id(), 0u) << "mutex_holder did not start";
    BringProcessWindowToTop(owner.id());
    EXPECT_EQ(ForegroundProcessId(), owner.id());
  }
  DWORD lock_after = 0;
  ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lock_after, 0);
  EXPECT_EQ(lock_after, lock_before);
  ::DestroyWindow(own);
}

}  // namespace
}  // namespace lite
