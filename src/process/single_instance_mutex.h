#ifndef LITE_PROCESS_SINGLE_INSTANCE_MUTEX_H_
#define LITE_PROCESS_SINGLE_INSTANCE_MUTEX_H_

#include "base/scoped_handle.h"

namespace lite {

// The per-session mutex that lets one normal installation run at a time.
class SingleInstanceMutex {
 public:
  static const wchar_t kName[];

  SingleInstanceMutex() = default;
  SingleInstanceMutex(const SingleInstanceMutex&) = delete;
  SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;
  // Releases the mutex if owned, then closes it.
  ~SingleInstanceMutex();

  // Creates the mutex and tries to own it without waiting. An abandoned
  // mutex or a failed creation counts as not owned.
  bool Acquire();
  bool owned() const { return owned_; }

 private:
  ScopedHandle mutex_;
  bool owned_ = false;
  bool held_ = false;
};

}  // namespace lite

#endif  // LITE_PROCESS_SINGLE_INSTANCE_MUTEX_H_
