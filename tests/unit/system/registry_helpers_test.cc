#include "system/registry_helpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_hkey.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "system/registry_values.h"
#include "test_util.h"

namespace lite {
namespace {

constexpr wchar_t kBrowserKey[] = L"Software\\Zelmar\\ZelmarBrowser";
const std::string kBrowserKeyText = "HKEY_CURRENT_USER\\Software\\Zelmar\\ZelmarBrowser\\";

// Points HKEY_CURRENT_USER of this process at a scratch key for the test,
// so that the helpers run against a hive of their own that is thrown away.
class RegistryHelpersTest : public testing::Test {
 protected:
  void SetUp() override {
    scratch_path_ =
        L"Software\\LiteInstallerTests\\registry_" + std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratch_path_.c_str());
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, scratch_path_.c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, scratch_.receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_.get()), ERROR_SUCCESS);
    // The tests delete keys freely; make sure they only reach the scratch key.
    ScopedHKey probe;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"probe", 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_READ, nullptr, probe.receive(), nullptr),
              ERROR_SUCCESS);
    probe.reset();
    ASSERT_EQ(::RegOpenKeyExW(scratch_.get(), L"probe", 0, KEY_READ, probe.receive()),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    scratch_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratch_path_.c_str());
  }

  // Writes raw data, bypassing the helpers, in the view they use.
  static void SetRaw(const wchar_t* key_path,
                     const wchar_t* name,
                     DWORD type,
                     const void* data,
                     DWORD bytes) {
    ScopedHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0,
                                KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, key.receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }
  // Type and bytes of a value, or false when it cannot be queried.
  static bool GetRaw(const wchar_t* key_path,
                     const wchar_t* name,
                     DWORD* type,
                     std::vector<BYTE>* data,
                     REGSAM view = KEY_WOW64_32KEY) {
    ScopedHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_path, 0, KEY_QUERY_VALUE | view, key.receive()) !=
        ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
      return false;
    }
    data->assign(size, 0);
    return ::RegQueryValueExW(key.get(), name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
  }
  static bool KeyExists(const wchar_t* key_path) {
    ScopedHKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, key_path, 0, KEY_READ | KEY_WOW64_32KEY,
                           key.receive()) == ERROR_SUCCESS;
  }

  std::wstring scratch_path_;
  ScopedHKey scratch_;
};

std::vector<BYTE> Bytes(const std::wstring& text, bool terminated) {
  const size_t count = (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t);
  const BYTE* begin = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(begin, begin + count);
}

TEST_F(RegistryHelpersTest, BrowserKeyIsFixedAndKept) {
  EXPECT_STREQ(BrowserRegistryKey(), kBrowserKey);
  EXPECT_EQ(BrowserRegistryKey(), BrowserRegistryKey());
}

