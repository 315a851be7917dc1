#include "config/user_id.h"

#include <windows.h>
#include <lmcons.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_hkey.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "fake_platform_queries.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

constexpr wchar_t kMarkKey[] = L"Software\\Zelmar";
constexpr wchar_t kLowMarkKey[] = L"Software\\AppDataLow\\Zelmar";

using FakeWindowsVersion = FakePlatformQueries;

WindowsVersion Version(uint32_t major, uint32_t minor) {
  WindowsVersion version;
  version.major = major;
  version.minor = minor;
  return version;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
bool IsGuidText(const std::string& text) {
  const std::string pattern = "{________-____-____-____-____________}";
  if (text.size() != pattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (pattern[i] != '_') {
      if (text[i] != pattern[i]) return false;
    } else if (!((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F'))) {
      return false;
    }
  }
  return true;
}

// Works on the real per-user folder and hive of the test prefix and leaves
// neither the identifier file nor the mark behind.
class UserIdTest : public testing::Test {
 protected:
  UserIdTest() : platform_scope_(&platform_) { platform_.version = Version(6, 1); }

  void SetUp() override {
    wchar_t app_data[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                             SHGFP_TYPE_CURRENT, app_data)));
    folder_ = std::wstring(app_data) + L"\\Zelmar";
    file_ = folder_ + L"\\ui";
    wchar_t user[UNLEN + 1];
    DWORD size = UNLEN + 1;
    ASSERT_TRUE(::GetUserNameW(user, &size));
    mark_name_ = std::wstring(L"UICreated_") + user;
    Clean();
  }
  void TearDown() override { Clean(); }

  void Clean() {
    if (DirectoryExists(folder_)) {
      DeleteFolderRecursively(folder_);
    } else {
      ::DeleteFileW(folder_.c_str());
    }
    ScopedHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kMarkKey, 0, KEY_SET_VALUE, key.receive()) ==
        ERROR_SUCCESS) {
      ::RegDeleteValueW(key.get(), mark_name_.c_str());
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kLowMarkKey);
  }

  void SetMark(const wchar_t* key_path) {
    ScopedHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                key.receive(), nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(::RegSetValueExW(key.get(), mark_name_.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&one), sizeof(one)),
              ERROR_SUCCESS);
  }
  // True only for the REG_DWORD 1 that the installer writes.
  bool HasMark(const wchar_t* key_path) {
    DWORD type = 0, data = 0, size = sizeof(data);
    return ::RegGetValueW(HKEY_CURRENT_USER, key_path, mark_name_.c_str(), RRF_RT_ANY, &type, &data,
                          &size) == ERROR_SUCCESS &&
           type == REG_DWORD && data == 1;
  }
  std::string FailedToRead() { return "Failed to read file " + WideToUTF8(file_); }

  FakeWindowsVersion platform_;
  ScopedPlatformQueriesOverride platform_scope_;
  std::wstring folder_;
  std::wstring file_;
  std::wstring mark_name_;
};

TEST_F(UserIdTest, FirstRunCreatesIdentifierAndMarkThenReusesThem) {
  struct Case {
    WindowsVersion version;
    const wchar_t* mark_key;
    const wchar_t* other_key;
  };
  const Case cases[] = {
      {Version(5, 1), kMarkKey, kLowMarkKey},
      {Version(6, 0), kLowMarkKey, kMarkKey},
      {Version(6, 1), kLowMarkKey, kMarkKey},
      {Version(10, 0), kLowMarkKey, kMarkKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version.major);
    Clean();
    platform_.version = c.version;
    ScopedLogCapture log;
    const std::string id = GetUserIdInternal();
    EXPECT_TRUE(IsGuidText(id)) << id;
    EXPECT_EQ(ReadWholeFile(file_), id);
    EXPECT_TRUE(HasMark(c.mark_key));
    EXPECT_FALSE(HasMark(c.other_key));
    EXPECT_TRUE(log.Contains(LOG_ERROR, "ReadUserIdFromFile", FailedToRead())) << log.Dump();

    log.clear();
    EXPECT_EQ(GetUserIdInternal(), id);
    EXPECT_EQ(ReadWholeFile(file_), id);
    EXPECT_TRUE(log.lines().empty()) << log.Dump();
  }
}

