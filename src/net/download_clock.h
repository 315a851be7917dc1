#ifndef LITE_NET_DOWNLOAD_CLOCK_H_
#define LITE_NET_DOWNLOAD_CLOCK_H_

#include <windows.h>

namespace lite {

// The millisecond clock of the download loops; tests give them another.
using TickCountFunction = DWORD (*)();

inline DWORD SystemTickCount() {
  return ::GetTickCount();
}

}  // namespace lite

#endif  // LITE_NET_DOWNLOAD_CLOCK_H_
