#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/file_util.h"
#include "captured_log.h"
#include "install/delayed_params.h"
#include "install/install_test_support.h"
#include "install/installer_observer.h"
#include "install/run_module_and_wait.h"
#include "process/exit_codes.h"
#include "process/installer_command_line.h"
#include "process/shared_sections.h"
#include "test_util.h"

namespace lite {
namespace {

namespace layout = delayed_params_layout;

std::wstring Repeat(wchar_t c, size_t count) {
  return std::wstring(count, c);
}

// The UTF-16 string stored at |offset|, read straight from the section.
std::wstring RawString(size_t offset, size_t max_chars) {
  std::wstring text;
  for (size_t i = 0; i < max_chars; ++i) {
    const volatile uint8_t* p = DelayedParamsStorage() + offset + 2 * i;
    const wchar_t c = static_cast<wchar_t>(p[0] | (p[1] << 8));
    if (!c) break;
    text.push_back(c);
  }
  return text;
}

// An ERROR record carrying the last system error after |message|.
bool HasErrorLine(ScopedLogCapture& log, const std::string& function, const std::string& message) {
  for (const CapturedLine& line : log.lines()) {
    if (line.severity == LOG_ERROR && line.function == function &&
        line.message.compare(0, message.size() + 3, message + " - ") == 0) {
      return true;
    }
  }
  return false;
}

bool WriteAll(const std::wstring& path, const std::wstring& time = L"12") {
  return WriteDelayedParams(path, L"c:\\clids.xml", L"c:\\sb.xml", L"", L"c:\\data.json",
                            L"c:\\brand.cab", L"", L"", time, L"98765", true, false, true);
}

TEST(DelayedParamsTest, FieldsLandAtTheirOffsets) {
  ASSERT_TRUE(WriteAll(L"c:\\temp\\zb1.tmp"));
  EXPECT_EQ(RawString(0, 261), L"c:\\temp\\zb1.tmp");
  EXPECT_EQ(RawString(522, 261), L"c:\\clids.xml");
  EXPECT_EQ(RawString(1044, 261), L"c:\\sb.xml");
  EXPECT_EQ(RawString(2088, 261), L"c:\\data.json");
  EXPECT_EQ(RawString(2610, 261), L"c:\\brand.cab");
  EXPECT_EQ(RawString(4176, 33), L"12");
  EXPECT_EQ(RawString(4242, 33), L"98765");
  const volatile uint8_t* storage = DelayedParamsStorage();
  EXPECT_EQ(storage[4308], 1);
  EXPECT_EQ(storage[4309], 0);
  EXPECT_EQ(storage[4310], 1);
}

TEST(DelayedParamsTest, LengthLimits) {
  struct Case {
    size_t path_chars;
    size_t time_chars;
    bool written;
  };
  const Case cases[] = {
      {260, 32, true},
      {261, 32, false},
      {260, 33, false},
      {0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path_chars << "/" << c.time_chars);
    ASSERT_TRUE(WriteAll(L"before"));
    ScopedLogCapture log;
    const std::wstring path = Repeat(L'p', c.path_chars);
    EXPECT_EQ(WriteAll(path, Repeat(L'7', c.time_chars)), c.written);
    const DelayedParams read = DelayedParams::Read();
    if (c.written) {
      EXPECT_EQ(read.browser_arc_path, path);
      EXPECT_EQ(read.histogram_download_time, Repeat(L'7', c.time_chars));
      EXPECT_TRUE(log.lines().empty()) << log.Dump();
    } else {
      // Nothing of a rejected record may reach the elevated instance.
      EXPECT_EQ(read.browser_arc_path, L"before");
      EXPECT_EQ(read.histogram_download_time, L"12");
      const std::string expected =
          "Too large string length, browser_arc_path=" + std::string(c.path_chars, 'p') +
          " clids_file_path=c:\\clids.xml clids_searchband_file_path=c:\\sb.xml"
          " zelmar_website_icon_file_path= installer_data_path=c:\\data.json"
          " brand_package_path=c:\\brand.cab partner_package_path= partner_package_override_path="
          " histogram_download_time=" + std::string(c.time_chars, '7') +
          " histogram_full_time=98765 send_statistics=1 make_default=0 create_mirra_shortcut=1";
      EXPECT_TRUE(HasErrorLine(log, "WriteDelayedParams", expected)) << log.Dump();
    }
  }
}

TEST(DelayedParamsTest, WritingLeavesTheSharedErrorCode) {
  SetSharedErrorCode(kSharedErrorAlreadyInstalled);
  ASSERT_TRUE(WriteAll(L"x"));
  EXPECT_EQ(GetSharedErrorCode(), kSharedErrorAlreadyInstalled);
  SetSharedErrorCode(kSharedErrorNone);
}

TEST(DelayedParamsTest, ReadingStopsAtTheFieldEnd) {
  // A writer that left a field unterminated must not make the reader run
  // into the next one.
  volatile uint8_t* storage = DelayedParamsStorage();
  for (size_t i = 0; i < layout::kPathFieldBytes; i += 2) {
    storage[i] = 'a';
    storage[i + 1] = 0;
  }
  EXPECT_EQ(DelayedParams::Read().browser_arc_path, Repeat(L'a', 261));
}

TEST(DelayedParamsTest, AmendsTheElevatedSetupCommandLine) {
  ScopedTempFolder folder;
  const std::wstring icon = folder.Child(L"icon.ico");
  const std::wstring empty_icon = folder.Child(L"empty.ico");
  ASSERT_TRUE(WriteWholeFile(icon, "ico"));
  ASSERT_TRUE(WriteWholeFile(empty_icon, ""));

  struct Case {
    std::wstring icon_path;
    bool icon_passed;
  };
  const Case cases[] = {{icon, true}, {empty_icon, false}, {folder.Child(L"none.ico"), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.icon_path.size());
    ASSERT_TRUE(WriteDelayedParams(L"c:\\t\\zb2.tmp", L"c:\\clids.xml", L"", c.icon_path,
                                   L"c:\\data.json", L"", L"c:\\partner.cab", L"", L"", L"555",
                                   false, true, false));
    InstallerCommandLine command_line = InstallerCommandLine::FromString(
        L"fake_browser_arc --send-statistics --clids-file=old --create-mirra-shortcut-in-taskbar "
        L"--foo=1");
    DelayedParams::Read().AmendSetupCommandLine(&command_line);

    EXPECT_EQ(command_line.GetProgram(), L"c:\\t\\zb2.tmp");
    EXPECT_EQ(command_line.GetSwitchValue("clids-file"), L"c:\\clids.xml");
    EXPECT_EQ(command_line.GetSwitchValue("installerdata"), L"c:\\data.json");
    EXPECT_EQ(command_line.GetSwitchValue("partner-package"), L"c:\\partner.cab");
    EXPECT_EQ(command_line.GetSwitchValue("install-start-time-no-uac"), L"555");
    EXPECT_FALSE(command_line.HasSwitch("clids-searchband-file"));
    EXPECT_FALSE(command_line.HasSwitch("brand-package"));
    EXPECT_EQ(command_line.HasSwitch("zelmar-website-icon-file"), c.icon_passed);
    EXPECT_FALSE(command_line.HasSwitch("send-statistics"));
    EXPECT_TRUE(command_line.HasSwitch("make-browser-default-after-import"));
    EXPECT_FALSE(command_line.HasSwitch("create-mirra-shortcut-in-taskbar"));
    // Present even when the download time is unknown.
    EXPECT_TRUE(command_line.HasSwitch("histogram-download-time"));
    EXPECT_EQ(command_line.GetSwitchValue("histogram-download-time"), L"");
    EXPECT_EQ(command_line.GetSwitchValue("foo"), L"1");
  }
}

std::wstring TestSetupPath() {
  return DirName(ExecutableFolder()) + L"\\fixtures\\test_setup.exe";
}

TEST(RunModuleAndWaitTest, ExitCodes) {
  ASSERT_TRUE(FileExists(TestSetupPath())) << "build the test_setup target";
  ScopedTempFolder folder;
  ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", folder.Child(L"record.json").c_str());
  struct Case {
    const wchar_t* code_switch;
    int32_t exit_code;
    bool result;
    int32_t shared_error;
  };
  const Case cases[] = {
      {L"0", 0, true, kSharedErrorNone},
      {L"3", 3, true, kSharedErrorNone},
      {L"7", 7, false, kSharedErrorAlreadyInstalled},
      {L"-1", -1, true, kSharedErrorNone},
      {L"0x81000005", static_cast<int32_t>(0x81000005), true, kSharedErrorNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.exit_code);
    SetSharedErrorCode(kSharedErrorNone);
    ScopedLogCapture log;
    RecordingObserver observer;
    const std::wstring command_line = L"\"" + TestSetupPath() +
                                      L"\" --test-setup-pv=none --test-setup-exit-code=" +
                                      c.code_switch;
    int32_t exit_code = 0;
    EXPECT_EQ(RunModuleAndWait(nullptr, command_line, &exit_code, &observer), c.result);
    EXPECT_EQ(exit_code, c.exit_code);
    EXPECT_EQ(GetSharedErrorCode(), c.shared_error);
    EXPECT_EQ(observer.calls(), (std::vector<std::string>{"percent40", "remove_cancel"}));
    EXPECT_TRUE(log.Contains(LOG_INFO, "RunModuleAndWait",
                             "Setup process exit with code: " +
                                 DescribeSetupExitCode(static_cast<uint32_t>(c.exit_code))))
        << log.Dump();
    EXPECT_TRUE(log.Contains(LOG_INFO, "RunModuleAndWait", "Wait for process finish."));
  }
  // The setup really ran with the command line given.
  EXPECT_NE(ReadWholeFile(folder.Child(L"record.json")).find("--test-setup-exit-code=0x81000005"),
            std::string::npos);
  ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", nullptr);
  SetSharedErrorCode(kSharedErrorNone);
}

// What the installer relies on from the setup, shown with the test setup
// the end-to-end tests use: the progress messages reach the window named
// on the command line, and the browser's message window outlives the run.
TEST(RunModuleAndWaitTest, TestSetupTalksToTheInstallerWindow) {
  ScopedTempFolder folder;
  ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", folder.Child(L"record.json").c_str());
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const std::wstring command_line = L"\"" + TestSetupPath() +
                                    L"\" --test-setup-pv=none --test-setup-window-ms=5000"
                                    L" --progress-window=" +
                                    std::to_wstring(reinterpret_cast<uintptr_t>(window));
  int32_t exit_code = -5;
  ASSERT_TRUE(RunModuleAndWait(nullptr, command_line, &exit_code, nullptr));
  EXPECT_EQ(exit_code, 0);

  // A real setup's run by default: its stages, the import, then closing.
  std::vector<std::pair<UINT, WPARAM>> received;
  MSG message;
  while (::PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    received.emplace_back(message.message, message.wParam);
  }
  const UINT install = ::RegisterWindowMessageW(L"zelmar.lite.set_install_progress");
  const UINT import = ::RegisterWindowMessageW(L"zelmar.lite.set_import_progress");
  const UINT close = ::RegisterWindowMessageW(L"zelmar.lite.close_window");
  EXPECT_EQ(received, (std::vector<std::pair<UINT, WPARAM>>{
                          {install, 5}, {install, 7}, {import, 0}, {import, 50}, {import, 100},
                          {close, 0}}));

  // Or what the test asks for; unknown items are skipped.
  ASSERT_TRUE(RunModuleAndWait(nullptr, L"\"" + TestSetupPath() +
                                            L"\" --test-setup-pv=none"
                                            L" --test-setup-messages=higher,bogus,import:30"
                                            L" --progress-window=" +
                                            std::to_wstring(reinterpret_cast<uintptr_t>(window)),
                               &exit_code, nullptr));
  received.clear();
  while (::PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    received.emplace_back(message.message, message.wParam);
  }
  EXPECT_EQ(received, (std::vector<std::pair<UINT, WPARAM>>{
                          {::RegisterWindowMessageW(L"zelmar.higher_version_exist"), 0},
                          {import, 30}}));
  ::DestroyWindow(window);

  // The window appears shortly after the setup exits, from its own process.
  bool found = false;
  for (int i = 0; i < 250 && !found; ++i) {
    found = ::FindWindowExW(HWND_MESSAGE, nullptr, L"ZelmarBrowser_MessageWindow", nullptr);
    if (!found) ::Sleep(20);
  }
  EXPECT_TRUE(found);
  ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", nullptr);
}

TEST(RunModuleAndWaitTest, SetupThatCannotStart) {
  ScopedTempFolder folder;
  // A PE image for another processor, and a file that is no program at all.
  std::string foreign_image(1024, '\0');
  foreign_image[0] = 'M';
  foreign_image[1] = 'Z';
  foreign_image[0x3C] = 0x40;
  std::memcpy(&foreign_image[0x40], "PE\0\0", 4);
  foreign_image[0x44] = static_cast<char>(0x00);  // IMAGE_FILE_MACHINE_UNKNOWN
  const std::wstring foreign = folder.Child(L"foreign.exe");
  ASSERT_TRUE(WriteWholeFile(foreign, foreign_image));

  struct Case {
    std::wstring program;
    const char* error;
  };
  const Case cases[] = {{folder.Child(L"missing.exe"), "2, File not found."},
                        {foreign, "193, Bad EXE format for %1."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    SetSharedErrorCode(kSharedErrorNone);
    ScopedLogCapture log;
    RecordingObserver observer;
    int32_t exit_code = 0;
    EXPECT_FALSE(RunModuleAndWait(nullptr, L"\"" + c.program + L"\"", &exit_code, &observer));
    EXPECT_EQ(exit_code, EXIT_SETUP_NOT_RUN);
    EXPECT_TRUE(observer.calls().empty());
    EXPECT_TRUE(HasErrorLine(log, "RunModuleAndWait", "Create process failed."))
        << log.Dump();
    EXPECT_NE(log.Dump().find(c.error), std::string::npos) << log.Dump();
    // Only a machine type mismatch is remembered for the failure dialog.
    EXPECT_EQ(GetSharedErrorCode(), kSharedErrorNone);
  }
}

}  // namespace
}  // namespace lite