TEST_F(UserIdTest, FileContentAndMark) {
  const std::string guid = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
  std::string arbitrary_64;
  for (int i = 0; i < 64; ++i) arbitrary_64 += static_cast<char>(0x80 + i);
  enum Outcome { kFileContent, kNewIdentifier, kEmpty };
  struct Case {
    const char* name;
    bool file_exists;
    std::string content;
    bool mark;
    Outcome outcome;
    const char* read_error;  // "" none; "read" for "Failed to read file <path>"
  };
  const Case cases[] = {
      {"guid", true, guid, false, kFileContent, ""},
      {"one byte", true, "u", false, kFileContent, ""},
      {"64 arbitrary bytes", true, arbitrary_64, false, kFileContent, ""},
      {"trailing line break kept", true, guid + "\n", false, kFileContent, ""},
      {"valid file wins over the mark", true, guid, true, kFileContent, ""},
      {"missing", false, "", false, kNewIdentifier, "read"},
      {"empty", true, "", false, kNewIdentifier, "Incorrect User ID file content"},
      {"65 bytes", true, std::string(65, 'a'), false, kNewIdentifier,
       "Incorrect User ID file content"},
      {"66 bytes", true, std::string(66, 'a'), false, kNewIdentifier, "read"},
      {"lost after creation", false, "", true, kEmpty, "read"},
      {"empty with mark", true, "", true, kEmpty, "Incorrect User ID file content"},
      {"65 bytes with mark", true, std::string(65, 'b'), true, kEmpty,
       "Incorrect User ID file content"},
      {"long file with mark", true, std::string(4096, 'c'), true, kEmpty, "read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Clean();
    if (c.file_exists) {
      ASSERT_TRUE(CreateDirectoryWithAncestors(folder_));
      ASSERT_TRUE(WriteWholeFile(file_, c.content));
    }
    if (c.mark) SetMark(kMarkKey);
    ScopedLogCapture log;
    const std::string id = GetUserIdInternal();
    const std::string read_error =
        std::string(c.read_error) == "read" ? FailedToRead() : c.read_error;
    if (read_error.empty()) {
      EXPECT_TRUE(log.lines().empty()) << log.Dump();
    } else {
      EXPECT_TRUE(log.Contains(LOG_ERROR, "ReadUserIdFromFile", read_error)) << log.Dump();
    }
    const bool skipped =
        log.Contains(LOG_INFO, "GetUserIdInternal",
                     "Registry entry already exists, skip User ID file generation");
    switch (c.outcome) {
      case kFileContent:
        EXPECT_EQ(id, c.content);
        EXPECT_EQ(ReadWholeFile(file_), c.content);
        EXPECT_FALSE(skipped);
        break;
      case kNewIdentifier:
        EXPECT_TRUE(IsGuidText(id)) << id;
        EXPECT_EQ(ReadWholeFile(file_), id);
        EXPECT_TRUE(HasMark(kLowMarkKey));
        EXPECT_FALSE(skipped);
        break;
      case kEmpty:
        EXPECT_EQ(id, "");
        EXPECT_TRUE(skipped) << log.Dump();
        // Nothing is regenerated, so a bad file stays as it was.
        EXPECT_EQ(PathExists(file_), c.file_exists);
        if (c.file_exists) {
          EXPECT_EQ(ReadWholeFile(file_), c.content);
        }
        EXPECT_FALSE(HasMark(kLowMarkKey));
        break;
    }
  }
}

TEST_F(UserIdTest, MarkIsLookedForUnderBothKeys) {
  struct Case {
    WindowsVersion version;
    bool under_mark_key;
    bool under_low_key;
    bool exists;
  };
  const Case cases[] = {
      {Version(6, 1), false, false, false}, {Version(6, 1), true, false, true},
      {Version(6, 1), false, true, true},   {Version(10, 0), false, true, true},
      {Version(5, 1), true, false, true},   {Version(5, 1), false, true, false},
      {Version(5, 2), false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version.major << "." << c.version.minor << " "
                                    << c.under_mark_key << c.under_low_key);
    Clean();
    platform_.version = c.version;
    if (c.under_mark_key) SetMark(kMarkKey);
    if (c.under_low_key) SetMark(kLowMarkKey);
    ScopedLogCapture log;
    EXPECT_EQ(RegistryValueExist(), c.exists);
    EXPECT_TRUE(log.lines().empty()) << log.Dump();
  }
}

TEST_F(UserIdTest, FilePathCreatesTheFolderOnlyWhenAsked) {
  EXPECT_EQ(GetUserIdFilePath(false), file_);
  EXPECT_FALSE(PathExists(folder_));
  EXPECT_EQ(GetUserIdFilePath(true), file_);
  EXPECT_TRUE(DirectoryExists(folder_));
  EXPECT_FALSE(PathExists(file_));
}

TEST_F(UserIdTest, NoIdentifierWhenTheFolderCannotBeMade) {
  ASSERT_TRUE(WriteWholeFile(folder_, "a file where the folder belongs"));
  ScopedLogCapture log;
  EXPECT_EQ(GetUserIdFilePath(true), L"");
  EXPECT_EQ(GetUserIdInternal(), "");
  bool logged = false;
  const std::string expected = "Can't create directory: " + WideToUTF8(folder_) + " - ";
  for (const CapturedLine& line : log.lines()) {
    logged |= line.severity == LOG_ERROR && line.function == "GetUserIdFilePath" &&
              line.message.compare(0, expected.size(), expected) == 0;
  }
  EXPECT_TRUE(logged) << log.Dump();
  EXPECT_FALSE(HasMark(kLowMarkKey));
  EXPECT_EQ(ReadWholeFile(folder_), "a file where the folder belongs");
}

TEST_F(UserIdTest, FileStaysWhenTheMarkCannotBeWritten) {
  // Below a volatile key no lasting key can be created. The test prefix
  // normally has no "AppDataLow" key at all; leave a real one alone.
  ScopedHKey low;
  bool had_low_key = false;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\AppDataLow", 0, KEY_READ, low.receive()) ==
      ERROR_SUCCESS) {
    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(::RegQueryInfoKeyW(low.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    if (subkeys || values) GTEST_SKIP() << "Software\\AppDataLow is in use";
    had_low_key = true;
    low.reset();
    ASSERT_EQ(::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\AppDataLow"), ERROR_SUCCESS);
  }
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\AppDataLow", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, low.receive(), nullptr),
            ERROR_SUCCESS);
  low.reset();

  ScopedLogCapture log;
  EXPECT_EQ(GetUserIdInternal(), "");
  EXPECT_TRUE(log.Contains(LOG_ERROR, "RememberUidIsCreated",
                           "Can't open registry key: Software\\AppDataLow\\Zelmar - " +
                               SystemErrorText(ERROR_CHILD_MUST_BE_VOLATILE)))
      << log.Dump();
  EXPECT_TRUE(log.Contains(LOG_ERROR, "GenerateAndStoreUserId", "Can't create 'UI created' entry"))
      << log.Dump();
  const std::string written = ReadWholeFile(file_);
  EXPECT_TRUE(IsGuidText(written)) << written;
  // The next call finds the file.
  EXPECT_EQ(GetUserIdInternal(), written);

  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\AppDataLow");
  if (had_low_key) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\AppDataLow", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, low.receive(), nullptr);
  }
}

TEST_F(UserIdTest, ConcurrentFirstCallsAgreeOnOneIdentifier) {
  for (int round = 0; round < 5; ++round) {
    Clean();
    std::vector<std::string> ids(8);
    std::vector<std::thread> threads;
    for (std::string& id : ids) threads.emplace_back([&id] { id = GetUserIdInternal(); });
    for (std::thread& thread : threads) thread.join();
    ASSERT_TRUE(IsGuidText(ids[0])) << ids[0];
    for (const std::string& id : ids) EXPECT_EQ(id, ids[0]);
    EXPECT_EQ(ReadWholeFile(file_), ids[0]);
  }
}

}  // namespace
}  // namespace lite