TEST_F(RegistryHelpersTest, ReadsStringKindsWithinTheBufferLimit) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"LITE_REG_TEST", L"C:\\expanded"));
  ASSERT_TRUE(::SetEnvironmentVariableW(L"LITE_REG_TEST_500", std::wstring(500, L'e').c_str()));
  wchar_t temp[MAX_PATH];
  const DWORD temp_length = ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  ASSERT_GT(temp_length, 0u);
  const DWORD dword = 7;
  const BYTE binary[] = {'a', 0, 'b', 0, 0, 0};

  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
    bool ok;
    std::wstring value;  // when ok
    DWORD error;         // when not ok
  };
  const Case cases[] = {
      {"plain", REG_SZ, Bytes(L"hello", true), true, L"hello"},
      {"empty", REG_SZ, Bytes(L"", true), true, L""},
      {"no data at all", REG_SZ, {}, true, L""},
      {"1023 characters fill 2048 bytes", REG_SZ, Bytes(std::wstring(1023, L'x'), true), true,
       std::wstring(1023, L'x')},
      {"1024 characters", REG_SZ, Bytes(std::wstring(1024, L'x'), true), false, L"",
       ERROR_MORE_DATA},
      {"2000 characters", REG_SZ, Bytes(std::wstring(2000, L'x'), true), false, L"",
       ERROR_MORE_DATA},
      // Stored by another program without the terminating null.
      {"unterminated", REG_SZ, Bytes(L"abc", false), true, L"abc"},
      {"unterminated 1024 characters", REG_SZ, Bytes(std::wstring(1024, L'y'), false), false, L"",
       ERROR_MORE_DATA},
      {"embedded null", REG_SZ, Bytes(std::wstring(L"ab\0cd", 5), true), true, L"ab"},
      {"expand", REG_EXPAND_SZ, Bytes(L"%LITE_REG_TEST%\\file", true), true, L"C:\\expanded\\file"},
      {"expand TEMP", REG_EXPAND_SZ, Bytes(L"%TEMP%\\setup", true), true,
       std::wstring(temp, temp_length) + L"\\setup"},
      {"expand unknown variable", REG_EXPAND_SZ, Bytes(L"%LITE_REG_UNSET%\\x", true), true,
       L"%LITE_REG_UNSET%\\x"},
      {"expand to 1023 characters", REG_EXPAND_SZ,
       Bytes(L"%LITE_REG_TEST_500%%LITE_REG_TEST_500%" + std::wstring(23, L'z'), true), true,
       std::wstring(500, L'e') + std::wstring(500, L'e') + std::wstring(23, L'z')},
      {"expand to 1024 characters", REG_EXPAND_SZ,
       Bytes(L"%LITE_REG_TEST_500%%LITE_REG_TEST_500%" + std::wstring(24, L'z'), true), false, L"",
       ERROR_MORE_DATA},
      {"dword", REG_DWORD,
       std::vector<BYTE>(reinterpret_cast<const BYTE*>(&dword),
                         reinterpret_cast<const BYTE*>(&dword) + 4),
       false, L"", ERROR_CANTREAD},
      {"binary", REG_BINARY, std::vector<BYTE>(binary, binary + sizeof(binary)), false, L"",
       ERROR_CANTREAD},
      {"multi string", REG_MULTI_SZ, std::vector<BYTE>(binary, binary + sizeof(binary)), false, L"",
       ERROR_CANTREAD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRaw(kBrowserKey, L"v", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    ScopedLogCapture log;
    std::wstring value = L"untouched";
    ::SetLastError(0);
    EXPECT_EQ(ReadValueFromRegistry(kBrowserKey, L"v", &value), c.ok);
    const std::vector<CapturedLine> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u) << log.Dump();
    EXPECT_EQ(lines[0].severity, LOG_INFO);
    EXPECT_EQ(lines[0].function, "ReadValueFromRegistry");
    if (c.ok) {
      EXPECT_EQ(value, c.value);
      EXPECT_EQ(lines[0].message,
                "Read " + kBrowserKeyText + "vwhich is \"" + WideToUTF8(c.value) + "\"");
    } else {
      EXPECT_EQ(::GetLastError(), c.error);
      EXPECT_EQ(value, L"untouched");
      EXPECT_EQ(lines[0].message, "Failed to read " + kBrowserKeyText + "v");
    }
  }
}

TEST_F(RegistryHelpersTest, ReadOfMissingKeyOrValueFails) {
  ScopedLogCapture log;
  std::wstring value;
  EXPECT_FALSE(ReadValueFromRegistry(L"Software\\Zelmar\\Absent", L"brand", &value));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(KeyExists(L"Software\\Zelmar\\Absent"));  // reading never creates

  StoreBrowserValue(L"other", L"x");
  log.clear();
  EXPECT_EQ(ReadBrowserValue(kRegValueBrand), L"");
  EXPECT_TRUE(log.Contains(LOG_INFO, "ReadValueFromRegistry",
                           "Failed to read " + kBrowserKeyText + "brand"))
      << log.Dump();
}

TEST_F(RegistryHelpersTest, StoreWritesTerminatedStringAndCreatesKey) {
  ASSERT_FALSE(KeyExists(kBrowserKey));
  struct Case {
    std::wstring value;
  };
  const Case cases[] = {{L"ru"}, {L""}, {std::wstring(1023, L'q')}, {L"\x0436\x0443\x043A"}};
  for (const Case& c : cases) {
    ScopedLogCapture log;
    EXPECT_TRUE(StoreBrowserValue(kRegValueLang, c.value));
    EXPECT_TRUE(log.Contains(LOG_INFO, "StoreValueInRegistry",
                             "Stored " + kBrowserKeyText + "lang = " + WideToUTF8(c.value)))
        << log.Dump();
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetRaw(kBrowserKey, L"lang", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, Bytes(c.value, true));
    EXPECT_EQ(ReadBrowserValue(kRegValueLang), c.value);
  }
}

