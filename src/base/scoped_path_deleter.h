#ifndef LITE_BASE_SCOPED_PATH_DELETER_H_
#define LITE_BASE_SCOPED_PATH_DELETER_H_

#include <windows.h>

#include <string>

namespace lite {

// Holds a file path and deletes the file when it goes out of scope.
class ScopedPathDeleter {
 public:
  ScopedPathDeleter() = default;
  explicit ScopedPathDeleter(std::wstring path) : path_(std::move(path)) {}
  ScopedPathDeleter(const ScopedPathDeleter&) = delete;
  ScopedPathDeleter& operator=(const ScopedPathDeleter&) = delete;
  ~ScopedPathDeleter() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }

  const std::wstring& path() const { return path_; }
  // Keeps the file: the caller takes the path over.
  std::wstring Release() { return std::move(path_); }

 private:
  std::wstring path_;
};

}  // namespace lite

#endif  // LITE_BASE_SCOPED_PATH_DELETER_H_
