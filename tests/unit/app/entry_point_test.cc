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

  // The entry point's records as "I|E wWinMain: message"; error lines
  // without their system error text, which may end in a line break of its
  // own (the record then goes on on the next line).
  std::vector<std::string> EntryPointLines() {
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
      const std::string suffix = " (wWinMain:";
      const size_t function = line.rfind(suffix);
      if (function == std::string::npos) continue;
      for (const char* severity : {"INFO: ", "ERROR: "}) {
        const size_t at = line.find(severity);
        if (at == std::string::npos || at > function) continue;
        std::string message = line.substr(at + strlen(severity), function - at - strlen(severity));
        if (severity[0] == 'E') message = message.substr(0, message.find(" - "));
        lines.push_back(std::string(1, severity[0]) + " wWinMain: " + message);
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

}  // namespace
}  // namespace lite
