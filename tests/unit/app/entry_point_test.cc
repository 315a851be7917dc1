// The entry point's early exits, run in a child copy of this executable
// that plays the installer (see entry_point_main.cc).
#include "app/entry_point.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "install/delayed_params.h"
#include "install/elevated_installer_process.h"
#include "process/installer_command_line.h"
#include "trust/verify_module.h"
#include "test_util.h"

namespace lite {
namespace {

constexpr char kStart[] = "I wWinMain: -------------------------------------- Start install.";

class EntryPointTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      wchar_t buffer[MAX_PATH] = {};
      saved_.push_back(::GetEnvironmentVariableW(name, buffer, MAX_PATH) ? buffer : L"");
      ::SetEnvironmentVariableW(name, (temp_.path() + L"\\").c_str());
    }
  }
  void TearDown() override {
    const wchar_t* names[] = {L"TMP", L"TEMP"};
    for (size_t i = 0; i < saved_.size(); ++i) {
      ::SetEnvironmentVariableW(names[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
    }
  }

  // Starts |exe| as the installer with |switches|; the child's temporary
  // folder, and with it the log, is the test's own.
  ScopedHandle Start(const std::wstring& exe, const std::wstring& switches) {
    std::wstring command = L"\"" + exe + L"\" --play-installer " + switches;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
      ADD_FAILURE() << "cannot start " << WideToUTF8(exe);
      return ScopedHandle();
    }
    ::CloseHandle(info.hThread);
    return ScopedHandle(info.hProcess);
  }
  // The exit code, or 0xDEAD when the child had to be ended. Emulated
  // machines start processes slowly.
  static DWORD Finish(const ScopedHandle& process) {
    if (::WaitForSingleObject(process.get(), 300000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.get(), 0xDEAD);
      ::WaitForSingleObject(process.get(), INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
  }
  int Run(const std::wstring& switches) { return Run(GetExecutablePath(), switches); }
  int Run(const std::wstring& exe, const std::wstring& switches) {
    ScopedHandle process = Start(exe, switches);
    if (!process) return 0xDEAD;
    return static_cast<int>(Finish(process));
  }

  // The records of |function_name| as "I|E function: message"; error lines
  // without their system error text, which may end in a line break of its
  // own (the record then goes on on the next line).
  std::vector<std::string> EntryPointLines(const std::string& function_name = "wWinMain") {
    std::vector<std::string> records;
    const std::string text = ReadWholeFile(temp_.Child(L"lite_installer.log"));
    size_t begin = 0;
    while (begin < text.size()) {
      size_t end = text.find('\n', begin);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(begin, end - begin);
      begin = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      // Records begin with their date; anything else continues the last one.
      const bool continuation = line.empty() || line[0] < '0' || line[0] > '9';
      if (continuation && !records.empty()) {
        records.back() += line;
      } else {
        records.push_back(line);
      }
    }
    std::vector<std::string> lines;
    for (const std::string& line : records) {
      const std::string suffix = " (" + function_name + ":";
      const size_t function = line.rfind(suffix);
      if (function == std::string::npos) continue;
      for (const char* severity : {"INFO: ", "ERROR: "}) {
        const size_t at = line.find(severity);
        if (at == std::string::npos || at > function) continue;
        std::string message = line.substr(at + strlen(severity), function - at - strlen(severity));
        if (severity[0] == 'E') message = message.substr(0, message.find(" - "));
        lines.push_back(std::string(1, severity[0]) + " " + function_name + ": " + message);
        break;
      }
    }
    return lines;
  }

  ScopedTempFolder temp_;
  std::vector<std::wstring> saved_;
};

TEST_F(EntryPointTest, RelaunchedCopyDecidesTheExit) {
  struct Case {
    const wchar_t* copy_exit;
    int exit_code;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      // The copy ran the installation: its code, and nothing more is said.
      {L"1234", 1234, {kStart}},
      {L"-200", -200, {kStart, "I wWinMain: Exiting, because of insecure environment."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUTF8(c.copy_exit));
    ::DeleteFileW(temp_.Child(L"lite_installer.log").c_str());
    EXPECT_EQ(Run(L"--fake-secure-search=missing --copy-exit=" + std::wstring(c.copy_exit)),
              c.exit_code);
    EXPECT_EQ(EntryPointLines(), c.lines);
  }
}

TEST_F(EntryPointTest, DllsBesideTheCopyStopIt) {
  // The copy's folder holds a library planted next to it.
  ScopedTempFolder folder;
  const std::wstring copy = folder.Child(L"copy.exe");
  ASSERT_TRUE(::CopyFileW(GetExecutablePath().c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(WriteWholeFile(folder.Child(L"planted.dll"), ""));
  EXPECT_EQ(Run(copy, L"--fake-secure-search=missing --spawned_in_protected_dir"), -200);
  EXPECT_EQ(EntryPointLines(),
            (std::vector<std::string>{kStart,
                                      "I wWinMain: Exiting, DLL files found in working directory"}));
}

// Securing the search order failed: the run goes on, here as far as the
// processor check, which ends a silent run quietly with 404.
TEST_F(EntryPointTest, UnsecuredSearchGoesOnToTheProcessorCheck) {
  EXPECT_EQ(Run(L"--fake-secure-search=failing --fake-cpu-without-sse3 --silent"), 404);
  const std::vector<std::string> lines = EntryPointLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], kStart);
  EXPECT_EQ(lines[1], "I wWinMain: Can't find secure environment.");
  EXPECT_EQ(lines[2], "I wWinMain: Lite installer mode.");
  // No exit line after the processor check.
  EXPECT_EQ(lines.back(), "E wWinMain: CPU is not supported");
}

struct BoxSearch {
  DWORD process_id;
  HWND box;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t class_name[16] = {};
  ::GetClassNameW(window, class_name, 16);
  // Only once shown: the box's texts are set while it is still hidden.
  if (owner != search->process_id || std::wstring(class_name) != L"#32770" ||
      !::IsWindowVisible(window)) {
    return TRUE;
  }
  search->box = window;
  return FALSE;
}

TEST_F(EntryPointTest, ProcessorWithoutSse3ShowsTheMessageBoxWithAWindow) {
  ScopedHandle process = Start(GetExecutablePath(), L"--fake-cpu-without-sse3");
  ASSERT_TRUE(process);
  BoxSearch search = {::GetProcessId(process.get()), nullptr};
  // Waits for the box to appear, as a user would.
  for (int i = 0; i < 3000 && !search.box; ++i) {
    if (::WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) break;
    ::EnumWindows(&FindMessageBox, reinterpret_cast<LPARAM>(&search));
  }
  ASSERT_NE(search.box, nullptr) << "no message box";
  wchar_t caption[128] = {};
  ::GetWindowTextW(search.box, caption, 128);
  EXPECT_EQ(std::wstring(caption), L"Zelmar\u00a0Browser Installation");
  wchar_t text[256] = {};
  ::GetDlgItemTextW(search.box, 0xFFFF, text, 256);
  EXPECT_NE(std::wstring(text).find(L"The processor doesn't support SSE3."), std::wstring::npos)
      << WideToUTF8(text);
  ::PostMessageW(search.box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Finish(process), 404u);
  EXPECT_EQ(EntryPointLines().back(), "E wWinMain: CPU is not supported");
}

// The copy started through the elevation prompt, with this test playing
// its parent: the test holds the handshake's events, writes the shared
// record and gives the go signal. Modules signed under the TEST root pass
// the system's check while these tests run.
class ElevatedInstanceTest : public EntryPointTest {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RootStore(L"add"), 0); }
  static void TearDownTestSuite() { RootStore(L"remove"); }

  static std::wstring BuildFolder() { return DirName(DirName(ExecutableFolder())); }
  static std::wstring SignedSetup() { return BuildFolder() + L"\\signed-modules\\test_setup.exe"; }
  static std::wstring UnsignedSetup() { return BuildFolder() + L"\\tests\\fixtures\\test_setup.exe"; }
  static int RootStore(const std::wstring& action) {
    const std::wstring tool = BuildFolder() + L"\\tests\\fixtures\\test_root_store.exe";
    std::wstring command = L"\"" + tool + L"\" " + action + L" \"" + BuildFolder() +
                           L"\\test-certs\\code-signing\\root_ca.der\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(tool.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
      return -1;
    }
    ::CloseHandle(info.hThread);
    ScopedHandle process(info.hProcess);
    return static_cast<int>(Finish(process));
  }

  void SetUp() override {
    EntryPointTest::SetUp();
    ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", Record().c_str());
    SetSharedErrorCode(kSharedErrorNone);
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", nullptr);
    SetSharedErrorCode(kSharedErrorNone);
    EntryPointTest::TearDown();
  }

  std::wstring Record() { return temp_.Child(L"record.json"); }
  // Starts the copy as the parent |parent_id| would.
  ScopedHandle StartCopy(uint32_t parent_id, const std::wstring& setup_switches = L"") {
    const std::wstring setup = L"fake_browser_arc --progress-window=0 " + setup_switches;
    return Start(GetExecutablePath(),
                 L"--run-as-admin --parent-installer-process-id=" + std::to_wstring(parent_id) +
                     L" --setup-cmd-line=" + InstallerCommandLine::QuoteArgument(setup));
  }
  // Hands the copy the archive at |archive| and lets it go; its exit code.
  int Release(ElevatedInstallerProcess* handshake, const ScopedHandle& copy,
              const std::wstring& archive) {
    EXPECT_TRUE(WriteDelayedParams(archive, L"", L"", L"", L"", L"", L"", L"", L"0", L"0",
                                   false, false, false));
    ScopedHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    handshake->RunModule(stop.get());
    return static_cast<int>(Finish(copy));
  }
  static HANDLE Duplicate(const ScopedHandle& handle) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), handle.get(), ::GetCurrentProcess(), &copy, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
  }
};

