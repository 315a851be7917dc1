// The elevated restart: when it is asked for, how the copy is started, the
// parent's handle on the copy and the copy's progress forwarding. Copies
// are played by the test setup program; the prompt's answer is scripted.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "install/elevated_installer_process.h"
#include "install/elevated_progress_proxy.h"
#include "install/install_test_support.h"
#include "install/installer.h"
#include "net/installer_statistics.h"
#include "test_util.h"

namespace lite {
namespace {

constexpr DWORD kShortFinishWaitMs = 200;

std::wstring TestSetupPath() {
  return DirName(ExecutableFolder()) + L"\\fixtures\\test_setup.exe";
}

void DropStatistics(const std::wstring&) {}

// Starts the test setup; |suspended| plays a copy that never ends.
ScopedHandle StartCopy(const std::wstring& switches, bool suspended = false) {
  std::wstring command = L"\"" + TestSetupPath() + L"\" " + switches;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(TestSetupPath().c_str(), &command[0], nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &info)) {
    ADD_FAILURE() << "cannot start the test setup";
    return ScopedHandle();
  }
  ::CloseHandle(info.hThread);
  return ScopedHandle(info.hProcess);
}

HANDLE Duplicate(HANDLE handle) {
  HANDLE copy = nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  return copy;
}

bool IsSignalled(HANDLE event) { return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The test's own view of the handshake's events, opened while the object
// under test holds them.
struct ObservedEvents {
  ObservedEvents()
      : go(::OpenEventA(SYNCHRONIZE, FALSE, kElevatedGoEventName)),
        cancel(::OpenEventA(SYNCHRONIZE, FALSE, kElevatedCancelEventName)) {}
  ScopedHandle go;
  ScopedHandle cancel;
};

class ElevationTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(TestSetupPath())) << "build the test_setup target";
    ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", folder_.Child(L"record.json").c_str());
  }
  void TearDown() override { ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", nullptr); }

  ScopedTempFolder folder_;
};

// An installer whose elevation prompt is answered by the test.
class PromptedInstaller : public Installer {
 public:
  explicit PromptedInstaller(const std::wstring& switches)
      : Installer(nullptr, nullptr, nullptr, false,
                  InstallerCommandLine::FromString(L"\"C:\\dl\\lite installer.exe\" " + switches),
                  std::make_unique<InstallerStatistics>(&DropStatistics)) {}

  // 0: the prompt is accepted and a test setup plays the copy; otherwise
  // ShellExecuteExW fails with this hInstApp.
  INT_PTR prompt_error = 0;
  SHELLEXECUTEINFOW seen = {};
  std::wstring seen_file;
  std::wstring seen_parameters;
  std::wstring seen_verb;
  bool owner_was_window = false;
  RECT owner_rect = {};
  LONG_PTR owner_style = 0;
  LONG_PTR owner_ex_style = 0;

 protected:
  bool ShellExecuteRunAs(SHELLEXECUTEINFOW* info) override {
    seen = *info;
    seen_file = info->lpFile;
    seen_parameters = info->lpParameters;
    seen_verb = info->lpVerb;
    owner_was_window = ::IsWindow(info->hwnd) != FALSE;
    ::GetWindowRect(info->hwnd, &owner_rect);
    owner_style = ::GetWindowLongPtrW(info->hwnd, GWL_STYLE);
    owner_ex_style = ::GetWindowLongPtrW(info->hwnd, GWL_EXSTYLE);
    if (prompt_error != 0) {
      info->hInstApp = reinterpret_cast<HINSTANCE>(prompt_error);
      ::SetLastError(ERROR_CANCELLED);
      return false;
    }
    info->hProcess = StartCopy(L"--test-setup-exit-code=0").release();
    return info->hProcess != nullptr;
  }
  std::unique_ptr<ElevatedInstallerProcess> CreateElevatedInstallerProcess() override {
    return std::make_unique<ElevatedInstallerProcess>(kShortFinishWaitMs);
  }
};

