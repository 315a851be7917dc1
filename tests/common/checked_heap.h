#ifndef LITE_TESTS_COMMON_CHECKED_HEAP_H_
#define LITE_TESTS_COMMON_CHECKED_HEAP_H_

#include <cstddef>

namespace lite {

// Linking checked_heap.cc replaces the program's operator new and delete:
// every block carries a cookie before it and a guard after it, and delete
// checks both. A delete of something operator new never returned (a stack
// address, a block freed before) or of an overrun block is counted and
// the block left alone, so the fault shows as a number, not a crash.
size_t CheckedHeapFaults();

// Also validates every heap of the process (HeapValidate), which catches
// damage done through HeapAlloc, as the cabinet library's memory is.
bool ProcessHeapsAreValid();

}  // namespace lite

#endif  // LITE_TESTS_COMMON_CHECKED_HEAP_H_
