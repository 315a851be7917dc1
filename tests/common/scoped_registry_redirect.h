#ifndef LITE_TESTS_COMMON_SCOPED_REGISTRY_REDIRECT_H_
#define LITE_TESTS_COMMON_SCOPED_REGISTRY_REDIRECT_H_

#include <windows.h>

#include <string>

#include "base/scoped_hkey.h"

namespace lite {

// Points |root| (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) of this process at
// a scratch key under HKEY_CURRENT_USER that is thrown away afterwards, so
// that one test's registry state never leaks into another. Child processes
// still see the real key.
class ScopedRegistryRedirect {
 public:
  ScopedRegistryRedirect(HKEY root, const std::wstring& name) : root_(root) {
    path_ = L"Software\\LiteInstallerTests\\" + name + L"_" +
            std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    ok_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key_.receive(), nullptr) == ERROR_SUCCESS &&
          ::RegOverridePredefKey(root_, key_.get()) == ERROR_SUCCESS;
  }
  ~ScopedRegistryRedirect() {
    ::RegOverridePredefKey(root_, nullptr);
    key_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  ScopedRegistryRedirect(const ScopedRegistryRedirect&) = delete;
  ScopedRegistryRedirect& operator=(const ScopedRegistryRedirect&) = delete;

  // Whether the redirection is in force.
  bool ok() const { return ok_; }

 private:
  HKEY root_;
  std::wstring path_;
  ScopedHKey key_;
  bool ok_ = false;
};

}  // namespace lite

#endif  // LITE_TESTS_COMMON_SCOPED_REGISTRY_REDIRECT_H_
