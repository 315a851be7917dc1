#ifndef LITE_BASE_SCOPED_GENERIC_H_
#define LITE_BASE_SCOPED_GENERIC_H_

#include <utility>

namespace lite {

// Owns one value of a handle-like type and frees it with Traits::Free.
// Traits provides: static T InvalidValue(); static void Free(T);
// and optionally IsValid. Movable, not copyable.
template <typename T, typename Traits>
class ScopedGeneric {
 public:
  ScopedGeneric() : value_(Traits::InvalidValue()) {}
  explicit ScopedGeneric(T value) : value_(value) {}
  ScopedGeneric(ScopedGeneric&& other) noexcept : value_(other.release()) {}
  ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;
  ~ScopedGeneric() { reset(); }

  bool is_valid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return is_valid(); }
  T get() const { return value_; }

  void reset(T value = Traits::InvalidValue()) {
    if (Traits::IsValid(value_) && value_ != value) Traits::Free(value_);
    value_ = value;
  }
  T release() {
    T value = value_;
    value_ = Traits::InvalidValue();
    return value;
  }
  // For out-parameters of C APIs: frees the current value first.
  T* receive() {
    reset();
    return &value_;
  }

 private:
  T value_;
};

}  // namespace lite

#endif  // LITE_BASE_SCOPED_GENERIC_H_
