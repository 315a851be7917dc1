#include "system/file_version.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "test_util.h"

namespace lite {
namespace {

std::wstring OwnPath() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::wstring(buffer, length);
}

// The four parts of "a.b.c.d".
std::vector<uint32_t> SplitVersion(const std::string& text) {
  std::vector<uint32_t> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    parts.push_back(static_cast<uint32_t>(std::stoul(text.substr(start, dot - start))));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

// The test executable carries the installer's own version resource.
TEST(FileVersionTest, ReadsProductVersionOfAnExecutable) {
  const std::vector<uint32_t> parts = SplitVersion(LITE_TEST_PRODUCT_VERSION);
  ASSERT_EQ(parts.size(), 4u);
  const uint32_t high = parts[0] << 16 | parts[1];
  const uint32_t low = parts[2] << 16 | parts[3];
  ScopedLogCapture log;
  uint64_t version = 0;
  ASSERT_TRUE(GetFileVersion(OwnPath(), &version));
  EXPECT_EQ(version >> 32, high);
  EXPECT_EQ(version & 0xFFFFFFFFu, low);
  EXPECT_TRUE(log.Contains(LOG_INFO, "GetFileVersion",
                           "File: " + WideToUTF8(OwnPath()) + " Version: " + std::to_string(high) +
                               "." + std::to_string(low)))
      << log.Dump();
  EXPECT_EQ(GetFileVersionString(OwnPath()), LITE_TEST_PRODUCT_VERSION);
}

TEST(FileVersionTest, ReadsASystemLibrary) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring kernel32 = std::wstring(system) + L"\\kernel32.dll";
  uint64_t version = 0;
  ASSERT_TRUE(GetFileVersion(kernel32, &version));
  EXPECT_GE(version >> 48, 5u);  // no Windows this runs on is older than XP
  const std::string text = GetFileVersionString(kernel32);
  EXPECT_EQ(text, std::to_string(version >> 48) + "." + std::to_string((version >> 32) & 0xFFFF) +
                      "." + std::to_string((version >> 16) & 0xFFFF) + "." +
                      std::to_string(version & 0xFFFF));
}

TEST(FileVersionTest, FilesWithoutVersionResource) {
  ScopedTempFolder folder;
  const std::wstring text_file = folder.Child(L"plain.txt");
  ASSERT_TRUE(WriteWholeFile(text_file, "no resources here"));
  for (const std::wstring& path : {text_file, folder.Child(L"missing.exe")}) {
    ScopedLogCapture log;
    uint64_t version = 1;
    EXPECT_FALSE(GetFileVersion(path, &version));
    EXPECT_EQ(version, 1u);
    EXPECT_EQ(GetFileVersionString(path), "0.0.0.0");
    uint64_t date = 1;
    EXPECT_FALSE(GetFileDate(path, &date));
    EXPECT_TRUE(log.lines().empty()) << log.Dump();
  }
}

TEST(FileVersionTest, FileDateOfTheVersionResource) {
  // Resource compilers leave the file date at zero.
  uint64_t date = 1;
  ASSERT_TRUE(GetFileDate(OwnPath(), &date));
  EXPECT_EQ(date, 0u);
}

TEST(FileVersionTest, FileTimes) {
  ScopedTempFolder folder;
  const std::wstring path = folder.Child(L"stamped.bin");
  ASSERT_TRUE(WriteWholeFile(path, "x"));
  const uint64_t creation = 0x01D0000012345670ull;
  const uint64_t access = 0x01D5000012345670ull;
  const uint64_t write = 0x01DA000012345670ull;
  uint64_t kept_creation = 0;
  {
    ScopedHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    auto to_filetime = [](uint64_t value) {
      FILETIME ft;
      ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
      ft.dwLowDateTime = static_cast<DWORD>(value);
      return ft;
    };
    const FILETIME c = to_filetime(creation), a = to_filetime(access), w = to_filetime(write);
    ASSERT_TRUE(::SetFileTime(file.get(), &c, &a, &w));
    // Not every file system keeps a creation time that can be set (Wine on
    // Linux does not); compare with what the file itself reports.
    FILETIME kept;
    ASSERT_TRUE(::GetFileTime(file.get(), &kept, nullptr, nullptr));
    kept_creation = (static_cast<uint64_t>(kept.dwHighDateTime) << 32) | kept.dwLowDateTime;
  }
  FileTimes times;
  ASSERT_TRUE(GetFileTimes(path, &times));
  EXPECT_EQ(times.creation, kept_creation);
  EXPECT_NE(times.creation, 0u);
  EXPECT_EQ(times.last_access, access);
  EXPECT_EQ(times.last_write, write);

  EXPECT_FALSE(GetFileTimes(folder.Child(L"missing"), &times));
}

}  // namespace
}  // namespace lite
