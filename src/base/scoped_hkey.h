#ifndef LITE_BASE_SCOPED_HKEY_H_
#define LITE_BASE_SCOPED_HKEY_H_

#include <windows.h>

#include "base/scoped_generic.h"

namespace lite {

// Registry keys opened or created by the program. Predefined roots such as
// HKEY_CURRENT_USER are never owned, so they are not valid values here.
struct RegKeyTraits {
  static HKEY InvalidValue() { return nullptr; }
  static bool IsValid(HKEY key) { return key != nullptr; }
  static void Free(HKEY key) { ::RegCloseKey(key); }
};
using ScopedHKey = ScopedGeneric<HKEY, RegKeyTraits>;

}  // namespace lite

#endif  // LITE_BASE_SCOPED_HKEY_H_
