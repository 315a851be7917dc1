#ifndef LITE_LOGGING_THREAD_BOUNDARY_H_
#define LITE_LOGGING_THREAD_BOUNDARY_H_

#include <new>

#include "logging/log_record.h"

namespace lite {

// Runs a worker thread's whole work. An exception leaving a thread ends
// the process, so a failed allocation (a response or file too large for
// the address space) ends only this work, with a log line.
template <typename Work>
void RunAtThreadBoundary(const char* function, Work&& work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    LOG(ERROR, function) << "Out of memory; the thread's work ends here.";
  }
}

}  // namespace lite

#endif  // LITE_LOGGING_THREAD_BOUNDARY_H_
