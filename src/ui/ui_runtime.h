#ifndef LITE_UI_UI_RUNTIME_H_
#define LITE_UI_UI_RUNTIME_H_

#include <cstdint>

namespace lite {

// COM for the thread, the common controls the window uses and GDI+, for
// the life of a normal installation. Shut down in reverse order.
class UiRuntime {
 public:
  UiRuntime();
  UiRuntime(const UiRuntime&) = delete;
  UiRuntime& operator=(const UiRuntime&) = delete;
  ~UiRuntime();

  bool gdiplus_started() const { return gdiplus_token_ != 0; }

 private:
  bool com_initialized_ = false;
  uintptr_t gdiplus_token_ = 0;
};

}  // namespace lite

#endif  // LITE_UI_UI_RUNTIME_H_
