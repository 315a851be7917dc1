#include "install/module_creation_time.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "install_test_support.h"
#include "test_util.h"

namespace lite {
namespace {

struct ConversionCase {
  uint64_t file_time;
  uint64_t microseconds;
};

TEST(FileTimeToMicrosecondsTest, DividesByTenKeepingTheMarkers) {
  const ConversionCase cases[] = {
      {0, 0}, {9, 0}, {10, 1}, {15, 1}, {UINT64_MAX - 1, (UINT64_MAX - 1) / 10},
      {UINT64_MAX, UINT64_MAX}};
  for (const ConversionCase& test : cases) {
    EXPECT_EQ(FileTimeToMicroseconds(test.file_time), test.microseconds) << test.file_time;
  }
}

// 2020-01-01 00:00 UTC creation and 2021-01-01 last write, in FILETIME units.
constexpr uint64_t kCreation = 132223104000000000ull;
constexpr uint64_t kLastWrite = 132539328000000000ull;

void SetTimes(const std::wstring& path) {
  ScopedHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.is_valid());
  FILETIME creation = {static_cast<DWORD>(kCreation), static_cast<DWORD>(kCreation >> 32)};
  FILETIME write = {static_cast<DWORD>(kLastWrite), static_cast<DWORD>(kLastWrite >> 32)};
  ASSERT_TRUE(::SetFileTime(file.get(), &creation, nullptr, &write));
}

TEST(GetModuleCreationTimeTest, FileWithoutVersionUsesLastWriteTime) {
  ScopedTempFolder folder;
  const std::wstring path = folder.Child(L"plain.txt");
  ASSERT_TRUE(WriteWholeFile(path, "no resources here"));
  SetTimes(path);
  ScopedLogCapture log;

  uint64_t time = 0;
  ASSERT_TRUE(GetModuleCreationTime(path, &time));
  EXPECT_EQ(time, kLastWrite / 10);
  const std::string text_path = WideToUTF8(path);
  EXPECT_EQ(LinesOf(log, {"GetModuleCreationTime"}),
            (std::vector<std::string>{
                "W GetModuleCreationTime: File version resource is absent in " + text_path,
                "W GetModuleCreationTime: Used the last write file time"}));
}

TEST(GetModuleCreationTimeTest, VersionWithoutDateUsesLastWriteTime) {
  // The test executable carries the installer's version resource, whose
  // file date the build leaves at 0.
  ScopedTempFolder folder;
  wchar_t self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const std::wstring path = folder.Child(L"copy.exe");
  ASSERT_TRUE(::CopyFileW(self, path.c_str(), FALSE));
  SetTimes(path);
  ScopedLogCapture log;

  uint64_t time = 0;
  ASSERT_TRUE(GetModuleCreationTime(path, &time));
  EXPECT_EQ(time, kLastWrite / 10);
  EXPECT_EQ(LinesOf(log, {"GetModuleCreationTime"}),
            (std::vector<std::string>{
                "W GetModuleCreationTime: Version time is 0 in " + WideToUTF8(path),
                "W GetModuleCreationTime: Used the last write file time"}));
}

TEST(GetModuleCreationTimeTest, MissingFileFails) {
  ScopedTempFolder folder;
  uint64_t time = 7;
  EXPECT_FALSE(GetModuleCreationTime(folder.Child(L"absent.exe"), &time));
  EXPECT_EQ(time, 7u);
}

}  // namespace
}  // namespace lite