TEST_F(ElevationTest, WhenTheRestartIsNeeded) {
  const struct {
    const char* name;
    bool admin_group;
    uint32_t windows_major;
    bool running_as_admin;
    const wchar_t* switches;
    bool expected;
    const char* line;
  } cases[] = {
      {"administrator", true, 10, false, L"", true, nullptr},
      {"standard user", false, 10, false, L"", false, "User is not in admin group."},
      {"before Vista", true, 5, false, L"", false,
       "Windows version is not suitable for elevated restart."},
      {"maintenance call", true, 10, false, L"--update-setup-exe", false,
       "Found non install-switch:update-setup-exe"},
      // The first of the list wins, not the first in the command line.
      {"two maintenance switches", true, 10, false, L"--pttw0 --patch", false,
       "Found non install-switch:patch"},
      {"already the copy", true, 10, false, L"--run-as-admin", false,
       "Run-as-admin functionality is already enabled."},
      {"silent", true, 10, false, L"--silent", false,
       "Elevated run is necessary but silent instalation is requested - UAC will not be shown."},
      {"silent, already elevated", true, 10, true, L"--silent", true, nullptr},
      {"silent with prompts allowed", true, 10, false, L"--silent --uac-enabled", true, nullptr},
      {"semi-silent", true, 10, false, L"--semi-silent", true, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatformQueries platform;
    platform.admin_group = c.admin_group;
    platform.version = {c.windows_major, 1, 2600, 0};
    platform.running_as_admin = c.running_as_admin;
    ScopedPlatformQueriesOverride scope(&platform);
    ScopedLogCapture log;
    PromptedInstaller installer(c.switches);
    EXPECT_EQ(installer.NeedStartThisProcessAsAdmin(), c.expected);
    const std::vector<std::string> lines = LinesOf(log, {"NeedStartThisProcessAsAdmin"});
    if (c.line) {
      EXPECT_EQ(lines, std::vector<std::string>{std::string("I NeedStartThisProcessAsAdmin: ") +
                                                c.line});
    } else {
      EXPECT_TRUE(lines.empty()) << log.Dump();
    }
  }
}

TEST_F(ElevationTest, AcceptedPromptStartsTheCopyWithTheProvisionalSetupLine) {
  PromptedInstaller installer(L"--distr-info-params=uac=1");
  ASSERT_TRUE(installer.RestartAsAdmin());
  EXPECT_FALSE(installer.uac_declined());

  EXPECT_EQ(installer.seen_verb, L"runas");
  EXPECT_EQ(installer.seen_file, L"C:\\dl\\lite installer.exe");
  EXPECT_EQ(installer.seen.fMask & SEE_MASK_NOCLOSEPROCESS, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
  EXPECT_EQ(installer.seen.nShow, SW_SHOW);
  // Parameters only, each switch after a space; the setup line is one
  // quoted value that names the placeholder archive.
  const std::wstring& parameters = installer.seen_parameters;
  ASSERT_FALSE(parameters.empty());
  EXPECT_EQ(parameters[0], L' ');
  const InstallerCommandLine copy = InstallerCommandLine::FromString(L"x" + parameters);
  EXPECT_TRUE(copy.HasSwitch("run-as-admin"));
  EXPECT_EQ(copy.GetSwitchValue("parent-installer-process-id"),
            std::to_wstring(::GetCurrentProcessId()));
  EXPECT_EQ(copy.GetSwitchValue("distr-info-params"), L"uac=1");
  const InstallerCommandLine setup =
      InstallerCommandLine::FromString(copy.GetSwitchValue("setup-cmd-line"));
  EXPECT_EQ(setup.GetProgram(), L"fake_browser_arc");
  EXPECT_TRUE(setup.HasSwitch("progress-window"));
  EXPECT_FALSE(setup.HasSwitch("installerdata")) << "data files come with the go signal";
  EXPECT_FALSE(setup.HasSwitch("disable-uac"));

  // The prompt's owner: an invisible tool window in front.
  EXPECT_TRUE(installer.owner_was_window);
  EXPECT_EQ(installer.owner_rect.right - installer.owner_rect.left, 0);
  EXPECT_EQ(installer.owner_rect.bottom - installer.owner_rect.top, 0);
  EXPECT_TRUE(installer.owner_style & WS_POPUP);
  EXPECT_TRUE(installer.owner_ex_style & WS_EX_TOOLWINDOW);

  // The handshake's events exist for the copy to open.
  ObservedEvents events;
  EXPECT_TRUE(events.go.is_valid() && events.cancel.is_valid());
}

TEST_F(ElevationTest, RefusedOrFailedPrompt) {
  const struct {
    const char* name;
    INT_PTR error;
    bool declined;
  } cases[] = {
      {"the user refused", SE_ERR_ACCESSDENIED, true},
      {"the program was not found", SE_ERR_FNF, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PromptedInstaller installer(L"");
    installer.prompt_error = c.error;
    EXPECT_FALSE(installer.RestartAsAdmin());
    EXPECT_EQ(installer.uac_declined(), c.declined);
    EXPECT_FALSE(::IsWindow(installer.seen.hwnd)) << "the prompt's owner is left behind";
    // No copy to wait for: the handshake's events are gone.
    EXPECT_FALSE(ObservedEvents().go.is_valid());
    EXPECT_EQ(installer.BuildSetupCommandLine(L"C:\\t\\zb.tmp", true).HasSwitch("disable-uac"),
              c.declined);
  }
}

TEST_F(ElevationTest, LeavingBeforeTheGoSignalCancelsTheCopy) {
  ScopedHandle cancel;
  {
    PromptedInstaller installer(L"");
    ASSERT_TRUE(installer.RestartAsAdmin());
    cancel.reset(ObservedEvents().cancel.release());
    ASSERT_TRUE(cancel.is_valid());
    EXPECT_FALSE(IsSignalled(cancel.get()));
  }
  EXPECT_TRUE(IsSignalled(cancel.get()));
}

TEST_F(ElevationTest, RunModuleReportsTheCopysExitCode) {
  const struct {
    int exit_code;
    bool expected;
  } cases[] = {{0, true}, {3, false}, {-1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exit_code);
    ElevatedInstallerProcess process(kShortFinishWaitMs);
    ObservedEvents events;
    process.SetProcess(
        StartCopy(L"--test-setup-exit-code=" + std::to_wstring(c.exit_code)).release(), nullptr);
    ScopedHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(process.RunModule(stop.get()), c.expected);
    EXPECT_TRUE(process.started());
    EXPECT_EQ(process.exit_code(), c.exit_code);
    EXPECT_TRUE(IsSignalled(events.go.get()));
    process.EnsureProcessFinished();
    EXPECT_FALSE(process.terminated());
    EXPECT_FALSE(IsSignalled(events.cancel.get())) << "a released copy is never cancelled";
  }
}

TEST_F(ElevationTest, StopEventLeavesAHungCopyToBeTerminated) {
  ScopedLogCapture log;
  ScopedHandle copy = StartCopy(L"", /*suspended=*/true);
  ASSERT_TRUE(copy.is_valid());
  ElevatedInstallerProcess process(kShortFinishWaitMs);
  process.SetProcess(Duplicate(copy.get()), nullptr);
  ScopedHandle stop(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
  EXPECT_FALSE(process.RunModule(stop.get()));
  EXPECT_EQ(process.exit_code(), -1);
  EXPECT_EQ(::WaitForSingleObject(copy.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  process.EnsureProcessFinished();
  EXPECT_TRUE(process.terminated());
  ASSERT_EQ(::WaitForSingleObject(copy.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 1;
  ::GetExitCodeProcess(copy.get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(LinesOf(log, {"RunModule", "EnsureProcessFinished"}),
            (std::vector<std::string>{
                "E RunModule: The elevated installer was terminated due to stop event.",
                "E EnsureProcessFinished: The elevated installer hangs and must be forcibly "
                "terminated."}));
}

TEST_F(ElevationTest, DestructionCancelsOnlyACopyNeverReleased) {
  for (bool released : {false, true}) {
    SCOPED_TRACE(released);
    ScopedHandle copy = StartCopy(L"--test-setup-exit-code=0", /*suspended=*/!released);
    const HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0,
                                         nullptr, nullptr, nullptr, nullptr);
    std::unique_ptr<ObservedEvents> events;
    {
      ElevatedInstallerProcess process(kShortFinishWaitMs);
      events = std::make_unique<ObservedEvents>();
      process.SetProcess(Duplicate(copy.get()), owner);
      if (released) {
        ScopedHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        EXPECT_TRUE(process.RunModule(stop.get()));
      }
    }
    EXPECT_EQ(IsSignalled(events->cancel.get()), !released);
    EXPECT_FALSE(::IsWindow(owner));
    // A copy that did not end in time is terminated.
    EXPECT_EQ(::WaitForSingleObject(copy.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  }
}

TEST_F(ElevationTest, ProxyForwardsProgressToTheParentsWindow) {
  const HWND window = ::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 100, 100,
                                        nullptr, nullptr, nullptr, nullptr);
  const HWND cancel = ::CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                        window, reinterpret_cast<HMENU>(112), nullptr, nullptr);
  ASSERT_TRUE(window && cancel);
  ElevatedProgressProxy proxy(window);
  EXPECT_EQ(proxy.GetWindowHandle(), window);
  proxy.SetProgressPercent(40);
  proxy.SetTimeLeft(75, 2);
  proxy.SetProgress(0.5f);
  proxy.OnInstallFailed(5);
  proxy.OnInstallFinished(1);
  proxy.RemoveCancelButton();

  std::vector<std::vector<uintptr_t>> posted;
  MSG message;
  while (::PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    if (message.message >= WM_APP) {
      posted.push_back({message.message - WM_APP, message.wParam,
                        static_cast<uintptr_t>(message.lParam)});
    }
  }
  EXPECT_EQ(posted, (std::vector<std::vector<uintptr_t>>{{100, 40, 0}, {101, 75, 2}}));
  EXPECT_TRUE(::IsWindowVisible(cancel) == FALSE &&
              (::GetWindowLongPtrW(cancel, GWL_STYLE) & WS_VISIBLE) == 0);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace lite