TEST_F(RegistryHelpersTest, StoreFailureIsReported) {
  // A volatile key cannot get a lasting subkey, so creating the target fails.
  ScopedHKey parent;
  ASSERT_EQ(
      ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, parent.receive(), nullptr),
      ERROR_SUCCESS);
  ScopedLogCapture log;
  EXPECT_FALSE(StoreValueInRegistry(L"Software\\Volatile\\Lasting", L"brand", L"b"));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE));
  EXPECT_TRUE(
      log.Contains(LOG_INFO, "StoreValueInRegistry",
                   "Failed to store HKEY_CURRENT_USER\\Software\\Volatile\\Lasting\\brand = b"))
      << log.Dump();
}

TEST_F(RegistryHelpersTest, RemoveDeletesOnlyExistingValues) {
  struct Case {
    const char* name;
    bool key_exists;
    bool value_exists;
    bool ok;
    const char* log;
  };
  const Case cases[] = {
      {"present", true, true, true, "Removed "},
      {"value missing", true, false, false, "Failed to remove "},
      {"key missing", false, false, false, "Failed to remove "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zelmar");
    if (c.key_exists) SetRaw(kBrowserKey, L"keep", REG_SZ, L"k", 4);
    if (c.value_exists) SetRaw(kBrowserKey, L"ClidsFile", REG_SZ, L"c", 4);
    ScopedLogCapture log;
    ::SetLastError(0);
    EXPECT_EQ(RemoveBrowserValue(kRegValueClidsFile), c.ok);
    if (!c.ok) {
      EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_TRUE(
        log.Contains(LOG_INFO, "RemoveValueFromRegistry", c.log + kBrowserKeyText + "ClidsFile"))
        << log.Dump();
    DWORD type;
    std::vector<BYTE> data;
    EXPECT_FALSE(GetRaw(kBrowserKey, L"ClidsFile", &type, &data));
    // The key stays, and is there even if it was missing before.
    EXPECT_TRUE(KeyExists(kBrowserKey));
    EXPECT_EQ(GetRaw(kBrowserKey, L"keep", &type, &data), c.key_exists);
  }
}

TEST_F(RegistryHelpersTest, FilePathOnlyWhileSomethingExistsThere) {
  ScopedTempFolder folder;
  const std::wstring file = folder.Child(L"brand.cab");
  ASSERT_TRUE(WriteWholeFile(file, "cab"));
  const std::wstring deleted = folder.Child(L"gone.cab");
  struct Case {
    const char* name;
    bool has_value;
    std::wstring stored;
    std::wstring expected;
  };
  const Case cases[] = {
      {"file", true, file, file},
      {"folder", true, folder.path(), folder.path()},
      {"deleted file", true, deleted, L""},
      {"no value", false, L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveBrowserValue(kRegValueBrandFile);
    if (c.has_value) {
      ASSERT_TRUE(StoreBrowserValue(kRegValueBrandFile, c.stored));
    }
    ScopedLogCapture log;
    EXPECT_EQ(ReadFilePathFromRegistry(kRegValueBrandFile), c.expected);
    EXPECT_TRUE(log.Contains(
        LOG_INFO, "ReadFilePathFromRegistry",
        "Read " + kBrowserKeyText + "BrandFile which is \"" + WideToUTF8(c.expected) + "\""))
        << log.Dump();
  }
}

// The helpers work in the 32-bit view; the current user's Software branch
// is shared between the views, so a 64-bit setup sees the same values.
TEST(RegistryViewTest, ValuesAreSharedWithThe64BitView) {
  const std::wstring name = L"lite_view_test_" + std::to_wstring(::GetCurrentProcessId());
  ScopedHKey existing;
  const bool key_existed =
      ::RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserKey, 0, KEY_READ | KEY_WOW64_32KEY,
                      existing.receive()) == ERROR_SUCCESS;
  existing.reset();
  ASSERT_TRUE(StoreBrowserValue(name, L"shared"));
  for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY), REGSAM(0)}) {
    SCOPED_TRACE(view);
    ScopedHKey key;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserKey, 0, KEY_QUERY_VALUE | view, key.receive()),
        ERROR_SUCCESS);
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    EXPECT_EQ(::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"shared");
  }
  ScopedHKey redirected;
  EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wow6432Node\\Zelmar\\ZelmarBrowser", 0,
                            KEY_READ | KEY_WOW64_64KEY, redirected.receive()),
            ERROR_SUCCESS);
  EXPECT_TRUE(RemoveBrowserValue(name));
  if (!key_existed) {
    // Fails harmlessly when the keys hold anything else.
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, kBrowserKey, KEY_WOW64_32KEY, 0);
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, L"Software\\Zelmar", KEY_WOW64_32KEY, 0);
  }
}

}  // namespace
}  // namespace lite
