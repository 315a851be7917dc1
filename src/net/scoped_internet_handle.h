#ifndef LITE_NET_SCOPED_INTERNET_HANDLE_H_
#define LITE_NET_SCOPED_INTERNET_HANDLE_H_

#include <windows.h>
#include <wininet.h>

#include "base/scoped_generic.h"

namespace lite {

struct InternetHandleTraits {
  static HINTERNET InvalidValue() { return nullptr; }
  static bool IsValid(HINTERNET h) { return h != nullptr; }
  static void Free(HINTERNET h) { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = ScopedGeneric<HINTERNET, InternetHandleTraits>;

}  // namespace lite

#endif  // LITE_NET_SCOPED_INTERNET_HANDLE_H_
