#include "process/process_session.h"

#include <windows.h>

namespace lite {

bool IsProcessInCurrentSession(uint32_t process_id) {
  if (process_id == 0) return false;
  DWORD own_session = 0;
  DWORD session = 0;
  return ::ProcessIdToSessionId(::GetCurrentProcessId(), &own_session) &&
         ::ProcessIdToSessionId(process_id, &session) && session == own_session;
}

}  // namespace lite