TEST_F(ElevatedInstanceTest, RunsOnlyAVerifiedArchiveAfterTheGoSignal) {
  const std::wstring archive = temp_.Child(L"zb1.tmp");
  const std::wstring absent = temp_.Child(L"absent.tmp");
  const std::wstring planted = temp_.Child(L"planted.exe");
  const std::string signed_bytes = ReadWholeFile(SignedSetup());
  const std::string unsigned_bytes = ReadWholeFile(UnsignedSetup());
  ASSERT_FALSE(signed_bytes.empty());
  ASSERT_FALSE(unsigned_bytes.empty());
  const std::string start = "I ExecuteAsAdmin: Start installer as admin";
  const struct {
    const char* name;
    std::wstring path;
    const std::string* bytes;
    // The archive is changed after the parent verified it.
    bool swapped;
    const wchar_t* setup_switches;
    int exit_code;
    std::vector<std::string> lines;
  } cases[] = {
      {"signed archive", archive, &signed_bytes, false, L"", 0,
       {start, "I ExecuteAsAdmin: RunModule results: success=1"}},
      {"setup fails", archive, &signed_bytes, false, L"--test-setup-exit-code=7", -1,
       {start, "I ExecuteAsAdmin: RunModule results: success=0"}},
      {"missing archive", absent, nullptr, false, L"", -1,
       {start, "E ExecuteAsAdmin: Browser archive " + WideToUTF8(absent) + " does not exist"}},
      // Another process of the image wrote its own path into the record.
      {"planted path", planted, &unsigned_bytes, false, L"", -1,
       {start, "E ExecuteAsAdmin: Module verification failed: " + WideToUTF8(planted)}},
      {"swapped archive", archive, &signed_bytes, true, L"", -1,
       {start, "E ExecuteAsAdmin: Module verification failed: " + WideToUTF8(archive)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(temp_.Child(L"lite_installer.log").c_str());
    ::DeleteFileW(Record().c_str());
    SetSharedErrorCode(kSharedErrorNone);
    if (c.bytes) {
      ASSERT_TRUE(WriteWholeFile(c.path, *c.bytes));
    }
    if (c.swapped) {
      ASSERT_TRUE(VerifySignedModule(c.path)) << "the parent's check must pass first";
      ASSERT_TRUE(WriteWholeFile(c.path, unsigned_bytes));
    }
    ElevatedInstallerProcess handshake(60000);
    ScopedHandle copy = StartCopy(::GetCurrentProcessId(), c.setup_switches);
    ASSERT_TRUE(copy);
    handshake.SetProcess(Duplicate(copy), nullptr);
    EXPECT_EQ(Release(&handshake, copy, c.path), c.exit_code);
    EXPECT_EQ(EntryPointLines("ExecuteAsAdmin"), c.lines);
    const bool ran = c.exit_code == 0 || std::string(c.name) == "setup fails";
    EXPECT_EQ(FileExists(Record()), ran) << "what ran elevated is the verified archive only";
    EXPECT_EQ(GetSharedErrorCode(),
              std::string(c.name) == "setup fails" ? kSharedErrorAlreadyInstalled : kSharedErrorNone);
    ::DeleteFileW(c.path.c_str());
  }
}

TEST_F(ElevatedInstanceTest, EndsWhenTheParentCancelsOrGoes) {
  const std::string synced =
      "E ExecuteAsAdmin: Installer started as admin has been unexpectedly synced, wr=";
  for (bool parent_gone : {false, true}) {
    SCOPED_TRACE(parent_gone ? "parent gone" : "cancelled");
    ::DeleteFileW(temp_.Child(L"lite_installer.log").c_str());
    // A parent that never ends unless terminated.
    std::wstring command = L"\"" + UnsignedSetup() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION parent = {};
    ASSERT_TRUE(::CreateProcessW(UnsignedSetup().c_str(), &command[0], nullptr, nullptr, FALSE,
                                 CREATE_SUSPENDED, nullptr, nullptr, &startup, &parent));
    ::CloseHandle(parent.hThread);
    ScopedHandle parent_process(parent.hProcess);
    ScopedHandle copy;
    {
      ElevatedInstallerProcess handshake(60000);
      copy = StartCopy(parent.dwProcessId);
      ASSERT_TRUE(copy);
      handshake.SetProcess(Duplicate(copy), nullptr);
      if (parent_gone) {
        ::TerminateProcess(parent_process.get(), 1);
        EXPECT_EQ(::WaitForSingleObject(copy.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
      }
    }
    ::TerminateProcess(parent_process.get(), 1);
    EXPECT_EQ(static_cast<int>(Finish(copy)), -1);
    EXPECT_EQ(EntryPointLines("ExecuteAsAdmin"),
              (std::vector<std::string>{"I ExecuteAsAdmin: Start installer as admin",
                                        synced + (parent_gone ? "2" : "1")}));
    EXPECT_FALSE(FileExists(Record()));
  }
}

TEST_F(ElevatedInstanceTest, SuspiciousParentIdGoesOnWithNone) {
  for (const wchar_t* id : {L"12x", L"", L"-5", L"99999999999"}) {
    SCOPED_TRACE(WideToUTF8(id));
    ::DeleteFileW(temp_.Child(L"lite_installer.log").c_str());
    EXPECT_EQ(Run(L"--run-as-admin --parent-installer-process-id=" + std::wstring(id) +
                  L" --setup-cmd-line=fake_browser_arc"),
              -1);
    // No parent and no handshake to wait for: the wait itself fails.
    EXPECT_EQ(EntryPointLines("ExecuteAsAdmin"),
              (std::vector<std::string>{
                  "E ExecuteAsAdmin: Suspicious process id=" + WideToUTF8(id),
                  "I ExecuteAsAdmin: Start installer as admin",
                  "E ExecuteAsAdmin: Installer started as admin has been unexpectedly synced, "
                  "wr=4294967295"}));
  }
}

}  // namespace
}  // namespace lite
