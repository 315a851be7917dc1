#include "system/secure_dll_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "process/installer_command_line.h"
#include "system_test_support.h"
#include "test_util.h"

namespace lite {
namespace {

// Stand-ins for the kernel32 functions, recording what they were asked.
struct Calls {
  DWORD search_mode = 0;
  DWORD directories = 0;
  bool mode_result = true;
  bool directories_result = true;
} g_calls;

BOOL WINAPI FakeSetSearchPathMode(DWORD flags) {
  g_calls.search_mode = flags;
  return g_calls.mode_result;
}

BOOL WINAPI FakeSetDefaultDllDirectories(DWORD flags) {
  g_calls.directories = flags;
  return g_calls.directories_result;
}

class ModernSystem : public PlatformQueries {
 public:
  void* GetKernel32Proc(const char* name) override {
    if (std::strcmp(name, "SetSearchPathMode") == 0)
      return reinterpret_cast<void*>(&FakeSetSearchPathMode);
    if (std::strcmp(name, "SetDefaultDllDirectories") == 0)
      return reinterpret_cast<void*>(&FakeSetDefaultDllDirectories);
    return nullptr;
  }
};

TEST(SecureDllSearchTest, UsesTheSystemRestrictionsWhenPresent) {
  struct Case {
    bool mode_ok, directories_ok;
    int result;
    DWORD directories_flags;  // 0: not called
  };
  const Case cases[] = {
      {true, true, kSecureSearchInForce, 0x800},
      {false, true, kSecureSearchNotSet, 0},
      {true, false, kSecureSearchNotSet, 0x800},
  };
  for (const auto& c : cases) {
    g_calls = Calls{0, 0, c.mode_ok, c.directories_ok};
    ModernSystem system;
    ScopedPlatformQueriesOverride scope(&system);
    int exit_code = 77;
    EXPECT_EQ(SetUpSecureDllSearch(&exit_code), c.result);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(g_calls.search_mode, 0x8001u);
    EXPECT_EQ(g_calls.directories, c.directories_flags);
  }
}

TEST(SecureDllSearchTest, RealSystemRestrictsTheSearchOrder) {
  int exit_code = 77;
  EXPECT_EQ(SetUpSecureDllSearch(&exit_code), kSecureSearchInForce);
  EXPECT_EQ(exit_code, 0);
}

TEST(SecureDllSearchTest, FindsOnlyDllFilesDirectlyInTheFolder) {
  ScopedTempFolder folder;
  EXPECT_FALSE(FolderHasDllFiles(folder.path().c_str()));
  ASSERT_TRUE(CreateDirectoryWithAncestors(folder.Child(L"folder.dll\\inner.dll")));
  ASSERT_TRUE(WriteWholeFile(folder.Child(L"notes.txt"), ""));
  EXPECT_FALSE(FolderHasDllFiles(folder.path().c_str()));
  ASSERT_TRUE(WriteWholeFile(folder.Child(L"VERSION.DLL"), ""));
  EXPECT_TRUE(FolderHasDllFiles(folder.path().c_str()));
}

// Older systems: the test executable relaunches itself from a fresh folder
// and plays the copy (see system_main.cc).
class RelaunchTest : public testing::Test {
 protected:
  // The copy inherits the switches it is started with; they tell it what
  // to do and where to report its folder.
  int Relaunch(const char* instruction, const std::wstring& value, int* exit_code) {
    InstallerCommandLine command_line = InstallerCommandLine::ForCurrentProcess();
    command_line.AppendSwitch("report", report_);
    command_line.AppendSwitch(instruction, value);
    NoSecureSearchFunctions old_system;
    ScopedPlatformQueriesOverride scope(&old_system);
    return SetUpSecureDllSearch(command_line, exit_code);
  }
  std::wstring CopyFolder() const { return UTF8ToWide(ReadWholeFile(report_)); }

