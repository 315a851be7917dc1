#ifndef LITE_BASE_SCOPED_HANDLE_H_
#define LITE_BASE_SCOPED_HANDLE_H_

#include <windows.h>

#include "base/scoped_generic.h"

namespace lite {

// Kernel handles: both NULL and INVALID_HANDLE_VALUE mean "none", because
// CreateFile reports failure with one and most other calls with the other.
struct HandleTraits {
  static HANDLE InvalidValue() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { ::CloseHandle(h); }
};
using ScopedHandle = ScopedGeneric<HANDLE, HandleTraits>;

struct FindHandleTraits {
  static HANDLE InvalidValue() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Free(HANDLE h) { ::FindClose(h); }
};
using ScopedFindHandle = ScopedGeneric<HANDLE, FindHandleTraits>;

struct ModuleTraits {
  static HMODULE InvalidValue() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Free(HMODULE h) { ::FreeLibrary(h); }
};
using ScopedModule = ScopedGeneric<HMODULE, ModuleTraits>;

struct LocalAllocTraits {
  static HLOCAL InvalidValue() { return nullptr; }
  static bool IsValid(HLOCAL h) { return h != nullptr; }
  static void Free(HLOCAL h) { ::LocalFree(h); }
};
using ScopedLocalAlloc = ScopedGeneric<HLOCAL, LocalAllocTraits>;

struct GlobalAllocTraits {
  static HGLOBAL InvalidValue() { return nullptr; }
  static bool IsValid(HGLOBAL h) { return h != nullptr; }
  static void Free(HGLOBAL h) { ::GlobalFree(h); }
};
using ScopedHGlobal = ScopedGeneric<HGLOBAL, GlobalAllocTraits>;

// Releases a COM interface pointer.
template <typename Interface>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  // Takes over a reference the caller owns.
  explicit ScopedComPtr(Interface* ptr) : ptr_(ptr) {}
  ScopedComPtr(ScopedComPtr&& other) noexcept : ptr_(other.release()) {}
  ScopedComPtr& operator=(ScopedComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = other.release();
    }
    return *this;
  }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;
  ~ScopedComPtr() { reset(); }

  Interface* get() const { return ptr_; }
  Interface* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  void reset() {
    if (ptr_) ptr_->Release();
    ptr_ = nullptr;
  }
  Interface** receive() {
    reset();
    return &ptr_;
  }
  void** receive_void() { return reinterpret_cast<void**>(receive()); }
  Interface* release() {
    Interface* ptr = ptr_;
    ptr_ = nullptr;
    return ptr;
  }

 private:
  Interface* ptr_ = nullptr;
};

}  // namespace lite

#endif  // LITE_BASE_SCOPED_HANDLE_H_
