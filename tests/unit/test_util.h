#ifndef LITE_TESTS_UNIT_TEST_UTIL_H_
#define LITE_TESTS_UNIT_TEST_UTIL_H_

#include <windows.h>

#include <string>

#include "base/file_util.h"

namespace lite {

// A fresh folder under the temporary folder, deleted with everything in it
// at the end of the test.
class ScopedTempFolder {
 public:
  ScopedTempFolder() {
    const std::wstring file = CreateTempFileIn(GetTempFolder(), L"lit");
    ::DeleteFileW(file.c_str());
    ::CreateDirectoryW(file.c_str(), nullptr);
    path_ = file;
  }
  ~ScopedTempFolder() { DeleteFolderRecursively(path_); }
  const std::wstring& path() const { return path_; }
  std::wstring Child(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// The folder of the running test executable.
inline std::wstring ExecutableFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return DirName(std::wstring(buffer, length));
}

}  // namespace lite

#endif  // LITE_TESTS_UNIT_TEST_UTIL_H_