  ScopedTempFolder folder_;
  const std::wstring report_ = folder_.Child(L"copy folder.txt");
};

TEST_F(RelaunchTest, CopyRunsTheInstallationAndItsExitCodeIsForwarded) {
  int exit_code = 0;
  EXPECT_EQ(Relaunch("copy-exit", L"1234", &exit_code), kSecureSearchCopyFinished);
  EXPECT_EQ(exit_code, 1234);
  const std::wstring copy_folder = CopyFolder();
  ASSERT_FALSE(copy_folder.empty());
  EXPECT_EQ(copy_folder.rfind(GetTempFolder(), 0), 0u) << "copy runs from the temp folder";
  EXPECT_FALSE(PathExists(copy_folder)) << "the fresh folder is removed afterwards";
}

TEST_F(RelaunchTest, CopyThatFindsDllsStopsTheInstaller) {
  int exit_code = 0;
  EXPECT_EQ(Relaunch("plant-dll", L"", &exit_code), kSecureSearchStop);
  EXPECT_EQ(exit_code, -200);
  EXPECT_FALSE(PathExists(CopyFolder()));
}

// Points the temporary folder somewhere else for one scope.
class ScopedTempPath {
 public:
  explicit ScopedTempPath(const std::wstring& path) {
    for (int i = 0; i < 2; ++i) {
      wchar_t buffer[MAX_PATH] = {};
      saved_[i] = ::GetEnvironmentVariableW(kNames[i], buffer, MAX_PATH) ? buffer : L"";
      ::SetEnvironmentVariableW(kNames[i], path.c_str());
    }
  }
  ~ScopedTempPath() {
    for (int i = 0; i < 2; ++i) {
      ::SetEnvironmentVariableW(kNames[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
    }
  }

 private:
  static constexpr const wchar_t* kNames[2] = {L"TMP", L"TEMP"};
  std::wstring saved_[2];
};

// Whose exit code cannot be read.
class ExitCodeUnreadable : public NoSecureSearchFunctions {
 public:
  bool GetProcessExitCode(void*, uint32_t*) override { return false; }
};

TEST_F(RelaunchTest, FailuresBeforeTheCopyRuns) {
  ScopedTempFolder temp;
  const std::wstring text_file = temp.Child(L"not a program.exe");
  ASSERT_TRUE(WriteWholeFile(text_file, "no executable image"));
  struct Case {
    const char* name;
    std::wstring temp_path;
    std::wstring exe_path;
  };
  const Case cases[] = {
      {"no folder for the copy", temp.Child(L"missing\\"), GetExecutablePath()},
      {"copy fails", temp.path() + L"\\", temp.Child(L"absent.exe")},
      {"copy cannot start", temp.path() + L"\\", text_file},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallerCommandLine command_line = InstallerCommandLine::ForCurrentProcess();
    command_line.AppendSwitch("report", report_);
    command_line.AppendSwitch("copy-exit", L"1234");
    int exit_code = 77;
    {
      ScopedTempPath temp_path(c.temp_path);
      EXPECT_EQ(RelaunchFromFreshFolder(command_line, c.exe_path, &exit_code),
                kSecureSearchNotSet);
    }
    EXPECT_EQ(exit_code, 77);
    EXPECT_FALSE(FileExists(report_)) << "no copy ran";
    // The fresh folder does not outlive the failure.
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(::FindFirstFileW((temp.path() + L"\\lite_installer_*").c_str(), &data));
    EXPECT_FALSE(find.is_valid());
  }
}

TEST_F(RelaunchTest, CopyWhoseExitCodeCannotBeReadStopsTheInstaller) {
  InstallerCommandLine command_line = InstallerCommandLine::ForCurrentProcess();
  command_line.AppendSwitch("report", report_);
  command_line.AppendSwitch("copy-exit", L"1234");
  ExitCodeUnreadable system;
  ScopedPlatformQueriesOverride scope(&system);
  int exit_code = 77;
  EXPECT_EQ(SetUpSecureDllSearch(command_line, &exit_code), kSecureSearchStop);
  EXPECT_EQ(exit_code, 0);
  const std::wstring copy_folder = CopyFolder();
  EXPECT_FALSE(copy_folder.empty()) << "the copy ran";
  EXPECT_FALSE(PathExists(copy_folder));
}

}  // namespace
}  // namespace lite
